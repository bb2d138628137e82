// Arbitrary bytes as an INI file, looked up with names taken from the same
// bytes. Checks what every lookup must hold: values within the length limit
// and free of NUL bytes, and every listed section findable under its name.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/ini_file.hpp"
#include "catalogue/ini_value.hpp"

namespace {

using miaoyu::catalogue::IniFile;

void check(bool holds) {
  if (!holds) __builtin_trap();
}

void look_up(const IniFile& file, std::string_view section, std::string_view key) {
  const auto value = file.find(section, key);
  if (value) {
    check(value->size() <= miaoyu::catalogue::kMaxIniValueLength);
    check(value->find('\0') == std::string_view::npos);
    check(file.has_section(section));
  }
  const auto trimmed = file.find(miaoyu::catalogue::ini_lookup_name(section),
                                 miaoyu::catalogue::ini_lookup_name(key));
  if (trimmed) check(trimmed->size() <= miaoyu::catalogue::kMaxIniValueLength);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // The first two bytes give the lengths of a section and a key name cut
  // from the start of the rest.
  std::string_view rest = input.substr(std::min<std::size_t>(2, size));
  const std::size_t section_length = size > 0 ? data[0] % 16 : 0;
  const std::size_t key_length = size > 1 ? data[1] % 16 : 0;
  const std::string_view section = rest.substr(0, section_length);
  const std::string_view key = rest.substr(std::min(rest.size(), section_length), key_length);

  const IniFile file{std::string(input)};
  look_up(file, section, key);
  look_up(file, "1", "name");
  for (std::size_t i = 0; i < file.section_count() && i < 64; ++i) {
    const std::string_view name = file.section_name(i);
    check(file.has_section(name));
    look_up(file, name, key);
    look_up(file, name, "name");
  }
  return 0;
}
