// Windows and OS/2 bitmaps, the program's own reader: 1, 4, 8, 16, 24 and
// 32 bits a pixel, RLE8 and RLE4, bit-field masks of any width, the
// OS/2 1.x core header (12 bytes), BITMAPINFOHEADER and its V2 to V5
// successors, and the OS/2 2.x header (64 bytes). Rows are bottom-up unless
// the height is negative. Icon entries use the same reader without the file
// header.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

#include "compose/decode/little_endian.hpp"
#include "compose/decode/format_decoders.hpp"

namespace miaoyu::compose {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kOs2HeaderSize = 64;

enum Compression : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

// A run of RLE8 or RLE4 draws at most 255 pixels for two bytes, and
// encoders write every row, so real bitmaps stay under 128 pixels a byte.
// Delta escapes and an early end of bitmap leave pixels out; the bound
// grants 32 times that for pictures that skip most of their area.
constexpr std::uint64_t kRleMaxPixelsPerByte = 4096;

constexpr Pixel kOpaqueBlack = 0xFF000000u;

struct Layout {
  std::int64_t width = 0;
  std::int64_t height = 0;  // of the colour image, positive
  bool top_down = false;
  int bit_count = 0;
  std::uint32_t compression = kRgb;
  bool core = false;  // OS/2 1.x: palette entries of 3 bytes
  std::uint64_t palette_offset = 0;
  std::uint64_t declared_colours = 0;    // palette entries the header declares
  std::array<std::uint32_t, 4> masks{};  // red, green, blue, alpha
};

std::uint64_t stride_of(std::uint64_t width, int bit_count) { return (width * bit_count + 31) / 32 * 4; }

bool valid_depth(int bit_count, std::uint32_t compression) {
  switch (compression) {
    case kRgb:
      return bit_count == 1 || bit_count == 4 || bit_count == 8 || bit_count == 16 || bit_count == 24 ||
             bit_count == 32;
    case kRle8: return bit_count == 8;
    case kRle4: return bit_count == 4;
    case kBitFields:
    case kAlphaBitFields: return bit_count == 16 || bit_count == 32;
    default: return false;
  }
}

// Reads the header at the start of `dib`. For icons the stored height covers
// the colour image and the AND mask, so it is halved.
std::optional<Layout> read_layout(std::string_view dib, bool icon) {
  if (dib.size() < 4) return std::nullopt;
  const std::uint32_t header_size = u32_at(dib, 0);
  if (header_size > dib.size()) return std::nullopt;
  Layout layout;
  std::int64_t stored_height = 0;
  std::uint32_t colours_used = 0;
  if (header_size == kCoreHeaderSize) {
    layout.core = true;
    layout.width = u16_at(dib, 4);
    stored_height = u16_at(dib, 6);
    layout.bit_count = u16_at(dib, 10);
    if (layout.bit_count == 16 || layout.bit_count == 32) return std::nullopt;
  } else if (header_size >= kInfoHeaderSize) {
    layout.width = i32_at(dib, 4);
    stored_height = i32_at(dib, 8);
    layout.bit_count = u16_at(dib, 14);
    layout.compression = u32_at(dib, 16);
    colours_used = u32_at(dib, 32);
    // OS/2 2.x numbers 3 and 4 are Huffman 1D and RLE24, which nothing writes.
    if (header_size == kOs2HeaderSize && layout.compression != kRgb && layout.compression != kRle8 &&
        layout.compression != kRle4) {
      return std::nullopt;
    }
  } else {
    return std::nullopt;
  }
  if (!valid_depth(layout.bit_count, layout.compression)) return std::nullopt;
  if (icon && layout.compression != kRgb && layout.compression != kBitFields) return std::nullopt;

  layout.top_down = stored_height < 0;
  layout.height = stored_height < 0 ? -stored_height : stored_height;
  if (icon) layout.height /= 2;
  if (layout.width <= 0 || layout.height <= 0) return std::nullopt;
  if (static_cast<std::uint64_t>(layout.width) * static_cast<std::uint64_t>(layout.height) > kMaxPixels) {
    return std::nullopt;
  }

  layout.palette_offset = header_size;
  if (layout.compression == kBitFields || layout.compression == kAlphaBitFields) {
    // The masks follow a 40-byte header; later headers hold them at the same place.
    const std::uint64_t masks_end = kInfoHeaderSize + (layout.compression == kAlphaBitFields ? 16 : 12);
    if (masks_end > dib.size()) return std::nullopt;
    layout.masks = {u32_at(dib, 40), u32_at(dib, 44), u32_at(dib, 48), 0};
    if (layout.compression == kAlphaBitFields || header_size >= 56) layout.masks[3] = u32_at(dib, 52);
    layout.palette_offset = std::max<std::uint64_t>(header_size, masks_end);
  } else if (layout.bit_count == 16) {
    layout.masks = {0x7C00, 0x03E0, 0x001F, 0};
  } else if (layout.bit_count == 32) {
    // The fourth byte is drawn as nothing: such bitmaps are opaque. Icons keep it as alpha.
    layout.masks = {0xFF0000, 0xFF00, 0xFF, icon ? 0xFF000000u : 0};
  }
  if (layout.bit_count <= 8) {
    layout.declared_colours =
        (layout.core || colours_used == 0) ? (std::uint64_t{1} << layout.bit_count) : colours_used;
  } else {
    layout.declared_colours = layout.core ? 0 : colours_used;
  }
  return layout;
}

using Palette = std::array<Pixel, 256>;

// Entries beyond the stored palette read as opaque black.
Palette read_palette(std::string_view dib, const Layout& layout, std::uint64_t pixel_offset) {
  Palette palette;
  palette.fill(kOpaqueBlack);
  if (layout.bit_count > 8) return palette;
  const std::uint64_t entry_size = layout.core ? 3 : 4;
  const std::uint64_t room = (std::min<std::uint64_t>(pixel_offset, dib.size()) - layout.palette_offset) / entry_size;
  const std::uint64_t count = std::min({layout.declared_colours, room, std::uint64_t{256}});
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::size_t at = layout.palette_offset + i * entry_size;
    palette[i] =
        kOpaqueBlack | (Pixel{byte_at(dib, at + 2)} << 16) | (Pixel{byte_at(dib, at + 1)} << 8) | byte_at(dib, at);
  }
  return palette;
}

