#include "terrain/ImageHeader.h"

#include <cstdlib>

namespace {

// Reads bytes in order as the codec does: a read past the end gives 0 and
// marks the header as cut.
class HeaderBytes {
 public:
  explicit HeaderBytes(const std::string& bytes) : mBytes(bytes) {}
  bool AtEnd() const { return mAt >= mBytes.size(); }
  bool Cut() const { return mCut; }
  uint8_t Get8() {
    if (AtEnd()) {
      mCut = true;
      return 0;
    }
    return uint8_t(mBytes[mAt++]);
  }
  uint32_t Get16Be() {
    const uint32_t high = Get8();
    return high << 8 | Get8();
  }
  uint32_t Get16Le() {
    const uint32_t low = Get8();
    return low | uint32_t(Get8()) << 8;
  }
  uint32_t Get32Be() {
    const uint32_t high = Get16Be();
    return high << 16 | Get16Be();
  }
  uint32_t Get32Le() {
    const uint32_t low = Get16Le();
    return low | Get16Le() << 16;
  }
  void Skip(size_t count) {
    if (count > mBytes.size() - mAt) {
      mAt = mBytes.size();
      mCut = true;
    } else {
      mAt += count;
    }
  }
  bool StartsWith(const char* mark, size_t length) const { return mBytes.compare(0, length, mark, length) == 0; }

