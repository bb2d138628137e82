#include "catalogue/ini_file.hpp"

#include <algorithm>

#include "catalogue/gbk.hpp"

namespace miaoyu::catalogue {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\v'; }

std::string_view trim_front(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && is_blank(s[i])) {
    ++i;
  }
  return s.substr(i);
}

std::string_view trim_back(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && is_blank(s[n - 1])) {
    --n;
  }
  return s.substr(0, n);
}

std::string_view trim(std::string_view s) { return trim_back(trim_front(s)); }

// A GBK lead byte starts a two-byte unit whose second byte may look like an
// ASCII letter or bracket; such a unit is never folded or split.
bool is_gbk_lead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

unsigned char fold(unsigned char b) {
  return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + ('a' - 'A'))
                                : b;
}

std::uint64_t mix(std::uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ULL;
  h ^= h >> 33;
  return h;
}

// FNV-1a over the case-folded name.
std::uint32_t hash_name(std::string_view name) {
  std::uint64_t h = 0xcbf29ce484222325ULL;
  const auto* p = reinterpret_cast<const unsigned char*>(name.data());
  const std::size_t n = name.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (is_gbk_lead(p[i]) && i + 1 < n) {
      h = (h ^ p[i]) * 0x100000001b3ULL;
      ++i;
      h = (h ^ p[i]) * 0x100000001b3ULL;
    } else {
      h = (h ^ fold(p[i])) * 0x100000001b3ULL;
    }
  }
  return static_cast<std::uint32_t>(mix(h) >> 32);
}

bool names_equal(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  const auto* p = reinterpret_cast<const unsigned char*>(a.data());
  const auto* q = reinterpret_cast<const unsigned char*>(b.data());
  const std::size_t n = a.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (is_gbk_lead(p[i]) && i + 1 < n) {
      if (p[i] != q[i] || p[i + 1] != q[i + 1]) {
        return false;
      }
      ++i;
    } else if (fold(p[i]) != fold(q[i])) {
      return false;
    }
  }
  return true;
}

std::size_t find_close_bracket(std::string_view s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  std::size_t i = 0;
  while (i < s.size()) {
    if (p[i] == ']') {
      return i;
    }
    i += (is_gbk_lead(p[i]) && i + 1 < s.size()) ? 2 : 1;
  }
  return std::string_view::npos;
}

std::string_view clean_value(std::string_view value) {
  value = trim(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  value = value.substr(0, value.find('\0'));
  return value.substr(0, kMaxIniValueLength);
}

// UTF-16LE (after its byte-order mark) to GBK. Unpaired surrogates become
// U+FFFD and an odd last byte is dropped. Converts in pieces so the
// intermediate UTF-32 text stays small.
std::string utf16le_to_gbk(std::string_view data) {
  std::string gbk;
  gbk.reserve(data.size());
  const auto* p = reinterpret_cast<const unsigned char*>(data.data());
  const std::size_t units = data.size() / 2;
  constexpr std::size_t kPiece = 1 << 16;
  std::u32string piece;
  piece.reserve(std::min(kPiece, units));
  auto unit = [p](std::size_t i) -> char32_t {
    return static_cast<char32_t>(p[2 * i] | (p[2 * i + 1] << 8));
  };
  for (std::size_t i = 0; i < units; ++i) {
    const char32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units &&
        unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
      piece.push_back(0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      piece.push_back(0xFFFD);
    } else {
      piece.push_back(u);
    }
    if (piece.size() == kPiece) {
      gbk += encode_gbk(piece);
      piece.clear();
    }
  }
  gbk += encode_gbk(piece);
  return gbk;
}

template <typename Matches>
std::optional<std::uint32_t> probe(const std::uint64_t* slots, std::size_t mask,
                                   std::uint32_t hash, Matches matches) {
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const std::uint64_t slot = slots[i];
    if (slot == 0) {
      return std::nullopt;
    }
    const auto index = static_cast<std::uint32_t>(slot) - 1;
    if (static_cast<std::uint32_t>(slot >> 32) == hash && matches(index)) {
      return index;
    }
  }
}

template <typename Matches>
std::optional<std::uint32_t> probe(const std::vector<std::uint64_t>& slots,
                                   std::uint32_t hash, Matches matches) {
  if (slots.empty()) {
    return std::nullopt;
  }
  return probe(slots.data(), slots.size() - 1, hash, matches);
}

// Keeps at most half of the slots in use.
void insert_slot(std::vector<std::uint64_t>& slots, std::size_t count,
                 std::uint32_t hash, std::uint32_t index) {
  if ((count + 1) * 2 > slots.size()) {
    std::vector<std::uint64_t> grown(slots.empty() ? 16 : slots.size() * 2);
    const std::size_t mask = grown.size() - 1;
    for (const std::uint64_t slot : slots) {
      if (slot != 0) {
        std::size_t i = (slot >> 32) & mask;
        while (grown[i] != 0) {
          i = (i + 1) & mask;
        }
        grown[i] = slot;
      }
    }
    slots.swap(grown);
  }
  const std::size_t mask = slots.size() - 1;
  std::size_t i = hash & mask;
  while (slots[i] != 0) {
    i = (i + 1) & mask;
  }
  slots[i] = (std::uint64_t{hash} << 32) | (std::uint64_t{index} + 1);
}

// The number a name writes in decimal without sign or leading zeros.
std::optional<std::uint32_t> decimal_number(std::string_view name) {
  if (name.empty() || name.size() > 9 || (name.front() == '0' && name.size() > 1)) {
    return std::nullopt;
  }
  std::uint32_t number = 0;
  for (const char c : name) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    number = number * 10 + static_cast<std::uint32_t>(c - '0');
  }
  return number;
}

}  // namespace

