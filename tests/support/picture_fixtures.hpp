// Helpers of the picture decoder tests: fixtures, a byte writer for the
// formats the tests build by hand (BMP, PCX, icons), and pixel printing.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compose/raster/raster.hpp"

namespace miaoyu::support {

using compose::Pixel;
using compose::Raster;

inline constexpr Pixel kRed = 0xFFFF0000u;
inline constexpr Pixel kGreen = 0xFF00FF00u;
inline constexpr Pixel kBlue = 0xFF0000FFu;
inline constexpr Pixel kYellow = 0xFFFFFF00u;
inline constexpr Pixel kMagenta = 0xFFFF00FFu;
inline constexpr Pixel kCyan = 0xFF00FFFFu;
inline constexpr Pixel kBlack = 0xFF000000u;
inline constexpr Pixel kWhite = 0xFFFFFFFFu;
inline constexpr Pixel kClear = 0x00000000u;

// The 3 x 2 picture most fixtures show, top row first.
inline const std::vector<Pixel> kSixColours = {kRed, kGreen, kBlue, kYellow, kMagenta, kCyan};
// The 3 x 2 picture with straight alpha of the alpha fixtures.
inline const std::vector<Pixel> kAlphaPicture = {0xFFFF0000u, 0x80C86432u, 0x000000FFu,
                                                 0xFF0A141Eu, 0x4000FF00u, 0x01FFFFFFu};

inline std::string read_fixture(std::string_view name) {
  const std::string path = std::string(MIAOYU_FIXTURES) + "/" + std::string(name);
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "missing fixture %s\n", path.c_str());
    std::abort();
  }
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Little-endian fields appended one after the other.
class Bytes {
 public:
  Bytes& u8(unsigned value) {
    bytes_.push_back(static_cast<char>(value & 0xFF));
    return *this;
  }
  Bytes& u16(unsigned value) { return u8(value).u8(value >> 8); }
  Bytes& u32(std::uint32_t value) { return u16(value & 0xFFFF).u16(value >> 16); }
  Bytes& raw(std::string_view bytes) {
    bytes_.append(bytes);
    return *this;
  }
  Bytes& bytes(std::initializer_list<unsigned> values) {
    for (unsigned v : values) u8(v);
    return *this;
  }
  Bytes& zeros(std::size_t count) {
    bytes_.append(count, '\0');
    return *this;
  }
  // B, G, R of each pixel, then zeros up to a multiple of four bytes.
  Bytes& bgr_row(std::initializer_list<Pixel> pixels) {
    for (Pixel p : pixels) u8(p).u8(p >> 8).u8(p >> 16);
    return zeros((4 - pixels.size() * 3 % 4) % 4);
  }
  Bytes& pixel32(Pixel p) { return u32(p); }
  std::size_t size() const { return bytes_.size(); }
  const std::string& str() const { return bytes_; }
  operator std::string_view() const { return bytes_; }

 private:
  std::string bytes_;
};

struct InfoHeader {
  std::int32_t width = 0;
  std::int32_t height = 0;
  int bits = 24;
  std::uint32_t compression = 0;
  std::uint32_t colours_used = 0;
  std::uint32_t size = 40;
  std::array<std::uint32_t, 4> masks{};  // in the header when it is 56 bytes or more
};

// BITMAPINFOHEADER and its longer successors, or the OS/2 2.x header (64);
// shorter sizes cut it.
inline std::string info_header(const InfoHeader& h) {
  Bytes b;
  b.u32(h.size).u32(static_cast<std::uint32_t>(h.width)).u32(static_cast<std::uint32_t>(h.height));
  b.u16(1).u16(static_cast<unsigned>(h.bits)).u32(h.compression).u32(0).u32(2835).u32(2835);
  b.u32(h.colours_used).u32(0);
  if (h.size >= 56 && h.size != 64) {
    for (std::uint32_t mask : h.masks) b.u32(mask);
  }
  if (h.size < b.size()) return b.str().substr(0, h.size);
  b.zeros(h.size - b.size());
  return b.str();
}

// The OS/2 1.x BITMAPCOREHEADER.
inline std::string core_header(unsigned width, unsigned height, unsigned bits) {
  return Bytes().u32(12).u16(width).u16(height).u16(1).u16(bits).str();
}

// RGBQUAD entries, or RGBTRIPLE entries for core headers.
inline std::string palette(std::initializer_list<Pixel> colours, bool triples = false) {
  Bytes b;
  for (Pixel c : colours) {
    b.u8(c).u8(c >> 8).u8(c >> 16);
    if (!triples) b.u8(0);
  }
  return b.str();
}

