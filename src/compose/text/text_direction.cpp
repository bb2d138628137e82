#include "compose/text/text_direction.hpp"

#include <cmath>
#include <numbers>

namespace miaoyu::compose {

TextDirection text_direction(int tenths) {
  TextDirection d;
  d.tenths = tenths % 3600;
  if (d.tenths < 0) d.tenths += 3600;
  switch (d.tenths) {
    case 0: d.cos = 1; d.sin = 0; break;
    case 900: d.cos = 0; d.sin = 1; break;
    case 1800: d.cos = -1; d.sin = 0; break;
    case 2700: d.cos = 0; d.sin = -1; break;
    default: {
      const double radians = d.tenths * std::numbers::pi / 1800.0;
      d.cos = std::cos(radians);
      d.sin = std::sin(radians);
    }
  }
  return d;
}

}  // namespace miaoyu::compose
