// Read ini value: one value of the catalogue file, looked up afresh.
#pragma once

#include <string_view>

#include "catalogue/text.hpp"

namespace miaoyu::catalogue {

// The value of key in section of the INI file at path, at most
// kMaxIniValueLength bytes; the empty text when the file, the section or the
// key does not exist. Each argument is taken as the C string it would be
// (up to a NUL byte), leading bytes up to 0x20 are skipped in all three and
// trailing spaces dropped from the two names; when any of them is then
// empty, nothing is read.
Text read_ini_value(std::string_view path, std::string_view section,
                    std::string_view key);

// The lookup form of a section or key name, as read_ini_value uses it.
std::string_view ini_lookup_name(std::string_view name);

}  // namespace miaoyu::catalogue