IniFile::IniFile(std::string bytes) : bytes_(std::move(bytes)) {
  if (bytes_.size() > kMaxIniFileSize) {
    bytes_.clear();
  }
  const std::string_view data = bytes_;
  if (data.starts_with("\xFF\xFE")) {
    bytes_ = utf16le_to_gbk(data.substr(2));
  } else if (data.starts_with("\xEF\xBB\xBF")) {
    bytes_.erase(0, 3);
  }
  parse();
}

void IniFile::parse() {
  const char* data = bytes_.data();
  const std::size_t size = bytes_.size();
  std::size_t pos = 0;
  while (pos < size) {
    std::size_t end = pos;
    while (end < size && data[end] != '\n' && data[end] != '\r') {
      ++end;
    }
    parse_line(std::string_view(data + pos, end - pos));
    const bool crlf = end + 1 < size && data[end] == '\r' && data[end + 1] == '\n';
    pos = end + (crlf ? 2 : 1);
  }
  close_section();
}

void IniFile::parse_line(std::string_view line) {
  line = trim_front(line);
  if (line.empty() || line.front() == ';') {
    return;
  }
  if (line.front() == '[') {
    const std::string_view rest = line.substr(1);
    close_section();
    add_section(trim(rest.substr(0, find_close_bracket(rest))));
    return;
  }
  if (open_ < 0) {
    return;
  }
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) {
    return;
  }
  const std::string_view name = trim_back(line.substr(0, equals));
  if (name.empty()) {
    return;
  }
  add_key(name, clean_value(line.substr(equals + 1)));
}

// The table of numbers covers no more than twice the sections so far, so its
// memory stays bounded by the file's size; a name is in exactly one of the
// table and section_slots_.
void IniFile::add_section(std::string_view name) {
  if (find_section(name)) {
    open_ = -1;
    return;
  }
  const auto index = static_cast<std::uint32_t>(sections_.size());
  const std::size_t limit = 2 * (sections_.size() + 1) + 1024;
  const auto number = decimal_number(name);
  if (number && *number < limit) {
    if (*number >= numbered_.size()) {
      numbered_.resize(std::max<std::size_t>(*number + 1, std::min(limit, 2 * numbered_.size())));
    }
    numbered_[*number] = index + 1;
  } else {
    insert_slot(section_slots_, hashed_sections_++, hash_name(name), index);
  }
  sections_.push_back(Section{span(name), static_cast<std::uint32_t>(keys_.size()), 0, 0});
  open_ = index;
}

void IniFile::close_section() {
  if (open_ >= 0 && !open_slots_.empty()) {
    sections_[static_cast<std::size_t>(open_)].table =
        static_cast<std::uint32_t>(key_tables_.size());
    key_tables_.push_back(std::move(open_slots_));
    open_slots_ = Slots();
  }
}

void IniFile::add_key(std::string_view name, std::string_view value) {
  Section& s = sections_[static_cast<std::size_t>(open_)];
  const std::uint32_t hash = hash_name(name);
  const auto same = [&](std::uint32_t key) {
    return keys_[key].hash == hash && names_equal(view(keys_[key].name), name);
  };
  if (s.key_count <= kScannedKeys) {
    for (std::uint32_t key = s.first_key; key < s.first_key + s.key_count; ++key) {
      if (same(key)) {
        return;
      }
    }
  } else if (probe(open_slots_, hash, same)) {
    return;
  }
  const auto index = static_cast<std::uint32_t>(keys_.size());
  keys_.push_back(Key{span(name), span(value), hash});
  ++s.key_count;
  if (s.key_count == kScannedKeys + 1) {
    for (std::uint32_t key = s.first_key; key <= index; ++key) {
      insert_slot(open_slots_, key - s.first_key, keys_[key].hash, key);
    }
  } else if (s.key_count > kScannedKeys + 1) {
    insert_slot(open_slots_, s.key_count - 1, hash, index);
  }
}

std::optional<std::uint32_t> IniFile::find_section(std::string_view name) const {
  if (const auto number = decimal_number(name);
      number && *number < numbered_.size() && numbered_[*number] != 0) {
    return numbered_[*number] - 1;
  }
  return probe(section_slots_, hash_name(name), [&](std::uint32_t index) {
    return names_equal(view(sections_[index].name), name);
  });
}

std::optional<std::uint32_t> IniFile::find_key(const Section& section,
                                               std::string_view name,
                                               std::uint32_t hash) const {
  const auto same = [&](std::uint32_t key) {
    return keys_[key].hash == hash && names_equal(view(keys_[key].name), name);
  };
  if (section.key_count <= kScannedKeys) {
    for (std::uint32_t key = section.first_key;
         key < section.first_key + section.key_count; ++key) {
      if (same(key)) {
        return key;
      }
    }
    return std::nullopt;
  }
  return probe(key_tables_[section.table], hash, same);
}

std::optional<std::string_view> IniFile::find(std::string_view section,
                                              std::string_view key) const {
  const auto id = find_section(section);
  if (!id) {
    return std::nullopt;
  }
  const auto index = find_key(sections_[*id], key, hash_name(key));
  if (!index) {
    return std::nullopt;
  }
  return view(keys_[*index].value);
}

bool IniFile::has_section(std::string_view section) const {
  return find_section(section).has_value();
}

std::string_view IniFile::section_name(std::size_t index) const {
  return view(sections_[index].name);
}

std::string_view IniFile::view(Span span) const {
  return std::string_view(bytes_).substr(span.offset, span.length);
}

IniFile::Span IniFile::span(std::string_view part) const {
  return Span{static_cast<std::uint32_t>(part.data() - bytes_.data()),
              static_cast<std::uint32_t>(part.size())};
}

}  // namespace miaoyu::catalogue
