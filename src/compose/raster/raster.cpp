#include "compose/raster/raster.hpp"

#include <algorithm>

#include "compose/raster/huge_pages.hpp"

namespace miaoyu::compose {

std::optional<Raster> Raster::create(int width, int height) {
  if (width <= 0 || height <= 0) return std::nullopt;
  if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxPixels) return std::nullopt;
  Raster raster;
  raster.width_ = width;
  raster.height_ = height;
  // Left uninitialised: every user overwrites the whole raster, and clearing
  // a large picture first would cost a pass over it.
  raster.pixels_.reset(new Pixel[raster.pixel_count()]);
  advise_huge_pages(raster.pixels_.get(), raster.pixel_count() * sizeof(Pixel));
  return raster;
}

void Raster::fill(Pixel value) { std::fill_n(pixels_.get(), pixel_count(), value); }

Raster Raster::clone() const {
  Raster copy;
  if (empty()) return copy;
  copy = *create(width_, height_);
  std::copy_n(pixels_.get(), pixel_count(), copy.pixels_.get());
  return copy;
}

}  // namespace miaoyu::compose