 private:
  const std::string& mBytes;
  size_t mAt = 0;
  bool mCut = false;
};

constexpr uint8_t kNoMarker = 0xFF;

// A JPEG marker: 0xFF, any fill bytes 0xFF, then its code; kNoMarker when
// the next byte is no 0xFF (it is passed over).
uint8_t JpegMarker(HeaderBytes& in) {
  uint8_t byte = in.Get8();
  if (byte != 0xFF) return kNoMarker;
  while (byte == 0xFF && !in.Cut()) byte = in.Get8();
  return byte;
}

bool JpegFrameStart(uint8_t marker) { return marker == 0xC0 || marker == 0xC1 || marker == 0xC2; }

// The segments before the frame header: tables, restart interval, comments
// and application data, each passed over by its length. Any other marker
// ends the decoder too.
bool SkipJpegSegment(HeaderBytes& in, uint8_t marker) {
  const bool known = marker == 0xC4 || marker == 0xDB || marker == 0xDD || (marker >= 0xE0 && marker <= 0xEF) ||
                     marker == 0xFE;
  if (!known) return false;
  const uint32_t length = in.Get16Be();
  if (length < 2) return false;
  in.Skip(length - 2);
  return !in.Cut();
}

bool ReadJpeg(HeaderBytes& in, ImageHeader& header) {
  if (JpegMarker(in) != 0xD8) return false;
  uint8_t marker = JpegMarker(in);
  while (!JpegFrameStart(marker)) {
    if (!SkipJpegSegment(in, marker)) return false;
    marker = JpegMarker(in);
    // Padding between segments is passed over up to the next marker.
    while (marker == kNoMarker) {
      if (in.AtEnd()) return false;
      marker = JpegMarker(in);
    }
  }
  in.Skip(3);  // length and sample precision
  header.Height = in.Get16Be();
  header.Width = in.Get16Be();
  header.Format = "jpg";
  return true;
}

bool ReadPng(HeaderBytes& in, ImageHeader& header) {
  in.Skip(8);  // the signature
  for (;;) {
    const uint32_t length = in.Get32Be();
    const uint32_t type = in.Get32Be();
    if (in.Cut()) return false;
    // Chunks "CgBI" may come before the header chunk.
    if (type == 0x43674249) {
      in.Skip(size_t(length) + 4);
      continue;
    }
    if (type != 0x49484452) return false;  // "IHDR"
    header.Width = in.Get32Be();
    header.Height = in.Get32Be();
    header.Format = "png";
    return true;
  }
}

bool ReadBmp(HeaderBytes& in, ImageHeader& header) {
  in.Skip(14);
  const uint32_t infoSize = in.Get32Le();
  if (infoSize == 12) {
    header.Width = in.Get16Le();
    header.Height = in.Get16Le();
  } else if (infoSize == 40 || infoSize == 56 || infoSize == 108 || infoSize == 124) {
    header.Width = in.Get32Le();
    // Negative for an image stored top row first.
    header.Height = uint32_t(std::llabs(int32_t(in.Get32Le())));
  } else {
    return false;
  }
  header.Format = "bmp";
  return true;
}

bool ReadGif(HeaderBytes& in, ImageHeader& header) {
  in.Skip(6);  // "GIF87a" or "GIF89a"
  header.Width = in.Get16Le();
  header.Height = in.Get16Le();
  header.Format = "gif";
  return true;
}

bool ReadPsd(HeaderBytes& in, ImageHeader& header) {
  in.Skip(14);  // signature, version, reserved bytes, channels
  header.Height = in.Get32Be();
  header.Width = in.Get32Be();
  header.Format = "psd";
  return true;
}

// Binary PNM: "P5" or "P6", then width, height and the largest value in
// text, separated by white space and "#" comments.
bool ReadPnm(HeaderBytes& in, ImageHeader& header) {
  in.Skip(2);
  char c = char(in.Get8());
  auto space = [](char ch) { return ch == ' ' || (ch >= '\t' && ch <= '\r'); };
  auto skipSpace = [&] {
    for (;;) {
      while (!in.AtEnd() && space(c)) c = char(in.Get8());
      if (in.AtEnd() || c != '#') return;
      while (!in.AtEnd() && c != '\n' && c != '\r') c = char(in.Get8());
    }
  };
  // As in the codec, a digit that is the file's last byte is not counted.
  auto number = [&]() -> long long {
    long long value = 0;
    while (!in.AtEnd() && c >= '0' && c <= '9') {
      value = value * 10 + (c - '0');
      if (value > 0x7FFFFFFF) return -1;  // past the codec's int: refused
      c = char(in.Get8());
    }
    return value;
  };
  skipSpace();
  const long long width = number();
  skipSpace();
  const long long height = number();
  if (width < 0 || height < 0) return false;
  header.Width = uint32_t(width);
  header.Height = uint32_t(height);
  header.Format = "ppm";
  return true;
}

bool ReadTga(HeaderBytes& in, ImageHeader& header) {
  in.Skip(12);  // image type, colour map and origin
  header.Width = in.Get16Le();
  header.Height = in.Get16Le();
  header.Format = "tga";
  return true;
}

}  // namespace

bool ReadImageHeader(const std::string& bytes, ImageHeader& header) {
  HeaderBytes in(bytes);
  ImageHeader read;
  bool known = false;
  // Each test takes in at least what the codec's own does, so an image the
  // codec would take for an earlier format never reaches a later one here.
  if (in.StartsWith("\xFF", 1)) known = ReadJpeg(in, read);
  else if (in.StartsWith("\x89PNG\r\n\x1A\n", 8)) known = ReadPng(in, read);
  else if (in.StartsWith("BM", 2)) known = ReadBmp(in, read);
  else if (in.StartsWith("GIF8", 4)) known = (in.StartsWith("GIF87a", 6) || in.StartsWith("GIF89a", 6)) && ReadGif(in, read);
  else if (in.StartsWith("8BPS", 4)) known = ReadPsd(in, read);
  else if (in.StartsWith("\x53\x80\xF6\x34", 4)) known = false;  // PIC
  else if (in.StartsWith("P5", 2) || in.StartsWith("P6", 2)) known = ReadPnm(in, read);
  else if (in.StartsWith("#?", 2)) known = false;  // HDR
  else known = ReadTga(in, read);
  if (!known || in.Cut() || read.Width == 0 || read.Height == 0) return false;
  header = read;
  return true;
}
