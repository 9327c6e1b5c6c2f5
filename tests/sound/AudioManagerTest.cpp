// The sound manager against a fake device: records, channels, volumes and
// the hearing range. Owners are scene nodes of a headless engine.
#include "game/AudioManager.h"
#include "game/AudioXML.h"
#include "game/GAPAK/PakArchive.h"
#include "tests/sound/FakeSoundDevice.h"
#include "tests/sound/SoundFixtures.h"
#include "tests/support/HeadlessEngine.h"

#include <CEGUI/XMLAttributes.h>
#include <Ogre.h>
#include <gtest/gtest.h>

#include <set>

namespace {

uint32_t gNow = 10000;
uint32_t Now() { return gNow; }

// Every listed name is a file; names starting with "bad" hold no sound.
class FakeFiles : public CTPAudioManager::FileSource {
 public:
  std::unique_ptr<platform::SoundInput> Open(const std::string& file) override {
    ++opens;
    if (!names.count(file)) return nullptr;
    return std::make_unique<MemoryInput>(file.compare(0, 3, "bad") == 0 ? "BAD!" : "RIFF");
  }
  std::set<std::string> names{"hit.wav", "loop.wav", "music.wav", "click.wav", "bad.wav"};
  int opens = 0;
};

class SoundManager : public ::testing::Test {
 protected:
  void SetUp() override {
    gNow = 10000;
    scene = HeadlessEngine().createSceneManager();
    auto files = std::make_unique<FakeFiles>();
    this->files = files.get();
    manager = std::make_unique<CTPAudioManager>(std::move(files), Now);
    auto fake = std::make_unique<FakeSoundDevice>();
    device = fake.get();
    ASSERT_TRUE(manager->Init(std::move(fake)));
  }
  void TearDown() override {
    manager.reset();
    HeadlessEngine().destroySceneManager(scene);
  }

  Ogre::SceneNode* Node(const Ogre::Vector3& at) {
    Ogre::SceneNode* node = scene->getRootSceneNode()->createChildSceneNode();
    node->setPosition(at);
    return node;
  }
  const FakeSoundDevice::Channel& Channel(int index) const { return device->channels[static_cast<size_t>(index)]; }

