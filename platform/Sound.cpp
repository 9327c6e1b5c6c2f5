// Sound output on OpenAL Soft: one source per channel, static sounds decoded
// whole into one buffer, streams decoded a piece at a time into a ring of
// queued buffers that the frame update refills.
#include "platform/Sound.h"

#include "platform/SoundDecoder.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <vector>

namespace platform {
namespace {

constexpr int kStreamBuffers = 4;
constexpr size_t kStreamChunkFrames = 8192;  // about 0.2 s at 44.1 kHz
// A sound decoded whole is short; a longer one (or a corrupt length) wants
// to be a stream.
constexpr int64_t kMaxSoundFrames = 48000 * 600;

struct Sound {
  SoundOptions options;
  int outChannels = 1;
  int sampleRate = 0;
  uint32_t lengthMs = 0;
  ALuint buffer = 0;  // static sounds
  // Streams: the decoder, a ring of buffers and one chunk of samples.
  std::unique_ptr<SoundDecoder> decoder;
  ALuint streamBuffers[kStreamBuffers] = {};
  std::vector<int16_t> chunk;
  bool ended = false;  // the decoder has given its last sample
  int channel = -1;    // where the stream plays
};

struct Channel {
  ALuint source = 0;
  SoundId sound = 0;  // 0: free
  bool paused = false;
  uint64_t started = 0;  // play order, to pick a channel to take over
};

ALenum FormatOf(int channels) { return channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16; }

ALfloat Clamped(float volume) { return volume < 0 ? 0.0f : volume; }

class OpenALSoundDevice : public SoundDevice {
 public:
  OpenALSoundDevice(ALCdevice* device, ALCcontext* context, std::vector<ALuint> sources)
      : mDevice(device), mContext(context) {
    for (ALuint source : sources) {
      Channel channel;
      channel.source = source;
      mChannels.push_back(channel);
    }
  }

  ~OpenALSoundDevice() override {
    for (Channel& channel : mChannels) {
      Free(channel);
      alDeleteSources(1, &channel.source);
    }
    for (size_t i = 0; i < mSounds.size(); ++i) ReleaseSound(static_cast<SoundId>(i + 1));
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(mContext);
    alcCloseDevice(mDevice);
  }

  int ChannelCount() const override { return static_cast<int>(mChannels.size()); }

  void Set3DSettings(float doppler, float unitsPerMetre, float rolloff) override {
    alDopplerFactor(doppler);
    mUnitsPerMetre = unitsPerMetre;
    mRolloff = rolloff;
  }

  SoundId CreateSound(std::unique_ptr<SoundInput> input, const SoundOptions& options) override {
    auto decoder = std::make_unique<SoundDecoder>();
    if (!decoder->Open(std::move(input))) return 0;
    if (decoder->Frames() <= 0 || (!options.stream && decoder->Frames() > kMaxSoundFrames)) return 0;
    auto sound = std::make_unique<Sound>();
    sound->options = options;
    sound->outChannels = options.is3D || decoder->Channels() > 2 ? 1 : decoder->Channels();
    sound->sampleRate = decoder->SampleRate();
    sound->lengthMs = static_cast<uint32_t>(decoder->Frames() * 1000 / decoder->SampleRate());

    alGetError();
    if (options.stream) {
      alGenBuffers(kStreamBuffers, sound->streamBuffers);
      if (alGetError() != AL_NO_ERROR) return 0;
      sound->chunk.resize(kStreamChunkFrames * static_cast<size_t>(sound->outChannels));
      sound->decoder = std::move(decoder);
    } else {
      const size_t total = static_cast<size_t>(decoder->Frames());
      std::vector<int16_t> samples(total * static_cast<size_t>(sound->outChannels));
      const size_t frames = decoder->Read(samples.data(), total, sound->outChannels);
      if (frames == 0) return 0;
      alGenBuffers(1, &sound->buffer);
      alBufferData(sound->buffer, FormatOf(sound->outChannels), samples.data(),
                   static_cast<ALsizei>(frames * static_cast<size_t>(sound->outChannels) * sizeof(int16_t)),
                   sound->sampleRate);
      if (alGetError() != AL_NO_ERROR) {
        alDeleteBuffers(1, &sound->buffer);
        return 0;
      }
    }
    for (size_t i = 0; i < mSounds.size(); ++i)
      if (!mSounds[i]) {
        mSounds[i] = std::move(sound);
        return static_cast<SoundId>(i + 1);
      }
    mSounds.push_back(std::move(sound));
    return static_cast<SoundId>(mSounds.size());
  }

