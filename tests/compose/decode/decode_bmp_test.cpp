#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compose/decode/picture_decoder.hpp"
#include "support/picture_fixtures.hpp"

namespace miaoyu::compose {
namespace {

using namespace support;

constexpr std::uint32_t kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;
constexpr std::array<std::uint32_t, 4> kArgbMasks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};

struct BmpCase {
  std::string name;
  std::string file;
  int width;
  std::vector<Pixel> pixels;  // top row first
  // Bytes at the end that a file may leave out: the last row's padding, or
  // an end of bitmap after the last row's end of line.
  std::size_t optional_tail = 0;
};

void PrintTo(const BmpCase& c, std::ostream* out) { *out << c.name; }

std::string words16(std::initializer_list<unsigned> values, std::size_t padding) {
  Bytes b;
  for (unsigned v : values) b.u16(v);
  return b.zeros(padding).str();
}

std::string words32(const std::vector<Pixel>& values) {
  Bytes b;
  for (Pixel v : values) b.u32(v);
  return b.str();
}

std::vector<BmpCase> bmp_cases() {
  const std::string six_palette = palette({kRed, kGreen, kBlue, kYellow, kMagenta, kCyan});
  // Indices 0 1 2 over 3 4 5, stored bottom row first, rows of four bytes.
  const std::string six_indices = Bytes().bytes({3, 4, 5, 0, 0, 1, 2, 0}).str();
  std::vector<BmpCase> cases;

  cases.push_back({"Rgb24BottomUp",
                   bmp_file(info_header({.width = 3, .height = 2}),
                            Bytes().bgr_row({kYellow, kMagenta, kCyan}).bgr_row({kRed, kGreen, kBlue})),
                   3, kSixColours, 3});
  cases.push_back({"Rgb24TopDown",
                   bmp_file(info_header({.width = 3, .height = -2}),
                            Bytes().bgr_row({kRed, kGreen, kBlue}).bgr_row({kYellow, kMagenta, kCyan})),
                   3, kSixColours, 3});
  cases.push_back({"Palette1",
                   bmp_file(info_header({.width = 3, .height = 2, .bits = 1}) + palette({kRed, kBlue}),
                            Bytes().bytes({0xC0, 0, 0, 0, 0x40, 0, 0, 0})),
                   3, {kRed, kBlue, kRed, kBlue, kBlue, kRed}, 3});
  // Three colours declared and stored; index 5 lies beyond them.
  cases.push_back({"Palette4ShortPalette",
                   bmp_file(info_header({.width = 3, .height = 2, .bits = 4, .colours_used = 3}) +
                                palette({kRed, kGreen, kBlue}),
                            Bytes().bytes({0x25, 0x00, 0, 0, 0x01, 0x20, 0, 0})),
                   3, {kRed, kGreen, kBlue, kBlue, kBlack, kRed}, 2});
  // 256 colours declared, but the pixels start after four of them.
  cases.push_back({"Palette8CutByPixelOffset",
                   bmp_file(info_header({.width = 3, .height = 2, .bits = 8}) +
                                palette({kRed, kGreen, kBlue, kYellow}),
                            Bytes().bytes({3, 200, 4, 0, 0, 1, 2, 0})),
                   3, {kRed, kGreen, kBlue, kYellow, kBlack, kBlack}, 1});
  cases.push_back({"Palette8PixelOffsetAfterGap",
                   bmp_file(info_header({.width = 3, .height = 2, .bits = 8, .colours_used = 6}) + six_palette,
                            six_indices, 6),
                   3, kSixColours, 1});
  cases.push_back({"Rgb16Is555",
                   bmp_file(info_header({.width = 3, .height = 2, .bits = 16}),
                            words16({0x7FFF, 0x4210, 0x8000}, 2) + words16({0x7C00, 0x03E0, 0x001F}, 2)),
                   3, {kRed, kGreen, kBlue, kWhite, 0xFF848484u, kBlack}, 2});
  cases.push_back({"BitFields565",
                   bmp_file(info_header({.width = 3, .height = 2, .bits = 16, .compression = kBitFields}) +
                                Bytes().u32(0xF800).u32(0x07E0).u32(0x001F).str(),
                            words16({0x8410, 0xFFFF, 0x0000}, 2) + words16({0xF800, 0x07E0, 0x001F}, 2)),
                   3, {kRed, kGreen, kBlue, 0xFF848284u, kWhite, kBlack}, 2});
  cases.push_back({"Rgb32IgnoresFourthByte",
                   bmp_file(info_header({.width = 3, .height = -1, .bits = 32}),
                            words32({0x00FF0000, 0x7F00FF00, 0xFF0000FF})),
                   3, {kRed, kGreen, kBlue}});
  cases.push_back({"V5Rgb32IgnoresAlphaMask",
                   bmp_file(info_header({.width = 3, .height = -2, .bits = 32, .size = 124, .masks = kArgbMasks}),
                            words32(kAlphaPicture)),
                   3, {0xFFFF0000u, 0xFFC86432u, 0xFF0000FFu, 0xFF0A141Eu, 0xFF00FF00u, 0xFFFFFFFFu}});
  cases.push_back({"V5AlphaBitFields",
                   bmp_file(info_header({.width = 3, .height = -2, .bits = 32, .compression = kBitFields,
                                         .size = 124, .masks = kArgbMasks}),
                            words32(kAlphaPicture)),
                   3, kAlphaPicture});
  cases.push_back({"V4AlphaZeroEverywhereIsOpaque",
                   bmp_file(info_header({.width = 3, .height = -2, .bits = 32, .compression = kBitFields,
                                         .size = 108, .masks = kArgbMasks}),
                            words32({0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFF00, 0x00FF00FF, 0x0000FFFF})),
                   3, kSixColours});
  // A2R10G10B10: ten-bit colours and two-bit alpha scaled to eight bits.
  cases.push_back({"TenBitMasks",
                   bmp_file(info_header({.width = 3, .height = -2, .bits = 32, .compression = kBitFields,
                                         .size = 124, .masks = {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000}}),
                            words32({0xFFF80000, 0x40000155, 0x9FFFFFFF, 0x00000000, 0xFFFFFFFF, 0xFFF00000})),
                   3, {0xFFFF8000u, 0x55000055u, 0xAA7FFFFFu, 0x00000000u, 0xFFFFFFFFu, 0xFFFF0000u}});
  // BI_ALPHABITFIELDS after a 40-byte header: four masks, here A4R4G4B4.
  cases.push_back({"AlphaBitFields4444",
                   bmp_file(info_header({.width = 3, .height = -1, .bits = 16, .compression = kAlphaBitFields}) +
                                Bytes().u32(0x0F00).u32(0x00F0).u32(0x000F).u32(0xF000).str(),
                            words16({0xF800, 0x7FFF, 0x0000}, 2)),
                   3, {0xFF880000u, 0x77FFFFFFu, 0x00000000u}, 2});
  cases.push_back({"Os2CoreHeader24",
                   bmp_file(core_header(3, 2, 24),
                            Bytes().bgr_row({kYellow, kMagenta, kCyan}).bgr_row({kRed, kGreen, kBlue})),
                   3, kSixColours, 3});
  cases.push_back({"Os2CoreHeaderPaletteOfTriples",
                   bmp_file(core_header(3, 2, 8) + palette({kRed, kGreen, kBlue, kYellow, kMagenta, kCyan}, true),
                            six_indices),
                   3, kSixColours, 1});
  cases.push_back({"Os2Version2Header",
                   bmp_file(info_header({.width = 3, .height = 2, .bits = 8, .colours_used = 6, .size = 64}) +
                                six_palette,
                            six_indices),
                   3, kSixColours, 1});
  // Encoded runs (one clipped at the row's end), an absolute run with its
  // padding byte, end of line, a delta and end of bitmap; skipped pixels
  // stay transparent.
  cases.push_back({"Rle8",
                   bmp_file(info_header({.width = 4, .height = 4, .bits = 8, .compression = kRle8,
                                         .colours_used = 4}) +
                                palette({kRed, kGreen, kBlue, kWhite}),
                            Bytes()
                                .bytes({3, 1, 0, 0})
                                .bytes({0, 3, 0, 1, 2, 0, 3, 3, 0, 0})
                                .bytes({1, 0, 0, 2, 1, 1})
                                .bytes({2, 2, 0, 1})),
                   4,
                   {kClear, kClear, kBlue, kBlue, kRed, kClear, kClear, kClear, kRed, kGreen, kBlue, kWhite, kGreen,
                    kGreen, kGreen, kClear}});
  cases.push_back({"Rle4",
                   bmp_file(info_header({.width = 5, .height = 2, .bits = 4, .compression = kRle4,
                                         .colours_used = 4}) +
                                palette({kRed, kGreen, kBlue, kWhite}),
                            Bytes().bytes({5, 0x12, 0, 0}).bytes({0, 5, 0x30, 0x12, 0x30, 0}).bytes({0, 1})),
                   5, {kWhite, kRed, kGreen, kBlue, kWhite, kGreen, kBlue, kGreen, kBlue, kGreen}});
  cases.push_back({"ImageMagick24", read_fixture("bmp_imagemagick_24.bmp"), 3, kSixColours, 3});
  // Ends its last row with end of line before end of bitmap.
  cases.push_back({"ImageMagickRle8", read_fixture("bmp_imagemagick_rle8.bmp"), 3, kSixColours, 2});
  cases.push_back({"ImageMagickV5Alpha", read_fixture("bmp_imagemagick_v5_alpha.bmp"), 3, kAlphaPicture});
  return cases;
}

class BmpDecode : public ::testing::TestWithParam<BmpCase> {};

TEST_P(BmpDecode, GivesExactPixels) {
  const BmpCase& c = GetParam();
  EXPECT_EQ(sniff_picture_format(c.file), PictureFormat::Bmp);
  const auto raster = decode_picture(c.file);
  ASSERT_TRUE(raster.has_value());
  EXPECT_EQ(raster->width(), c.width);
  EXPECT_EQ(raster->height(), static_cast<int>(c.pixels.size()) / c.width);
  EXPECT_EQ(hex(*raster), hex(c.pixels, c.width));
}

TEST_P(BmpDecode, EveryTruncatedCopyFails) {
  const BmpCase& c = GetParam();
  for (std::size_t length = 0; length < c.file.size() - c.optional_tail; ++length) {
    EXPECT_FALSE(decode_picture(std::string_view(c.file).substr(0, length)).has_value()) << "length " << length;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, BmpDecode, ::testing::ValuesIn(bmp_cases()),
                         [](const auto& info) { return info.param.name; });

TEST(BmpDecode, RleEndingAfterItsLastRowWithoutEndOfBitmapDecodes) {
  const std::string file = bmp_file(
      info_header({.width = 2, .height = 1, .bits = 8, .compression = kRle8, .colours_used = 2}) +
          palette({kRed, kGreen}),
      Bytes().bytes({2, 1, 0, 0}));
  const auto raster = decode_picture(file);
  ASSERT_TRUE(raster.has_value());
  EXPECT_EQ(hex(*raster), hex({kGreen, kGreen}, 2));
}

struct BadBmp {
  std::string name;
  std::string file;
};

void PrintTo(const BadBmp& c, std::ostream* out) { *out << c.name; }

std::vector<BadBmp> bad_bmps() {
  const std::string row = Bytes().bgr_row({kRed, kGreen, kBlue}).str();
  auto rgb24 = [&](std::int32_t width, std::int32_t height) {
    return bmp_file(info_header({.width = width, .height = height}), row + row);
  };
  std::string offset_beyond_end = rgb24(3, 2);
  offset_beyond_end[10] = '\x7F';
  std::string offset_inside_file_header = rgb24(3, 2);
  offset_inside_file_header[10] = 4;
  return {
      {"ZeroWidth", rgb24(0, 2)},
      {"ZeroHeight", rgb24(3, 0)},
      {"NegativeWidth", rgb24(-3, 2)},
      {"MostNegativeHeight", rgb24(3, INT32_MIN)},
      {"MorePixelsThanAnyRaster", rgb24(16385, 16385)},
      {"SidesWhoseProductWrapsIn32Bits", rgb24(65536, 65536)},
      {"PixelDataShorterThanClaimed", rgb24(1000, 1000)},
      {"RleClaimingMoreThanItsDataCanDraw",
       bmp_file(info_header({.width = 16000, .height = 16000, .bits = 8, .compression = kRle8}) + palette({kRed}),
                Bytes().bytes({0, 1}))},
      {"UnknownHeaderSize", bmp_file(info_header({.width = 3, .height = 2, .size = 20}), row + row)},
      {"UnknownDepth", bmp_file(info_header({.width = 3, .height = 2, .bits = 3}), row + row)},
      {"BitFieldsAt24Bits", bmp_file(info_header({.width = 3, .height = 2, .compression = kBitFields}) +
                                         Bytes().u32(0xFF0000).u32(0xFF00).u32(0xFF).str(),
                                     row + row)},
      {"Rle8At4Bits", bmp_file(info_header({.width = 3, .height = 2, .bits = 4, .compression = kRle8}),
                               Bytes().bytes({0, 1}))},
      {"EmbeddedJpeg", bmp_file(info_header({.width = 3, .height = 2, .compression = 4}), row + row)},
      // Number 3 is Huffman 1D in OS/2 2.x headers, not bit fields.
      {"Os2Huffman", bmp_file(info_header({.width = 3, .height = 2, .bits = 16, .compression = 3, .size = 64}),
                              row + row)},
      {"PixelOffsetBeyondEnd", offset_beyond_end},
      {"PixelOffsetInsideFileHeader", offset_inside_file_header},
  };
}

class BmpReject : public ::testing::TestWithParam<BadBmp> {};

TEST_P(BmpReject, IsAFailedLoad) { EXPECT_FALSE(decode_picture(GetParam().file).has_value()); }

INSTANTIATE_TEST_SUITE_P(Cases, BmpReject, ::testing::ValuesIn(bad_bmps()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace miaoyu::compose
