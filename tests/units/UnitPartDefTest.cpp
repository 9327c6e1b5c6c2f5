// The loading steps of a unit part, driven by a stand-in for the background
// queue, and the part's material built on the demo base materials.
#include "ModelTestSupport.h"
#include "game/ResourcePreloader.h"
#include "units/UnitPartDef.h"

#include <Ogre.h>

namespace {

// Answers every request with a new ticket and reports tickets loaded once
// `finished` is set.
struct FakeLoader : BackgroundLoader {
  bool finished = true;
  std::vector<std::string> requests;  // "type name"
  Ogre::BackgroundProcessTicket LoadInBackground(const std::string& type, const std::string& name) override {
    requests.push_back(type + " " + name);
    return requests.size();
  }
  bool IsLoaded(Ogre::BackgroundProcessTicket) override { return finished; }
};

class UnitPartDefTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UnitContent();
    // The loads the queue would have made.
    for (const char* mesh : {"sword.mesh", "swordsman.mesh", "coin.mesh"})
      Ogre::MeshManager::getSingleton().load(mesh, "General");
  }

  // Calls LoadResources until it reports ready (at most ten times); the
  // number of calls, and the states seen before each call.
  int CallsUntilReady(UnitPartDef& part, std::vector<int>* states = nullptr) {
    for (int call = 1; call <= 10; ++call) {
      if (states) states->push_back(part.GetLoadState());
      if (part.LoadResources(loader)) return call;
    }
    return 0;
  }

  static UnitPartDef Part(const std::string& mesh, const std::string& texture, const std::string& effect0 = "",
                          const std::string& effect1 = "") {
    UnitPartDef part;
    part.SetResName(mesh);
    part.SetTexture(texture);
    part.SetEffectTexture(0, {effect0, effect0.empty() ? "" : "mask0.png", Ogre::Vector4(0, 0.5f, 0, 1)});
    part.SetEffectTexture(1, {effect1, effect1.empty() ? "" : "mask1.png", Ogre::Vector4(1, 0, 2, 1)});
    return part;
  }

  LogLines log;
  FakeLoader loader;
};