  void ReleaseSound(SoundId id) override {
    Sound* sound = Find(id);
    if (!sound) return;
    for (Channel& channel : mChannels)
      if (channel.sound == id) Free(channel);
    if (sound->buffer) alDeleteBuffers(1, &sound->buffer);
    if (sound->options.stream) alDeleteBuffers(kStreamBuffers, sound->streamBuffers);
    mSounds[static_cast<size_t>(id - 1)].reset();
  }

  uint32_t SoundLengthMs(SoundId id) override {
    Sound* sound = Find(id);
    return sound ? sound->lengthMs : 0;
  }

  int Play(SoundId id, bool paused) override {
    Sound* sound = Find(id);
    if (!sound || mChannels.empty()) return -1;
    if (sound->options.stream && sound->channel >= 0) Free(mChannels[static_cast<size_t>(sound->channel)]);
    const int index = PickChannel();
    Channel& channel = mChannels[static_cast<size_t>(index)];
    Free(channel);

    const ALuint source = channel.source;
    const bool is3D = sound->options.is3D;
    alSourcei(source, AL_SOURCE_RELATIVE, is3D ? AL_FALSE : AL_TRUE);
    alSource3f(source, AL_POSITION, 0, 0, 0);
    alSourcef(source, AL_ROLLOFF_FACTOR, is3D ? mRolloff : 0.0f);
    alSourcef(source, AL_REFERENCE_DISTANCE, mUnitsPerMetre);
    alSourcef(source, AL_MAX_DISTANCE, 10000.0f * mUnitsPerMetre);
    alSourcef(source, AL_GAIN, 1.0f);
    alSourcei(source, AL_LOOPING, sound->options.loop && !sound->options.stream ? AL_TRUE : AL_FALSE);
    if (sound->options.stream) {
      sound->decoder->Rewind();
      sound->ended = false;
      sound->channel = index;
      for (ALuint buffer : sound->streamBuffers)
        if (FillStreamBuffer(*sound, buffer)) alSourceQueueBuffers(source, 1, &buffer);
    } else {
      alSourcei(source, AL_BUFFER, static_cast<ALint>(sound->buffer));
    }
    channel.sound = id;
    channel.paused = paused;
    channel.started = ++mPlayCount;
    if (!paused) alSourcePlay(source);
    return index;
  }

  bool IsPlaying(int index) override {
    Channel* channel = ChannelAt(index);
    return channel && Refresh(*channel);
  }

  void Stop(int index) override {
    if (Channel* channel = ChannelAt(index)) Free(*channel);
  }

  void SetPaused(int index, bool paused) override {
    Channel* channel = ChannelAt(index);
    if (!channel || !channel->sound || channel->paused == paused) return;
    channel->paused = paused;
    if (paused)
      alSourcePause(channel->source);
    else
      alSourcePlay(channel->source);
  }

  bool IsPaused(int index) override {
    Channel* channel = ChannelAt(index);
    return channel && channel->sound && channel->paused;
  }

  void SetVolume(int index, float volume) override {
    if (Channel* channel = Busy(index)) alSourcef(channel->source, AL_GAIN, Clamped(volume));
  }

  void Set3DPosition(int index, const SoundVector& position) override {
    if (Channel* channel = Busy3D(index)) alSource3f(channel->source, AL_POSITION, position.x, position.y, position.z);
  }

  void Set3DMinMaxDistance(int index, float minimum, float maximum) override {
    if (Channel* channel = Busy3D(index)) {
      alSourcef(channel->source, AL_REFERENCE_DISTANCE, Clamped(minimum));
      alSourcef(channel->source, AL_MAX_DISTANCE, Clamped(maximum));
    }
  }

  void SetListener(const SoundVector& position, const SoundVector& forward, const SoundVector& up) override {
    alListener3f(AL_POSITION, position.x, position.y, position.z);
    const ALfloat orientation[6] = {forward.x, forward.y, forward.z, up.x, up.y, up.z};
    alListenerfv(AL_ORIENTATION, orientation);
  }

  void Update() override {
    for (Channel& channel : mChannels) {
      if (!channel.sound) continue;
      Sound& sound = *Find(channel.sound);
      if (sound.options.stream) Refill(channel, sound);
      Refresh(channel);
    }
  }

 private:
  Sound* Find(SoundId id) {
    if (id <= 0 || static_cast<size_t>(id) > mSounds.size()) return nullptr;
    return mSounds[static_cast<size_t>(id - 1)].get();
  }

  Channel* ChannelAt(int index) {
    if (index < 0 || index >= ChannelCount()) return nullptr;
    return &mChannels[static_cast<size_t>(index)];
  }

  Channel* Busy(int index) {
    Channel* channel = ChannelAt(index);
    return channel && channel->sound ? channel : nullptr;
  }

  Channel* Busy3D(int index) {
    Channel* channel = Busy(index);
    return channel && Find(channel->sound)->options.is3D ? channel : nullptr;
  }

