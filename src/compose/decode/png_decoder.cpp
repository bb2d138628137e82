// PNG through libpng's simplified reading API, which handles every colour
// type and depth, tRNS and gamma, into 8-bit straight BGRA. It keeps its
// warnings and errors in the png_image instead of printing them.
#include <png.h>

#include <cstdint>

#include "compose/decode/format_decoders.hpp"

namespace miaoyu::compose {

namespace {

// zlib's deflate cannot do better than 1032 to 1 (a 258-byte match in two
// bits), and the smallest filtered PNG row is a filter byte and one bit a
// pixel, so a picture whose rows need more than 1032 times the file is not
// in the file.
constexpr std::uint64_t kMaxDeflateRatio = 1032;

std::uint64_t smallest_filtered_size(std::uint64_t width, std::uint64_t height) {
  return height * (1 + (width + 7) / 8);
}

// libpng's simplified reading stops after the image data; a file is whole
// only when its chunks run on to IEND.
bool chunks_reach_end(std::string_view bytes) {
  constexpr std::size_t kSignatureSize = 8;
  constexpr std::size_t kChunkOverhead = 12;  // length, type and CRC
  std::size_t at = kSignatureSize;
  while (bytes.size() - at >= kChunkOverhead) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + at;
    const std::uint64_t length = (std::uint64_t{p[0]} << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
    if (length > bytes.size() - at - kChunkOverhead) return false;
    if (bytes.substr(at + 4, 4) == "IEND") return true;
    at += kChunkOverhead + length;
  }
  return false;
}

struct ImageReader {
  png_image image{};
  ImageReader() { image.version = PNG_IMAGE_VERSION; }
  ~ImageReader() { png_image_free(&image); }
  ImageReader(const ImageReader&) = delete;
  ImageReader& operator=(const ImageReader&) = delete;
};

}  // namespace

std::optional<Raster> decode_png(std::string_view bytes) {
  ImageReader reader;
  png_image& image = reader.image;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return std::nullopt;
  if (smallest_filtered_size(image.width, image.height) > kMaxDeflateRatio * bytes.size()) return std::nullopt;
  auto raster = Raster::create(static_cast<int>(image.width), static_cast<int>(image.height));
  if (!raster) return std::nullopt;
  image.format = PNG_FORMAT_BGRA;
  // A 16-bit file without gAMA, sRGB or iCCP is taken as sRGB, as viewers
  // show it, instead of libpng's linear reading that would brighten it.
  image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
  if (!png_image_finish_read(&image, nullptr, raster->data(), 0, nullptr)) return std::nullopt;
  if (!chunks_reach_end(bytes)) return std::nullopt;
  return raster;
}

}  // namespace miaoyu::compose
