#pragma once
// Sound output: a fixed number of channels that play sounds decoded from
// byte inputs, in 2D or placed in 3D around one listener. The game's sound
// manager talks only to SoundDevice; OpenSoundDevice gives the real one.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// The bytes of one sound file, read on demand. The game hands in files read
// through its resource system (so sounds may sit inside pak archives).
class SoundInput {
 public:
  virtual ~SoundInput() = default;
  virtual int64_t Size() = 0;
  virtual size_t Read(void* buffer, size_t count) = 0;
  virtual bool Seek(int64_t position) = 0;  // from the start
  virtual int64_t Tell() = 0;
};

struct SoundVector {
  float x = 0, y = 0, z = 0;
};

struct SoundOptions {
  bool is3D = false;    // placed around the listener (played mono); else plain 2D
  bool loop = false;
  bool stream = false;  // decoded while it plays; one channel at a time
};

using SoundId = int;  // 0: no sound

// Channels are numbered 0..ChannelCount()-1. A channel "plays" from its start
// (even while paused) until its sound ends or it is stopped.
class SoundDevice {
 public:
  virtual ~SoundDevice() = default;

  virtual int ChannelCount() const = 0;
  // Doppler scale, world units per metre, and how fast 3D sounds fade
  // beyond their minimum distance.
  virtual void Set3DSettings(float doppler, float unitsPerMetre, float rolloff) = 0;

  // 0 when the input cannot be decoded. A sound (not a stream) can play on
  // several channels at once.
  virtual SoundId CreateSound(std::unique_ptr<SoundInput> input, const SoundOptions& options) = 0;
  virtual void ReleaseSound(SoundId sound) = 0;
  virtual uint32_t SoundLengthMs(SoundId sound) = 0;

  // Starts a sound on a free channel and returns the channel, or -1. When all
  // are busy the longest-running one is taken over, looping ones (music)
  // last. Playing a stream again moves it.
  virtual int Play(SoundId sound, bool paused) = 0;
  virtual bool IsPlaying(int channel) = 0;
  virtual void Stop(int channel) = 0;
  virtual void SetPaused(int channel, bool paused) = 0;
  virtual bool IsPaused(int channel) = 0;
  virtual void SetVolume(int channel, float volume) = 0;
  // 3D channels only. A minimum distance of 0 turns distance fading off.
  virtual void Set3DPosition(int channel, const SoundVector& position) = 0;
  virtual void Set3DMinMaxDistance(int channel, float minimum, float maximum) = 0;

  virtual void SetListener(const SoundVector& position, const SoundVector& forward, const SoundVector& up) = 0;
  // Once a frame: refills streams and frees channels whose sound has ended.
  virtual void Update() = 0;
};

// The default sound output with the given number of channels; null (with
// the reason) on a machine without a sound device.
std::unique_ptr<SoundDevice> OpenSoundDevice(int channels, std::string& why);

}  // namespace platform
