// Measuring and drawing GBK texts with FreeType faces that fontconfig finds.
#pragma once

#include <memory>
#include <string_view>

#include "compose/font_value.hpp"
#include "compose/raster.hpp"

namespace miaoyu::compose {

inline constexpr int kDefaultDpi = 96;

class TextRenderer {
 public:
  // One renderer for the process: faces and glyphs are loaded once and kept.
  static TextRenderer& instance();

  // Sum of the advances of the text's characters (no kerning); 0 for "".
  int text_width(std::string_view gbk, const FontValue& font, int dpi = kDefaultDpi);

  // The face's height: ascent plus descent, in pixels.
  int cell_height(const FontValue& font, int dpi = kDefaultDpi);

  // Draws the text with its cell's top-left at (x, y): the baseline lies the
  // face's ascent below y. Grey anti-aliased coverage is blended in `colour`
  // (0x00BBGGRR) over the pixels; nothing else changes. Clipped to the raster
  // at every edge, negative coordinates included. "" draws nothing.
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