  Ogre::SceneManager* scene = nullptr;
  FakeFiles* files = nullptr;
  FakeSoundDevice* device = nullptr;
  std::unique_ptr<CTPAudioManager> manager;
};

TEST_F(SoundManager, SameSoundWithin200MsGetsARecordOfItsOwnAndIsReusedAfter) {
  Ogre::SceneNode* unit = Node({0, 0, 0});
  manager->PlaySound("hit.wav", unit, CTPAudioManager::kMode3D, true);
  gNow += 100;
  manager->PlaySound("hit.wav", unit, CTPAudioManager::kMode3D, true);
  EXPECT_EQ(manager->GetRecordCount(), 2);
  EXPECT_EQ(device->PlayingCount(), 2);
  // Decoded once: the second record plays the same sound.
  EXPECT_EQ(device->sounds.size(), 1u);

  gNow += 101;  // 201 ms after the first
  EXPECT_EQ(manager->FindSound("hit.wav"), 1);
  manager->PlaySound("hit.wav", Node({1, 0, 0}), CTPAudioManager::kMode3D, true);
  EXPECT_EQ(manager->GetRecordCount(), 2);
  EXPECT_EQ(device->plays, 3);
}

// The "still playing for this owner" check looks at the channel the record
// itself started on, not at the channel numbered like the record.
TEST_F(SoundManager, SoundStillPlayingForTheSameOwnerIsNotStartedAgain) {
  Ogre::SceneNode* unit = Node({0, 0, 0});
  manager->PlaySound("click.wav", nullptr, CTPAudioManager::kModeStream, true);  // record 1, channel 0
  manager->PlaySound("loop.wav", unit, CTPAudioManager::kMode3DLoop, true);      // record 2, channel 1
  gNow += 300;
  manager->PlaySound("loop.wav", unit, CTPAudioManager::kMode3DLoop, true);
  EXPECT_EQ(device->plays, 2);

  // Once it has ended it starts again.
  device->Stop(1);
  gNow += 300;
  manager->PlaySound("loop.wav", unit, CTPAudioManager::kMode3DLoop, true);
  EXPECT_EQ(device->plays, 3);

  // Its channel taken over by another sound of the same owner: it starts.
  device->Stop(1);
  manager->PlaySound("hit.wav", unit, CTPAudioManager::kMode3D, true);
  ASSERT_EQ(Channel(1).playing, true);
  gNow += 300;
  manager->PlaySound("loop.wav", unit, CTPAudioManager::kMode3DLoop, true);
  EXPECT_EQ(device->plays, 5);
}

TEST_F(SoundManager, MasterVolumeIsAppliedOnceAndReachesPlayingSounds) {
  manager->CreateSound("quiet", "hit.wav", 0.8f, 0, 50, CTPAudioManager::kMode3D);
  manager->CreateSound("plain", "hit.wav", 0.0f, 0, 50, CTPAudioManager::kMode3D);
  manager->SetSoundVolume(0.5f);
  Ogre::SceneNode* unit = Node({1, 0, 0});
  manager->PlaySound("quiet", unit, CTPAudioManager::kMode3D, true);
  manager->PlaySound("plain", unit, CTPAudioManager::kMode3D, true);
  manager->PlaySound("music.wav", nullptr, CTPAudioManager::kModeStreamLoop, false);
  EXPECT_FLOAT_EQ(Channel(0).volume, 0.4f);
  EXPECT_FLOAT_EQ(Channel(1).volume, 0.5f);
  EXPECT_FLOAT_EQ(Channel(2).volume, 1.0f);

  struct Step {
    const char* what;
    float effects, music;  // masters after the step
    float quiet, plain, tune;
  };
  for (const Step& step : {Step{"same master again", 0.5f, 1.0f, 0.4f, 0.5f, 1.0f},
                           Step{"effects slider down", 0.25f, 1.0f, 0.2f, 0.25f, 1.0f},
                           Step{"music slider down", 0.25f, 0.3f, 0.2f, 0.25f, 0.3f}}) {
    manager->SetSoundVolume(step.effects);
    manager->SetMusicVolume(step.music);
    EXPECT_FLOAT_EQ(Channel(0).volume, step.quiet) << step.what;
    EXPECT_FLOAT_EQ(Channel(1).volume, step.plain) << step.what;
    EXPECT_FLOAT_EQ(Channel(2).volume, step.tune) << step.what;
    // The frame update keeps what the slider set.
    manager->Update(Ogre::Vector3::ZERO, 0.015f);
    EXPECT_FLOAT_EQ(Channel(0).volume, step.quiet) << step.what << ", after a frame";
    EXPECT_FLOAT_EQ(Channel(1).volume, step.plain) << step.what << ", after a frame";
  }
}

TEST_F(SoundManager, SoundsStartedFarFromTheListenerAreSilent) {
  struct Case {
    float distance;
    float volume;
  };
  for (const Case c : {Case{40.0f, 0.0f}, Case{39.9f, 1.0f}, Case{0.0f, 1.0f}}) {
    manager->StopAll();
    gNow += 1000;
    manager->PlaySound("hit.wav", Node({c.distance, 0, 0}), CTPAudioManager::kMode3D, true);
    manager->Update(Ogre::Vector3::ZERO, 0.015f);
    EXPECT_FLOAT_EQ(Channel(0).volume, c.volume) << c.distance;
    // A master change leaves a silent channel silent.
    manager->SetSoundVolume(1.0f);
    EXPECT_FLOAT_EQ(Channel(0).volume, c.volume) << c.distance;
  }
}

TEST_F(SoundManager, SoundStaysWhereItStartedWhenItsOwnerMoves) {
  Ogre::SceneNode* unit = Node({3, 2, 1});
  manager->PlaySound("hit.wav", unit, CTPAudioManager::kMode3D, true);
  unit->setPosition(30, 0, 0);
  manager->Update(Ogre::Vector3::ZERO, 0.015f);
  EXPECT_FLOAT_EQ(Channel(0).position.x, 3.0f);
  EXPECT_FLOAT_EQ(Channel(0).position.y, 2.0f);
  EXPECT_FLOAT_EQ(Channel(0).position.z, 1.0f);
  EXPECT_FLOAT_EQ(device->listener.x, 0.0f);
}

TEST_F(SoundManager, DistancesGoToTheSoundsOwnChannel) {
  manager->PlaySound("click.wav", nullptr, CTPAudioManager::kModeStream, true);
  manager->CreateSound("far", "hit.wav", 1.0f, 50000, 100000, CTPAudioManager::kMode3D);
  manager->PlaySound("far", Node({1, 0, 0}), CTPAudioManager::kMode3D, true);
  EXPECT_FLOAT_EQ(Channel(0).minDistance, 0.0f);
  EXPECT_FLOAT_EQ(Channel(0).maxDistance, 0.5f);
  EXPECT_FLOAT_EQ(Channel(1).minDistance, 500.0f);
  EXPECT_FLOAT_EQ(Channel(1).maxDistance, 1000.0f);
}

TEST_F(SoundManager, StoppedMusicEndsAndItsRecordIsReused) {
  manager->PlaySound("music.wav", nullptr, CTPAudioManager::kModeStreamLoop, false);
  ASSERT_TRUE(Channel(0).playing);
  manager->StopSound("music.wav");
  EXPECT_FALSE(Channel(0).playing);
  gNow += 10;
  manager->PlaySound("music.wav", nullptr, CTPAudioManager::kModeStreamLoop, false);
  EXPECT_TRUE(Channel(0).playing);
  EXPECT_EQ(manager->GetRecordCount(), 1);
  EXPECT_EQ(device->sounds.size(), 1u);
}

TEST_F(SoundManager, BurstOfOneSoundKeepsTheTableToTheChannelsItUses) {
  for (int i = 0; i < 1000; ++i) manager->PlaySound("hit.wav", nullptr, CTPAudioManager::kMode3D, true);
  EXPECT_EQ(device->plays, 1000);
  EXPECT_LE(manager->GetRecordCount(), CTPAudioManager::kChannels + 1);
  EXPECT_EQ(device->sounds.size(), 1u);
}

TEST_F(SoundManager, PauseTogglesAndStopAllEmptiesEveryChannel) {
  manager->PlaySound("music.wav", nullptr, CTPAudioManager::kModeStreamLoop, false);
  manager->PlaySound("hit.wav", Node({1, 0, 0}), CTPAudioManager::kMode3D, true);
  manager->PauseSound("music.wav");
  EXPECT_TRUE(Channel(0).paused);
  EXPECT_FALSE(Channel(1).paused);
  manager->PauseSound("music.wav");
  EXPECT_FALSE(Channel(0).paused);
  manager->StopAll();
  EXPECT_EQ(device->PlayingCount(), 0);
}

TEST_F(SoundManager, FilesThatAreMissingOrBadPlayNothing) {
  manager->PlaySound("nothere.wav", nullptr, CTPAudioManager::kMode3D, true);
  manager->PlaySound("nothere.wav", nullptr, CTPAudioManager::kMode3D, true);
  EXPECT_EQ(manager->GetRecordCount(), 0);
  EXPECT_EQ(files->opens, 2);  // tried again each time

  // A file that is no sound keeps its record, so it is not read again.
  manager->PlaySound("bad.wav", nullptr, CTPAudioManager::kMode3D, true);
  gNow += 300;
  manager->PlaySound("bad.wav", nullptr, CTPAudioManager::kMode3D, true);
  EXPECT_EQ(manager->GetRecordCount(), 1);
  EXPECT_EQ(files->opens, 3);

  // So does a mode that is none of the four.
  manager->PlaySound("click.wav", nullptr, 7, true);
  EXPECT_EQ(manager->GetRecordCount(), 2);
  manager->PlaySound("", nullptr, CTPAudioManager::kMode3D, true);
  EXPECT_EQ(device->plays, 0);
}

TEST_F(SoundManager, ModesMakeTheirKindOfSound) {
  struct Case {
    int mode;
    bool is3D, loop, stream;
  };
  const Case cases[] = {{CTPAudioManager::kMode3D, true, false, false},
                        {CTPAudioManager::kMode3DLoop, true, true, false},
                        {CTPAudioManager::kModeStream, false, false, true},
                        {CTPAudioManager::kModeStreamLoop, false, true, true}};
  for (const Case& c : cases) {
    const std::string name = "mode" + std::to_string(c.mode);
    ASSERT_NE(manager->CreateSound(name, "hit.wav", 1, 0, 50, c.mode), 0);
    const platform::SoundOptions& options = device->sounds.back().options;
    EXPECT_EQ(options.is3D, c.is3D) << c.mode;
    EXPECT_EQ(options.loop, c.loop) << c.mode;
    EXPECT_EQ(options.stream, c.stream) << c.mode;
  }
  EXPECT_FLOAT_EQ(manager->GetSoundLength(1), 1.5f);
  EXPECT_FLOAT_EQ(manager->GetSoundLength(0), 0.0f);
}

TEST_F(SoundManager, SoundListEntriesMakeSounds) {
  CTPAudioXML handler(manager.get());
  CEGUI::XMLAttributes defaults;
  defaults.add("name", "thud");
  defaults.add("file", "hit.wav");
  handler.elementStart("Res", defaults);
  CEGUI::XMLAttributes music;
  music.add("name", "tune");
  music.add("file", "music.wav");
  music.add("s3d", "false");
  music.add("loop", "true");
  music.add("vol", "0.5");
  handler.elementStart("Res", music);
  handler.elementStart("Audio", music);  // only "Res" makes sounds
  ASSERT_EQ(manager->GetRecordCount(), 2);

  manager->PlaySound("thud", Node({1, 0, 0}), CTPAudioManager::kMode3D, true);
  EXPECT_FLOAT_EQ(Channel(0).minDistance, 500.0f);
  EXPECT_FLOAT_EQ(Channel(0).maxDistance, 1000.0f);
  EXPECT_FLOAT_EQ(Channel(0).volume, 1.0f);
  manager->PlaySound("tune", nullptr, CTPAudioManager::kMode3D, false);
  EXPECT_FLOAT_EQ(Channel(1).volume, 0.5f);
  EXPECT_TRUE(device->sounds.back().options.stream);
  EXPECT_TRUE(device->sounds.back().options.loop);
}

TEST(SoundManagerSilent, WithoutADeviceEveryCallDoesNothing) {
  auto files = std::make_unique<FakeFiles>();
  FakeFiles* opened = files.get();
  CTPAudioManager manager(std::move(files), Now);
  EXPECT_FALSE(manager.Init(nullptr));
  EXPECT_FALSE(manager.HasDevice());
  manager.PlaySound("hit.wav", nullptr, CTPAudioManager::kMode3D, true);
  manager.SetSoundVolume(0.5f);
  manager.StopSound("hit.wav");
  manager.Update(Ogre::Vector3::ZERO, 0.015f);
  EXPECT_EQ(manager.CreateSound("hit.wav", "hit.wav", 1, 0, 50, 1), 0);
  EXPECT_EQ(opened->opens, 0);
  EXPECT_EQ(manager.GetRecordCount(), 0);
}

// The game's own file source: resource group "Main", pak archives included,
// names in their exact letter case.
TEST(SoundManagerFiles, SoundsComeFromPakFilesOfTheMainGroupByExactName) {
  HeadlessEngine();
  static Ogre::PakArchiveFactory factory;
  static bool registered = false;
  if (!registered) Ogre::ArchiveManager::getSingleton().addArchiveFactory(&factory);
  registered = true;
  Ogre::ResourceGroupManager& groups = Ogre::ResourceGroupManager::getSingleton();
  if (!groups.resourceGroupExists("Main")) groups.createResourceGroup("Main");
  groups.addResourceLocation(YVEK_SOUNDS_PAK, "Pak", "Main");

  CTPAudioManager manager;
  auto fake = std::make_unique<FakeSoundDevice>();
  FakeSoundDevice* device = fake.get();
  manager.Init(std::move(fake));
  manager.PlaySound("PointAssign.wav", nullptr, CTPAudioManager::kModeStream, true);
  EXPECT_EQ(device->plays, 0);
  manager.PlaySound("pointassign.wav", nullptr, CTPAudioManager::kModeStream, true);
  EXPECT_EQ(device->plays, 1);
  ASSERT_EQ(device->sounds.size(), 1u);
  EXPECT_EQ(device->sounds[0].head, "RIFF");
  groups.removeResourceLocation(YVEK_SOUNDS_PAK, "Main");
}

}  // namespace
