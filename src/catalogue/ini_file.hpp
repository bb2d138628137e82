// The program's own reader of private-profile (INI) files. It follows the
// rules of the Windows reader GetPrivateProfileStringA, which the catalogue
// pz.ini was written for:
//
// - section and key names match without regard to ASCII letter case; the
//   bytes of a GBK double-byte character are never case-folded;
// - blanks (space, tab, vertical tab) around section names (inside the
//   brackets), keys and values are trimmed, and blanks before '[' are ignored;
// - a value that begins and ends with the same quote, '"' or '\'', loses that
//   one outer pair;
// - a line whose key begins with ';' is a comment; '#' is no comment;
// - text after the first ']' of a section line is ignored, and a section line
//   without ']' names a section up to the end of the line;
// - a line without '=' matches nothing; keys before the first section are
//   ignored; only the first section of a name counts, and in it the first
//   key of a name;
// - CR LF, LF and a lone CR end a line;
// - a file that begins with a UTF-16LE byte-order mark is converted to GBK;
//   a UTF-8 byte-order mark is skipped;
// - a value is what a C string of it would hold: it ends at its first NUL
//   byte, and it is cut to kMaxIniValueLength bytes. NUL bytes do not end
//   lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/chunked_array.hpp"

namespace miaoyu::catalogue {

// The Windows reader's 10240-byte buffer less its terminating zero byte.
inline constexpr std::size_t kMaxIniValueLength = 10239;

// Larger files are read as if they were empty, so that no catalogue can take
// more than a bounded share of the machine's memory.
inline constexpr std::size_t kMaxIniFileSize = std::size_t{256} << 20;

class IniFile {
 public:
  // An empty file: no sections.
  IniFile() = default;

  // Parses the whole contents of a file.
  explicit IniFile(std::string bytes);

  // The value of key in section, nullopt when either is absent. The names
  // are used as given (no trimming); see read_ini_value for the lookup rules.
  std::optional<std::string_view> find(std::string_view section,
                                       std::string_view key) const;
  bool has_section(std::string_view section) const;

  // Every section name once, in the order of first appearance.
  std::size_t section_count() const { return sections_.size(); }
  std::string_view section_name(std::size_t index) const;

 private:
  // Trivial types, so that ChunkedArray leaves memory untouched until used.
  struct Span {
    std::uint32_t offset;
    std::uint32_t length;
  };
  // The keys of a section's first appearance follow one another in keys_.
  // A section of more than kScannedKeys keys has its own hash table,
  // key_tables_[table].
  struct Section {
    Span name;
    std::uint32_t first_key;
    std::uint32_t key_count;
    std::uint32_t table;
  };
  struct Key {
    Span name;
    Span value;
    std::uint32_t hash;  // of the case-folded name
  };
  // Open addressing with linear probing; a slot holds the hash in the high
  // half and the entry's index + 1 in the low half, 0 when free.
  using Slots = std::vector<std::uint64_t>;

  // Smaller sections are searched key by key, which keeps a template's
  // lookups within a few cache lines.
  static constexpr std::uint32_t kScannedKeys = 8;

  void parse();
  void parse_line(std::string_view line);
  void add_section(std::string_view name);
  void close_section();
  void add_key(std::string_view name, std::string_view value);
  std::optional<std::uint32_t> find_section(std::string_view name) const;
  std::optional<std::uint32_t> find_key(const Section& section,
                                        std::string_view name,
                                        std::uint32_t hash) const;
  std::string_view view(Span span) const;
  Span span(std::string_view part) const;

  std::string bytes_;
  ChunkedArray<Section> sections_;
  // Sections named by a small decimal number without leading zeros, as the
  // catalogue's are, by that number (index + 1, 0 for none), so that a
  // catalogue's sections are met one after another in memory. Other
  // sections are in section_slots_.
  std::vector<std::uint32_t> numbered_;
  Slots section_slots_;
  std::size_t hashed_sections_ = 0;
  ChunkedArray<Key> keys_;
  std::vector<Slots> key_tables_;

  // While parsing: the section whose keys the lines give (-1 for none:
  // before the first section or in a later section of a known name), and
  // its hash table once it has more than kScannedKeys keys.
  std::int64_t open_ = -1;
  Slots open_slots_;
};

}  // namespace miaoyu::catalogue
