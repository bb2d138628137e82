#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compose/decode/picture_decoder.hpp"
#include "support/picture_fixtures.hpp"

namespace miaoyu::compose {
namespace {

using namespace support;

std::vector<Pixel> grey1_pattern() {
  std::vector<Pixel> pixels;
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 9; ++x) pixels.push_back((x + 2 * y) % 3 == 0 ? kBlack : kWhite);
  }
  return pixels;
}

std::vector<FixtureCase> png_cases() {
  return {
      {"Palette", "png_palette.png", 3, kSixColours},
      {"Rgb", "png_rgb.png", 3, kSixColours},
      {"Grey", "png_grey.png", 3, {0xFF000000u, 0xFF333333u, 0xFF666666u, 0xFF999999u, 0xFFCCCCCCu, 0xFFFFFFFFu}},
      {"GreyAlpha", "png_grey_alpha.png", 3,
       {0xFF000000u, 0x00333333u, 0x80666666u, 0xFF999999u, 0x0ACCCCCCu, 0xFFFFFFFFu}},
      {"RgbaStraightAlpha", "png_rgba.png", 3, kAlphaPicture},
      // 16 bits a channel without gAMA are sRGB: 0x8080 becomes 0x80.
      {"Rgb16Bits", "png_rgb16.png", 3, {0xFF8000FFu, 0xFF008000u, kWhite, kBlack, 0xFF204060u, kRed}},
      {"RgbWithTransparentColour", "png_rgb_trns.png", 3, {kRed, 0x0000FF00u, kBlue, kYellow, kMagenta, kCyan}},
      {"PaletteWithAlpha", "png_palette_trns.png", 3, kAlphaPicture},
      {"Grey1BitInterlaced", "png_grey1_interlaced.png", 9, grey1_pattern()},
  };
}

class PngDecode : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(PngDecode, GivesExactPixels) {
  const FixtureCase& c = GetParam();
  const std::string file = read_fixture(c.fixture);
  EXPECT_EQ(sniff_picture_format(file), PictureFormat::Png);
  const auto raster = decode_picture(file);
  ASSERT_TRUE(raster.has_value());
  EXPECT_EQ(raster->width(), c.width);
  EXPECT_EQ(raster->height(), static_cast<int>(c.pixels.size()) / c.width);
  EXPECT_EQ(hex(*raster), hex(c.pixels, c.width));
}

TEST_P(PngDecode, EveryTruncatedCopyFails) {
  const std::string file = read_fixture(GetParam().fixture);
  for (std::size_t length = 0; length < file.size(); ++length) {
    EXPECT_FALSE(decode_picture(std::string_view(file).substr(0, length)).has_value()) << "length " << length;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, PngDecode, ::testing::ValuesIn(png_cases()),
                         [](const auto& info) { return info.param.name; });

TEST(PngDecode, IsRecognisedByItsBytesWhateverItsName) {
  const std::string file = read_fixture("png_named_as_jpeg.jpg");
  EXPECT_EQ(sniff_picture_format(file), PictureFormat::Png);
  const auto raster = decode_picture(file);
  ASSERT_TRUE(raster.has_value());
  EXPECT_EQ(hex(*raster), hex(kSixColours, 3));
}

// The fixture with other IHDR sides, its CRC made right again.
std::string with_sides(std::uint32_t width, std::uint32_t height) {
  std::string file = read_fixture("png_rgb.png");
  auto put = [&](std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>(value >> (24 - 8 * i));
  };
  put(16, width);
  put(20, height);
  put(29, crc32(std::string_view(file).substr(12, 17)));
  return file;
}

TEST(PngDecode, SidesItsDataCannotFillAreAFailedLoad) {
  struct Sides {
    std::uint32_t width, height;
  };
  for (const Sides s : {Sides{0, 2}, Sides{3, 0}, Sides{16384, 16384}, Sides{100000, 100000}, Sides{3, 2000000}}) {
    const std::string file = with_sides(s.width, s.height);
    EXPECT_FALSE(decode_picture(file).has_value()) << s.width << " x " << s.height;
  }
  EXPECT_TRUE(decode_picture(with_sides(3, 2)).has_value());
}

}  // namespace
}  // namespace miaoyu::compose
