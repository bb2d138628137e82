// Shared helpers of the text renderer's tests: GBK literals, rasters, ink
// boxes, and what fonts this machine has.
#pragma once

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "catalogue/gbk.hpp"
#include "compose/text/font_value.hpp"
#include "compose/raster/raster.hpp"
#include "compose/text/text_renderer.hpp"

namespace miaoyu::support {

using compose::caption_font;
using compose::FontValue;
using compose::kHeiTi;
using compose::kSongTi;
using compose::Pixel;
using compose::Raster;
using compose::TextRenderer;

inline std::string gbk(std::string_view utf8) { return utf8_to_gbk(utf8); }
inline std::string gbk(std::u32string_view text) { return encode_gbk(text); }

inline constexpr Pixel kGrey = 0xFF808080u;

inline Raster uniform(int width, int height, Pixel pixel = kGrey) {
  Raster r = *Raster::create(width, height);
  r.fill(pixel);
  return r;
}

inline TextRenderer& renderer() { return TextRenderer::instance(); }

inline FontValue font(Text name, int size, bool bold = false) {
  FontValue f;
  f.name = std::move(name);
  f.size = size;
  f.bold = bold;
  return f;
}

// Half-open box of the pixels that differ from the background.
struct Box {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool empty() const { return right <= left || bottom <= top; }
};

inline Box ink_box(const Raster& r, Pixel background = kGrey) {
  Box b{r.width(), r.height(), 0, 0};
  for (int y = 0; y < r.height(); ++y) {
    for (int x = 0; x < r.width(); ++x) {
      if (r.row(y)[x] == background) continue;
      b.left = std::min(b.left, x);
      b.top = std::min(b.top, y);
      b.right = std::max(b.right, x + 1);
      b.bottom = std::max(b.bottom, y + 1);
    }
  }
  return b;
}

inline bool same_pixels(const Raster& a, const Raster& b) {
  return a.width() == b.width() && a.height() == b.height() && std::equal(a.data(), a.data() + a.pixel_count(), b.data());
}

// What fontconfig lists on this machine, asked through a configuration of
// the tests' own.
class InstalledFonts {
 public:
  static InstalledFonts& get() {
    static InstalledFonts fonts;
    return fonts;
  }
  ~InstalledFonts() { FcConfigDestroy(config_); }

  bool any_has(char32_t c) {
    FcPattern* p = FcPatternCreate();
    FcCharSet* cs = FcCharSetCreate();
    FcCharSetAddChar(cs, c);
    FcPatternAddCharSet(p, FC_CHARSET, cs);
    const bool found = count(p) > 0;
    FcCharSetDestroy(cs);
    return found;
  }

  // Whether the family is installed, and with a weight of bold or more.
  bool has_family(const char* family) { return count(family_pattern(family)) > 0; }
  bool has_bold(const char* family) {
    FcPattern* p = family_pattern(family);
    FcPatternAddInteger(p, FC_WEIGHT, FC_WEIGHT_BOLD);
    return count(p) > 0;
  }

 private:
  InstalledFonts() : config_(FcInitLoadConfigAndFonts()) {}

  static FcPattern* family_pattern(const char* family) {
    FcPattern* p = FcPatternCreate();
    FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    return p;
  }

  // Takes the pattern.
  int count(FcPattern* p) {
    FcObjectSet* os = FcObjectSetBuild(FC_FILE, nullptr);
    FcFontSet* set = FcFontList(config_, p, os);
    const int n = set != nullptr ? set->nfont : 0;
    if (set != nullptr) FcFontSetDestroy(set);
    FcObjectSetDestroy(os);
    FcPatternDestroy(p);
    return n;
  }

  FcConfig* config_;
};

// A character that no installed font has, or 0 when every candidate is covered.
inline char32_t char_no_font_has() {
  for (char32_t c : {U'\u13A0', U'\u2C00', U'\uA640', U'\U0001D800'}) {
    if (!InstalledFonts::get().any_has(c)) return c;
  }
  return 0;
}

}  // namespace miaoyu::support
