#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compose/decode/picture_decoder.hpp"
#include "support/picture_fixtures.hpp"

namespace miaoyu::compose {
namespace {

using namespace support;

// An icon entry: the header's height counts the colour rows and the mask
// rows, both stored bottom row first.
std::string dib_entry(int width, int height, int bits, std::string_view colours, std::string_view rows,
                      std::string_view mask, std::uint32_t compression = 0) {
  return info_header({.width = width, .height = 2 * height, .bits = bits, .compression = compression}) +
         std::string(colours) + std::string(rows) + std::string(mask);
}

std::string words32(std::initializer_list<Pixel> values) {
  Bytes b;
  for (Pixel v : values) b.u32(v);
  return b.str();
}

const std::string kAlphaRows = words32({0xFF0A141Eu, 0x4000FF00u, 0x01FFFFFFu, 0xFFFF0000u, 0x80C86432u, 0x000000FFu});
const std::string kSixRows = Bytes().bgr_row({kYellow, kMagenta, kCyan}).bgr_row({kRed, kGreen, kBlue}).str();
const std::string kClearMask = mask_row({0, 0, 0}) + mask_row({0, 0, 0});

struct IconCase {
  std::string name;
  std::string file;
  PictureFormat format;
  int width;
  std::vector<Pixel> pixels;  // top row first
};

void PrintTo(const IconCase& c, std::ostream* out) { *out << c.name; }

std::vector<IconCase> icon_cases() {
  const std::string small_red =
      dib_entry(2, 2, 8, palette({kRed}), std::string(8, '\0'), mask_row({0, 0}) + mask_row({0, 0}));
  const std::string four_bit = dib_entry(3, 2, 4, palette({kBlack, kWhite}), std::string(8, '\x11'), kClearMask);
  return {
      {"PicksTheLargestEntry", icon_file(1, {small_red, dib_entry(3, 2, 32, "", kAlphaRows, kClearMask)}),
       PictureFormat::Icon, 3, kAlphaPicture},
      // AND bits of 1 make pixels transparent.
      {"PicksTheDeepestOfEqualSize",
       icon_file(1, {four_bit, dib_entry(3, 2, 24, "", kSixRows, mask_row({0, 0, 1}) + mask_row({0, 1, 0}))}),
       PictureFormat::Icon, 3, {kRed, kClear, kBlue, kYellow, kMagenta, kClear}},
      {"AlphaChannelOverridesMask",
       icon_file(1, {dib_entry(3, 2, 32, "", kAlphaRows, mask_row({1, 1, 1}) + mask_row({1, 1, 1}))}),
       PictureFormat::Icon, 3, kAlphaPicture},
      {"AlphaZeroEverywhereUsesMask",
       icon_file(1, {dib_entry(3, 2, 32, "",
                               words32({0x00FFFF00u, 0x00FF00FFu, 0x0000FFFFu, 0x00FF0000u, 0x0000FF00u, 0x000000FFu}),
                               mask_row({0, 0, 0}) + mask_row({1, 0, 0}))}),
       PictureFormat::Icon, 3, {kClear, kGreen, kBlue, kYellow, kMagenta, kCyan}},
      {"PngEntry",
       icon_file(1, {dib_entry(1, 1, 24, "", Bytes().bgr_row({kRed}), mask_row({0})), read_fixture("png_rgba.png")}),
       PictureFormat::Icon, 3, kAlphaPicture},
      {"CursorWithOneBitEntry",
       icon_file(2, {dib_entry(3, 2, 1, palette({kBlack, kWhite}), Bytes().bytes({0x40, 0, 0, 0, 0xA0, 0, 0, 0}),
                               mask_row({1, 0, 0}) + mask_row({0, 0, 1}))}),
       PictureFormat::Cursor, 3, {kWhite, kBlack, kClear, kClear, kWhite, kBlack}},
      {"ImageMagick", read_fixture("ico_imagemagick.ico"), PictureFormat::Icon, 3, kAlphaPicture},
  };
}

class IconDecode : public ::testing::TestWithParam<IconCase> {};

TEST_P(IconDecode, GivesExactPixels) {
  const IconCase& c = GetParam();
  EXPECT_EQ(sniff_picture_format(c.file), c.format);
  const auto raster = decode_picture(c.file);
  ASSERT_TRUE(raster.has_value());
  EXPECT_EQ(raster->width(), c.width);
  EXPECT_EQ(raster->height(), static_cast<int>(c.pixels.size()) / c.width);
  EXPECT_EQ(hex(*raster), hex(c.pixels, c.width));
}

TEST_P(IconDecode, EveryTruncatedCopyFails) {
  const IconCase& c = GetParam();
  for (std::size_t length = 0; length < c.file.size(); ++length) {
    EXPECT_FALSE(decode_picture(std::string_view(c.file).substr(0, length)).has_value()) << "length " << length;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, IconDecode, ::testing::ValuesIn(icon_cases()),
                         [](const auto& info) { return info.param.name; });

TEST(IconSniff, RandomBytesAfterTheIconSignatureAreNoIcon) {
  std::uint32_t state = 12345;
  for (int trial = 0; trial < 200; ++trial) {
    std::string bytes("\0\0\1\0", 4);
    for (int i = 0; i < 400; ++i) {
      state = state * 1664525u + 1013904223u;
      bytes.push_back(static_cast<char>(state >> 24));
    }
    EXPECT_EQ(sniff_picture_format(bytes), PictureFormat::Unknown) << "trial " << trial;
    EXPECT_FALSE(decode_picture(bytes).has_value());
  }
}

struct BadIcon {
  std::string name;
  std::string file;
};

void PrintTo(const BadIcon& c, std::ostream* out) { *out << c.name; }

std::vector<BadIcon> bad_icons() {
  const std::string entry = dib_entry(3, 2, 24, "", kSixRows, kClearMask);
  const std::string good = icon_file(1, {entry});
  std::string inside_directory = good;
  inside_directory[18] = 4;  // the entry's offset, now inside the directory
  std::string beyond_end = good;
  beyond_end[14] = '\x7F';  // the entry's size, now past the end
  return {
      {"NoEntries", Bytes().u16(0).u16(1).u16(0).str()},
      {"EntryInsideDirectory", inside_directory},
      {"EntryBeyondEnd", beyond_end},
      {"EntryNeitherPngNorDib", icon_file(1, {std::string(64, 'x')})},
      {"MissingAndMask", icon_file(1, {dib_entry(3, 2, 24, "", kSixRows, "")})},
      {"RunLengthCodedEntry",
       icon_file(1, {dib_entry(3, 2, 8, palette({kRed}), Bytes().bytes({3, 0, 0, 0, 3, 0, 0, 1}), kClearMask, 1)})},
      {"BestEntryIsCorrupt", icon_file(1, {entry, dib_entry(4, 4, 24, "", kSixRows, "")})},
  };
}

class IconReject : public ::testing::TestWithParam<BadIcon> {};

TEST_P(IconReject, IsAFailedLoad) { EXPECT_FALSE(decode_picture(GetParam().file).has_value()); }

INSTANTIATE_TEST_SUITE_P(Cases, IconReject, ::testing::ValuesIn(bad_icons()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace miaoyu::compose
