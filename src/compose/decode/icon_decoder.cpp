// Icon (.ico) and cursor (.cur) files, the program's own reader. The
// picture is the largest entry, and among equally large ones the deepest;
// the entry's own header says its size and depth, as directory fields are
// often wrong (0 stands for 256, depths left out). An entry is a PNG file or
// a DIB with an AND mask.
#include <cstdint>

#include "compose/decode/little_endian.hpp"
#include "compose/decode/format_decoders.hpp"

namespace miaoyu::compose {

namespace {

using namespace std::string_view_literals;

constexpr std::size_t kDirectoryHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1A\n"sv;
// Signature, IHDR length and type, then width, height, bit depth, colour type.
constexpr std::size_t kPngShapeEnd = 26;

std::string_view entry_bytes(std::string_view bytes, std::size_t index) {
  const std::size_t at = kDirectoryHeaderSize + index * kEntrySize;
  return bytes.substr(u32_at(bytes, at + 12), u32_at(bytes, at + 8));
}

bool is_png(std::string_view entry) { return entry.substr(0, kPngSignature.size()) == kPngSignature; }

bool is_dib(std::string_view entry) {
  if (entry.size() < 4) return false;
  const std::uint32_t header_size = u32_at(entry, 0);
  return header_size == 12 || header_size == 40 || header_size == 52 || header_size == 56 || header_size == 108 ||
         header_size == 124;
}

std::uint32_t big_endian_u32(std::string_view bytes, std::size_t at) {
  return (std::uint32_t{byte_at(bytes, at)} << 24) | (std::uint32_t{byte_at(bytes, at + 1)} << 16) |
         (std::uint32_t{byte_at(bytes, at + 2)} << 8) | byte_at(bytes, at + 3);
}

struct Shape {
  std::uint64_t area = 0;
  int depth = 0;
};

Shape shape_of(std::string_view entry) {
  if (is_png(entry)) {
    if (entry.size() < kPngShapeEnd) return {};
    constexpr int kChannels[] = {1, 0, 3, 1, 2, 0, 4};
    const int colour_type = byte_at(entry, 25);
    const int channels = colour_type < 7 ? kChannels[colour_type] : 0;
    return {std::uint64_t{big_endian_u32(entry, 16)} * big_endian_u32(entry, 20), byte_at(entry, 24) * channels};
  }
  if (u32_at(entry, 0) == 12) {
    if (entry.size() < 12) return {};
    return {std::uint64_t{u16_at(entry, 4)} * (u16_at(entry, 6) / 2), u16_at(entry, 10)};
  }
  if (entry.size() < 16) return {};
  const std::int64_t width = i32_at(entry, 4);
  const std::int64_t height = i32_at(entry, 8);
  if (width <= 0) return {};
  return {static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>((height < 0 ? -height : height) / 2),
          u16_at(entry, 14)};
}

}  // namespace

bool is_icon_directory(std::string_view bytes, int type) {
  if (bytes.size() < kDirectoryHeaderSize || u16_at(bytes, 0) != 0 || u16_at(bytes, 2) != type) return false;
  const std::size_t count = u16_at(bytes, 4);
  const std::size_t directory_end = kDirectoryHeaderSize + count * kEntrySize;
  if (count == 0 || directory_end > bytes.size()) return false;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = kDirectoryHeaderSize + i * kEntrySize;
    const std::uint64_t size = u32_at(bytes, at + 8);
    const std::uint64_t offset = u32_at(bytes, at + 12);
    if (size == 0 || offset < directory_end || offset + size > bytes.size()) return false;
    const std::string_view entry = entry_bytes(bytes, i);
    if (!is_png(entry) && !is_dib(entry)) return false;
  }
  return true;
}

std::optional<Raster> decode_icon(std::string_view bytes) {
  if (!is_icon_directory(bytes, 1) && !is_icon_directory(bytes, 2)) return std::nullopt;
  const std::size_t count = u16_at(bytes, 4);
  std::size_t best = 0;
  Shape best_shape = shape_of(entry_bytes(bytes, 0));
  for (std::size_t i = 1; i < count; ++i) {
    const Shape shape = shape_of(entry_bytes(bytes, i));
    if (shape.area > best_shape.area || (shape.area == best_shape.area && shape.depth > best_shape.depth)) {
      best = i;
      best_shape = shape;
    }
  }
  const std::string_view entry = entry_bytes(bytes, best);
  return is_png(entry) ? decode_png(entry) : decode_icon_dib(entry);
}

}  // namespace miaoyu::compose
