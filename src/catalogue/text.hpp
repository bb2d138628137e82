// Texts are byte strings in the GBK code page (code page 936). They are kept,
// compared and joined byte for byte; only the edges (showing, drawing, file
// names) decode them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace miaoyu {

using Text = std::string;

// Decimal form, with a leading minus sign for negative numbers.
Text integer_to_text(std::int64_t value);

// The texts end to end; an empty text adds nothing.
Text join_texts(std::initializer_list<std::string_view> parts);

// True only for the same bytes in the same order.
bool text_equal(std::string_view a, std::string_view b);

}  // namespace miaoyu
