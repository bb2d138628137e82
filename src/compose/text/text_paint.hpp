// Putting a text's ink on a raster: glyph coverage and the bands of
// underline and strike-out, blended in one colour and clipped to the raster.
#pragma once

#include <cstdint>

#include "compose/text/glyph_cache.hpp"
#include "compose/raster/raster.hpp"
#include "compose/text/text_direction.hpp"

namespace miaoyu::compose {

// Each channel, alpha included, moves from the pixel toward `pixel` by the
// coverage: d + (c - d) * coverage / 255, rounded. Full coverage gives
// `pixel` exactly; an opaque raster stays opaque.
inline Pixel blend(Pixel d, Pixel c, unsigned coverage) {
  const unsigned keep = 255 - coverage;
  Pixel out = 0;
  for (unsigned shift = 0; shift < 32; shift += 8) {
    const unsigned dc = (d >> shift) & 0xFFu;
    const unsigned cc = (c >> shift) & 0xFFu;
    out |= ((dc * keep + cc * coverage + 127) / 255) << shift;
  }
  return out;
}

// The glyph's coverage with its top-left at (left, top); any position.
void paint_glyph(Raster& target, const Glyph& glyph, std::int64_t left, std::int64_t top, Pixel pixel);

// The band {origin + t * along + s * down : 0 <= t <= length, first <= s <=
// first + thickness}, where origin is the line's start on the baseline.
struct Band {
  double origin_x = 0;
  double origin_y = 0;
  std::int64_t length = 0;
  int first = 0;
  int thickness = 0;
};

void paint_band(Raster& target, FT_Library library, const Band& band, const TextDirection& direction, Pixel pixel);

}  // namespace miaoyu::compose
