#include "catalogue/ini_file.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace miaoyu::catalogue {
namespace {

using namespace std::string_literals;

struct LookupCase {
  const char* rule;
  std::string file;
  std::string section;
  std::string key;
  std::optional<std::string> value;  // nullopt: the lookup finds nothing
};

void PrintTo(const LookupCase& c, std::ostream* out) { *out << c.rule; }

class IniFileLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(IniFileLookup, FindsWhatTheWindowsReaderWould) {
  const LookupCase& c = GetParam();
  const IniFile file(c.file);
  EXPECT_EQ(file.find(c.section, c.key), c.value) << c.rule;
}

const std::string kLong(kMaxIniValueLength, 'v');

INSTANTIATE_TEST_SUITE_P(
    Rules, IniFileLookup,
    ::testing::Values(
        LookupCase{"names ignore ASCII case", "[Tmpl]\nNaMe=x\n", "tMPL", "NAME", "x"},
        LookupCase{"values keep their case", "[s]\nk=MiXed\n", "s", "k", "MiXed"},
        // 癆 is B0 41 and 癮 is B0 61: folding the trail byte would make them one.
        LookupCase{"GBK trail bytes are not folded", "[\xB0\x41]\nk=v\n", "\xB0\x61", "k", std::nullopt},
        LookupCase{"GBK section found as written", "[\xB0\x41]\nk=v\n", "\xB0\x41", "k", "v"},
        LookupCase{"GBK key with trail byte not folded", "[s]\n\xB0\x41=v\n", "s", "\xB0\x61", std::nullopt},
        // 癩 is B0 5D: its trail byte is no ']'.
        LookupCase{"GBK trail byte 0x5D does not close a section", "[\xB0\x5D]\nk=v\n", "\xB0\x5D", "k", "v"},
        LookupCase{"blanks around names and values trimmed", " \t[ \vs \t] \n\t k \v= \t v w \v\t\n", "s", "k", "v w"},
        LookupCase{"form feed is no blank", "[s]\nk=\fv\n", "s", "k", "\fv"},
        LookupCase{"outer double quotes removed", "[s]\nk=\"a b\"\n", "s", "k", "a b"},
        LookupCase{"outer single quotes removed", "[s]\nk='a'\n", "s", "k", "a"},
        LookupCase{"only one pair removed", "[s]\nk=\"\"a\"\"\n", "s", "k", "\"a\""},
        LookupCase{"quoted blanks kept", "[s]\nk= \" a \" \n", "s", "k", " a "},
        LookupCase{"mismatched quotes kept", "[s]\nk=\"a'\n", "s", "k", "\"a'"},
        LookupCase{"a lone quote kept", "[s]\nk=\"\n", "s", "k", "\""},
        LookupCase{"empty value is present", "[s]\nk=\n", "s", "k", ""},
        LookupCase{"first = splits", "[s]\nk = a = b\n", "s", "k", "a = b"},
        LookupCase{"; starts a comment", "[s]\n;k=v\n", "s", ";k", std::nullopt},
        LookupCase{"; after blanks starts a comment", "[s]\n \t;k=v\n", "s", ";k", std::nullopt},
        LookupCase{"# is no comment", "[s]\n#k=v\n", "s", "#k", "v"},
        LookupCase{"; inside a value is a byte", "[s]\nk=v ;c\n", "s", "k", "v ;c"},
        LookupCase{"text after ] ignored", "[s] junk=1\nk=v\n", "s", "k", "v"},
        LookupCase{"first ] closes the name", "[s]x]\nk=v\n", "s", "k", "v"},
        LookupCase{"section without ] runs to the line end", "[s x \nk=v\n", "s x", "k", "v"},
        LookupCase{"a line without = matches nothing", "[s]\nk\n", "s", "k", std::nullopt},
        LookupCase{"a line without = hides no later key", "[s]\nk\nk=v\n", "s", "k", "v"},
        LookupCase{"keys before the first section ignored", "k=v\n[s]\n", "s", "k", std::nullopt},
        LookupCase{"first key of a name wins", "[s]\nk=1\nK=2\n", "s", "k", "1"},
        LookupCase{"first section of a name wins", "[s]\nk=1\n[S]\nk=2\n", "s", "k", "1"},
        LookupCase{"later section of a name is not searched", "[s]\na=1\n[s]\nb=2\n", "s", "b", std::nullopt},
        LookupCase{"keys after a repeated section stay out of the earlier one",
                   "[a]\n[b]\n[a]\nk=1\n[b]\nk=2\n", "b", "k", std::nullopt},
        LookupCase{"an empty section name swallows its keys", "[s]\n[]\nk=v\n", "s", "k", std::nullopt},
        LookupCase{"CR LF ends lines", "[s]\r\nk=v\r\nj=w\r\n", "s", "j", "w"},
        LookupCase{"lone CR ends lines", "[s]\rk=v\rj=w", "s", "k", "v"},
        LookupCase{"CR CR LF is two line ends", "[s]\r\r\nk=v\r\r\n", "s", "k", "v"},
        LookupCase{"LF CR is two line ends", "[s]\n\rk=v\n\r", "s", "k", "v"},
        LookupCase{"no line end at the end", "[s]\nk=v", "s", "k", "v"},
        LookupCase{"a value of the longest length is kept", "[s]\nk=" + kLong + "\n", "s", "k", kLong},
        LookupCase{"a longer value is cut", "[s]\nk=" + kLong + "xyz\n", "s", "k", kLong},
        LookupCase{"quotes removed before the cut", "[s]\nk=\"" + kLong + "\"\n", "s", "k", kLong},
        LookupCase{"NUL ends the value", "[s]\nk=ab\0cd\n"s, "s", "k", "ab"},
        LookupCase{"NUL does not end the line", "[s]\nk=a\0b\nj=w\n"s, "s", "j", "w"},
        LookupCase{"NUL after quotes are removed", "[s]\nk=\"a\0b\"\n"s, "s", "k", "a"},
        LookupCase{"a section name holding NUL matches no C-string name", "[s\0x]\nk=v\n"s, "s", "k", std::nullopt},
        LookupCase{"UTF-8 byte-order mark skipped", "\xEF\xBB\xBF[s]\nk=v\n", "s", "k", "v"},
        LookupCase{"UTF-8 byte-order mark only at the start", "[s]\n\xEF\xBB\xBFk=v\n", "s", "\xEF\xBB\xBFk", "v"},
        LookupCase{"UTF-16LE converted to GBK",
                   "\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0\xD3\x7E\x5F\x67\r\0\n\0"s, "s", "k", "\xBD\xE1\xCA\xF8"},
        LookupCase{"UTF-16LE names match in GBK",
                   "\xFF\xFE[\0\xD3\x7E]\0\n\0k\0=\0v\0"s, "\xBD\xE1", "k", "v"},
        LookupCase{"UTF-16LE beyond GBK becomes GB18030",
                   "\xFF\xFE[\0s\0]\0\n\0k\0=\0\x3D\xD8\x00\xDE"s, "s", "k", "\x94\x39\xFC\x36"},
        LookupCase{"UTF-16LE unpaired surrogate becomes U+FFFD",
                   "\xFF\xFE[\0s\0]\0\n\0k\0=\0\x00\xDCv\0"s, "s", "k", "\x84\x31\xA4\x37v"},
        LookupCase{"UTF-16LE odd last byte dropped", "\xFF\xFE[\0s\0]\0\n\0k\0=\0v\0w"s, "s", "k", "v"},
        LookupCase{"section 0", "[0]\nk=v\n", "0", "k", "v"},
        LookupCase{"section 01 is not section 1", "[01]\nk=v\n", "1", "k", std::nullopt},
        LookupCase{"section 1 is not section 01", "[1]\nk=v\n", "01", "k", std::nullopt},
        LookupCase{"first of two numbered sections wins", "[1]\nk=a\n[ 1 ]\nk=b\n", "1", "k", "a"},
        LookupCase{"a far section number", "[1]\n[999999999]\nk=v\n", "999999999", "k", "v"},
        LookupCase{"a number beyond 32 bits", "[99999999999]\nk=v\n", "99999999999", "k", "v"},
        LookupCase{"nothing in an empty file", "", "s", "k", std::nullopt}));

TEST(IniFileTest, ListsEachSectionOnceInFileOrder) {
  const IniFile file("k=0\n[ 2 ]\n[1]\n[2]\n[01]\n[X\n[x]\n");
  std::vector<std::string> names;
  for (std::size_t i = 0; i < file.section_count(); ++i) names.emplace_back(file.section_name(i));
  EXPECT_EQ(names, (std::vector<std::string>{"2", "1", "01", "X"}));
  EXPECT_TRUE(file.has_section("x"));
  EXPECT_FALSE(file.has_section("3"));
}

TEST(IniFileTest, ManyKeysAndSectionsStayFindable) {
  std::string text;
  for (int s = 0; s < 300; ++s) {
    text += "[sec" + std::to_string(s) + "]\n";
    for (int k = 0; k < 50; ++k) text += "key" + std::to_string(k) + "=" + std::to_string(s * 100 + k) + "\n";
  }
  const IniFile file(text);
  EXPECT_EQ(file.section_count(), 300u);
  for (int s = 0; s < 300; s += 7) {
    for (int k = 0; k < 50; k += 3) {
      EXPECT_EQ(file.find("SEC" + std::to_string(s), "Key" + std::to_string(k)), std::to_string(s * 100 + k));
    }
  }
  EXPECT_EQ(file.find("sec1", "key50"), std::nullopt);
}

TEST(IniFileTest, FirstKeyWinsInLargeSections) {
  std::string text = "[s]\n";
  for (int k = 0; k < 40; ++k) text += "key" + std::to_string(k) + "=first\n";
  for (int k = 0; k < 40; ++k) text += "KEY" + std::to_string(k) + "=second\n";
  text += "[t]\nkey1=other\n";
  const IniFile file(text);
  for (int k = 0; k < 40; ++k) EXPECT_EQ(file.find("s", "key" + std::to_string(k)), "first") << k;
  EXPECT_EQ(file.find("t", "key1"), "other");
  EXPECT_EQ(file.find("t", "key2"), std::nullopt);
}

// Numbered sections are kept by number only while the numbers stay near the
// count of sections; a number first met beyond that must still be found, and
// still be known when it comes again.
TEST(IniFileTest, NumberedSectionFirstMetFarAheadStaysFirst) {
  std::string text = "[2000]\nk=first\n";
  for (int n = 1; n <= 600; ++n) text += "[" + std::to_string(n) + "]\nk=" + std::to_string(n) + "\n";
  text += "[2000]\nk=second\n[2001]\nk=later\n";
  const IniFile file(text);
  EXPECT_EQ(file.find("2000", "k"), "first");
  EXPECT_EQ(file.find("2001", "k"), "later");
  EXPECT_EQ(file.find("600", "k"), "600");
  EXPECT_EQ(file.find("601", "k"), std::nullopt);
  EXPECT_EQ(file.section_count(), 602u);
}

TEST(IniFileTest, FileBeyondTheSizeLimitReadsAsEmpty) {
  std::string text = "[s]\nk=v\n";
  text.resize(kMaxIniFileSize + 1, '\n');
  EXPECT_EQ(IniFile(std::move(text)).section_count(), 0u);
}

}  // namespace
}  // namespace miaoyu::catalogue
