#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compose/decode/picture_decoder.hpp"
#include "support/picture_fixtures.hpp"

namespace miaoyu::compose {
namespace {

using namespace support;

TEST(SniffPictureFormat, NamesEachFixturesFormat) {
  const struct {
    const char* fixture;
    PictureFormat format;
  } cases[] = {
      {"bmp_imagemagick_24.bmp", PictureFormat::Bmp},  {"jpeg_baseline.jpg", PictureFormat::Jpeg},
      {"jpeg_cmyk.jpg", PictureFormat::Jpeg},          {"png_rgb.png", PictureFormat::Png},
      {"png_named_as_jpeg.jpg", PictureFormat::Png},   {"gif_static.gif", PictureFormat::Gif},
      {"ico_imagemagick.ico", PictureFormat::Icon},    {"pcx_imagemagick_24.pcx", PictureFormat::Pcx},
      {"webp_lossless.webp", PictureFormat::Webp},
  };
  for (const auto& c : cases) EXPECT_EQ(sniff_picture_format(read_fixture(c.fixture)), c.format) << c.fixture;
}

struct Garbage {
  std::string name;
  std::string bytes;
};

void PrintTo(const Garbage& c, std::ostream* out) { *out << c.name; }

std::vector<Garbage> garbage() {
  using namespace std::string_literals;
  std::string noise;
  std::uint32_t state = 99;
  for (int i = 0; i < 4096; ++i) {
    state = state * 1664525u + 1013904223u;
    noise.push_back(static_cast<char>(state >> 24));
  }
  return {
      {"Empty", ""},
      {"Text", "This is no picture at all, only a line of text.\n"},
      {"Noise", noise},
      {"JpegSignatureOnly", "\xFF\xD8\xFF"},
      {"JpegSignatureThenNoise", "\xFF\xD8\xFF" + noise},
      {"PngSignatureOnly", "\x89PNG\r\n\x1A\n"},
      {"PngSignatureThenNoise", "\x89PNG\r\n\x1A\n" + noise},
      {"GifSignatureOnly", "GIF89a"},
      {"GifSignatureThenNoise", "GIF89a" + noise},
      {"BmpSignatureOnly", "BM"},
      {"BmpSignatureThenNoise", "BM" + noise},
      {"WebpSignatureOnly", "RIFF\x04\0\0\0WEBP"s},
      {"WebpSignatureThenNoise", "RIFF\xF8\x0F\0\0WEBP"s + noise},
      {"IconHeaderOnly", "\0\0\1\0\1\0"s},
      {"PcxHeaderOnly", "\x0A\x05\x01\x08"s + std::string(124, '\0')},
      {"PcxHeaderThenNoise", "\x0A\x05\x01\x08"s + std::string(124, '\0') + noise},
  };
}

class GarbageBytes : public ::testing::TestWithParam<Garbage> {};

TEST_P(GarbageBytes, AreAFailedLoad) { EXPECT_FALSE(decode_picture(GetParam().bytes).has_value()); }

INSTANTIATE_TEST_SUITE_P(Cases, GarbageBytes, ::testing::ValuesIn(garbage()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace miaoyu::compose
