#include "compose/picture_layout.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace miaoyu::compose {
namespace {

constexpr Pixel blend_over(Pixel p, Pixel background) {
  const std::uint32_t a = p >> 24;
  if (a == 255) return p;
  Pixel out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const std::uint32_t s = p >> shift & 0xFF;
    const std::uint32_t b = background >> shift & 0xFF;
    out |= ((s * a + b * (255 - a) + 127) / 255) << shift;
  }
  return out;
}

void copy_row(Pixel* out, const Pixel* in, int count, bool opaque, Pixel background) {
  if (opaque) {
    std::memcpy(out, in, static_cast<std::size_t>(count) * sizeof(Pixel));
    return;
  }
  for (int i = 0; i < count; ++i) out[i] = blend_over(in[i], background);
}

void paint_tiled(Raster& target, const BackgroundPicture& picture, Pixel background) {
  const Raster& source = picture.pixels;
  for (int y = 0; y < target.height(); ++y) {
    const Pixel* in = source.row(y % source.height());
    Pixel* out = target.row(y);
    for (int x = 0; x < target.width(); x += source.width()) {
      copy_row(out + x, in, std::min(source.width(), target.width() - x), picture.opaque, background);
    }
  }
}

// Area averaging: source column/row i goes to destination column/row
// i * size / source_size, so every source pixel counts exactly once.
void paint_shrunk(Raster& target, const BackgroundPicture& picture, const Placement& at, Pixel background) {
  const Raster& source = picture.pixels;
  std::vector<int> column_of(static_cast<std::size_t>(source.width()));
  for (int i = 0; i < source.width(); ++i) {
    column_of[static_cast<std::size_t>(i)] =
        static_cast<int>(static_cast<std::int64_t>(i) * at.width / source.width());
  }
  struct Sum {
    std::uint64_t b, g, r, a, n;
  };
  std::vector<Sum> sums(static_cast<std::size_t>(at.width));
  int sy = 0;
  for (int dy = 0; dy < at.height; ++dy) {
    std::fill(sums.begin(), sums.end(), Sum{});
    for (; sy < source.height() && static_cast<std::int64_t>(sy) * at.height / source.height() == dy; ++sy) {
      const Pixel* in = source.row(sy);
      for (int sx = 0; sx < source.width(); ++sx) {
        const Pixel p = in[sx];
        const std::uint64_t a = p >> 24;
        Sum& s = sums[static_cast<std::size_t>(column_of[static_cast<std::size_t>(sx)])];
        s.b += (p & 0xFF) * a;
        s.g += (p >> 8 & 0xFF) * a;
        s.r += (p >> 16 & 0xFF) * a;
        s.a += a;
        ++s.n;
      }
    }
    Pixel* out = target.row(at.y + dy) + at.x;
    for (int dx = 0; dx < at.width; ++dx) {
      const Sum& s = sums[static_cast<std::size_t>(dx)];
      // Premultiplied average laid over the background colour.
      const std::uint64_t full = s.n * 255;
      const auto channel = [&](std::uint64_t sum, int shift) {
        const std::uint64_t b = background >> shift & 0xFF;
        return static_cast<Pixel>((sum + b * (full - s.a) + full / 2) / full) << shift;
      };
      out[dx] = 0xFF000000u | channel(s.r, 16) | channel(s.g, 8) | channel(s.b, 0);
    }
  }
}

}  // namespace

Placement centre_shrink_placement(int area_width, int area_height, int picture_width, int picture_height) {
  Placement p{0, 0, picture_width, picture_height};
  if (picture_width > area_width || picture_height > area_height) {
    const auto aw = static_cast<std::int64_t>(area_width);
    const auto ah = static_cast<std::int64_t>(area_height);
    if (aw * picture_height <= ah * picture_width) {
      p.width = area_width;
      p.height = static_cast<int>(static_cast<std::int64_t>(picture_height) * aw / picture_width);
    } else {
      p.height = area_height;
      p.width = static_cast<int>(static_cast<std::int64_t>(picture_width) * ah / picture_height);
    }
  }
  p.x = (area_width - p.width) / 2;
  p.y = (area_height - p.height) / 2;
  return p;
}

void paint_background(Raster& target, Colour background, const BackgroundPicture* picture, PictureLayout layout) {
  const Pixel back = pixel_from_colour(background);
  if (picture == nullptr || picture->pixels.empty()) {
    target.fill(back);
    return;
  }
  const Raster& source = picture->pixels;
  if (layout == PictureLayout::kTile) {
    paint_tiled(target, *picture, back);
    return;
  }
  target.fill(back);
  const Placement at = centre_shrink_placement(target.width(), target.height(), source.width(), source.height());
  if (at.width <= 0 || at.height <= 0) return;
  if (at.width == source.width() && at.height == source.height()) {
    for (int y = 0; y < at.height; ++y) copy_row(target.row(at.y + y) + at.x, source.row(y), at.width, picture->opaque, back);
  } else {
    paint_shrunk(target, *picture, at, back);
  }
}

}  // namespace miaoyu::compose
