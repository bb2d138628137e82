// Conversion between GBK texts and Unicode at the program's edges.
//
// Decoding uses code page 936 (0x80 is U+20AC); a double-byte sequence that
// GBK rejects (the user-defined areas) is decoded as GB18030, and so are
// GB18030 four-byte sequences. Bytes that decode as nothing become U+FFFD.
// Encoding writes GBK where GBK has the character and the GB18030 four-byte
// sequence otherwise, so every character survives a round trip.
#pragma once

#include <string>
#include <string_view>

namespace miaoyu {

std::u32string decode_gbk(std::string_view gbk);
std::string encode_gbk(std::u32string_view text);

// Convenience wrappers over UTF-8, for file names and the toolkit.
std::string gbk_to_utf8(std::string_view gbk);
std::string utf8_to_gbk(std::string_view utf8);

}  // namespace miaoyu
