#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compose/decode/picture_decoder.hpp"
#include "support/picture_fixtures.hpp"

namespace miaoyu::compose {
namespace {

using namespace support;

#ifdef MIAOYU_HAVE_WEBP

TEST(WebpDecode, LosslessKeepsStraightAlpha) {
  const std::string file = read_fixture("webp_lossless.webp");
  EXPECT_EQ(sniff_picture_format(file), PictureFormat::Webp);
  const auto raster = decode_picture(file);
  ASSERT_TRUE(raster.has_value());
  // The encoder drops the colour of the one fully transparent pixel.
  std::vector<Pixel> expected = kAlphaPicture;
  expected[2] = kClear;
  EXPECT_EQ(hex(*raster), hex(expected, 3));
}

TEST(WebpDecode, LossyGivesOpaqueColoursWithinTolerance) {
  const auto raster = decode_picture(read_fixture("webp_lossy.webp"));
  ASSERT_TRUE(raster.has_value());
  ASSERT_EQ(raster->width(), 16);
  ASSERT_EQ(raster->height(), 8);
  for (Pixel p : pixels_of(*raster)) ASSERT_EQ(p >> 24, 0xFFu);
  EXPECT_LE(channel_distance(raster->row(3)[3], 0xFFC83214u), 8) << hex(*raster);
  EXPECT_LE(channel_distance(raster->row(4)[12], 0xFF1E64B4u), 8) << hex(*raster);
}

TEST(WebpDecode, EveryTruncatedCopyFails) {
  for (const char* name : {"webp_lossless.webp", "webp_lossy.webp"}) {
    const std::string file = read_fixture(name);
    for (std::size_t length = 0; length < file.size(); ++length) {
      EXPECT_FALSE(decode_picture(std::string_view(file).substr(0, length)).has_value())
          << name << " length " << length;
    }
  }
}

#else

TEST(WebpDecode, IsAFailedLoadWithoutLibwebp) {
  EXPECT_EQ(sniff_picture_format(read_fixture("webp_lossy.webp")), PictureFormat::Webp);
  EXPECT_FALSE(decode_picture(read_fixture("webp_lossy.webp")).has_value());
}

#endif

}  // namespace
}  // namespace miaoyu::compose
