#include "catalogue/text.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace miaoyu {
namespace {

TEST(TextTest, IntegerToTextWritesPlainDecimal) {
  const struct {
    std::int64_t value;
    const char* text;
  } cases[] = {
      {0, "0"},
      {7, "7"},
      {-42, "-42"},
      {2147483647, "2147483647"},
      {std::numeric_limits<std::int64_t>::max(), "9223372036854775807"},
      {std::numeric_limits<std::int64_t>::min(), "-9223372036854775808"},
  };
  for (const auto& c : cases) EXPECT_EQ(integer_to_text(c.value), c.text);
}

TEST(TextTest, JoinAndEqualityAreByteForByte) {
  EXPECT_EQ(join_texts({"/a", "", "/pz.ini"}), "/a/pz.ini");
  EXPECT_EQ(join_texts({}), "");
  EXPECT_EQ(join_texts({std::string_view("a\0b", 3), "c"}), std::string("a\0bc", 4));

  EXPECT_TRUE(text_equal("\xBD\xE1\xCA\xF8", "\xBD\xE1\xCA\xF8"));
  EXPECT_TRUE(text_equal("", ""));
  EXPECT_FALSE(text_equal("", std::string_view("\0", 1)));
  EXPECT_FALSE(text_equal("Name", "name"));
  EXPECT_FALSE(text_equal("\xBD\xE1\xCA\xF8", "\xBD\xE1\xCA\xF8 "));
}

}  // namespace
}  // namespace miaoyu
