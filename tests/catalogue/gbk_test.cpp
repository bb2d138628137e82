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

// The codes code page 936 gives private-use characters, with the standard
// characters newer GB18030 tables put there instead.
TEST(GbkTest, PrivateUseCodesFollowCodePage936BothWays) {
  struct Case {
    const char* gbk;
    char32_t private_use;
    char32_t standard;
  };
  const Case cases[] = {
      {"\xA6\xD9", 0xE78D, 0xFE10},  {"\xA6\xDA", 0xE78E, 0xFE12},  {"\xA6\xDB", 0xE78F, 0xFE11},
      {"\xA6\xDC", 0xE790, 0xFE13},  {"\xA6\xDD", 0xE791, 0xFE14},  {"\xA6\xDE", 0xE792, 0xFE15},
      {"\xA6\xDF", 0xE793, 0xFE16},  {"\xA6\xEC", 0xE794, 0xFE17},  {"\xA6\xED", 0xE795, 0xFE18},
      {"\xA6\xF3", 0xE796, 0xFE19},  {"\xA8\xBC", 0xE7C7, 0x1E3F},  {"\xFE\x51", 0xE816, 0x20087},
      {"\xFE\x52", 0xE817, 0x20089}, {"\xFE\x53", 0xE818, 0x200CC}, {"\xFE\x59", 0xE81E, 0x9FB4},
      {"\xFE\x61", 0xE826, 0x9FB5},  {"\xFE\x66", 0xE82B, 0x9FB6},  {"\xFE\x67", 0xE82C, 0x9FB7},
      {"\xFE\x6C", 0xE831, 0x215D7}, {"\xFE\x6D", 0xE832, 0x9FB8},  {"\xFE\x76", 0xE83B, 0x2298F},
      {"\xFE\x7E", 0xE843, 0x9FB9},  {"\xFE\x90", 0xE854, 0x9FBA},  {"\xFE\x91", 0xE855, 0x241FE},
      {"\xFE\xA0", 0xE864, 0x9FBB},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.gbk);
    EXPECT_EQ(decode_gbk(c.gbk), std::u32string(1, c.private_use));
    EXPECT_EQ(encode_gbk(std::u32string(1, c.private_use)), c.gbk);
    const std::string standard = encode_gbk(std::u32string(1, c.standard));
    EXPECT_EQ(standard.size(), 4u);
    EXPECT_EQ(decode_gbk(standard), std::u32string(1, c.standard));
  }
}

TEST(GbkTest, Utf8EdgesReplaceMalformedBytes) {
  EXPECT_EQ(gbk_to_utf8("\xC3\xEE\xD3\xEF"), "妙语");
  EXPECT_EQ(utf8_to_gbk("妙语"), "\xC3\xEE\xD3\xEF");
  EXPECT_EQ(decode_gbk(utf8_to_gbk("a\xC3(b")), U"a\uFFFD(b");
  EXPECT_EQ(decode_gbk(utf8_to_gbk("\xED\xA0\x80")), U"\uFFFD\uFFFD\uFFFD");
}

}  // namespace
}  // namespace miaoyu
