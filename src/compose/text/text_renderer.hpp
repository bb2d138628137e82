// Measuring and drawing GBK texts with FreeType faces that fontconfig finds.
#pragma once

#include <memory>
#include <string_view>

#include "compose/text/font_value.hpp"
#include "compose/raster/raster.hpp"

namespace miaoyu::compose {

inline constexpr int kDefaultDpi = 96;

class TextRenderer {
 public:
  // One renderer for the process: faces and glyphs are loaded once and kept.
  static TextRenderer& instance();

  // Sizes give a character height of round(|size| * dpi / 72) pixels, held
  // to 1..2048; size 0 means 12 points, and a dpi of 0 or less means 96.
  // Control characters (below U+0020, U+007F to U+009F) take no room and
  // draw nothing.

  // Sum of the advances of the text's characters (whole pixels from hinted
  // metrics, no kerning); 0 for "".
  int text_width(std::string_view gbk, const FontValue& font, int dpi = kDefaultDpi);

  // The face's height: ascent plus descent, in pixels.
  int cell_height(const FontValue& font, int dpi = kDefaultDpi);

  // Draws the text with its cell's top-left at (x, y): the baseline lies the
  // face's ascent below y. Grey anti-aliased coverage is blended in `colour`
  // (0x00BBGGRR) over the pixels, alpha included, so an opaque raster stays
  // opaque; nothing else changes. Clipped to the raster at every edge,
  // negative coordinates included. "" draws nothing. A nonzero angle turns
  // the cell counter-clockwise about (x, y).
  void draw_text(Raster& target, int x, int y, std::string_view gbk, const FontValue& font, Colour colour,
                 int dpi = kDefaultDpi);

  ~TextRenderer();
  TextRenderer(const TextRenderer&) = delete;
  TextRenderer& operator=(const TextRenderer&) = delete;

 private:
  TextRenderer();
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace miaoyu::compose
