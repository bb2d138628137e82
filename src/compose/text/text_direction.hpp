// The direction a board font's angle gives its text, in board coordinates
// (x right, y down): text runs along `along`, and `down` points from the
// cell's top toward its bottom.
#pragma once

namespace miaoyu::compose {

struct TextDirection {
  int tenths = 0;  // the angle in tenths of a degree, 0 to 3599
  double cos = 1;
  double sin = 0;

  double along_x() const { return cos; }
  double along_y() const { return -sin; }
  double down_x() const { return sin; }
  double down_y() const { return cos; }
};

// Counter-clockwise angle in tenths of a degree, any whole number; right
// angles are exact so that turned text keeps whole-pixel positions.
TextDirection text_direction(int tenths);

}  // namespace miaoyu::compose
