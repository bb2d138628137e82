#include "compose/text/glyph_cache.hpp"

#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>

#include "compose/text/text_direction.hpp"

namespace miaoyu::compose {
namespace {

// The slant FreeType's own synthetic oblique uses: about 12 degrees.
constexpr FT_Fixed kObliqueShear = 0x0366A;

FT_Fixed fixed(double v) { return static_cast<FT_Fixed>(std::lround(v * 65536.0)); }

// Shear for the oblique, then the turn; FreeType's y axis points up, so a
// counter-clockwise turn on the board is one here too.
FT_Matrix glyph_matrix(bool oblique, const TextDirection& d) {
  const FT_Fixed c = fixed(d.cos);
  const FT_Fixed s = fixed(d.sin);
  const FT_Fixed shear = oblique ? kObliqueShear : 0;
  FT_Matrix m;
  m.xx = c;
  m.xy = FT_MulFix(c, shear) - s;
  m.yx = s;
  m.yy = FT_MulFix(s, shear) + c;
  return m;
}

void copy_coverage(const FT_Bitmap& bitmap, Glyph& glyph) {
  if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.width == 0 || bitmap.rows == 0) return;
  glyph.width = static_cast<int>(bitmap.width);
  glyph.rows = static_cast<int>(bitmap.rows);
  glyph.coverage.resize(static_cast<std::size_t>(glyph.width) * static_cast<std::size_t>(glyph.rows));
  const std::ptrdiff_t pitch = bitmap.pitch;
  // With an upward flow the buffer starts at the bottom row.
  const unsigned char* row = bitmap.buffer + (pitch < 0 ? -pitch * (glyph.rows - 1) : 0);
  for (int y = 0; y < glyph.rows; ++y, row += pitch) {
    std::copy_n(row, glyph.width, glyph.coverage.begin() + static_cast<std::ptrdiff_t>(y) * glyph.width);
  }
}

}  // namespace

std::size_t GlyphCache::KeyHash::operator()(const GlyphKey& k) const {
  std::uint64_t a = static_cast<std::uint32_t>(k.face);
  a = a << 32 | k.glyph;
  std::uint64_t b = static_cast<std::uint32_t>(k.em);
  b = (b << 16 | static_cast<std::uint32_t>(k.tenths)) << 2 | (k.embolden ? 2u : 0u) | (k.oblique ? 1u : 0u);
  return std::hash<std::uint64_t>{}(a ^ (b * 0x9E3779B97F4A7C15ull));
}

GlyphCache::GlyphCache(FaceLibrary& faces, std::size_t budget_bytes) : faces_(faces), budget_(budget_bytes) {}

const Glyph& GlyphCache::get(const GlyphKey& key) {
  if (auto it = glyphs_.find(key); it != glyphs_.end()) return it->second;
  Glyph glyph = render(key);
  if (bytes_ + glyph.coverage.size() > budget_) {
    glyphs_.clear();
    bytes_ = 0;
  }
  bytes_ += glyph.coverage.size();
  return glyphs_.emplace(key, std::move(glyph)).first->second;
}

Glyph GlyphCache::render(const GlyphKey& key) {
  Glyph glyph;
  FT_Face face = faces_.sized(key.face, key.em);
  // Outlines only: embedded bitmaps could not be emboldened, slanted or
  // turned, and fontconfig only offers outline faces.
  if (face == nullptr || FT_Load_Glyph(face, key.glyph, FT_LOAD_NO_BITMAP) != 0) return glyph;
  FT_GlyphSlot slot = face->glyph;

  // Hinted advances, in whole pixels, as Windows measures text.
  glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return glyph;

  // A synthetic bold grows each glyph by one pixel to the right, and its
  // advance by the same pixel, as on Windows.
  if (key.embolden) {
    FT_Outline_EmboldenXY(&slot->outline, 64, 0);
    glyph.advance += 1;
  }
  // The same matrix that FT_Set_Transform would take, applied here so that
  // the advance above stays the unturned one and emboldening comes first.
  if (key.oblique || key.tenths != 0) {
    FT_Matrix m = glyph_matrix(key.oblique, text_direction(key.tenths));
    FT_Outline_Transform(&slot->outline, &m);
  }
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return glyph;
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;
  copy_coverage(slot->bitmap, glyph);
  return glyph;
}

}  // namespace miaoyu::compose
