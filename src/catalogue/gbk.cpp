#include "catalogue/gbk.hpp"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <unordered_map>

namespace miaoyu {
namespace {

constexpr char32_t kReplacement = U'\uFFFD';

// One conversion of a short byte run with a fresh converter state; 0 when the
// converter rejects the bytes or yields anything but exactly one character.
char32_t convert_one(const char* from_code, std::string_view bytes) {
  iconv_t cd = iconv_open("UTF-32LE", from_code);
  if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
  std::array<char, 4> in{};
  std::copy(bytes.begin(), bytes.end(), in.begin());
  std::array<unsigned char, 8> out{};
  char* in_ptr = in.data();
  auto* out_ptr = reinterpret_cast<char*>(out.data());
  std::size_t in_left = bytes.size();
  std::size_t out_left = out.size();
  const std::size_t rc = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
  iconv_close(cd);
  if (rc == static_cast<std::size_t>(-1) || in_left != 0 || out.size() - out_left != 4) return 0;
  return static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | static_cast<std::uint32_t>(out[3]) << 24);
}

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
    return static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | static_cast<std::uint32_t>(out[3]) << 24);
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

}  // namespace

std::u32string decode_gbk(std::string_view gbk) {
  std::u32string out;
  out.reserve(gbk.size());
  const auto& t = table();
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
        const char32_t c = convert_one("GB18030", gbk.substr(i, 4));
        out += c != 0 ? c : kReplacement;
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
  // Opened at the first character GBK lacks, and kept for the rest of the text.
  iconv_t four_byte = reinterpret_cast<iconv_t>(-1);
  bool opened = false;
  for (const char32_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c == U'\u20AC') {
      out += '\x80';
    } else if (const auto it = t.encode.find(c); it != t.encode.end()) {
      out += static_cast<char>(it->second >> 8);
      out += static_cast<char>(it->second & 0xFF);
    } else {
      // GB18030 four-byte form: reaches every code point GBK lacks.
      if (!opened) {
        four_byte = iconv_open("GB18030", "UTF-32LE");
        opened = true;
      }
      bool done = false;
      if (four_byte != reinterpret_cast<iconv_t>(-1)) {
        iconv(four_byte, nullptr, nullptr, nullptr, nullptr);
        const std::uint32_t code = (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF ? 0xFFFD : c;
        unsigned char in[4] = {static_cast<unsigned char>(code), static_cast<unsigned char>(code >> 8),
                               static_cast<unsigned char>(code >> 16), static_cast<unsigned char>(code >> 24)};
        char buffer[8];
        auto* in_ptr = reinterpret_cast<char*>(in);
        char* out_ptr = buffer;
        std::size_t in_left = 4;
        std::size_t out_left = sizeof buffer;
        done = iconv(four_byte, &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<std::size_t>(-1);
        if (done) out.append(buffer, sizeof buffer - out_left);
      }
      if (!done) out += '?';
    }
  }
  if (opened && four_byte != reinterpret_cast<iconv_t>(-1)) iconv_close(four_byte);
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
