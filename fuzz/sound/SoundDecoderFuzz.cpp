// Sound files of any contents, as a damaged file in a pak would be: decoding
// either refuses them or reads no more than it was asked for, mixed down to
// mono or in the file's own channels, and again after a rewind.
#include "platform/SoundDecoder.h"
#include "tests/sound/SoundFixtures.h"

#include <cstdlib>

namespace {

// Reads the whole sound a piece at a time; returns the frames read.
size_t ReadAll(platform::SoundDecoder& decoder, int outChannels) {
  const size_t piece = 256;
  std::vector<int16_t> buffer(piece * static_cast<size_t>(outChannels));
  size_t total = 0;
  for (int round = 0; round < 4096; ++round) {
    const size_t got = decoder.Read(buffer.data(), piece, outChannels);
    if (got > piece) std::abort();
    if (got == 0) break;
    total += got;
  }
  return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::SoundDecoder decoder;
  if (!decoder.Open(std::make_unique<MemoryInput>(std::string(reinterpret_cast<const char*>(data), size))))
    return 0;
  if (decoder.Channels() <= 0 || decoder.SampleRate() <= 0) std::abort();
  ReadAll(decoder, 1);
  decoder.Rewind();
  ReadAll(decoder, decoder.Channels());
  return 0;
}
