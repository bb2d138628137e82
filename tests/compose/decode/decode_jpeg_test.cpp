#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compose/decode/picture_decoder.hpp"
#include "support/picture_fixtures.hpp"

namespace miaoyu::compose {
namespace {

using namespace support;

// The fixtures are 16 x 8: two 8 x 8 blocks of one colour each.
struct JpegCase {
  std::string name;
  std::string fixture;
  Pixel left;
  Pixel right;
  int tolerance;
};

void PrintTo(const JpegCase& c, std::ostream* out) { *out << c.name; }

constexpr Pixel kBrick = 0xFFC83214u;
constexpr Pixel kSteel = 0xFF1E64B4u;
// Ink 0, 255, 255, 0 and 128, 0, 0, 64 of the CMYK and YCCK fixtures.
constexpr Pixel kInkRed = 0xFFFF0000u;
constexpr Pixel kInkTeal = 0xFF5FBFBFu;

std::vector<JpegCase> jpeg_cases() {
  return {
      {"Baseline", "jpeg_baseline.jpg", kBrick, kSteel, 4},
      {"Progressive", "jpeg_progressive.jpg", kBrick, kSteel, 4},
      {"ChromaSubsampled", "jpeg_subsampled.jpg", kBrick, kSteel, 6},
      {"Grey", "jpeg_grey.jpg", 0xFF5B5B5Bu, 0xFF585858u, 3},
      {"AdobeCmyk", "jpeg_cmyk.jpg", kInkRed, kInkTeal, 4},
      {"AdobeYcck", "jpeg_ycck.jpg", kInkRed, kInkTeal, 4},
      {"ImageMagickCmyk", "jpeg_cmyk_imagemagick.jpg", kBrick, kSteel, 6},
  };
}

class JpegDecode : public ::testing::TestWithParam<JpegCase> {};

TEST_P(JpegDecode, GivesOpaqueColoursWithinTolerance) {
  const JpegCase& c = GetParam();
  const std::string file = read_fixture(c.fixture);
  EXPECT_EQ(sniff_picture_format(file), PictureFormat::Jpeg);
  const auto raster = decode_picture(file);
  ASSERT_TRUE(raster.has_value());
  ASSERT_EQ(raster->width(), 16);
  ASSERT_EQ(raster->height(), 8);
  for (Pixel p : pixels_of(*raster)) ASSERT_EQ(p >> 24, 0xFFu);
  // Block centres, away from the edge between the blocks.
  EXPECT_LE(channel_distance(raster->row(3)[3], c.left), c.tolerance) << hex(*raster);
  EXPECT_LE(channel_distance(raster->row(4)[12], c.right), c.tolerance) << hex(*raster);
}

TEST_P(JpegDecode, EveryTruncatedCopyFails) {
  const std::string file = read_fixture(GetParam().fixture);
  for (std::size_t length = 0; length < file.size(); ++length) {
    EXPECT_FALSE(decode_picture(std::string_view(file).substr(0, length)).has_value()) << "length " << length;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, JpegDecode, ::testing::ValuesIn(jpeg_cases()),
                         [](const auto& info) { return info.param.name; });

TEST(JpegDecode, ProgressiveEqualsBaselineWithinRounding) {
  const auto baseline = decode_picture(read_fixture("jpeg_baseline.jpg"));
  const auto progressive = decode_picture(read_fixture("jpeg_progressive.jpg"));
  ASSERT_TRUE(baseline.has_value());
  ASSERT_TRUE(progressive.has_value());
  ASSERT_EQ(baseline->pixel_count(), progressive->pixel_count());
  for (std::size_t i = 0; i < baseline->pixel_count(); ++i) {
    EXPECT_LE(channel_distance(baseline->data()[i], progressive->data()[i]), 2) << "pixel " << i;
  }
}

// The baseline fixture with other frame sides.
std::string with_sides(unsigned width, unsigned height) {
  std::string file = read_fixture("jpeg_baseline.jpg");
  const std::size_t frame = file.find("\xFF\xC0");
  file[frame + 5] = static_cast<char>(height >> 8);
  file[frame + 6] = static_cast<char>(height);
  file[frame + 7] = static_cast<char>(width >> 8);
  file[frame + 8] = static_cast<char>(width);
  return file;
}

TEST(JpegDecode, SidesItsDataCannotFillAreAFailedLoad) {
  EXPECT_TRUE(decode_picture(with_sides(16, 8)).has_value());
  EXPECT_FALSE(decode_picture(with_sides(16, 0)).has_value());
  EXPECT_FALSE(decode_picture(with_sides(0, 8)).has_value());
  EXPECT_FALSE(decode_picture(with_sides(16000, 16000)).has_value());
  EXPECT_FALSE(decode_picture(with_sides(65000, 65000)).has_value());
  // Within the bound, but the scan ends long before the picture does.
  EXPECT_FALSE(decode_picture(with_sides(600, 400)).has_value());
}

}  // namespace
}  // namespace miaoyu::compose
