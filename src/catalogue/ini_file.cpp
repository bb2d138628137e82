#include "catalogue/ini_file.hpp"

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
  std::u32string piece;
  constexpr std::size_t kPiece = 1 << 16;
  piece.reserve(kPiece);
  const auto* p = reinterpret_cast<const unsigned char*>(data.data());
  const std::size_t units = data.size() / 2;
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
std::optional<std::uint32_t> probe(const std::vector<std::uint64_t>& slots,
                                   std::uint32_t hash, Matches matches) {
  if (slots.empty()) {
    return std::nullopt;
  }
  const std::size_t mask = slots.size() - 1;
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

// The same key name in different sections lands in different slots.
std::uint32_t key_slot_hash(std::uint32_t name_hash, std::uint32_t section) {
  return static_cast<std::uint32_t>(
      mix((std::uint64_t{section} << 32) | name_hash) >> 32);
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
  std::int64_t section = -1;
  std::size_t pos = 0;
  while (pos < size) {
    std::size_t end = pos;
    while (end < size && data[end] != '\n' && data[end] != '\r') {
      ++end;
    }
    parse_line(std::string_view(data + pos, end - pos), section);
    const bool crlf = end + 1 < size && data[end] == '\r' && data[end + 1] == '\n';
    pos = end + (crlf ? 2 : 1);
  }
}

// section is the index of the section the line belongs to, or -1 while the
// lines cannot be found by a lookup (before the first section, or in a later
// section of an already seen name).
void IniFile::parse_line(std::string_view line, std::int64_t& section) {
  line = trim_front(line);
  if (line.empty() || line.front() == ';') {
    return;
  }
  if (line.front() == '[') {
    const std::string_view rest = line.substr(1);
    section = add_section(trim(rest.substr(0, find_close_bracket(rest))));
    return;
  }
  if (section < 0) {
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
  add_key(static_cast<std::uint32_t>(section), name,
          clean_value(line.substr(equals + 1)));
}

std::int64_t IniFile::add_section(std::string_view name) {
  if (find_section(name)) {
    return -1;
  }
  const auto index = static_cast<std::uint32_t>(sections_.size());
  insert_slot(section_slots_, sections_.size(), hash_name(name), index);
  sections_.push_back(Section{span(name), static_cast<std::uint32_t>(keys_.size()), 0});
  return index;
}

void IniFile::add_key(std::uint32_t section, std::string_view name,
                      std::string_view value) {
  const std::uint32_t hash = hash_name(name);
  if (find_key(section, name, hash)) {
    return;
  }
  const auto index = static_cast<std::uint32_t>(keys_.size());
  keys_.push_back(Key{span(name), span(value), hash});
  Section& s = sections_[section];
  ++s.key_count;
  if (s.key_count == kScannedKeys + 1) {
    for (std::uint32_t key = s.first_key; key <= index; ++key) {
      index_key(section, key);
    }
  } else if (s.key_count > kScannedKeys + 1) {
    index_key(section, index);
  }
}

void IniFile::index_key(std::uint32_t section, std::uint32_t key) {
  insert_slot(key_slots_, indexed_keys_, key_slot_hash(keys_[key].hash, section), key);
  ++indexed_keys_;
}

std::optional<std::uint32_t> IniFile::find_section(std::string_view name) const {
  return probe(section_slots_, hash_name(name), [&](std::uint32_t index) {
    return names_equal(view(sections_[index].name), name);
  });
}

std::optional<std::uint32_t> IniFile::find_key(std::uint32_t section,
                                               std::string_view name,
                                               std::uint32_t hash) const {
  const Section& s = sections_[section];
  const auto matches = [&](std::uint32_t key) {
    return keys_[key].hash == hash && names_equal(view(keys_[key].name), name);
  };
  if (s.key_count <= kScannedKeys) {
    for (std::uint32_t key = s.first_key; key < s.first_key + s.key_count; ++key) {
      if (matches(key)) {
        return key;
      }
    }
    return std::nullopt;
  }
  return probe(key_slots_, key_slot_hash(hash, section), [&](std::uint32_t key) {
    return key >= s.first_key && key - s.first_key < s.key_count && matches(key);
  });
}

std::optional<std::string_view> IniFile::find(std::string_view section,
                                              std::string_view key) const {
  const auto id = find_section(section);
  if (!id) {
    return std::nullopt;
  }
  const auto index = find_key(*id, key, hash_name(key));
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