// One channel of a bit-field mask, scaled to 8 bits with rounding.
class MaskChannel {
 public:
  MaskChannel(std::uint32_t mask, std::uint32_t absent)
      : mask_(mask), shift_(mask == 0 ? 0 : std::countr_zero(mask)), max_(mask >> shift_), absent_(absent) {}
  std::uint32_t operator()(std::uint32_t value) const {
    if (max_ == 0) return absent_;
    const std::uint64_t v = (value & mask_) >> shift_;
    if (max_ == 255) return static_cast<std::uint32_t>(v);
    return static_cast<std::uint32_t>((v * 255 + max_ / 2) / max_);
  }

 private:
  std::uint32_t mask_;
  int shift_;
  std::uint32_t max_;
  std::uint32_t absent_;
};

class MaskedPixels {
 public:
  explicit MaskedPixels(const std::array<std::uint32_t, 4>& masks)
      : red_(masks[0], 0), green_(masks[1], 0), blue_(masks[2], 0), alpha_(masks[3], 255) {}
  Pixel operator()(std::uint32_t value) const {
    return (alpha_(value) << 24) | (red_(value) << 16) | (green_(value) << 8) | blue_(value);
  }

 private:
  MaskChannel red_, green_, blue_, alpha_;
};

Pixel* stored_row(Raster& raster, const Layout& layout, std::int64_t stored) {
  return raster.row(static_cast<int>(layout.top_down ? stored : layout.height - 1 - stored));
}

