#include "compose/text/text_paint.hpp"

#include FT_OUTLINE_H

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <type_traits>

namespace miaoyu::compose {
namespace {

// FreeType hands spans with 16-bit x, so turned bands are rendered in strips
// of raster columns that narrow, each clipped to its own columns.
constexpr std::int64_t kStripColumns = 16384;

// A band is cut only this far beyond the raster: near it the band's edges
// stay where the whole band puts them, whatever the raster's size, while
// FreeType never sees a coordinate far from the raster.
constexpr double kCutDistance = 65536;

struct SpanTarget {
  Raster* raster;
  Pixel pixel;
  std::int64_t strip_left;
};

// FreeType's rows count upward: row -1 is the raster's first.
void blend_spans(int y, int count, const FT_Span* spans, void* user) {
  auto& t = *static_cast<SpanTarget*>(user);
  const std::int64_t row_index = -static_cast<std::int64_t>(y) - 1;
  if (row_index < 0 || row_index >= t.raster->height()) return;
  Pixel* row = t.raster->row(static_cast<int>(row_index));
  for (int i = 0; i < count; ++i) {
    const std::int64_t x0 = std::max<std::int64_t>(t.strip_left + spans[i].x, 0);
    const std::int64_t x1 = std::min<std::int64_t>(t.strip_left + spans[i].x + spans[i].len, t.raster->width());
    for (std::int64_t x = x0; x < x1; ++x) row[x] = blend(row[x], t.pixel, spans[i].coverage);
  }
}

void fill_rect(Raster& target, double left, double top, double right, double bottom, Pixel pixel) {
  const auto x0 = static_cast<int>(std::clamp(std::floor(left), 0.0, static_cast<double>(target.width())));
  const auto x1 = static_cast<int>(std::clamp(std::ceil(right), 0.0, static_cast<double>(target.width())));
  const auto y0 = static_cast<int>(std::clamp(std::floor(top), 0.0, static_cast<double>(target.height())));
  const auto y1 = static_cast<int>(std::clamp(std::ceil(bottom), 0.0, static_cast<double>(target.height())));
  for (int y = y0; y < y1; ++y) std::fill(target.row(y) + x0, target.row(y) + x1, pixel);
}

}  // namespace

void paint_glyph(Raster& target, const Glyph& glyph, std::int64_t left, std::int64_t top, Pixel pixel) {
  if (glyph.coverage.empty()) return;
  const std::int64_t x0 = std::max<std::int64_t>(left, 0);
  const std::int64_t x1 = std::min<std::int64_t>(left + glyph.width, target.width());
  const std::int64_t y0 = std::max<std::int64_t>(top, 0);
  const std::int64_t y1 = std::min<std::int64_t>(top + glyph.rows, target.height());
  for (std::int64_t y = y0; y < y1; ++y) {
    const std::uint8_t* src = glyph.coverage.data() + (y - top) * glyph.width + (x0 - left);
    Pixel* dst = target.row(static_cast<int>(y));
    for (std::int64_t x = x0; x < x1; ++x, ++src) {
      if (*src == 255) {
        dst[x] = pixel;
      } else if (*src != 0) {
        dst[x] = blend(dst[x], pixel, *src);
      }
    }
  }
}

void paint_band(Raster& target, FT_Library library, const Band& band, const TextDirection& d, Pixel pixel) {
  if (target.empty() || band.length <= 0 || band.thickness <= 0) return;

  // The stretch of the band whose points can fall on the raster.
  const double w = target.width();
  const double h = target.height();
  double t_lo = std::numeric_limits<double>::infinity();
  double t_hi = -t_lo;
  double s_lo = t_lo;
  double s_hi = -t_lo;
  for (auto [cx, cy] : std::array<std::array<double, 2>, 4>{{{0, 0}, {w, 0}, {0, h}, {w, h}}}) {
    const double rx = cx - band.origin_x;
    const double ry = cy - band.origin_y;
    const double t = rx * d.along_x() + ry * d.along_y();
    const double s = rx * d.down_x() + ry * d.down_y();
    t_lo = std::min(t_lo, t);
    t_hi = std::max(t_hi, t);
    s_lo = std::min(s_lo, s);
    s_hi = std::max(s_hi, s);
  }
  const double t0 = std::max(0.0, std::floor(t_lo) - kCutDistance);
  const double t1 = std::min(static_cast<double>(band.length), std::ceil(t_hi) + kCutDistance);
  const double s0 = band.first;
  const double s1 = static_cast<double>(band.first) + band.thickness;
  if (t0 >= t1 || s1 < s_lo || s0 > s_hi) return;

  std::array<FT_Vector, 4> corners_ft{};
  std::array<std::array<double, 2>, 4> corners{};
  const std::array<std::array<double, 2>, 4> ts{{{t0, s0}, {t1, s0}, {t1, s1}, {t0, s1}}};
  double left = std::numeric_limits<double>::infinity();
  double right = -left;
  double top = left;
  double bottom = -left;
  for (std::size_t i = 0; i < 4; ++i) {
    corners[i] = {band.origin_x + ts[i][0] * d.along_x() + ts[i][1] * d.down_x(),
                  band.origin_y + ts[i][0] * d.along_y() + ts[i][1] * d.down_y()};
    left = std::min(left, corners[i][0]);
    right = std::max(right, corners[i][0]);
    top = std::min(top, corners[i][1]);
    bottom = std::max(bottom, corners[i][1]);
  }

  // At right angles the band is a rectangle on whole pixels.
  if (d.tenths % 900 == 0) {
    fill_rect(target, left, top, right, bottom, pixel);
    return;
  }

  const auto x_begin = static_cast<std::int64_t>(std::clamp(std::floor(left), 0.0, w));
  const auto x_end = static_cast<std::int64_t>(std::clamp(std::ceil(right), 0.0, w));
  const auto y_begin = static_cast<std::int64_t>(std::clamp(std::floor(top), 0.0, h));
  const auto y_end = static_cast<std::int64_t>(std::clamp(std::ceil(bottom), 0.0, h));
  if (x_begin >= x_end || y_begin >= y_end) return;

  std::array<char, 4> tags{FT_CURVE_TAG_ON, FT_CURVE_TAG_ON, FT_CURVE_TAG_ON, FT_CURVE_TAG_ON};
  std::remove_pointer_t<decltype(FT_Outline::contours)> last_point[1] = {3};
  for (std::int64_t strip = x_begin; strip < x_end; strip += kStripColumns) {
    for (std::size_t i = 0; i < 4; ++i) {
      corners_ft[i].x = std::lround((corners[i][0] - static_cast<double>(strip)) * 64);
      corners_ft[i].y = std::lround(-corners[i][1] * 64);
    }
    FT_Outline outline{};
    outline.n_contours = 1;
    outline.n_points = 4;
    outline.points = corners_ft.data();
    outline.tags = tags.data();
    outline.contours = last_point;

    SpanTarget span_target{&target, pixel, strip};
    FT_Raster_Params params{};
    params.flags = FT_RASTER_FLAG_AA | FT_RASTER_FLAG_DIRECT | FT_RASTER_FLAG_CLIP;
    params.gray_spans = blend_spans;
    params.user = &span_target;
    params.clip_box.xMin = 0;
    params.clip_box.xMax = std::min(kStripColumns, x_end - strip);
    params.clip_box.yMin = -y_end;
    params.clip_box.yMax = -y_begin;
    FT_Outline_Render(library, &outline, &params);
  }
}

}  // namespace miaoyu::compose
