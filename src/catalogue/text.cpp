#include "catalogue/text.hpp"

#include <charconv>
#include <limits>

namespace miaoyu {

Text integer_to_text(std::int64_t value) {
  char digits[std::numeric_limits<std::int64_t>::digits10 + 3];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  return Text(digits, result.ptr);
}

Text join_texts(std::initializer_list<std::string_view> parts) {
  std::size_t length = 0;
  for (const std::string_view part : parts) {
    length += part.size();
  }
  Text joined;
  joined.reserve(length);
  for (const std::string_view part : parts) {
    joined.append(part);
  }
  return joined;
}

bool text_equal(std::string_view a, std::string_view b) { return a == b; }

}  // namespace miaoyu
