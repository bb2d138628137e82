#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compose/decode/picture_decoder.hpp"
#include "support/picture_fixtures.hpp"

namespace miaoyu::compose {
namespace {

using namespace support;

constexpr std::size_t kVgaPaletteSize = 769;

struct PcxCase {
  std::string name;
  std::string file;
  int width;
  std::vector<Pixel> pixels;  // top row first
  // 8-bit files with their palette: cut right before it they are a whole
  // picture in grey, so that prefix is left out of the truncation test.
  bool vga_palette = false;
};

void PrintTo(const PcxCase& c, std::ostream* out) { *out << c.name; }

std::string lines(std::initializer_list<std::initializer_list<unsigned>> rows) {
  std::string data;
  for (const auto& row : rows) data += pcx_rle(Bytes().bytes(row));
  return data;
}

const std::vector<Pixel> kSixteen = {kRed,  kGreen, kBlue,  kYellow, kBlack, kBlack, kBlack, kBlack,
                                     kBlack, kMagenta, kBlack, kBlack, kBlack, kBlack, kBlack, kCyan};

std::vector<PcxCase> pcx_cases() {
  const PcxHeader three_by_two{.x_max = 2, .y_max = 1};
  auto header = [&](int bits, int planes, unsigned bytes_per_line, std::vector<Pixel> colours = {}) {
    PcxHeader h = three_by_two;
    h.bits = bits;
    h.planes = planes;
    h.bytes_per_line = bytes_per_line;
    h.palette = std::move(colours);
    return pcx_header(h);
  };
  PcxHeader window{.bits = 8, .planes = 1, .x_min = 10, .y_min = 5, .x_max = 12, .y_max = 6, .bytes_per_line = 4};
  const std::string vga_pixels = lines({{0, 1, 2, 0}, {2, 2, 255, 0}});
  // The last bytes of the first line and the first of the second make one run.
  const std::string rgb_planes = pcx_rle(Bytes()
                                             .bytes({255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0})
                                             .bytes({0, 255, 255, 0, 255, 0, 255, 0, 255, 255, 0, 0}));
  return {
      {"Mono", header(1, 1, 2) + lines({{0xA0, 0}, {0x20, 0}}), 3, {kWhite, kBlack, kWhite, kBlack, kBlack, kWhite}},
      {"Packed2Bits", header(2, 1, 2, {kRed, kGreen, kBlue, kWhite}) + lines({{0x18, 0}, {0xF4, 0}}), 3,
       {kRed, kGreen, kBlue, kWhite, kWhite, kGreen}},
      {"Packed4Bits", header(4, 1, 2, kSixteen) + lines({{0x01, 0x20}, {0xF9, 0x30}}), 3,
       {kRed, kGreen, kBlue, kCyan, kMagenta, kYellow}},
      {"FourPlanesOfOneBit",
       header(1, 4, 2, {kMagenta, kRed, kGreen, kBlack, kBlack, kCyan, kBlack, kBlack, kBlack, kBlack, kBlack,
                        kBlack, kBlue, kBlack, kBlack, kYellow}) +
           lines({{0x80, 0, 0x40, 0, 0x20, 0, 0x20, 0}, {0xA0, 0, 0x80, 0, 0xA0, 0, 0x80, 0}}),
       3, kSixColours},
      {"Palette256InWindow",
       pcx_header(window) + vga_pixels +
           pcx_vga_palette({{0, kRed}, {1, kGreen}, {2, kBlue}, {255, kWhite}}),
       3, {kRed, kGreen, kBlue, kBlue, kBlue, kWhite}, true},
      {"Palette256MissingIsGrey", pcx_header(window) + vga_pixels, 3,
       {0xFF000000u, 0xFF010101u, 0xFF020202u, 0xFF020202u, 0xFF020202u, 0xFFFFFFFFu}},
      {"ThreePlanesOf8Bits", header(8, 3, 4) + rgb_planes, 3, {kRed, kGreen, kBlue, kCyan, kMagenta, kYellow}},
      {"ImageMagick24", read_fixture("pcx_imagemagick_24.pcx"), 3, kSixColours},
      {"ImageMagick8", read_fixture("pcx_imagemagick_8.pcx"), 3, kSixColours, true},
      {"ImageMagickFourPlanesWithAlpha", read_fixture("pcx_imagemagick_rgba.pcx"), 3, kAlphaPicture},
  };
}

class PcxDecode : public ::testing::TestWithParam<PcxCase> {};

TEST_P(PcxDecode, GivesExactPixels) {
  const PcxCase& c = GetParam();
  EXPECT_EQ(sniff_picture_format(c.file), PictureFormat::Pcx);
  const auto raster = decode_picture(c.file);
  ASSERT_TRUE(raster.has_value());
  EXPECT_EQ(raster->width(), c.width);
  EXPECT_EQ(raster->height(), static_cast<int>(c.pixels.size()) / c.width);
  EXPECT_EQ(hex(*raster), hex(c.pixels, c.width));
}

TEST_P(PcxDecode, EveryTruncatedCopyFails) {
  const PcxCase& c = GetParam();
  for (std::size_t length = 0; length < c.file.size(); ++length) {
    if (c.vga_palette && length == c.file.size() - kVgaPaletteSize) continue;
    EXPECT_FALSE(decode_picture(std::string_view(c.file).substr(0, length)).has_value()) << "length " << length;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, PcxDecode, ::testing::ValuesIn(pcx_cases()),
                         [](const auto& info) { return info.param.name; });

struct BadPcx {
  std::string name;
  std::string file;
};

void PrintTo(const BadPcx& c, std::ostream* out) { *out << c.name; }

std::vector<BadPcx> bad_pcx_files() {
  const std::string data = pcx_rle(std::string(64, '\0'));
  auto with = [&](PcxHeader h) { return pcx_header(h) + data; };
  std::string uncoded = with({.x_max = 2, .y_max = 1, .bytes_per_line = 4});
  uncoded[2] = 0;
  return {
      {"WindowEndsBeforeItStarts", with({.x_min = 3, .x_max = 2, .y_max = 1, .bytes_per_line = 4})},
      {"EightBitsInTwoPlanes", with({.planes = 2, .x_max = 2, .y_max = 1, .bytes_per_line = 4})},
      {"FourBitsInFourPlanes", with({.bits = 4, .planes = 4, .x_max = 2, .y_max = 1, .bytes_per_line = 2})},
      {"LinesShorterThanTheWindow", with({.x_max = 7, .y_max = 1, .bytes_per_line = 4})},
      {"WindowLargerThanItsDataCanFill", with({.x_max = 65535, .y_max = 65535, .bytes_per_line = 65535})},
      {"NotRunLengthCoded", uncoded},
      {"PaletteCutShort", with({.x_max = 2, .y_max = 1, .bytes_per_line = 4}).substr(0, 128 + 2) +
                              pcx_vga_palette({}).substr(0, 100)},
  };
}

class PcxReject : public ::testing::TestWithParam<BadPcx> {};

TEST_P(PcxReject, IsAFailedLoad) { EXPECT_FALSE(decode_picture(GetParam().file).has_value()); }

INSTANTIATE_TEST_SUITE_P(Cases, PcxReject, ::testing::ValuesIn(bad_pcx_files()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace miaoyu::compose
