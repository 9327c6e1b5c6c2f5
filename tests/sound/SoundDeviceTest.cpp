// The sound layer on OpenAL Soft's null output: decoding, channels, streams.
#include "platform/Sound.h"
#include "platform/SoundDecoder.h"
#include "tests/sound/SoundFixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

// Never the machine's real output in tests.
const int kNullOutput = setenv("ALSOFT_DRIVERS", "null", 0);

TEST(SoundDecoder, ReadsWaveFilesAndMixesDownToMono) {
  platform::SoundDecoder decoder;
  ASSERT_TRUE(decoder.Open(std::make_unique<MemoryInput>(MakeWave(8000, 2, {1000, 3000, -1000, -3000, 10, 20}))));
  EXPECT_EQ(decoder.Channels(), 2);
  EXPECT_EQ(decoder.SampleRate(), 8000);
  EXPECT_EQ(decoder.Frames(), 3);

  int16_t mono[8] = {};
  EXPECT_EQ(decoder.Read(mono, 8, 1), 3u);
  EXPECT_EQ(mono[0], 2000);
  EXPECT_EQ(mono[1], -2000);
  EXPECT_EQ(mono[2], 15);
  EXPECT_EQ(decoder.Read(mono, 8, 1), 0u);

  decoder.Rewind();
  int16_t stereo[4] = {};
  EXPECT_EQ(decoder.Read(stereo, 2, 2), 2u);
  EXPECT_EQ(stereo[1], 3000);
  EXPECT_EQ(stereo[2], -1000);
}

TEST(SoundDecoder, RefusesWhatIsNoSound) {
  for (const std::string& bytes : {std::string(), std::string("RIFF"), std::string(300, 'x')}) {
    platform::SoundDecoder decoder;
    EXPECT_FALSE(decoder.Open(std::make_unique<MemoryInput>(bytes))) << bytes.size() << " bytes";
  }
}

class SoundOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(kNullOutput, 0);
    std::string why;
    device = platform::OpenSoundDevice(50, why);
    if (!device) GTEST_SKIP() << "no sound output: " << why;
  }

  platform::SoundId Make(double seconds, bool is3D, bool loop, bool stream) {
    platform::SoundOptions options;
    options.is3D = is3D;
    options.loop = loop;
    options.stream = stream;
    return device->CreateSound(std::make_unique<MemoryInput>(MakeTone(22050, seconds)), options);
  }
  // Lets the output play on for a while, updating like the frame does.
  void PlayFor(int milliseconds) {
    for (int waited = 0; waited < milliseconds; waited += 10) {
      device->Update();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    device->Update();
  }

  std::unique_ptr<platform::SoundDevice> device;
};

TEST_F(SoundOutput, SoundsPlayOnFreeChannelsAndKnowTheirLength) {
  EXPECT_EQ(device->ChannelCount(), 50);
  const platform::SoundId tone = Make(0.5, true, false, false);
  ASSERT_NE(tone, 0);
  EXPECT_EQ(device->SoundLengthMs(tone), 500u);

  const int first = device->Play(tone, true);
  const int second = device->Play(tone, true);
  EXPECT_NE(first, second);  // a sound plays on several channels at once
  EXPECT_TRUE(device->IsPlaying(first));
  EXPECT_TRUE(device->IsPaused(first));
  device->SetPaused(first, false);
  EXPECT_FALSE(device->IsPaused(first));
  device->Stop(first);
  EXPECT_FALSE(device->IsPlaying(first));
  EXPECT_TRUE(device->IsPlaying(second));

  EXPECT_EQ(device->CreateSound(std::make_unique<MemoryInput>("no sound"), platform::SoundOptions()), 0);
}

TEST_F(SoundOutput, AStreamPlaysOnOneChannelAtATime) {
  const platform::SoundId music = Make(1.0, false, true, true);
  ASSERT_NE(music, 0);
  device->Play(music, false);
  device->Play(music, false);
  int playing = 0;
  for (int i = 0; i < device->ChannelCount(); ++i) playing += device->IsPlaying(i);
  EXPECT_EQ(playing, 1);
}

TEST_F(SoundOutput, WhenAllChannelsAreBusyTheOldestIsTakenOverButNotTheMusic) {
  const int music = device->Play(Make(1.0, false, true, true), true);
  const platform::SoundId tone = Make(0.5, true, false, false);
  const int oldest = device->Play(tone, true);
  for (int i = 2; i < device->ChannelCount(); ++i) device->Play(tone, true);
  EXPECT_EQ(device->Play(tone, true), oldest);
  EXPECT_TRUE(device->IsPlaying(music));

  // With only looping sounds left, the oldest of them goes.
  const platform::SoundId loop = Make(0.5, true, true, false);
  for (int i = 0; i < device->ChannelCount(); ++i)
    if (i != music) device->Stop(i);
  for (int i = 1; i < device->ChannelCount(); ++i) device->Play(loop, true);
  EXPECT_EQ(device->Play(loop, true), music);
}

TEST_F(SoundOutput, ShortSoundsEndAndLoopingOnesGoOn) {
  const int once = device->Play(Make(0.05, true, false, false), false);
  const int onceStream = device->Play(Make(0.05, false, false, true), false);
  const int looping = device->Play(Make(0.05, true, true, false), false);
  const int loopingStream = device->Play(Make(0.05, false, true, true), false);
  PlayFor(400);
  EXPECT_FALSE(device->IsPlaying(once));
  EXPECT_FALSE(device->IsPlaying(onceStream));
  EXPECT_TRUE(device->IsPlaying(looping));
  EXPECT_TRUE(device->IsPlaying(loopingStream));
}

}  // namespace