void decode_row(const std::uint8_t* in, Pixel* out, int width, const Layout& layout, const Palette& palette,
                const MaskedPixels& masked) {
  switch (layout.bit_count) {
    case 1:
    case 4:
    case 8: {
      const int bits = layout.bit_count;
      const int per_byte = 8 / bits;
      const unsigned low = (1u << bits) - 1;
      for (int x = 0; x < width; ++x) {
        const int shift = 8 - bits * (x % per_byte + 1);
        out[x] = palette[(in[x / per_byte] >> shift) & low];
      }
      break;
    }
    case 16:
      for (int x = 0; x < width; ++x) out[x] = masked(static_cast<std::uint32_t>(in[2 * x] | (in[2 * x + 1] << 8)));
      break;
    case 24:
      for (int x = 0; x < width; ++x, in += 3) {
        out[x] = kOpaqueBlack | (Pixel{in[2]} << 16) | (Pixel{in[1]} << 8) | in[0];
      }
      break;
    case 32:
      for (int x = 0; x < width; ++x, in += 4) {
        out[x] = masked(std::uint32_t{in[0]} | (std::uint32_t{in[1]} << 8) | (std::uint32_t{in[2]} << 16) |
                        (std::uint32_t{in[3]} << 24));
      }
      break;
  }
}

bool is_rle(const Layout& layout) { return layout.compression == kRle8 || layout.compression == kRle4; }

// Whether the bytes from `pixel_offset` can hold the picture, checked before
// its raster is allocated. Uncompressed rows must all be there (the last
// one may leave out its padding).
bool pixel_data_fits(std::string_view dib, const Layout& layout, std::uint64_t pixel_offset) {
  const std::uint64_t available = dib.size() - pixel_offset;
  const std::uint64_t pixels = static_cast<std::uint64_t>(layout.width) * static_cast<std::uint64_t>(layout.height);
  if (is_rle(layout)) return pixels <= kRleMaxPixelsPerByte * available;
  const std::uint64_t last_row = (static_cast<std::uint64_t>(layout.width) * layout.bit_count + 7) / 8;
  return stride_of(layout.width, layout.bit_count) * (layout.height - 1) + last_row <= available;
}

void decode_uncompressed(std::string_view dib, const Layout& layout, std::uint64_t pixel_offset, Raster& raster) {
  const std::uint64_t stride = stride_of(layout.width, layout.bit_count);
  const Palette palette = read_palette(dib, layout, pixel_offset);
  const MaskedPixels masked(layout.masks);
  const auto* base = reinterpret_cast<const std::uint8_t*>(dib.data()) + pixel_offset;
  for (std::int64_t r = 0; r < layout.height; ++r) {
    decode_row(base + r * stride, stored_row(raster, layout, r), raster.width(), layout, palette, masked);
  }
}

// RLE8 and RLE4. Pixels that the escapes skip (end of line, delta, end of
// bitmap) are transparent, so the board's background shows through them as
// it does on Windows. Data that ends before the end-of-bitmap escape is a
// truncated file unless it has already closed the last row.
bool decode_rle(std::string_view dib, const Layout& layout, std::uint64_t pixel_offset, Raster& raster) {
  const std::string_view data = dib.substr(pixel_offset);
  const Palette palette = read_palette(dib, layout, pixel_offset);
  const bool four = layout.compression == kRle4;
  raster.fill(0);
  std::int64_t x = 0;
  std::int64_t y = 0;
  auto put = [&](unsigned index) {
    if (x < layout.width) stored_row(raster, layout, y)[x] = palette[index];
    ++x;
  };
  std::size_t at = 0;
  while (y < layout.height) {
    if (data.size() - at < 2) return false;
    const unsigned count = byte_at(data, at);
    const unsigned value = byte_at(data, at + 1);
    at += 2;
    if (count > 0) {
      for (unsigned i = 0; i < count; ++i) put(four ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value);
      continue;
    }
    if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return true;
    } else if (value == 2) {
      if (data.size() - at < 2) return false;
      x += byte_at(data, at);
      y += byte_at(data, at + 1);
      at += 2;
    } else {
      const std::size_t length = four ? (value + 1) / 2 : value;
      if (data.size() - at < length) return false;
      for (unsigned i = 0; i < value; ++i) {
        const unsigned byte = byte_at(data, at + (four ? i / 2 : i));
        put(four ? (i % 2 == 0 ? byte >> 4 : byte & 0x0F) : byte);
      }
      // Absolute runs are padded to a whole 16-bit word.
      at = std::min(data.size(), at + length + length % 2);
    }
  }
  return true;
}

