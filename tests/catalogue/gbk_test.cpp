#include "catalogue/gbk.hpp"

#include <gtest/gtest.h>

namespace miaoyu {
namespace {

struct DecodeCase {
  const char* name;
  std::string gbk;
  std::u32string expected;
};

TEST(GbkTest, DecodesEachKindOfSequence) {
  const DecodeCase cases[] = {
      {"ascii", "ab1", U"ab1"},
      {"double byte", "\xBD\xE1\xCA\xF8", U"结束"},
      {"0x80 is the euro sign", "\x80", U"\u20AC"},
      {"user-defined area through GB18030", "\xAA\xA1", U"\uE000"},
      {"four-byte GB18030", "\x81\x30\x81\x30", U"\u0080"},
      {"four-byte beyond the BMP", "\x90\x30\x81\x30", U"\U00010000"},
      {"lone lead byte at the end", "a\xB0", U"a\uFFFD"},
      {"0xFF", "\xFF", U"\uFFFD"},
      {"bad trail byte leaves the next byte alone", "\xB0\x20", U"\uFFFD "},
  };
  for (const auto& c : cases) EXPECT_EQ(decode_gbk(c.gbk), c.expected) << c.name;
}

TEST(GbkTest, EncodingRoundTripsEveryCharacter) {
  const std::u32string texts[] = {U"妙语画坊", U"\u20AC", U"\uE000", U"😀 emoji", U"\u00A0\u0080", U"é"};
  for (const auto& text : texts) EXPECT_EQ(decode_gbk(encode_gbk(text)), text);
  EXPECT_EQ(encode_gbk(U"结束"), "\xBD\xE1\xCA\xF8");
}

TEST(GbkTest, Utf8EdgesReplaceMalformedBytes) {
  EXPECT_EQ(gbk_to_utf8("\xC3\xEE\xD3\xEF"), "妙语");
  EXPECT_EQ(utf8_to_gbk("妙语"), "\xC3\xEE\xD3\xEF");
  EXPECT_EQ(decode_gbk(utf8_to_gbk("a\xC3(b")), U"a\uFFFD(b");
  EXPECT_EQ(decode_gbk(utf8_to_gbk("\xED\xA0\x80")), U"\uFFFD\uFFFD\uFFFD");
}

}  // namespace
}  // namespace miaoyu
