// A block of 32-bit pixels: the decoded pictures, a board's persistent
// picture and its screen image are all rasters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace miaoyu::compose {

// Bytes blue, green, red, alpha in memory: the word 0xAARRGGBB on a
// little-endian machine, as libpng's BGRA and libjpeg-turbo's EXT_BGRA give them.
using Pixel = std::uint32_t;

// No raster holds more pixels than this; larger pictures are failed loads.
inline constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 28;

class Raster {
 public:
  Raster() = default;

  // A raster of width x height with undefined contents; nullopt when either
  // side is not positive or the size is beyond kMaxPixels.
  static std::optional<Raster> create(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  bool empty() const { return width_ == 0 || height_ == 0; }
  std::size_t pixel_count() const {
    return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
  }

  Pixel* data() { return pixels_.get(); }
  const Pixel* data() const { return pixels_.get(); }
  Pixel* row(int y) { return pixels_.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_); }
  const Pixel* row(int y) const {
    return pixels_.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
  }

  void fill(Pixel value);
  Raster clone() const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::unique_ptr<Pixel[]> pixels_;
};

// Colours are 0x00BBGGRR words; pixels are 0xAARRGGBB.
using Colour = std::uint32_t;

constexpr Pixel pixel_from_colour(Colour colour) {
  return 0xFF000000u | ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

}  // namespace miaoyu::compose