  // A free channel (as of the last update or stop), else the one that
  // started longest ago, sparing looping sounds such as the music.
  int PickChannel() {
    int oldest = -1, oldestLooping = -1;
    for (int i = 0; i < ChannelCount(); ++i) {
      const Channel& channel = mChannels[static_cast<size_t>(i)];
      if (!channel.sound) return i;
      const bool looping = Find(channel.sound)->options.loop;
      int& best = looping ? oldestLooping : oldest;
      if (best < 0 || channel.started < mChannels[static_cast<size_t>(best)].started) best = i;
    }
    return oldest >= 0 ? oldest : oldestLooping;
  }

  // Whether the channel still plays; frees it once its sound has ended. A
  // stream that ran dry before the update refilled it goes on.
  bool Refresh(Channel& channel) {
    if (!channel.sound) return false;
    if (channel.paused) return true;
    ALint state = AL_STOPPED;
    alGetSourcei(channel.source, AL_SOURCE_STATE, &state);
    if (state == AL_PLAYING || state == AL_PAUSED) return true;
    Sound& sound = *Find(channel.sound);
    if (sound.options.stream && !sound.ended) return true;
    Free(channel);
    return false;
  }

  void Free(Channel& channel) {
    if (!channel.sound) return;
    alSourceStop(channel.source);
    alSourcei(channel.source, AL_BUFFER, 0);
    Sound* sound = Find(channel.sound);
    if (sound && sound->options.stream) sound->channel = -1;
    channel.sound = 0;
    channel.paused = false;
  }

  // Puts the next piece of a stream into a buffer; false once it has ended.
  bool FillStreamBuffer(Sound& sound, ALuint buffer) {
    if (sound.ended) return false;
    size_t filled = 0;
    bool rewound = false;
    while (filled < kStreamChunkFrames) {
      const size_t got = sound.decoder->Read(sound.chunk.data() + filled * static_cast<size_t>(sound.outChannels),
                                            kStreamChunkFrames - filled, sound.outChannels);
      filled += got;
      if (got > 0) {
        rewound = false;
        continue;
      }
      // At the end: a looping stream starts over (an empty file ends it).
      if (!sound.options.loop || rewound) {
        sound.ended = true;
        break;
      }
      sound.decoder->Rewind();
      rewound = true;
    }
    if (filled == 0) return false;
    alBufferData(buffer, FormatOf(sound.outChannels), sound.chunk.data(),
                 static_cast<ALsizei>(filled * static_cast<size_t>(sound.outChannels) * sizeof(int16_t)),
                 sound.sampleRate);
    return true;
  }

  void Refill(Channel& channel, Sound& sound) {
    ALint processed = 0;
    alGetSourcei(channel.source, AL_BUFFERS_PROCESSED, &processed);
    for (; processed > 0; --processed) {
      ALuint buffer = 0;
      alSourceUnqueueBuffers(channel.source, 1, &buffer);
      if (FillStreamBuffer(sound, buffer)) alSourceQueueBuffers(channel.source, 1, &buffer);
    }
    // Ran dry (a long frame): play on from what is queued now.
    ALint state = AL_STOPPED, queued = 0;
    alGetSourcei(channel.source, AL_SOURCE_STATE, &state);
    alGetSourcei(channel.source, AL_BUFFERS_QUEUED, &queued);
    if (!channel.paused && state == AL_STOPPED && queued > 0) alSourcePlay(channel.source);
  }

  ALCdevice* mDevice;
  ALCcontext* mContext;
  std::vector<Channel> mChannels;
  std::vector<std::unique_ptr<Sound>> mSounds;  // SoundId - 1
  float mUnitsPerMetre = 1.0f;
  float mRolloff = 1.0f;
  uint64_t mPlayCount = 0;
};

}  // namespace

std::unique_ptr<SoundDevice> OpenSoundDevice(int channels, std::string& why) {
  ALCdevice* device = alcOpenDevice(nullptr);
  if (!device) {
    why = "no sound output device";
    return nullptr;
  }
  ALCcontext* context = alcCreateContext(device, nullptr);
  if (!context || !alcMakeContextCurrent(context)) {
    why = "the sound device refused a context";
    if (context) alcDestroyContext(context);
    alcCloseDevice(device);
    return nullptr;
  }
  alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
  std::vector<ALuint> sources;
  alGetError();
  for (int i = 0; i < channels; ++i) {
    ALuint source = 0;
    alGenSources(1, &source);
    if (alGetError() != AL_NO_ERROR) break;
    sources.push_back(source);
  }
  if (sources.empty()) {
    why = "the sound device has no voices";
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context);
    alcCloseDevice(device);
    return nullptr;
  }
  return std::make_unique<OpenALSoundDevice>(device, context, std::move(sources));
}

}  // namespace platform
