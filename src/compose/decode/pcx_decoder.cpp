// ZSoft PCX, the program's own reader: RLE-coded scan lines of one to four
// planes. 1 bit in 1 plane is black and white; 2 or 4 bits in 1 plane and
// 1 bit in 2 to 4 planes index the header's 16-colour palette; 8 bits in 1
// plane index the 256-colour palette that follows a 0x0C byte at the end of
// the file, or a grey ramp when the file has none; 8 bits in 3 planes are
// red, green and blue, and in 4 planes red, green, blue and straight alpha,
// as ImageMagick writes pictures with transparency. The window runs from Xmin to Xmax and Ymin to Ymax,
// both inclusive.
#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "compose/decode/little_endian.hpp"
#include "compose/decode/format_decoders.hpp"

namespace miaoyu::compose {

namespace {

constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kHeaderPaletteOffset = 16;
constexpr std::uint8_t kVgaPaletteMarker = 0x0C;
constexpr std::size_t kVgaPaletteSize = 1 + 256 * 3;

// A run is two bytes for at most 63 bytes of scan line, so RLE data never
// decodes to more than 31.5 times its size.
constexpr std::uint64_t kMaxRunLength = 63;

constexpr Pixel kOpaqueBlack = 0xFF000000u;

using Palette = std::array<Pixel, 256>;

Pixel rgb_at(std::string_view bytes, std::size_t at) {
  return kOpaqueBlack | (Pixel{byte_at(bytes, at)} << 16) | (Pixel{byte_at(bytes, at + 1)} << 8) |
         byte_at(bytes, at + 2);
}

// Decodes the RLE stream scan line by scan line; a run may go on into the
// next line, as some writers let it.
class RunReader {
 public:
  RunReader(std::string_view bytes, std::size_t start) : bytes_(bytes), at_(start) {}

  bool read_line(std::vector<std::uint8_t>& line) {
    std::size_t filled = 0;
    while (filled < line.size()) {
      if (pending_ == 0) {
        if (at_ >= bytes_.size()) return false;
        const std::uint8_t code = byte_at(bytes_, at_++);
        if ((code & 0xC0) == 0xC0) {
          if (at_ >= bytes_.size()) return false;
          pending_ = code & 0x3F;
          value_ = byte_at(bytes_, at_++);
        } else {
          pending_ = 1;
          value_ = code;
        }
      }
      const std::size_t count = std::min(pending_, line.size() - filled);
      std::fill_n(line.begin() + static_cast<std::ptrdiff_t>(filled), count, value_);
      filled += count;
      pending_ -= count;
    }
    return true;
  }

  std::size_t position() const { return at_; }

 private:
  std::string_view bytes_;
  std::size_t at_;
  std::size_t pending_ = 0;
  std::uint8_t value_ = 0;
};

// The 256-colour palette after the pixel data, or a grey ramp when nothing
// follows them; nullopt when a palette starts but is cut short.
std::optional<Palette> vga_palette(std::string_view bytes, std::size_t pixels_end) {
  Palette palette;
  if (bytes.size() >= pixels_end + kVgaPaletteSize &&
      byte_at(bytes, bytes.size() - kVgaPaletteSize) == kVgaPaletteMarker) {
    const std::size_t start = bytes.size() - kVgaPaletteSize + 1;
    for (std::size_t i = 0; i < 256; ++i) palette[i] = rgb_at(bytes, start + 3 * i);
    return palette;
  }
  if (pixels_end < bytes.size() && byte_at(bytes, pixels_end) == kVgaPaletteMarker) return std::nullopt;
  for (std::uint32_t i = 0; i < 256; ++i) palette[i] = kOpaqueBlack | (i << 16) | (i << 8) | i;
  return palette;
}

bool supported(int bits, int planes) {
  switch (bits) {
    case 1: return planes >= 1 && planes <= 4;
    case 2:
    case 4: return planes == 1;
    case 8: return planes == 1 || planes == 3 || planes == 4;
    default: return false;
  }
}

}  // namespace

std::optional<Raster> decode_pcx(std::string_view bytes) {
  if (bytes.size() < kHeaderSize || byte_at(bytes, 0) != 0x0A || byte_at(bytes, 2) != 1) return std::nullopt;
  const int bits = byte_at(bytes, 3);
  const int x_min = u16_at(bytes, 4), y_min = u16_at(bytes, 6), x_max = u16_at(bytes, 8), y_max = u16_at(bytes, 10);
  const int planes = byte_at(bytes, 65);
  const std::size_t bytes_per_line = u16_at(bytes, 66);
  if (!supported(bits, planes) || x_max < x_min || y_max < y_min) return std::nullopt;
  const int width = x_max - x_min + 1;
  const int height = y_max - y_min + 1;
  if (bytes_per_line * 8 < static_cast<std::size_t>(width) * bits) return std::nullopt;
  const std::uint64_t line_size = bytes_per_line * static_cast<std::uint64_t>(planes);
  if (line_size * height * 2 > kMaxRunLength * (bytes.size() - kHeaderSize)) return std::nullopt;
  auto raster = Raster::create(width, height);
  if (!raster) return std::nullopt;

  Palette palette;
  palette.fill(kOpaqueBlack);
  for (std::size_t i = 0; i < 16; ++i) palette[i] = rgb_at(bytes, kHeaderPaletteOffset + 3 * i);
  if (bits == 1 && planes == 1) palette[1] = 0xFFFFFFFFu;

  RunReader reader(bytes, kHeaderSize);
  std::vector<std::uint8_t> line(line_size);
  // 8-bit palette pictures keep their indices in the raster until the
  // palette after them is found.
  const bool vga = bits == 8 && planes == 1;
  for (int y = 0; y < height; ++y) {
    if (!reader.read_line(line)) return std::nullopt;
    Pixel* out = raster->row(y);
    const std::uint8_t* plane = line.data();
    if (vga) {
      std::copy_n(plane, width, out);
    } else if (bits == 8) {
      for (int x = 0; x < width; ++x) {
        const Pixel alpha = planes == 4 ? plane[3 * bytes_per_line + x] : 0xFF;
        out[x] = (alpha << 24) | (Pixel{plane[x]} << 16) | (Pixel{plane[bytes_per_line + x]} << 8) |
                 plane[2 * bytes_per_line + x];
      }
    } else if (planes == 1) {
      const unsigned mask = (1u << bits) - 1;
      for (int x = 0; x < width; ++x) {
        const int bit = x * bits;
        out[x] = palette[(plane[bit / 8] >> (8 - bits - bit % 8)) & mask];
      }
    } else {
      for (int x = 0; x < width; ++x) {
        unsigned index = 0;
        for (int p = 0; p < planes; ++p) index |= ((plane[p * bytes_per_line + x / 8] >> (7 - x % 8)) & 1u) << p;
        out[x] = palette[index];
      }
    }
  }
  if (vga) {
    const auto colours = vga_palette(bytes, reader.position());
    if (!colours) return std::nullopt;
    std::for_each(raster->data(), raster->data() + raster->pixel_count(), [&](Pixel& p) { p = (*colours)[p]; });
  }
  return raster;
}

}  // namespace miaoyu::compose
