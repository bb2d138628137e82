// A board's font: the seven words the program sets.
#pragma once

#include "catalogue/text.hpp"

namespace miaoyu::compose {

// "宋体" and "黑体" in GBK.
inline constexpr char kSongTi[] = "\xCB\xCE\xCC\xE5";
inline constexpr char kHeiTi[] = "\xBA\xDA\xCC\xE5";

struct FontValue {
  int angle = 0;  // tenths of a degree, counter-clockwise
  bool bold = false;
  bool italic = false;
  bool strike_out = false;
  bool underline = false;
  int size = 9;  // points; the character (em) height is round(|size| * dpi / 72) pixels
  Text name = kSongTi;  // GBK; empty or 32 bytes and longer mean "宋体"

  bool operator==(const FontValue&) const = default;
};

// The font every caption line is drawn in: 黑体, 13 points, bold.
inline FontValue caption_font() {
  FontValue font;
  font.name = kHeiTi;
  font.size = 13;
  font.bold = true;
  return font;
}

}  // namespace miaoyu::compose
