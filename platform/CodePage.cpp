#include "platform/CodePage.h"

#include <cerrno>
#include <iconv.h>

namespace platform {
namespace {

// Converts with iconv, replacing each undecodable input byte (or character
// the target cannot hold) with `replacement` and going on.
std::string Convert(const char* to, const char* from, const std::string& in,
                    const std::string& replacement, size_t unitSize) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string();
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
      // EILSEQ or EINVAL (cut off at the end): skip one input unit.
      out += replacement;
      size_t skip = unitSize < srcLeft ? unitSize : srcLeft;
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
  return Convert("UTF-8", "GBK", gbk, "\xEF\xBF\xBD", 1);
}

std::u32string GbkToUtf32(const std::string& gbk) {
  const char32_t replacementChar = 0xFFFD;
  std::string replacement(reinterpret_cast<const char*>(&replacementChar), 4);
  std::string bytes = Convert("UTF-32LE", "GBK", gbk, replacement, 1);
  std::u32string result(bytes.size() / 4, U'\0');
  for (size_t i = 0; i < result.size(); ++i) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data()) + i * 4;
    result[i] = static_cast<char32_t>(p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24));
  }
  return result;
}

std::string Utf8ToGbk(const std::string& utf8) {
  // An unconvertible character is skipped as one UTF-8 sequence.
  iconv_t cd = iconv_open("GBK", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string();
  std::string out;
  char* src = const_cast<char*>(utf8.data());
  size_t srcLeft = utf8.size();
  char buffer[1024];
  while (srcLeft > 0) {
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buffer, sizeof buffer - dstLeft);
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      out += '?';
      size_t skip = 1;
      while (skip < srcLeft && (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80) ++skip;
      src += skip;
      srcLeft -= skip;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

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
