#pragma once
// A sound device that plays nothing and remembers what it was told, so the
// sound manager's choices can be read back.
#include "platform/Sound.h"

#include <string>
#include <vector>

class FakeSoundDevice : public platform::SoundDevice {
 public:
  struct Channel {
    platform::SoundId sound = 0;
    bool playing = false;
    bool paused = false;
    float volume = -1;
    platform::SoundVector position;
    float minDistance = -1, maxDistance = -1;
  };
  struct Sound {
    std::string head;  // the first bytes of its input
    platform::SoundOptions options;
  };

  explicit FakeSoundDevice(int channels = 50) : channels(static_cast<size_t>(channels)) {}

  int ChannelCount() const override { return static_cast<int>(channels.size()); }
  void Set3DSettings(float, float, float) override {}
  platform::SoundId CreateSound(std::unique_ptr<platform::SoundInput> input,
                                const platform::SoundOptions& options) override {
    char head[4] = {};
    const size_t n = input->Read(head, sizeof head);
    if (std::string(head, n) == "BAD!") return 0;  // not a sound file
    sounds.push_back({std::string(head, n), options});
    return static_cast<platform::SoundId>(sounds.size());
  }
  void ReleaseSound(platform::SoundId) override { ++released; }
  uint32_t SoundLengthMs(platform::SoundId) override { return 1500; }
  // A free channel, else channel 0 is taken over.
  int Play(platform::SoundId sound, bool paused) override {
    int index = 0;
    for (size_t i = 0; i < channels.size(); ++i)
      if (!channels[i].playing) {
        index = static_cast<int>(i);
        break;
      }
    channels[static_cast<size_t>(index)] = Channel();
    channels[static_cast<size_t>(index)].sound = sound;
    channels[static_cast<size_t>(index)].playing = true;
    channels[static_cast<size_t>(index)].paused = paused;
    ++plays;
    return index;
  }
  bool IsPlaying(int channel) override { return channels[static_cast<size_t>(channel)].playing; }
  void Stop(int channel) override { channels[static_cast<size_t>(channel)].playing = false; }
  void SetPaused(int channel, bool paused) override { channels[static_cast<size_t>(channel)].paused = paused; }
  bool IsPaused(int channel) override { return channels[static_cast<size_t>(channel)].paused; }
  void SetVolume(int channel, float volume) override { channels[static_cast<size_t>(channel)].volume = volume; }
  void Set3DPosition(int channel, const platform::SoundVector& p) override {
    channels[static_cast<size_t>(channel)].position = p;
  }
  void Set3DMinMaxDistance(int channel, float minimum, float maximum) override {
    channels[static_cast<size_t>(channel)].minDistance = minimum;
    channels[static_cast<size_t>(channel)].maxDistance = maximum;
  }
  void SetListener(const platform::SoundVector& p, const platform::SoundVector&,
                   const platform::SoundVector&) override {
    listener = p;
  }
  void Update() override { ++updates; }

  int PlayingCount() const {
    int n = 0;
    for (const Channel& c : channels) n += c.playing;
    return n;
  }

  std::vector<Channel> channels;
  std::vector<Sound> sounds;
  platform::SoundVector listener;
  int plays = 0, updates = 0, released = 0;
};
