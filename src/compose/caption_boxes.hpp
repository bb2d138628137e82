// The three caption boxes 编辑框1 to 编辑框3, as the routines read them.
#pragma once

#include "catalogue/text.hpp"

namespace miaoyu::compose {

class CaptionBoxes {
 public:
  static constexpr int kLines = 3;

  virtual ~CaptionBoxes() = default;

  // The whole current text of box `line` (1 to 3), encoded character by
  // character in GBK, or as the GB18030 four-byte sequence where GBK lacks
  // the character; the empty text for an empty box or another line number.
  virtual Text caption(int line) const = 0;
};

}  // namespace miaoyu::compose