// A BMP file whose pixels follow `gap` bytes after the header and palette.
inline std::string bmp_file(std::string_view header_and_palette, std::string_view pixels, std::size_t gap = 0) {
  const std::uint32_t offset = static_cast<std::uint32_t>(14 + header_and_palette.size() + gap);
  Bytes b;
  b.raw("BM").u32(static_cast<std::uint32_t>(offset + pixels.size())).u32(0).u32(offset);
  b.raw(header_and_palette).zeros(gap).raw(pixels);
  return b.str();
}

// A 128-byte PCX header; the palette holds up to 16 colours.
struct PcxHeader {
  int bits = 8;
  int planes = 1;
  unsigned x_min = 0, y_min = 0, x_max = 0, y_max = 0;
  unsigned bytes_per_line = 0;
  std::vector<Pixel> palette{};
};

inline std::string pcx_header(const PcxHeader& h) {
  Bytes b;
  b.u8(0x0A).u8(5).u8(1).u8(static_cast<unsigned>(h.bits));
  b.u16(h.x_min).u16(h.y_min).u16(h.x_max).u16(h.y_max).u16(72).u16(72);
  for (std::size_t i = 0; i < 16; ++i) {
    const Pixel c = i < h.palette.size() ? h.palette[i] : 0;
    b.u8(c >> 16).u8(c >> 8).u8(c);
  }
  b.u8(0).u8(static_cast<unsigned>(h.planes)).u16(h.bytes_per_line).u16(1).u16(0).u16(0);
  b.zeros(128 - b.size());
  return b.str();
}

// PCX run-length coding of `data` as one stream: runs of up to 63 equal
// bytes, and single bytes of 0xC0 and above as runs of one.
inline std::string pcx_rle(std::string_view data) {
  Bytes b;
  for (std::size_t i = 0; i < data.size();) {
    std::size_t run = 1;
    while (i + run < data.size() && data[i + run] == data[i] && run < 63) ++run;
    const auto value = static_cast<unsigned char>(data[i]);
    if (run > 1 || value >= 0xC0) b.u8(0xC0 | static_cast<unsigned>(run));
    b.u8(value);
    i += run;
  }
  return b.str();
}

// The 256-colour palette block at the end of 8-bit PCX files.
inline std::string pcx_vga_palette(const std::vector<std::pair<int, Pixel>>& colours) {
  std::string block(769, '\0');
  block[0] = 0x0C;
  for (const auto& [index, c] : colours) {
    block[1 + 3 * index] = static_cast<char>(c >> 16);
    block[2 + 3 * index] = static_cast<char>(c >> 8);
    block[3 + 3 * index] = static_cast<char>(c);
  }
  return block;
}

// An icon (type 1) or cursor (type 2, hot spot 1, 1) file; the directory's
// size and depth fields are left 0, as the reader takes them from the entries.
inline std::string icon_file(unsigned type, const std::vector<std::string>& entries) {
  Bytes b;
  b.u16(0).u16(type).u16(static_cast<unsigned>(entries.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * entries.size());
  for (const std::string& entry : entries) {
    b.u8(0).u8(0).u8(0).u8(0).u16(1).u16(type == 2 ? 1 : 0);
    b.u32(static_cast<std::uint32_t>(entry.size())).u32(offset);
    offset += static_cast<std::uint32_t>(entry.size());
  }
  for (const std::string& entry : entries) b.raw(entry);
  return b.str();
}

// An AND mask row of 1-bit values, padded to four bytes.
inline std::string mask_row(std::initializer_list<int> bits) {
  std::string row((bits.size() + 31) / 32 * 4, '\0');
  int x = 0;
  for (int bit : bits) {
    if (bit) row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
    ++x;
  }
  return row;
}

// A fixture file and the picture it holds.
struct FixtureCase {
  std::string name;
  std::string fixture;
  int width;
  std::vector<Pixel> pixels;  // top row first
  // Prefixes at least this long are whole pictures too (a GIF without its
  // trailer); 0 when only the whole file is.
  std::size_t complete_from = 0;
};

inline void PrintTo(const FixtureCase& c, std::ostream* out) { *out << c.name; }

// zlib's CRC-32, for PNG chunks the tests alter.
inline std::uint32_t crc32(std::string_view bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

inline std::vector<Pixel> pixels_of(const Raster& raster) {
  return {raster.data(), raster.data() + raster.pixel_count()};
}

// Rows of AARRGGBB words, for readable failures.
inline std::string hex(const std::vector<Pixel>& pixels, int width) {
  std::string text;
  char word[10];
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    if (i > 0) text += (i % static_cast<std::size_t>(width) == 0) ? " / " : " ";
    std::snprintf(word, sizeof word, "%08X", pixels[i]);
    text += word;
  }
  return text;
}

inline std::string hex(const Raster& raster) { return hex(pixels_of(raster), raster.width()); }

// Largest difference of a colour channel or alpha between two pixels.
inline int channel_distance(Pixel a, Pixel b) {
  int distance = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const int difference = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    distance = std::max(distance, std::abs(difference));
  }
  return distance;
}

}  // namespace miaoyu::support
