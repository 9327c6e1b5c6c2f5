#include "platform/CodePage.h"

#include <cerrno>
#include <iconv.h>

namespace platform {
namespace {

// Converts with iconv, replacing each input unit that does not convert (or
// that the target cannot hold) with `replacement` and going on. An
// unconvertible unit is one byte, or one UTF-8 sequence when the input is
// UTF-8.
std::string Convert(const char* to, const char* from, const std::string& in, const std::string& replacement) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string();
  const bool utf8Input = std::string(from) == "UTF-8";
  std::string out;
  out.reserve(in.size() * 4);
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char buffer[1024];
  while (srcLeft > 0) {
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buffer, sizeof buffer - dstLeft);
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ, or EINVAL for a unit cut off at the end.
      out += replacement;
      size_t skip = 1;
      while (utf8Input && skip < srcLeft && (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80) ++skip;
      src += skip;
      srcLeft -= skip;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string GbkToUtf8(const std::string& gbk) {
  return Convert("UTF-8", "GBK", gbk, "\xEF\xBF\xBD");
}

std::u32string GbkToUtf32(const std::string& gbk) {
  const char32_t replacementChar = 0xFFFD;
  std::string replacement(reinterpret_cast<const char*>(&replacementChar), 4);
  std::string bytes = Convert("UTF-32LE", "GBK", gbk, replacement);
  std::u32string result(bytes.size() / 4, U'\0');
  for (size_t i = 0; i < result.size(); ++i) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data()) + i * 4;
    result[i] = static_cast<char32_t>(p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24));
  }
  return result;
}

std::string Utf8ToGbk(const std::string& utf8) { return Convert("GBK", "UTF-8", utf8, "?"); }

char16_t GbkPairToUtf16(unsigned char lead, unsigned char trail) {
  const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  iconv_t cd = iconv_open("UTF-16LE", "GBK");
  if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
  char* src = const_cast<char*>(pair);
  size_t srcLeft = 2;
  unsigned char out[4] = {0, 0, 0, 0};
  char* dst = reinterpret_cast<char*>(out);
  size_t dstLeft = sizeof out;
  size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1) || srcLeft != 0 || dstLeft != 2) return 0;
  return static_cast<char16_t>(out[0] | (out[1] << 8));
}

}  // namespace platform
