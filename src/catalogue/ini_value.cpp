#include "catalogue/ini_value.hpp"

#include "catalogue/ini_cache.hpp"

namespace miaoyu::catalogue {
namespace {

std::string_view lookup_argument(std::string_view s) {
  s = s.substr(0, s.find('\0'));
  std::size_t i = 0;
  while (i < s.size() && static_cast<unsigned char>(s[i]) <= 0x20) {
    ++i;
  }
  return s.substr(i);
}

}  // namespace

std::string_view ini_lookup_name(std::string_view name) {
  name = lookup_argument(name);
  while (!name.empty() && name.back() == ' ') {
    name.remove_suffix(1);
  }
  return name;
}

Text read_ini_value(std::string_view path, std::string_view section,
                    std::string_view key) {
  path = lookup_argument(path);
  section = ini_lookup_name(section);
  key = ini_lookup_name(key);
  if (path.empty() || section.empty() || key.empty()) {
    return {};
  }
  const IniCache::Lookup lookup = IniCache::shared().get(path);
  if (!lookup.file) {
    return {};
  }
  const auto value = lookup.file->find(section, key);
  return value ? Text(*value) : Text();
}

}  // namespace miaoyu::catalogue
