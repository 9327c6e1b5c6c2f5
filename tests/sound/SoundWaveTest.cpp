// Real output: OpenAL Soft's wave-file writer records what the sound manager
// plays, read from the game's sounds.pak, into files in the build folder.
#include "game/AudioManager.h"
#include "game/GAPAK/PakArchive.h"
#include "platform/SoundDecoder.h"
#include "tests/sound/SoundFixtures.h"
#include "tests/support/HeadlessEngine.h"
#include "tests/support/TempDir.h"

#include <Ogre.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include <unistd.h>

namespace {

// One writer file per process: the test cases may run side by side.
const std::string kWriterFile = "sound_wave_writer_" + std::to_string(getpid()) + ".wav";

// The wave writer's settings; they must be in place before the sound
// library first starts, and hold for the whole process.
void UseWaveWriter() {
  static const bool ready = [] {
    static TempDir folder;
    const std::string conf = folder.file("alsoft.conf");
    std::ofstream(conf) << "[general]\nchannels = stereo\nsample-type = int16\nfrequency = 44100\n"
                        << "hrtf = false\nstereo-mode = speakers\n[wave]\nfile = " << kWriterFile << "\n";
    setenv("ALSOFT_CONF", conf.c_str(), 1);
    setenv("ALSOFT_DRIVERS", "wave", 1);
    HeadlessEngine();
    static Ogre::PakArchiveFactory factory;
    Ogre::ArchiveManager::getSingleton().addArchiveFactory(&factory);
    Ogre::ResourceGroupManager& groups = Ogre::ResourceGroupManager::getSingleton();
    groups.createResourceGroup("Main");
    groups.addResourceLocation(YVEK_SOUNDS_PAK, "Pak", "Main");
    return true;
  }();
  (void)ready;
}

struct Loudness {
  double left = 0, right = 0;
  double both() const { return std::sqrt((left * left + right * right) / 2); }
};

// RMS of each channel of a stereo recording, full scale = 1.
Loudness Measure(const std::string& path) {
  platform::SoundDecoder decoder;
  if (!decoder.Open(std::make_unique<MemoryInput>(ReadFileOrEmpty(path))) || decoder.Channels() != 2) return {};
  std::vector<int16_t> samples(static_cast<size_t>(decoder.Frames()) * 2);
  const size_t frames = decoder.Read(samples.data(), static_cast<size_t>(decoder.Frames()), 2);
  double left = 0, right = 0;
  for (size_t f = 0; f < frames; ++f) {
    left += std::pow(samples[2 * f] / 32768.0, 2);
    right += std::pow(samples[2 * f + 1] / 32768.0, 2);
  }
  if (frames == 0) return {};
  return {std::sqrt(left / frames), std::sqrt(right / frames)};
}

// Plays through the sound manager for a while, then closes the output (which
// completes the file) and keeps the recording under its own name.
template <typename Start>
Loudness Record(const std::string& keepAs, const Ogre::Vector3& listener, Start start) {
  UseWaveWriter();
  {
    CTPAudioManager manager;
    EXPECT_TRUE(manager.Init());
    start(manager);
    for (int frame = 0; frame < 30; ++frame) {
      manager.Update(listener, 0.015f);
      std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
  }
  std::remove(keepAs.c_str());
  EXPECT_EQ(std::rename(kWriterFile.c_str(), keepAs.c_str()), 0);
  return Measure(keepAs);
}

TEST(SoundWave, SoundFromAPakFileIsHeard) {
  const Loudness heard = Record("sound_wave_pointassign.wav", Ogre::Vector3::ZERO, [](CTPAudioManager& manager) {
    manager.PlaySound("pointassign.wav", nullptr, CTPAudioManager::kModeStream, true);
  });
  EXPECT_GT(heard.both(), 0.01);
}

TEST(SoundWave, SoundToTheRightIsLouderOnTheRight) {
  Ogre::SceneManager* scene = HeadlessEngine().createSceneManager();
  const Ogre::Vector3 listener(42, 32, 48);
  Ogre::SceneNode* unit = scene->getRootSceneNode()->createChildSceneNode();
  unit->setPosition(listener + Ogre::Vector3(5, 0, 0));
  const Loudness heard = Record("sound_wave_right.wav", listener, [unit](CTPAudioManager& manager) {
    manager.PlaySound("hit.wav", unit, CTPAudioManager::kMode3D, true);
  });
  HeadlessEngine().destroySceneManager(scene);
  EXPECT_GT(heard.right, 0.01);
  EXPECT_GT(heard.right, 3 * heard.left) << "left " << heard.left << ", right " << heard.right;
}

}  // namespace