TEST_F(UnitPartDefTest, ThePartIsReadyAfterItsLoadsAndItsSkeleton) {
  struct Case {
    const char* mesh;
    int calls;
    std::vector<int> states;
    std::vector<std::string> requests;
  };
  const Case cases[] = {
      {"sword.mesh", 3, {0, 1, 3}, {"Texture equipment.png", "Mesh sword.mesh"}},
      {"swordsman.mesh", 4, {0, 1, 2, 3}, {"Texture equipment.png", "Mesh swordsman.mesh", "Skeleton human.skeleton"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mesh);
    loader.requests.clear();
    UnitPartDef part = Part(c.mesh, "equipment.png");
    std::vector<int> states;
    EXPECT_EQ(CallsUntilReady(part, &states), c.calls);
    EXPECT_EQ(states, c.states);
    EXPECT_EQ(loader.requests, c.requests);
    EXPECT_TRUE(part.LoadResources(loader));  // and from then on
  }
}

TEST_F(UnitPartDefTest, ThePartWaitsForItsLoads) {
  UnitPartDef part = Part("swordsman.mesh", "swordsman.png");
  loader.finished = false;
  for (int call = 0; call < 5; ++call) EXPECT_FALSE(part.LoadResources(loader));
  EXPECT_EQ(part.GetLoadState(), UnitPartDef::kLoadingMesh);
  EXPECT_EQ(loader.requests.size(), 2u);  // asked once
  loader.finished = true;
  EXPECT_FALSE(part.LoadResources(loader));
  EXPECT_EQ(part.GetLoadState(), UnitPartDef::kLoadingSkeleton);
}

TEST_F(UnitPartDefTest, PartsWithoutAMeshAreReadyAtOnce) {
  UnitPartDef effectOnly;
  effectOnly.SetEffect("aura");
  EXPECT_TRUE(effectOnly.LoadResources(loader));
  EXPECT_TRUE(loader.requests.empty());

  // A mesh that is not there after its load: ready, showing nothing.
  UnitPartDef missing = Part("nothing.mesh", "");
  EXPECT_EQ(CallsUntilReady(missing), 3);
  EXPECT_EQ(loader.requests, std::vector<std::string>{"Mesh nothing.mesh"});  // no texture to ask for
  EXPECT_TRUE(log.Has("nothing.mesh"));
}

// The clone's base has as many texture units as the part's textures need.
TEST_F(UnitPartDefTest, TheMaterialIsACloneOfTheBaseForItsEffectTextures) {
  struct Case {
    const char* effect0;
    const char* effect1;
    const char* program;
    std::vector<std::string> textures;
  };
  const Case cases[] = {
      {"", "", "unit_human_ps", {"knight.png"}},
      {"glow.png", "", "unit_human_1_ps", {"knight.png", "glow.png", "mask0.png"}},
      {"glow.png", "spark.png", "unit_human_2_ps", {"knight.png", "glow.png", "mask0.png", "spark.png", "mask1.png"}},
      // Only the second effect texture: the first pair keeps the base's.
      {"", "spark.png", "unit_human_2_ps", {"knight.png", "unit_white.png", "unit_white.png", "spark.png", "mask1.png"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program);
    UnitPartDef part = Part("sword.mesh", "knight.png", c.effect0, c.effect1);
    CallsUntilReady(part);
    Ogre::MaterialPtr material = part.GetMaterial();
    ASSERT_TRUE(material);
    EXPECT_EQ(material->getName(), UnitPartMaterialName("knight.png", c.effect0, c.effect1));
    const Ogre::Pass* pass = material->getTechnique(0)->getPass(0);
    EXPECT_EQ(pass->getFragmentProgramName(), c.program);
    std::vector<std::string> textures;
    for (const Ogre::TextureUnitState* unit : pass->getTextureUnitStates()) textures.push_back(unit->getTextureName());
    EXPECT_EQ(textures, c.textures);
    // The mesh takes the part's material when the part is ready.
    EXPECT_EQ(Ogre::MeshManager::getSingleton().getByName("sword.mesh", "General")->getSubMesh(0)->getMaterialName(),
              material->getName());
  }
}

// The material is named by the part's textures; the names keep the three
// apart, so "ab" alone is not "a" with effect "b" (which needs more texture
// units), and a part without textures still gets a name of its own.
TEST_F(UnitPartDefTest, MaterialNamesKeepTheTexturesApart) {
  UnitPartDef joined = Part("sword.mesh", "ab.png");
  UnitPartDef split = Part("sword.mesh", "a", "b.png");
  UnitPartDef bare = Part("sword.mesh", "");
  for (UnitPartDef* part : {&joined, &split, &bare}) CallsUntilReady(*part);
  EXPECT_NE(joined.GetMaterial(), split.GetMaterial());
  EXPECT_EQ(split.GetMaterial()->getTechnique(0)->getPass(0)->getNumTextureUnitStates(), 3u);
  EXPECT_FALSE(bare.GetMaterial()->getName().empty());
  EXPECT_NE(bare.GetMaterial(), joined.GetMaterial());
  EXPECT_EQ(bare.GetMaterial()->getTechnique(0)->getPass(0)->getTextureUnitState(0)->getTextureName(),
            "unit_white.png");
}

TEST_F(UnitPartDefTest, PartsOfTheSameTexturesShareOneMaterial) {
  UnitPartDef first = Part("sword.mesh", "knight.png", "glow.png");
  UnitPartDef second = Part("coin.mesh", "knight.png", "glow.png");
  second.SetEffectTexture(0, {"glow.png", "other_mask.png", Ogre::Vector4(2, 2, 2, 1)});
  CallsUntilReady(first);
  CallsUntilReady(second);
  EXPECT_EQ(first.GetMaterial(), second.GetMaterial());
}

// One mesh, two parts of different textures (the gold and the silver coin):
// each time a part reports ready the mesh takes that part's material, so the
// entity made right after it wears the right one.
TEST_F(UnitPartDefTest, AReadyPartPutsItsMaterialOnTheMesh) {
  UnitPartDef gold = Part("coin.mesh", "coin_gold.png");
  UnitPartDef silver = Part("coin.mesh", "coin_silver.png");
  CallsUntilReady(gold);
  CallsUntilReady(silver);
  Ogre::SubMesh* sub = Ogre::MeshManager::getSingleton().getByName("coin.mesh", "General")->getSubMesh(0);
  EXPECT_EQ(sub->getMaterialName(), silver.GetMaterial()->getName());
  EXPECT_TRUE(gold.LoadResources(loader));
  EXPECT_EQ(sub->getMaterialName(), gold.GetMaterial()->getName());
}

}  // namespace
