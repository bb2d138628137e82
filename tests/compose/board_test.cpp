#include "compose/board.hpp"

#include <gtest/gtest.h>

#include "compose/bmp_capture.hpp"

namespace miaoyu::compose {
namespace {

// A picture whose every pixel tells its place: red = x, green = y.
std::string gradient_bmp(int width, int height) {
  Raster raster = *Raster::create(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) raster.row(y)[x] = 0xFF000000u | (x & 0xFF) << 16 | (y & 0xFF) << 8 | 0x40;
  return encode_bmp24(raster);
}

// The pixel at (x, y) of a captured picture, as 0xRRGGBB.
std::uint32_t captured_pixel(const std::string& bmp, int x, int y) {
  const int width = static_cast<int>(static_cast<unsigned char>(bmp[18]) | static_cast<unsigned char>(bmp[19]) << 8);
  const int height = static_cast<int>(static_cast<unsigned char>(bmp[22]) | static_cast<unsigned char>(bmp[23]) << 8);
  const std::size_t at = 54 + bmp_stride(width) * static_cast<std::size_t>(height - 1 - y) + 3 * static_cast<std::size_t>(x);
  const auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bmp[at + i])); };
  return byte(2) << 16 | byte(1) << 8 | byte(0);
}

std::pair<int, int> captured_size(const std::string& bmp) {
  auto u32 = [&](std::size_t at) {
    return static_cast<int>(static_cast<unsigned char>(bmp[at]) | static_cast<unsigned char>(bmp[at + 1]) << 8 |
                            static_cast<unsigned char>(bmp[at + 2]) << 16);
  };
  return {u32(18), u32(22)};
}

TEST(BoardTest, SidesAreHeldToTheirRange) {
  struct Case {
    int requested, held;
  };
  const Case cases[] = {{-5, 0}, {0, 0}, {1, 1}, {32627, 32627}, {32628, 32627}, {40000, 32627}};
  for (const auto& c : cases) {
    Board board(PictureLayout::kTile, 400, 800);
    board.set_width(c.requested);
    board.set_height(c.requested);
    EXPECT_EQ(board.width(), c.held) << c.requested;
    EXPECT_EQ(board.height(), c.held) << c.requested;
  }
}

TEST(BoardTest, CaptureIsTheDrawingAreaAndNeverBelowOnePixel) {
  struct Case {
    int width, height, captured_width, captured_height;
  };
  const Case cases[] = {{10, 10, 8, 8}, {300, 400, 298, 398}, {3, 3, 1, 1}, {2, 2, 1, 1}, {0, 0, 1, 1}, {0, 50, 1, 48}};
  for (const bool auto_redraw : {false, true}) {
    for (const auto& c : cases) {
      Board board(PictureLayout::kTile, c.width, c.height, 0x112233);
      board.set_auto_redraw(auto_redraw);
      const std::string bmp = board.capture_picture();
      EXPECT_EQ(captured_size(bmp), std::make_pair(c.captured_width, c.captured_height)) << c.width << "x" << c.height;
      EXPECT_EQ(captured_pixel(bmp, 0, 0), 0x332211u);
    }
  }
}

TEST(BoardTest, WorkBoardSizedToItsPictureCapturesTheTopLeftPart) {
  Board board(PictureLayout::kTile, 400, 800);
  board.set_width(30);
  board.set_height(40);
  board.set_background_picture(gradient_bmp(30, 40));
  board.set_auto_redraw(true);
  const std::string bmp = board.capture_picture();
  ASSERT_EQ(captured_size(bmp), std::make_pair(28, 38));
  EXPECT_EQ(captured_pixel(bmp, 0, 0), 0x000040u);
  EXPECT_EQ(captured_pixel(bmp, 27, 37), 0x1B2540u);
}

TEST(BoardTest, BytesThatDoNotDecodeAreDropped) {
  for (const std::string& bytes : {std::string("not a picture"), gradient_bmp(4, 4).substr(0, 60), std::string()}) {
    Board board(PictureLayout::kCentreShrink, 10, 10, 0x0000FF);
    board.set_background_picture(bytes);
    EXPECT_EQ(board.background_picture(), "");
    EXPECT_EQ(captured_pixel(board.capture_picture(), 4, 4), 0xFF0000u);
  }
  Board board(PictureLayout::kTile, 10, 10);
  const std::string good = gradient_bmp(4, 4);
  board.set_background_picture(good);
  EXPECT_EQ(board.background_picture(), good);
}

TEST(BoardTest, CaptureWithAutoRedrawOffIsTheCurrentAppearance) {
  Board board(PictureLayout::kCentreShrink, 12, 12, 0xFFFFFF);
  board.set_background_picture(gradient_bmp(4, 4));
  const std::string bmp = board.capture_picture();
  EXPECT_EQ(captured_pixel(bmp, 0, 0), 0xFFFFFFu);  // background colour around the picture
  EXPECT_EQ(captured_pixel(bmp, 3, 3), 0x000040u);  // the picture's top-left, centred in 10 x 10
  EXPECT_EQ(captured_pixel(bmp, 6, 6), 0x030340u);
}

TEST(BoardTest, PersistentPictureKeepsDrawingUntilClearOrNewPicture) {
  Board board(PictureLayout::kTile, 60, 40, 0x000000);
  board.set_background_picture(gradient_bmp(60, 40));
  board.set_auto_redraw(true);
  const std::string bare = board.capture_picture();
  board.set_text_colour(0xFFFFFF);
  board.draw_text_at(2, 2, "AB");
  const std::string drawn = board.capture_picture();
  EXPECT_NE(drawn, bare);

  board.set_width(70);  // resizing keeps the drawing
  board.set_width(60);
  EXPECT_EQ(board.capture_picture(), drawn);

  board.clear();
  EXPECT_EQ(board.capture_picture(), bare);
  EXPECT_TRUE(board.auto_redraw());
  EXPECT_EQ(board.text_colour(), 0xFFFFFFu);

  board.draw_text_at(2, 2, "AB");
  board.set_background_picture(gradient_bmp(60, 40));  // starts afresh from the background
  EXPECT_EQ(board.capture_picture(), bare);
}

TEST(BoardTest, EmptyTextIsZeroWideAndDrawsNothing) {
  Board board(PictureLayout::kTile, 20, 20, 0x808080);
  board.set_auto_redraw(true);
  const std::string before = board.capture_picture();
  EXPECT_EQ(board.text_width(""), 0);
  board.draw_text_at(0, 0, "");
  EXPECT_EQ(board.capture_picture(), before);
}

TEST(BoardTest, ChangesAreAnnounced) {
  Board board(PictureLayout::kCentreShrink, 20, 20);
  int changes = 0;
  board.set_on_change([&] { ++changes; });
  board.set_background_picture(gradient_bmp(4, 4));
  board.set_width(30);
  board.set_auto_redraw(true);
  board.clear();
  EXPECT_EQ(changes, 4);
}

}  // namespace
}  // namespace miaoyu::compose
