#include "compose/text/text_renderer.hpp"

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>
#include <string>
#include <tuple>
#include <unordered_map>

#include "catalogue/gbk.hpp"
#include "compose/text/face_library.hpp"
#include "compose/text/font_resolver.hpp"
#include "compose/text/glyph_cache.hpp"
#include "compose/text/text_direction.hpp"
#include "compose/text/text_paint.hpp"

namespace miaoyu::compose {
namespace {

// Size 0 asks for the default font height, which on Windows comes out near
// 12 points.
constexpr int kDefaultPoints = 12;

// A glyph's bitmap grows with the square of the height; beyond this height
// (far past any board) sizes are held here.
constexpr int kMaxEm = 2048;

int em_of(int size, int dpi) {
  const double points = size == 0 ? kDefaultPoints : std::abs(static_cast<double>(size));
  const double per_inch = dpi > 0 ? dpi : kDefaultDpi;
  const double em = std::round(points * per_inch / 72.0);
  return static_cast<int>(std::clamp(em, 1.0, static_cast<double>(kMaxEm)));
}

// Control characters draw nothing and take no room.
bool is_control(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

int clamp_to_int(std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX)); }

// Which glyph of which face draws a character; no face: nothing to draw.
struct GlyphChoice {
  FaceId face = kNoFace;
  unsigned glyph = 0;
  bool embolden = false;
  bool oblique = false;
};

// A font value at one dpi, ready for layout.
struct ResolvedFont {
  FontFamily* family = nullptr;
  FaceId primary = kNoFace;
  int em = 0;
  TextDirection direction;
  FaceMetrics metrics;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike_out = false;
  std::unordered_map<char32_t, GlyphChoice> choices;
};

}  // namespace

struct TextRenderer::Impl {
  FontResolver resolver;
  FaceLibrary faces;
  GlyphCache glyphs{faces};
  std::map<std::tuple<Text, bool, bool, bool, bool, int, int>, ResolvedFont> fonts;
  // Boards measure and draw many times in one font: the last one is kept at hand.
  FontValue last_value;
  int last_dpi = 0;
  ResolvedFont* last = nullptr;

  ResolvedFont& font(const FontValue& value, int dpi);
  GlyphChoice choose(ResolvedFont& font, char32_t c);

  // Calls each(glyph, pen) for every glyph with the pen's distance from the
  // start along the line; gives the pen's distance at the end.
  template <class Each>
  std::int64_t walk(ResolvedFont& font, std::u32string_view text, Each&& each) {
    std::int64_t pen = 0;
    for (char32_t c : text) {
      const GlyphChoice choice = choose(font, c);
      if (choice.face == kNoFace) continue;
      const Glyph& glyph =
          glyphs.get({choice.face, font.em, choice.glyph, font.direction.tenths, choice.embolden, choice.oblique});
      each(glyph, pen);
      pen += glyph.advance;
    }
    return pen;
  }
};

ResolvedFont& TextRenderer::Impl::font(const FontValue& value, int dpi) {
  if (last != nullptr && dpi == last_dpi && value == last_value) return *last;
  const int em = em_of(value.size, dpi);
  const TextDirection direction = text_direction(value.angle);
  auto key = std::make_tuple(value.name, value.bold, value.italic, value.underline, value.strike_out,
                             direction.tenths, em);
  auto [it, inserted] = fonts.try_emplace(std::move(key));
  ResolvedFont& f = it->second;
  if (inserted) {
    f.family = resolver.resolve(value.name, value.bold, value.italic);
    if (f.family != nullptr) f.primary = faces.open(f.family->primary().file, f.family->primary().index);
    f.em = em;
    f.direction = direction;
    f.bold = value.bold;
    f.italic = value.italic;
    f.underline = value.underline;
    f.strike_out = value.strike_out;
    if (f.primary != kNoFace) {
      f.metrics = faces.metrics(f.primary, em);
    } else {
      f.metrics.ascent = em;
    }
  }
  last_value = value;
  last_dpi = dpi;
  last = &f;
  return f;
}

GlyphChoice TextRenderer::Impl::choose(ResolvedFont& f, char32_t c) {
  auto [it, inserted] = f.choices.try_emplace(c);
  if (!inserted || is_control(c)) return it->second;
  FaceId face = f.primary;
  unsigned glyph = faces.glyph_index(face, c);
  if (glyph == 0 && f.family != nullptr) {
    if (const FaceSource* other = f.family->fallback_for(c)) {
      const FaceId id = faces.open(other->file, other->index);
      if (const unsigned g = faces.glyph_index(id, c); g != 0) {
        face = id;
        glyph = g;
      }
    }
  }
  // When no font has the character, glyph 0 of the face, its missing-glyph
  // shape, stands in.
  if (face != kNoFace) {
    const FaceStyle style = faces.style(face);
    it->second = {face, glyph, f.bold && !style.bold, f.italic && !style.italic};
  }
  return it->second;
}

TextRenderer& TextRenderer::instance() {
  static TextRenderer renderer;
  return renderer;
}

TextRenderer::TextRenderer() : impl_(std::make_unique<Impl>()) {}

TextRenderer::~TextRenderer() = default;

int TextRenderer::text_width(std::string_view gbk, const FontValue& font, int dpi) {
  if (gbk.empty()) return 0;
  ResolvedFont& f = impl_->font(font, dpi);
  return clamp_to_int(impl_->walk(f, decode_gbk(gbk), [](const Glyph&, std::int64_t) {}));
}

int TextRenderer::cell_height(const FontValue& font, int dpi) {
  const FaceMetrics& m = impl_->font(font, dpi).metrics;
  return m.ascent + m.descent;
}

void TextRenderer::draw_text(Raster& target, int x, int y, std::string_view gbk, const FontValue& font,
                             Colour colour, int dpi) {
  if (gbk.empty() || target.empty()) return;
  ResolvedFont& f = impl_->font(font, dpi);
  const TextDirection& d = f.direction;
  const Pixel pixel = pixel_from_colour(colour);
  // The baseline starts the ascent below the cell's top-left, turned with the text.
  const double origin_x = x + f.metrics.ascent * d.down_x();
  const double origin_y = y + f.metrics.ascent * d.down_y();

  const std::int64_t width = impl_->walk(f, decode_gbk(gbk), [&](const Glyph& glyph, std::int64_t pen) {
    const auto pen_x = std::llround(origin_x + static_cast<double>(pen) * d.along_x());
    const auto pen_y = std::llround(origin_y + static_cast<double>(pen) * d.along_y());
    paint_glyph(target, glyph, pen_x + glyph.left, pen_y - glyph.top, pixel);
  });

  const FaceMetrics& m = f.metrics;
  if (f.underline) {
    paint_band(target, impl_->faces.library(), {origin_x, origin_y, width, m.underline_top, m.underline_thickness},
               d, pixel);
  }
  if (f.strike_out) {
    paint_band(target, impl_->faces.library(), {origin_x, origin_y, width, m.strike_top, m.strike_thickness}, d,
               pixel);
  }
}

}  // namespace miaoyu::compose
