#pragma once
// Decodes a sound file (any format libsndfile reads) from a SoundInput into
// 16-bit samples, a piece at a time.
#include "platform/Sound.h"

#include <cstdint>
#include <memory>
#include <vector>

struct sf_private_tag;

namespace platform {

class SoundDecoder {
 public:
  SoundDecoder() = default;
  ~SoundDecoder();
  SoundDecoder(const SoundDecoder&) = delete;
  SoundDecoder& operator=(const SoundDecoder&) = delete;

  // False when the input is not a sound file that can be decoded.
  bool Open(std::unique_ptr<SoundInput> input);
  int Channels() const { return mChannels; }
  int SampleRate() const { return mSampleRate; }
  int64_t Frames() const { return mFrames; }

  // Reads up to `frames` frames into `out`, mixed down to one channel when
  // `outChannels` is 1 (else the file's own channels); returns frames read,
  // 0 at the end.
  size_t Read(int16_t* out, size_t frames, int outChannels);
  void Rewind();

 private:
  std::unique_ptr<SoundInput> mInput;
  sf_private_tag* mFile = nullptr;
  int mChannels = 0;
  int mSampleRate = 0;
  int64_t mFrames = 0;
  std::vector<int16_t> mMixBuffer;  // file-channel frames awaiting a mix-down
};

}  // namespace platform
