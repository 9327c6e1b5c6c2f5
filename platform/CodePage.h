#pragma once
// Code page 936 (GBK): the encoding of the game's own texts.
#include <string>

namespace platform {

// GBK bytes to UTF-8 / UTF-32. Bytes that do not decode become U+FFFD and
// decoding goes on after them.
std::string GbkToUtf8(const std::string& gbk);
std::u32string GbkToUtf32(const std::string& gbk);

// UTF-8 to GBK; characters GBK cannot hold become '?'.
std::string Utf8ToGbk(const std::string& utf8);

// One double-byte character (lead, trail) to its UTF-16 unit; 0 when the pair
// is not a GBK character.
char16_t GbkPairToUtf16(unsigned char lead, unsigned char trail);

}  // namespace platform
