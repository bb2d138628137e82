#include "catalogue/catalogue_loader.hpp"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <ostream>
#include <vector>

#include "catalogue/ini_cache.hpp"
#include "catalogue/ini_value.hpp"

namespace miaoyu::catalogue {
namespace {

constexpr std::string_view kTerminator = "\xBD\xE1\xCA\xF8";  // 结束 in GBK
constexpr std::int64_t kMaxMissingNumbers = 1000;
constexpr std::int64_t kHighestSectionNumber = 2147483647;

constexpr std::string_view kKeys[TemplateList::kColumnCount] = {
    "name", "url", "one", "two", "three"};

std::optional<std::int64_t> section_number(std::string_view name) {
  if (name.empty() || name.size() > 10 || name.front() == '0') {
    return std::nullopt;
  }
  std::int64_t number = 0;
  for (const char c : name) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    number = number * 10 + (c - '0');
  }
  if (number > kHighestSectionNumber) {
    return std::nullopt;
  }
  return number;
}

// The numbers of the file's numbered sections, ascending. Section names are
// unique, and so are the numbers they stand for.
std::vector<std::int64_t> numbered_sections(const IniFile& file) {
  std::vector<std::int64_t> numbers;
  for (std::size_t i = 0; i < file.section_count(); ++i) {
    if (const auto number = section_number(file.section_name(i))) {
      numbers.push_back(*number);
    }
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

}  // namespace

void load_catalogue(TemplateList& list, std::string_view program_folder,
                    std::ostream& diagnostics) {
  const Text path = join_texts({program_folder, "/pz.ini"});
  std::vector<std::int64_t> numbers;
  {
    const IniCache::Lookup lookup = IniCache::shared().get(path);
    if (!lookup.file) {
      diagnostics << "miaoyu: cannot read the catalogue " << path << " ("
                  << lookup.problem << "); the template list is empty\n";
      return;
    }
    numbers = numbered_sections(*lookup.file);
  }
  if (numbers.empty()) {
    diagnostics << "miaoyu: the catalogue " << path
                << " has no numbered sections; the template list is empty\n";
    return;
  }

  auto next = numbers.begin();
  std::int64_t missing = 0;
  std::int64_t gap_end = 0;  // the absent numbers below it are accepted
  for (std::int64_t n = 1;; ++n) {
    while (next != numbers.end() && *next < n) {
      ++next;
    }
    if (next == numbers.end()) {
      diagnostics << "miaoyu: the catalogue " << path
                  << " has no section named 结束; loading stopped after its "
                     "highest numbered section, "
                  << n - 1 << "\n";
      return;
    }
    if (*next != n && n >= gap_end) {
      const std::int64_t run = *next - n;
      if (run > kMaxMissingNumbers || missing + run > kMaxMissingNumbers) {
        diagnostics << "miaoyu: the catalogue " << path << " lacks sections "
                    << n << " to " << *next - 1 << " (" << run << " numbers";
        if (run > kMaxMissingNumbers) {
          diagnostics << ", more than " << kMaxMissingNumbers << " in a row";
        } else {
          diagnostics << ", which would make more than " << kMaxMissingNumbers
                      << " missing in all";
        }
        diagnostics << "); loading stopped after section " << n - 1 << "\n";
        return;
      }
      missing += run;
      gap_end = *next;
    }

    const Text section = integer_to_text(n);
    if (text_equal(read_ini_value(path, section, kKeys[0]), kTerminator)) {
      return;
    }
    const int row = list.append_row();
    for (int column = 0; column < TemplateList::kColumnCount; ++column) {
      list.set_cell_text(row, column, read_ini_value(path, section, kKeys[column]));
    }
  }
}

}  // namespace miaoyu::catalogue
