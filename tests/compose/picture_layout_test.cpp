#include "compose/picture_layout.hpp"

#include <gtest/gtest.h>

namespace miaoyu::compose {
namespace {

TEST(PictureLayoutTest, CentreShrinkPlacementTruncatesSizesAndOffsets) {
  struct Case {
    int picture_width, picture_height;
    Placement expected;
  };
  // The preview board's drawing area is 306 x 479.
  const Case cases[] = {
      {300, 400, {3, 39, 300, 400}},   // fits: natural size, centred
      {640, 480, {0, 125, 306, 229}},  // 480 * 306 / 640 = 229.5
      {100, 1000, {129, 0, 47, 479}},  // height ratio is the smaller
      {306, 479, {0, 0, 306, 479}},    // exact fit
      {10, 10, {148, 234, 10, 10}},    // never scaled up
      {307, 479, {0, 1, 306, 477}},    // 479 * 306 / 307 = 477.4
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.picture_width << "x" << c.picture_height);
    const Placement p = centre_shrink_placement(306, 479, c.picture_width, c.picture_height);
    EXPECT_EQ(p.x, c.expected.x);
    EXPECT_EQ(p.y, c.expected.y);
    EXPECT_EQ(p.width, c.expected.width);
    EXPECT_EQ(p.height, c.expected.height);
  }
}

BackgroundPicture picture_of(int width, int height, Pixel value) {
  BackgroundPicture picture{*Raster::create(width, height), value >> 24 == 0xFF};
  picture.pixels.fill(value);
  return picture;
}

TEST(PictureLayoutTest, TileRepeatsFromTheTopLeft) {
  BackgroundPicture picture = picture_of(2, 2, 0xFF000000);
  picture.pixels.row(0)[0] = 0xFFFFFFFF;
  Raster target = *Raster::create(5, 3);
  paint_background(target, 0x0000FF, &picture, PictureLayout::kTile);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(target.row(y)[x], x % 2 == 0 && y % 2 == 0 ? 0xFFFFFFFFu : 0xFF000000u) << x << "," << y;
    }
  }
}

TEST(PictureLayoutTest, TranslucentPixelsBlendOverTheBackgroundColour) {
  // Half-transparent white over pure blue (0x00BBGGRR = 0xFF0000).
  const BackgroundPicture picture = picture_of(1, 1, 0x80FFFFFF);
  for (const PictureLayout layout : {PictureLayout::kTile, PictureLayout::kCentreShrink}) {
    Raster target = *Raster::create(1, 1);
    paint_background(target, 0xFF0000, &picture, layout);
    EXPECT_EQ(target.row(0)[0], 0xFF8080FFu);
  }
}

TEST(PictureLayoutTest, ShrinkingAveragesTheCoveredPixels) {
  // A 4 x 2 chequer of black and white shrinks into a 2 x 1 area as mid grey,
  // where picking single pixels would give pure black or white.
  BackgroundPicture picture = picture_of(4, 2, 0xFF000000);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x)
      if ((x + y) % 2 == 0) picture.pixels.row(y)[x] = 0xFFFFFFFF;
  Raster target = *Raster::create(2, 1);
  paint_background(target, 0x000000, &picture, PictureLayout::kCentreShrink);
  EXPECT_EQ(target.row(0)[0], 0xFF808080u);
  EXPECT_EQ(target.row(0)[1], 0xFF808080u);
}

TEST(PictureLayoutTest, AreaOutsideTheCentredPictureShowsTheBackground) {
  const BackgroundPicture picture = picture_of(2, 2, 0xFF00FF00);
  Raster target = *Raster::create(4, 4);
  paint_background(target, 0x0000FF, &picture, PictureLayout::kCentreShrink);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      const bool inside = x >= 1 && x < 3 && y >= 1 && y < 3;
      EXPECT_EQ(target.row(y)[x], inside ? 0xFF00FF00u : 0xFFFF0000u) << x << "," << y;
    }
  }
}

TEST(PictureLayoutTest, NoPictureFillsWithTheBackgroundColour) {
  Raster target = *Raster::create(3, 2);
  paint_background(target, 0x262626, nullptr, PictureLayout::kTile);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(target.row(y)[x], 0xFF262626u);
}

}  // namespace
}  // namespace miaoyu::compose
