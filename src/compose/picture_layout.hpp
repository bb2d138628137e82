// How a board lays its background picture out over its drawing area.
#pragma once

#include "compose/raster/raster.hpp"

namespace miaoyu::compose {

enum class PictureLayout {
  kTile,          // from the top-left at natural size, repeated (the work board)
  kCentreShrink,  // centred, scaled down to fit by the smaller ratio, never up (the preview board)
};

struct BackgroundPicture {
  Raster pixels;
  bool opaque = true;  // no pixel with alpha below 255: plain copies suffice
};

struct Placement {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// Where kCentreShrink puts a picture: scaled sizes truncated, offsets
// (area − size) / 2 truncated.
Placement centre_shrink_placement(int area_width, int area_height, int picture_width, int picture_height);

// Paints the whole target the way the board shows it: the background colour,
// then the picture (if any) laid out over it, translucent pixels blended.
// A shrunk picture's pixels average the source pixels each one covers.
void paint_background(Raster& target, Colour background, const BackgroundPicture* picture, PictureLayout layout);

}  // namespace miaoyu::compose
