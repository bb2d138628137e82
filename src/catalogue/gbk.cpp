#include "catalogue/gbk.hpp"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <unordered_map>

namespace miaoyu {
namespace {

constexpr char32_t kReplacement = U'\uFFFD';

// A converter for GB18030 four-byte sequences, opened at the first one a
// text holds and kept for the rest of that text.
class FourByteConverter {
 public:
  FourByteConverter(const char* to_code, const char* from_code) : to_(to_code), from_(from_code) {}
  FourByteConverter(const FourByteConverter&) = delete;
  FourByteConverter& operator=(const FourByteConverter&) = delete;
  ~FourByteConverter() {
    if (opened_ && cd_ != kFailed) iconv_close(cd_);
  }

  // Converts one character's bytes with a fresh shift state; false when the
  // converter is missing or rejects them.
  bool convert(const char* in, std::size_t in_size, char* out, std::size_t& out_size) {
    if (!opened_) {
      cd_ = iconv_open(to_, from_);
      opened_ = true;
    }
    if (cd_ == kFailed) return false;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char buffer[4];
    std::copy_n(in, in_size, buffer);
    char* in_ptr = buffer;
    char* out_ptr = out;
    std::size_t in_left = in_size;
    std::size_t out_left = out_size;
    if (iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<std::size_t>(-1) || in_left != 0) {
      return false;
    }
    out_size -= out_left;
    return true;
  }

 private:
  static inline const iconv_t kFailed = reinterpret_cast<iconv_t>(-1);
  const char* to_;
  const char* from_;
  iconv_t cd_ = kFailed;
  bool opened_ = false;
};

char32_t from_utf32le(const unsigned char* b) {
  return static_cast<char32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24);
}

// Codes that code page 936 gives private-use characters, where the tables
// of newer GB18030 editions (and so glibc's converters) give standard ones.
// The program follows code page 936: the two-byte code decodes to the
// private-use character and back, and the standard character, which code
// page 936 lacks, travels as its GB18030 four-byte sequence.
struct PrivateUseCode {
  std::uint16_t two_byte;
  char32_t private_use;
  char32_t standard;
  std::uint32_t four_byte;
};

constexpr PrivateUseCode kPrivateUseCodes[] = {
    {0xA6D9, U'\uE78D', U'\U0000FE10', 0x84318236},
    {0xA6DA, U'\uE78E', U'\U0000FE12', 0x84318238},
    {0xA6DB, U'\uE78F', U'\U0000FE11', 0x84318237},
    {0xA6DC, U'\uE790', U'\U0000FE13', 0x84318239},
    {0xA6DD, U'\uE791', U'\U0000FE14', 0x84318330},
    {0xA6DE, U'\uE792', U'\U0000FE15', 0x84318331},
    {0xA6DF, U'\uE793', U'\U0000FE16', 0x84318332},
    {0xA6EC, U'\uE794', U'\U0000FE17', 0x84318333},
    {0xA6ED, U'\uE795', U'\U0000FE18', 0x84318334},
    {0xA6F3, U'\uE796', U'\U0000FE19', 0x84318335},
    {0xA8BC, U'\uE7C7', U'\U00001E3F', 0x8135F437},
    {0xFE51, U'\uE816', U'\U00020087', 0x95329031},
    {0xFE52, U'\uE817', U'\U00020089', 0x95329033},
    {0xFE53, U'\uE818', U'\U000200CC', 0x95329730},
    {0xFE59, U'\uE81E', U'\U00009FB4', 0x82359037},
    {0xFE61, U'\uE826', U'\U00009FB5', 0x82359038},
    {0xFE66, U'\uE82B', U'\U00009FB6', 0x82359039},
    {0xFE67, U'\uE82C', U'\U00009FB7', 0x82359130},
    {0xFE6C, U'\uE831', U'\U000215D7', 0x9536B937},
    {0xFE6D, U'\uE832', U'\U00009FB8', 0x82359131},
    {0xFE76, U'\uE83B', U'\U0002298F', 0x9630BA35},
    {0xFE7E, U'\uE843', U'\U00009FB9', 0x82359132},
    {0xFE90, U'\uE854', U'\U00009FBA', 0x82359133},
    {0xFE91, U'\uE855', U'\U000241FE', 0x9635B630},
    {0xFEA0, U'\uE864', U'\U00009FBB', 0x82359134},
};

bool is_lead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool is_trail(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }
bool is_digit(unsigned char b) { return b >= 0x30 && b <= 0x39; }

// Every double-byte character, decoded once: GBK first, GB18030 for the pairs
// GBK rejects. Opening a converter per character would cost far more than the
// table (about 24 000 entries), which also gives the reverse map for encoding.
struct DoubleByteTable {
  std::array<char32_t, 126 * 191> decode{};
  std::unordered_map<char32_t, std::uint16_t> encode;

