#include "compose/bmp_capture.hpp"

#include <gtest/gtest.h>

#include <cstdint>

namespace miaoyu::compose {
namespace {

std::uint32_t u32(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
  return v;
}

std::uint16_t u16(const std::string& b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}

TEST(BmpCaptureTest, HeaderAndLengthFollowTheRowStride) {
  struct Case {
    int width, height;
    std::size_t stride, length;
  };
  const Case cases[] = {{10, 10, 32, 374}, {1, 1, 4, 58}, {4, 1, 12, 66}, {298, 398, 896, 54 + 896 * 398}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    Raster raster = *Raster::create(c.width, c.height);
    raster.fill(0xFF123456);
    const std::string bmp = encode_bmp24(raster);
    EXPECT_EQ(bmp_stride(c.width), c.stride);
    ASSERT_EQ(bmp.size(), c.length);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(u32(bmp, 2), c.length);
    EXPECT_EQ(u32(bmp, 6), 0u);
    EXPECT_EQ(u32(bmp, 10), 54u);
    EXPECT_EQ(u32(bmp, 14), 40u);
    EXPECT_EQ(u32(bmp, 18), static_cast<std::uint32_t>(c.width));
    EXPECT_EQ(u32(bmp, 22), static_cast<std::uint32_t>(c.height));
    EXPECT_EQ(u16(bmp, 26), 1);
    EXPECT_EQ(u16(bmp, 28), 24);
    EXPECT_EQ(u32(bmp, 30), 0u);
    EXPECT_EQ(u32(bmp, 34), c.stride * static_cast<std::size_t>(c.height));
    for (std::size_t at = 38; at < 54; at += 4) EXPECT_EQ(u32(bmp, at), 0u) << at;
  }
}

TEST(BmpCaptureTest, RowsAreBottomUpBgrWithZeroPadding) {
  Raster raster = *Raster::create(2, 2);
  raster.row(0)[0] = 0xFF010203;
  raster.row(0)[1] = 0x80040506;  // alpha is dropped
  raster.row(1)[0] = 0xFF0A0B0C;
  raster.row(1)[1] = 0xFF0D0E0F;
  const std::string bmp = encode_bmp24(raster);
  const std::string rows = bmp.substr(54);
  EXPECT_EQ(rows, std::string("\x0C\x0B\x0A\x0F\x0E\x0D\0\0"
                              "\x03\x02\x01\x06\x05\x04\0\0",
                              16));
}

}  // namespace
}  // namespace miaoyu::compose