bool has_alpha_channel(const Layout& layout) { return !is_rle(layout) && layout.masks[3] != 0; }

bool any_alpha(const Raster& raster) {
  return std::any_of(raster.data(), raster.data() + raster.pixel_count(), [](Pixel p) { return (p >> 24) != 0; });
}

void make_opaque(Raster& raster) {
  std::for_each(raster.data(), raster.data() + raster.pixel_count(), [](Pixel& p) { p |= kOpaqueBlack; });
}

struct Dib {
  Layout layout;
  Raster raster;
  std::uint64_t pixels_end = 0;
};

// `pixel_offset` is where the file header says the pixels start; a bare DIB
// has them right after its palette.
std::optional<Dib> decode_dib(std::string_view dib, std::optional<std::uint64_t> pixel_offset, bool icon) {
  auto layout = read_layout(dib, icon);
  if (!layout) return std::nullopt;
  const std::uint64_t entry_size = layout->core ? 3 : 4;
  const std::uint64_t offset = pixel_offset.value_or(layout->palette_offset + layout->declared_colours * entry_size);
  if (offset < layout->palette_offset || offset > dib.size()) return std::nullopt;
  if (!pixel_data_fits(dib, *layout, offset)) return std::nullopt;
  auto raster = Raster::create(static_cast<int>(layout->width), static_cast<int>(layout->height));
  if (!raster) return std::nullopt;
  if (is_rle(*layout)) {
    if (!decode_rle(dib, *layout, offset, *raster)) return std::nullopt;
  } else {
    decode_uncompressed(dib, *layout, offset, *raster);
  }
  return Dib{*layout, std::move(*raster), offset + stride_of(layout->width, layout->bit_count) * layout->height};
}

}  // namespace

std::optional<Raster> decode_bmp(std::string_view bytes) {
  if (bytes.size() < kFileHeaderSize || bytes.substr(0, 2) != "BM") return std::nullopt;
  const std::uint32_t pixel_offset = u32_at(bytes, 10);
  if (pixel_offset < kFileHeaderSize) return std::nullopt;
  auto dib = decode_dib(bytes.substr(kFileHeaderSize), pixel_offset - kFileHeaderSize, false);
  if (!dib) return std::nullopt;
  // Bitmaps whose alpha channel is zero everywhere were written without one.
  if (has_alpha_channel(dib->layout) && !any_alpha(dib->raster)) make_opaque(dib->raster);
  return std::move(dib->raster);
}

std::optional<Raster> decode_icon_dib(std::string_view bytes) {
  auto dib = decode_dib(bytes, std::nullopt, true);
  if (!dib) return std::nullopt;
  Raster& raster = dib->raster;
  const Layout& layout = dib->layout;
  if (has_alpha_channel(layout) && any_alpha(raster)) return std::move(raster);
  const std::uint64_t stride = stride_of(layout.width, 1);
  if (dib->pixels_end + stride * (layout.height - 1) + (layout.width + 7) / 8 > bytes.size()) return std::nullopt;
  const auto* mask = reinterpret_cast<const std::uint8_t*>(bytes.data()) + dib->pixels_end;
  for (std::int64_t r = 0; r < layout.height; ++r, mask += stride) {
    Pixel* out = stored_row(raster, layout, r);
    for (std::int64_t x = 0; x < layout.width; ++x) {
      out[x] = (mask[x / 8] >> (7 - x % 8)) & 1 ? 0 : out[x] | kOpaqueBlack;
    }
  }
  return std::move(raster);
}

}  // namespace miaoyu::compose