  DoubleByteTable() {
    iconv_t gbk = iconv_open("UTF-32LE", "GBK");
    iconv_t gb18030 = iconv_open("UTF-32LE", "GB18030");
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
      for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        char32_t c = run(gbk, pair);
        if (c == 0) c = run(gb18030, pair);
        decode[index(lead, trail)] = c;
        if (c != 0) encode.emplace(c, static_cast<std::uint16_t>(lead << 8 | trail));
      }
    }
    if (gbk != reinterpret_cast<iconv_t>(-1)) iconv_close(gbk);
    if (gb18030 != reinterpret_cast<iconv_t>(-1)) iconv_close(gb18030);
    for (const PrivateUseCode& code : kPrivateUseCodes) {
      decode[index(code.two_byte >> 8, code.two_byte & 0xFF)] = code.private_use;
      encode.erase(code.standard);
      encode.emplace(code.private_use, code.two_byte);
    }
  }

  static std::size_t index(unsigned lead, unsigned trail) { return (lead - 0x81) * 191 + (trail - 0x40); }

  static char32_t run(iconv_t cd, const char (&pair)[2]) {
    if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in[2] = {pair[0], pair[1]};
    unsigned char out[8] = {};
    char* in_ptr = in;
    auto* out_ptr = reinterpret_cast<char*>(out);
    std::size_t in_left = 2;
    std::size_t out_left = sizeof out;
    if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<std::size_t>(-1)) return 0;
    if (in_left != 0 || sizeof out - out_left != 4) return 0;
    return from_utf32le(out);
  }
};

const DoubleByteTable& table() {
  static const DoubleByteTable instance;
  return instance;
}

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Strict UTF-8 decoding; every malformed byte becomes U+FFFD.
std::u32string decode_utf8(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    int length = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    char32_t c = length == 1 ? b : length == 2 ? b & 0x1F : length == 3 ? b & 0x0F : b & 0x07;
    bool ok = length != 0 && i + length <= s.size();
    for (int k = 1; ok && k < length; ++k) {
      const auto t = static_cast<unsigned char>(s[i + k]);
      ok = (t & 0xC0) == 0x80;
      c = c << 6 | (t & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (ok) ok = c >= kMin[length] && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
    if (!ok) {
      out += kReplacement;
      ++i;
      continue;
    }
    out += c;
    i += static_cast<std::size_t>(length);
  }
  return out;
}

char32_t decode_four_byte(std::string_view bytes, FourByteConverter& converter) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::uint32_t code = static_cast<std::uint32_t>(b[0]) << 24 | b[1] << 16 | b[2] << 8 | b[3];
  for (const PrivateUseCode& entry : kPrivateUseCodes) {
    if (entry.four_byte == code) return entry.standard;
  }
  unsigned char out[8];
  std::size_t out_size = sizeof out;
  if (!converter.convert(bytes.data(), 4, reinterpret_cast<char*>(out), out_size) || out_size != 4) {
    return kReplacement;
  }
  return from_utf32le(out);
}

// The GB18030 four-byte form of a character GBK lacks, appended to out.
bool encode_four_byte(char32_t c, FourByteConverter& converter, std::string& out) {
  for (const PrivateUseCode& entry : kPrivateUseCodes) {
    if (entry.standard == c) {
      for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(entry.four_byte >> shift & 0xFF);
      return true;
    }
  }
  const std::uint32_t code = (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF ? 0xFFFD : c;
  const char in[4] = {static_cast<char>(code), static_cast<char>(code >> 8), static_cast<char>(code >> 16),
                      static_cast<char>(code >> 24)};
  char buffer[8];
  std::size_t size = sizeof buffer;
  if (!converter.convert(in, 4, buffer, size)) return false;
  out.append(buffer, size);
  return true;
}

}  // namespace

std::u32string decode_gbk(std::string_view gbk) {
  std::u32string out;
  out.reserve(gbk.size());
  const auto& t = table();
  FourByteConverter four_byte("UTF-32LE", "GB18030");
  std::size_t i = 0;
  while (i < gbk.size()) {
    const auto b = static_cast<unsigned char>(gbk[i]);
    if (b < 0x80) {
      out += b;
      ++i;
    } else if (b == 0x80) {
      out += U'\u20AC';
      ++i;
    } else if (!is_lead(b) || i + 1 >= gbk.size()) {
      out += kReplacement;
      ++i;
    } else {
      const auto b2 = static_cast<unsigned char>(gbk[i + 1]);
      if (is_digit(b2) && i + 3 < gbk.size() && is_lead(static_cast<unsigned char>(gbk[i + 2])) &&
          is_digit(static_cast<unsigned char>(gbk[i + 3]))) {
        out += decode_four_byte(gbk.substr(i, 4), four_byte);
        i += 4;
      } else if (is_trail(b2) && t.decode[DoubleByteTable::index(b, b2)] != 0) {
        out += t.decode[DoubleByteTable::index(b, b2)];
        i += 2;
      } else {
        // The lead byte alone is undecodable; the next byte starts afresh.
        out += kReplacement;
        ++i;
      }
    }
  }
  return out;
}

std::string encode_gbk(std::u32string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  const auto& t = table();
  FourByteConverter four_byte("GB18030", "UTF-32LE");
  for (const char32_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c == U'\u20AC') {
      out += '\x80';
    } else if (const auto it = t.encode.find(c); it != t.encode.end()) {
      out += static_cast<char>(it->second >> 8);
      out += static_cast<char>(it->second & 0xFF);
    } else if (!encode_four_byte(c, four_byte, out)) {
      out += '?';
    }
  }
  return out;
}

std::string gbk_to_utf8(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size() * 3 / 2);
  for (const char32_t c : decode_gbk(gbk)) append_utf8(out, c);
  return out;
}

std::string utf8_to_gbk(std::string_view utf8) { return encode_gbk(decode_utf8(utf8)); }

}  // namespace miaoyu
