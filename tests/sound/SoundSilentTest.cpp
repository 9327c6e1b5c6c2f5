// A machine without sound output: the sound library is told to use only its
// wave writer with no file, so it finds no device. The game runs silent.
#include "game/AudioManager.h"
#include "tests/support/LogLines.h"
#include "tests/support/TempDir.h"

#include <Ogre.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(SoundSilent, WithoutADeviceTheGameRunsSilentAndSaysSoOnce) {
  TempDir folder;
  setenv("ALSOFT_CONF", folder.write("alsoft.conf", "[wave]\nfile =\n").c_str(), 1);
  setenv("ALSOFT_DRIVERS", "wave", 1);
  LogLines log;

  CTPAudioManager manager;
  EXPECT_FALSE(manager.Init());
  EXPECT_FALSE(manager.Init());
  manager.PlaySound("pointassign.wav", nullptr, CTPAudioManager::kModeStream, true);
  manager.SetMusicVolume(0.5f);
  manager.Update(Ogre::Vector3::ZERO, 0.015f);
  manager.StopAll();

  int told = 0;
  for (const std::string& line : log.lines) told += line.find("without sound") != std::string::npos;
  EXPECT_EQ(told, 1);
}

}  // namespace
