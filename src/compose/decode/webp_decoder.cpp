// WebP through libwebp, decoded straight into the raster as BGRA (not
// premultiplied). Animated WebP files are not decoded by this call and fail.
#ifdef MIAOYU_HAVE_WEBP

#include <webp/decode.h>

#include <cstdint>

#include "compose/decode/format_decoders.hpp"

namespace miaoyu::compose {

namespace {

// Lossless WebP can spend no bits at all on a run of equal pixels, and the
// lossy coder very few on an empty macroblock, so no ratio is exact. This
// one admits 65536 pixels for every byte, far beyond any picture that is
// not nearly blank, and keeps a short file from claiming a gigabyte.
constexpr std::uint64_t kMaxPixelsPerByte = 65536;

}  // namespace

std::optional<Raster> decode_webp(std::string_view bytes) {
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  int width = 0;
  int height = 0;
  if (!WebPGetInfo(data, bytes.size(), &width, &height)) return std::nullopt;
  if (std::uint64_t(width) * std::uint64_t(height) > kMaxPixelsPerByte * bytes.size()) return std::nullopt;
  auto raster = Raster::create(width, height);
  if (!raster) return std::nullopt;
  const std::size_t size = raster->pixel_count() * sizeof(Pixel);
  if (WebPDecodeBGRAInto(data, bytes.size(), reinterpret_cast<std::uint8_t*>(raster->data()), size, width * 4) ==
      nullptr) {
    return std::nullopt;
  }
  return raster;
}

}  // namespace miaoyu::compose

#endif
