#include "platform/SoundDecoder.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>

namespace platform {
namespace {

// Mixing down reads this many frames at a time.
constexpr size_t kMixFrames = 4096;

SoundInput& InputOf(void* user) { return *static_cast<SoundInput*>(user); }

sf_count_t InputLength(void* user) { return InputOf(user).Size(); }

sf_count_t InputSeek(sf_count_t offset, int whence, void* user) {
  SoundInput& input = InputOf(user);
  int64_t target = offset;
  if (whence == SEEK_CUR) target += input.Tell();
  if (whence == SEEK_END) target += input.Size();
  if (target < 0 || !input.Seek(target)) return -1;
  return input.Tell();
}

sf_count_t InputRead(void* buffer, sf_count_t count, void* user) {
  return count <= 0 ? 0 : static_cast<sf_count_t>(InputOf(user).Read(buffer, static_cast<size_t>(count)));
}

sf_count_t InputWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t InputTell(void* user) { return InputOf(user).Tell(); }

}  // namespace

SoundDecoder::~SoundDecoder() {
  if (mFile) sf_close(mFile);
}

bool SoundDecoder::Open(std::unique_ptr<SoundInput> input) {
  if (!input) return false;
  static SF_VIRTUAL_IO io = {InputLength, InputSeek, InputRead, InputWrite, InputTell};
  SF_INFO info = {};
  SNDFILE* file = sf_open_virtual(&io, SFM_READ, &info, input.get());
  if (!file) return false;
  if (info.channels <= 0 || info.samplerate <= 0) {
    sf_close(file);
    return false;
  }
  mInput = std::move(input);
  mFile = file;
  mChannels = info.channels;
  mSampleRate = info.samplerate;
  mFrames = info.frames;
  if (mChannels > 1) mMixBuffer.resize(kMixFrames * static_cast<size_t>(mChannels));
  return true;
}

size_t SoundDecoder::Read(int16_t* out, size_t frames, int outChannels) {
  if (!mFile) return 0;
  if (outChannels != 1 || mChannels == 1)
    return static_cast<size_t>(std::max<sf_count_t>(0, sf_readf_short(mFile, out, static_cast<sf_count_t>(frames))));

  size_t done = 0;
  while (done < frames) {
    const size_t want = std::min(kMixFrames, frames - done);
    const sf_count_t got = sf_readf_short(mFile, mMixBuffer.data(), static_cast<sf_count_t>(want));
    if (got <= 0) break;
    for (sf_count_t f = 0; f < got; ++f) {
      int sum = 0;
      for (int c = 0; c < mChannels; ++c) sum += mMixBuffer[static_cast<size_t>(f * mChannels + c)];
      out[done + static_cast<size_t>(f)] = static_cast<int16_t>(sum / mChannels);
    }
    done += static_cast<size_t>(got);
    if (static_cast<size_t>(got) < want) break;
  }
  return done;
}

void SoundDecoder::Rewind() {
  if (mFile) sf_seek(mFile, 0, SEEK_SET);
}

}  // namespace platform
