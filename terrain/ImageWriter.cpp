#include "terrain/ImageWriter.h"

#include <algorithm>

namespace {

uint32_t Crc32(const std::string& bytes, size_t from) {
  uint32_t crc = 0xffffffffu;
  for (size_t i = from; i < bytes.size(); ++i) {
    crc ^= uint8_t(bytes[i]);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBig32(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += char((v >> shift) & 0xff);
}

void PutLittle16(std::string& out, unsigned v) {
  out += char(v & 0xff);
  out += char((v >> 8) & 0xff);
}

void PutChunk(std::string& png, const char* type, const std::string& data) {
  PutBig32(png, uint32_t(data.size()));
  const size_t start = png.size();
  png += type;
  png += data;
  PutBig32(png, Crc32(png, start));
}

}  // namespace

std::string EncodePng(unsigned width, unsigned height, int channels, const std::vector<uint8_t>& pixels) {
  const size_t rowBytes = size_t(width) * channels;
  std::string raw;
  for (unsigned y = 0; y < height; ++y) {
    raw += char(0);  // no filter
    raw.append(reinterpret_cast<const char*>(&pixels[y * rowBytes]), rowBytes);
  }
  // A zlib stream of stored blocks, then the Adler-32 of the raw bytes.
  std::string z = "\x78\x01";
  for (size_t at = 0; at < raw.size() || at == 0; at += 65535) {
    const size_t n = std::min<size_t>(65535, raw.size() - at);
    z += char(at + n >= raw.size() ? 1 : 0);
    PutLittle16(z, unsigned(n));
    PutLittle16(z, unsigned(~n & 0xffff));
    z.append(raw, at, n);
    if (raw.empty()) break;
  }
  uint32_t a = 1, b = 0;
  for (char c : raw) {
    a = (a + uint8_t(c)) % 65521;
    b = (b + a) % 65521;
  }
  PutBig32(z, b << 16 | a);

  std::string header;
  PutBig32(header, width);
  PutBig32(header, height);
  header += char(8);  // bits per channel
  header += char(channels == 1 ? 0 : channels == 3 ? 2 : 6);
  header += std::string(3, '\0');  // deflate, adaptive filter, no interlace
  std::string png = "\x89PNG\r\n\x1a\n";
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", z);
  PutChunk(png, "IEND", "");
  return png;
}

std::string EncodeTga(unsigned width, unsigned height, const std::vector<uint8_t>& pixels) {
  std::string tga(12, '\0');
  tga[2] = 2;  // uncompressed true colour
  PutLittle16(tga, width);
  PutLittle16(tga, height);
  tga += char(32);
  tga += char(0x28);  // 8 alpha bits, rows top first
  for (size_t i = 0; i + 3 < pixels.size(); i += 4) {
    tga += char(pixels[i + 2]);
    tga += char(pixels[i + 1]);
    tga += char(pixels[i]);
    tga += char(pixels[i + 3]);
  }
  return tga;
}
