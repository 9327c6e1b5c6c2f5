// A map's scene effects: made through the game's map world and its effect
// manager with the file's place, scale and rotation, ended when the map is
// cleared, written back by the map writer.
#include "tests/terrain/SceneTestSupport.h"
#include "effects/EffectManager.h"
#include "effects/EffectNode.h"
#include "game/app/GameMapWorld.h"
#include "tests/support/TempDir.h"

#include <Ogre.h>

namespace {

class SceneEffects : public SceneFixture {
 protected:
  SceneEffects() {
    terrain->SetFileOpener(CGAMapReader::OpenFromFolder(dir.path()));
    Ogre::SceneNode* root = scene->getRootSceneNode()->createChildSceneNode("effect_root");
    effects = std::make_unique<CGAEffectManager>(scene, root, camera);
    terrain->SetMapWorld(&world);
    effects->ReadEffectFile(R"(<E><EffectSystem EffectName="torch"/></E>)", "scene.eff");
    MapXml xml;
    std::string text = xml.Text();
    text.replace(text.find("<SceneEffect/>"), 14,
                 R"(<SceneEffect><Effect Name="torch" Position="3 0 4" Scale="2 2 2" Quaternion="0 0 1 0"/>)"
                 R"(<Effect Name="smoke" Position="1 0 1" Scale="1 1 1" Quaternion="1 0 0 0"/></SceneEffect>)");
    dir.write("test.map", text);
  }
  ~SceneEffects() override {
    terrain->SetMapWorld(nullptr);
    effects.reset();
  }

  CGAEffectNode* OnlyEffect() {
    EXPECT_EQ(terrain->GetSceneEffects().size(), 1u);
    if (terrain->GetSceneEffects().empty()) return nullptr;
    const std::string& name = *terrain->GetSceneEffects().begin();
    for (CGAEffectNode* effect : effects->GetManagedEffects())
      if (effect->GetName() == name) return effect;
    return nullptr;
  }

  TempDir dir;
  GameMapWorld world;
  std::unique_ptr<CGAEffectManager> effects;
};

TEST_F(SceneEffects, KnownEffectsArePlacedScaledAndTurnedAsTheMapSays) {
  ASSERT_TRUE(terrain->LoadMap("test.map", 16)) << log.All();
  CGAEffectNode* torch = OnlyEffect();
  ASSERT_NE(torch, nullptr);
  EXPECT_EQ(torch->GetEffectName(), "torch");
  EXPECT_EQ(torch->GetPosition(), Ogre::Vector3(3, 0, 4));
  EXPECT_EQ(torch->GetScale(), Ogre::Vector3(2, 2, 2));
  EXPECT_EQ(torch->GetOrientation(), Ogre::Quaternion(0, 0, 1, 0));
}

TEST_F(SceneEffects, ClearingTheMapEndsItsEffectsInTheNextEffectUpdate) {
  ASSERT_TRUE(terrain->LoadMap("test.map", 16));
  CGAEffectNode* torch = OnlyEffect();
  terrain->ClearMap();
  EXPECT_TRUE(terrain->GetSceneEffects().empty());
  ASSERT_TRUE(effects->IsLive(torch));
  effects->Update();
  EXPECT_FALSE(effects->IsLive(torch));
  // Effects ended first (a level reset) are not touched by the clearing.
  ASSERT_TRUE(terrain->LoadMap("test.map", 16));
  effects->DestroyAllEffects();
  terrain->ClearMap();
  EXPECT_TRUE(terrain->GetSceneEffects().empty());
}

TEST_F(SceneEffects, TheMapWriterWritesTheLiveSceneEffects) {
  ASSERT_TRUE(terrain->LoadMap("test.map", 16));
  OnlyEffect()->SetPosition({5, 0, 6});
  TempDir saved;
  terrain->SetSaveFolder(saved.path() + "/");
  ASSERT_TRUE(terrain->SaveMap());
  const std::string map = ReadFileOrEmpty(saved.file("test.map"));
  EXPECT_NE(map.find(R"(<Effect Name="torch" Position="5 0 6" Scale="2 2 2" Quaternion="0 0 1 0")"),
            std::string::npos)
      << map;
  EXPECT_EQ(map.find("smoke"), std::string::npos);
}

}  // namespace
