// The demo units' built content: every template's parts load, their
// skeletons have the bones effects aim at and an animation for every Anim
// event of the template, and the base materials have the texture units the
// part materials fill.
#include "ModelTestSupport.h"
#include "units/UnitAction.h"
#include "units/UnitManager.h"
#include "units/UnitPartDef.h"

#include <Ogre.h>

#include <set>

namespace {

TEST(UnitContent, EveryTemplatesPartsLoadWithTheBonesAndAnimationsItUses) {
  UnitContent();
  LogLines log;
  auto& groups = Ogre::ResourceGroupManager::getSingleton();
  // A group of its own: other tests keep the game's "Main" for the process.
  const char* const kFiles = "UnitContentFiles";
  groups.createResourceGroup(kFiles);
  groups.addResourceLocation(YVEK_DATA_DIR "/units", "FileSystem", kFiles);
  groups.initialiseResourceGroup(kFiles);
  CGAUnitManager manager(nullptr);
  manager.LoadUnitTemplates(kFiles);
  ASSERT_FALSE(manager.GetUnitTemplates().empty());

  int bonePartsShown = 0;
  for (const auto& entry : manager.GetUnitTemplates()) {
    const UnitTemplate& unitType = entry.second;
    SCOPED_TRACE(unitType.Name);
    ASSERT_TRUE(unitType.choiceParts.count("body"));
    Ogre::MeshPtr body = Ogre::MeshManager::getSingleton().load(unitType.choiceParts.at("body")[0]->GetResName(), "General");
    ASSERT_TRUE(body->hasSkeleton());
    Ogre::SkeletonPtr skeleton = body->getSkeleton();
    for (const char* bone : {"Bip01 Spine", "release"}) EXPECT_TRUE(skeleton->hasBone(bone)) << bone;
    for (const UnitAction* action : unitType.actions)
      for (const UnitActionEvent& event : action->GetEvents())
        if (event.type == kEventAnim) {
          EXPECT_TRUE(skeleton->hasAnimation(event.parameters[0])) << event.parameters[0];
        }

    for (const auto& group : unitType.choiceParts)
      for (const UnitPartDef* part : group.second) {
        SCOPED_TRACE(part->GetResName());
        Ogre::MeshPtr mesh = Ogre::MeshManager::getSingleton().load(part->GetResName(), "General");
        // A part on the main skeleton uses that skeleton; one on a bone
        // names a bone of it.
        if (!part->GetBone().empty()) {
          EXPECT_TRUE(skeleton->hasBone(part->GetBone()));
          ++bonePartsShown;
        } else if (mesh->hasSkeleton()) {
          EXPECT_EQ(mesh->getSkeleton(), skeleton);
        }
        for (const std::string& texture : {part->GetTexture(), part->GetEffectTexture(0).texture,
                                           part->GetEffectTexture(0).mask})
          if (!texture.empty()) {
            EXPECT_TRUE(groups.resourceExists("General", texture)) << texture;
          }
      }
  }
  EXPECT_GT(bonePartsShown, 0);
  EXPECT_TRUE(log.lines.empty()) << log.lines.front();
  groups.destroyResourceGroup(kFiles);
}

TEST(UnitContent, BaseMaterialsBlendAndHaveTheTextureUnitsPartsFill) {
  UnitContent();
  const std::pair<const char*, size_t> bases[] = {{"unit_human", 1}, {"unit_human_1", 3}, {"unit_human_2", 5}};
  for (const auto& base : bases) {
    SCOPED_TRACE(base.first);
    Ogre::MaterialPtr material = Ogre::MaterialManager::getSingleton().getByName(base.first, "General");
    ASSERT_TRUE(material);
    const Ogre::Pass* pass = material->getTechnique(0)->getPass(0);
    EXPECT_EQ(pass->getNumTextureUnitStates(), base.second);
    EXPECT_TRUE(pass->isTransparent());
    EXPECT_TRUE(pass->hasFragmentProgram());
  }
}

TEST(UnitContent, TheColliderIsAUnitBoxStandingOnTheGround) {
  UnitContent();
  Ogre::MeshPtr collider = Ogre::MeshManager::getSingleton().load("collider.mesh", "General");
  EXPECT_EQ(collider->getBounds(), Ogre::AxisAlignedBox(-0.5f, 0, -0.5f, 0.5f, 1, 0.5f));
}

// The in-game screen draws the collider in delete mode in material "red".
TEST(UnitContent, TheDeleteMarkerIsRedAndSeeThrough) {
  UnitContent();
  Ogre::MaterialPtr red = Ogre::MaterialManager::getSingleton().getByName("red", "General");
  ASSERT_TRUE(red);
  red->load();
  const Ogre::Pass* pass = red->getTechnique(0)->getPass(0);
  EXPECT_TRUE(pass->isTransparent());
  ASSERT_EQ(pass->getNumTextureUnitStates(), 1u);
  const Ogre::TextureUnitState* unit = pass->getTextureUnitState(0);
  EXPECT_EQ(unit->getColourBlendMode().source1, Ogre::LBS_MANUAL);
  EXPECT_EQ(unit->getColourBlendMode().colourArg1, Ogre::ColourValue(1, 0, 0));
  EXPECT_EQ(unit->getAlphaBlendMode().source1, Ogre::LBS_MANUAL);
  EXPECT_GT(unit->getAlphaBlendMode().alphaArg1, 0.2f);
  EXPECT_LT(unit->getAlphaBlendMode().alphaArg1, 0.8f);
}

}  // namespace
