#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compose/decode/picture_decoder.hpp"
#include "support/picture_fixtures.hpp"

namespace miaoyu::compose {
namespace {

using namespace support;

constexpr Pixel kGrey = 0xFF808080u;

std::vector<Pixel> two_by_nine_rows() {
  std::vector<Pixel> pixels;
  for (Pixel row : {kBlack, kRed, kGreen, kBlue, kYellow, kMagenta, kCyan, kGrey, kWhite}) {
    pixels.push_back(row);
    pixels.push_back(row);
  }
  return pixels;
}

std::vector<FixtureCase> gif_cases() {
  // The second frame's graphic control extension follows the first image.
  const std::size_t first_image_end = read_fixture("gif_animated.gif").rfind("\x21\xF9\x04");
  return {
      {"Static", "gif_static.gif", 3, kSixColours},
      {"TransparentIndex", "gif_transparent.gif", 3, {kRed, kClear, kBlue, kYellow, kMagenta, kCyan}},
      {"Interlaced", "gif_interlaced.gif", 2, two_by_nine_rows()},
      // A 2 x 1 frame at (1, 1) of a 4 x 3 screen; the rest is uncovered.
      {"FrameAtItsOffset", "gif_offset.gif", 4,
       {kClear, kClear, kClear, kClear, kClear, kRed, kBlue, kClear, kClear, kClear, kClear, kClear}},
      {"AnimationGivesItsFirstFrame", "gif_animated.gif", 3, kSixColours, first_image_end},
  };
}

class GifDecode : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(GifDecode, GivesExactPixels) {
  const FixtureCase& c = GetParam();
  const std::string file = read_fixture(c.fixture);
  EXPECT_EQ(sniff_picture_format(file), PictureFormat::Gif);
  const auto raster = decode_picture(file);
  ASSERT_TRUE(raster.has_value());
  EXPECT_EQ(raster->width(), c.width);
  EXPECT_EQ(raster->height(), static_cast<int>(c.pixels.size()) / c.width);
  EXPECT_EQ(hex(*raster), hex(c.pixels, c.width));
}

// The first image ends with its data's block terminator; only the trailer
// may be missing, as the reader stops there.
TEST_P(GifDecode, EveryCopyCutInsideTheFirstImageFails) {
  const std::string file = read_fixture(GetParam().fixture);
  const std::size_t complete_from = GetParam().complete_from ? GetParam().complete_from : file.size() - 1;
  for (std::size_t length = 0; length < complete_from; ++length) {
    EXPECT_FALSE(decode_picture(std::string_view(file).substr(0, length)).has_value()) << "length " << length;
  }
  EXPECT_TRUE(decode_picture(std::string_view(file).substr(0, complete_from)).has_value());
}

INSTANTIATE_TEST_SUITE_P(Cases, GifDecode, ::testing::ValuesIn(gif_cases()),
                         [](const auto& info) { return info.param.name; });

std::string with_screen(unsigned width, unsigned height) {
  std::string file = read_fixture("gif_static.gif");
  file[6] = static_cast<char>(width);
  file[7] = static_cast<char>(width >> 8);
  file[8] = static_cast<char>(height);
  file[9] = static_cast<char>(height >> 8);
  return file;
}

TEST(GifDecode, ScreensItsDataCannotFillAreAFailedLoad) {
  EXPECT_FALSE(decode_picture(with_screen(0, 2)).has_value());
  EXPECT_FALSE(decode_picture(with_screen(3, 0)).has_value());
  EXPECT_FALSE(decode_picture(with_screen(16000, 16000)).has_value());
  EXPECT_FALSE(decode_picture(with_screen(65535, 65535)).has_value());
  // A screen larger than the frame is still a picture, up to what the data can fill.
  const auto wider = decode_picture(with_screen(40, 2));
  ASSERT_TRUE(wider.has_value());
  EXPECT_EQ(wider->width(), 40);
  EXPECT_EQ(wider->row(1)[2], kCyan);
  EXPECT_EQ(wider->row(1)[3], kClear);
}

TEST(GifDecode, WithoutAnyColourTableIsAFailedLoad) {
  std::string file = read_fixture("gif_static.gif");
  // Drop the global table of 8 colours and its flag; the frame has none of its own.
  file.erase(13, 24);
  file[10] = static_cast<char>(file[10] & 0x7F);
  EXPECT_FALSE(decode_picture(file).has_value());
}

}  // namespace
}  // namespace miaoyu::compose
