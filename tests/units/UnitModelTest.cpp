// The unit model over a headless scene with the demo units' meshes: parts
// and the main entity, bones and aliases, the cross-fade of animations, and
// what replacing the main entity must leave behind.
#include "ModelTestSupport.h"
#include "platform/Random.h"
#include "tests/support/TempDir.h"
#include "units/Unit.h"
#include "units/UnitManager.h"

#include <Ogre.h>
#include <OgreSkeletonSerializer.h>
#include <OgreTagPoint.h>

namespace {

class UnitModelTest : public ModelFixture {};

std::vector<std::string> AnimationNames(const CGAUnitModel& model) {
  std::vector<std::string> names;
  for (const Ogre::AnimationState* state : model.GetAnimations()) names.push_back(state->getAnimationName());
  return names;
}

Ogre::Entity* TagPointOwner(Ogre::Entity* part) {
  auto* tag = dynamic_cast<Ogre::TagPoint*>(part->getParentNode());
  return tag ? tag->getParentEntity() : nullptr;
}

const std::vector<std::string> kHumanAnimations = {"attack", "die", "injured", "run", "stand"};

TEST_F(UnitModelTest, TheFirstPartIsTheMainEntityAndLaterPartsShareItsSkeleton) {
  CGAUnitModel& model = NewModel();
  EXPECT_EQ(model.GetEntity(), nullptr);
  model.AttachPart("body", "swordsman.mesh");
  model.AttachPart("head", "helmet.mesh");
  Ogre::Entity* body = model.GetEntity();
  ASSERT_NE(body, nullptr);
  EXPECT_EQ(body->getMesh()->getName(), "swordsman.mesh");
  ASSERT_EQ(model.GetAttachments().size(), 2u);
  Ogre::Entity* helmet = model.GetAttachments()[1].entity;
  EXPECT_EQ(helmet->getSkeleton(), body->getSkeleton());
  for (const UnitModelAttachment& part : model.GetAttachments()) {
    EXPECT_EQ(part.entity->getRenderQueueGroup(), 60);
    EXPECT_EQ(part.entity->getParentSceneNode(), model.GetChildNode());
    for (unsigned index : {0u, 1u}) EXPECT_EQ(part.entity->getSubEntity(0)->getCustomParameter(index), Ogre::Vector4::ZERO);
  }
  // Every state of the skeleton, in the set's order, none playing yet.
  EXPECT_EQ(AnimationNames(model), kHumanAnimations);
  for (const Ogre::AnimationState* state : model.GetAnimations()) EXPECT_EQ(state->getWeight(), 0.0f);
  EXPECT_EQ(model.GetCurrentAnimation(), nullptr);
  // The model node enters the scene with the unit, its child at the origin.
  EXPECT_EQ(model.GetSceneNode()->getParentSceneNode(), scene->getRootSceneNode());
  EXPECT_EQ(model.GetChildNode()->getParentSceneNode(), model.GetSceneNode());
}

TEST_F(UnitModelTest, PartEntitiesOfManyModelsAreNamedApart) {
  // Twelve models of eleven parts: names such as model 1's part 10 and
  // model 11's part 0 must not meet.
  for (int m = 0; m < 12; ++m) {
    CGAUnitModel& model = NewModel();
    for (int p = 0; p < 11; ++p) model.AttachPart("part" + std::to_string(p), "swordsman.mesh");
    EXPECT_EQ(model.GetAttachments().size(), 11u);
  }
  EXPECT_TRUE(log.lines.empty()) << log.lines.front();
}

// A map may name its own objects as part entities are named (model node,
// "/", part number): a part passes over the taken number.
TEST_F(UnitModelTest, APartPassesOverANameTheSceneHolds) {
  CGAUnitModel& model = NewModel();
  const std::string node = model.GetSceneNode()->getName();
  Ogre::Entity* taken = scene->createEntity(node + "/0", "helmet.mesh");
  model.AttachPart("body", "swordsman.mesh");
  model.AttachPart("head", "helmet.mesh");
  ASSERT_EQ(model.GetAttachments().size(), 2u);
  EXPECT_EQ(model.GetAttachments()[0].entity->getName(), node + "/1");
  EXPECT_EQ(model.GetAttachments()[1].entity->getName(), node + "/2");
  EXPECT_TRUE(log.lines.empty()) << log.lines.front();
  scene->destroyEntity(taken);
}

// A linked animation source in a folder of "General": the human bones with
// one more animation, "dance" (1 s). Linking it changes the human skeleton
// every test shares: the link is undone when it goes, after the models.
class DanceSkeleton {
 public:
  DanceSkeleton() {
    auto& skeletons = Ogre::SkeletonManager::getSingleton();
    auto human = Ogre::static_pointer_cast<Ogre::Skeleton>(skeletons.load("human.skeleton", "General"));
    auto extra = Ogre::static_pointer_cast<Ogre::Skeleton>(skeletons.create("dance_source", "General", true));
    for (unsigned short i = 0; i < human->getNumBones(); ++i) {
      Ogre::Bone* bone = human->getBone(i);
      extra->createBone(bone->getName(), bone->getHandle())->setPosition(bone->getInitialPosition());
    }
    for (unsigned short i = 0; i < human->getNumBones(); ++i)
      if (Ogre::Node* parent = human->getBone(i)->getParent())
        extra->getBone(parent->getName())->addChild(extra->getBone(i));
    extra->setBindingPose();
    extra->createAnimation("dance", 1.0f)->createNodeTrack(0, extra->getBone(0))->createNodeKeyFrame(0.0f);
    Ogre::SkeletonSerializer().exportSkeleton(extra.get(), mDir.file("dance.skeleton"));
    extra->load();  // a manual resource frees its bones on unload only once it counts as loaded
    skeletons.remove(extra);
    Ogre::ResourceGroupManager::getSingleton().addResourceLocation(mDir.path(), "FileSystem", "General");
  }
  ~DanceSkeleton() {
    Ogre::SkeletonManager::getSingleton().getByName("human.skeleton", "General")->removeAllLinkedSkeletonAnimationSources();
    Ogre::ResourceGroupManager::getSingleton().removeResourceLocation(mDir.path(), "General");
  }

 private:
  TempDir mDir;
};

TEST_F(UnitModelTest, WithoutAMainEntityNothingPlaysAndSkeletonFilesWait) {
  DanceSkeleton dance;
  CGAUnitModel& model = NewModel();
  model.AttachPartEffect("shadow", "shadow");  // shown, but no mesh
  model.SetBoneAlias("target", "Bip01 Spine");
  model.PlayAnimationByName("run", 1.0f, true);
  model.AddSkeletonFile("dance.skeleton");
  model.Update();
  EXPECT_EQ(model.GetEntity(), nullptr);
  EXPECT_EQ(model.GetCurrentAnimation(), nullptr);
  EXPECT_EQ(model.GetBone("target"), nullptr);
  EXPECT_TRUE(model.GetAnimations().empty());

  model.AttachPart("body", "swordsman.mesh");
  EXPECT_EQ(AnimationNames(model), kHumanAnimations);
  model.Update();  // the pending file is linked now
  std::vector<std::string> linked = kHumanAnimations;
  linked.insert(linked.begin() + 1, "dance");
  EXPECT_EQ(AnimationNames(model), linked);
  model.PlayAnimationByName("dance", 1.0f, true);
  ASSERT_NE(model.GetCurrentAnimation(), nullptr);
  EXPECT_EQ(model.GetCurrentAnimation()->getAnimationName(), "dance");

  // A file that cannot be linked is reported and changes nothing.
  model.AddSkeletonFile("missing.skeleton");
  EXPECT_TRUE(log.Has("missing.skeleton"));
  EXPECT_EQ(AnimationNames(model), linked);
  units.clear();  // before the link is undone
}

// The current animation gains 3 x dt of weight a frame up to 1 (one frame
// may overshoot); the others lose as much and are disabled one frame after
// reaching 0 or below.
TEST_F(UnitModelTest, AnimationsCrossFadeByThreeTimesTheFrameTime) {
  CGAUnitModel& model = NewModel();
  model.AttachPart("body", "swordsman.mesh");
  Ogre::Entity* body = model.GetEntity();
  Ogre::AnimationState* run = body->getAnimationState("run");
  Ogre::AnimationState* attack = body->getAnimationState("attack");
  SetFrame(0.05f);

  model.PlayAnimationByName("run", 1.0f, true);
  EXPECT_TRUE(run->getEnabled());
  EXPECT_TRUE(run->getLoop());
  const float rising[] = {0.15f, 0.3f, 0.45f, 0.6f, 0.75f, 0.9f, 1.05f, 1.0f};
  for (float expected : rising) {
    model.Update();
    EXPECT_NEAR(run->getWeight(), expected, 1e-5f);
  }
  EXPECT_NEAR(run->getTimePosition(), std::fmod(8 * 0.05f, run->getLength()), 1e-5f);

  model.PlayAnimationByName("attack", 1.0f, false);
  EXPECT_EQ(attack->getTimePosition(), 0.0f);
  const float falling[] = {0.85f, 0.7f, 0.55f, 0.4f, 0.25f, 0.1f, -0.05f};
  for (size_t frame = 0; frame < sizeof falling / sizeof falling[0]; ++frame) {
    model.Update();
    EXPECT_NEAR(run->getWeight(), falling[frame], 1e-5f);
    EXPECT_NEAR(attack->getWeight(), 0.15f * (frame + 1), 1e-5f);
    EXPECT_TRUE(run->getEnabled());
  }
  model.Update();
  EXPECT_EQ(run->getWeight(), 0.0f);
  EXPECT_FALSE(run->getEnabled());

  // A non-looping animation holds its last pose at full weight.
  for (int i = 0; i < 40; ++i) model.Update();
  EXPECT_EQ(attack->getWeight(), 1.0f);
  EXPECT_TRUE(attack->hasEnded());
  EXPECT_TRUE(attack->getEnabled());

  // The speed of the play request scales the fade and the clock.
  model.PlayAnimationByName("run", 2.0f, true);
  model.Update();
  EXPECT_NEAR(run->getWeight(), 0.3f, 1e-5f);
  EXPECT_NEAR(attack->getWeight(), 0.7f, 1e-5f);
  EXPECT_NEAR(run->getTimePosition(), 0.1f, 1e-5f);
}

TEST_F(UnitModelTest, AnUnknownAnimationLeavesTheCurrentOnePlaying) {
  CGAUnitModel& model = NewModel();
  model.AttachPart("body", "swordsman.mesh");
  model.PlayAnimationByName("run", 1.0f, true);
  model.Update();
  model.PlayAnimationByName("fly", 2.0f, false);
  ASSERT_NE(model.GetCurrentAnimation(), nullptr);
  EXPECT_EQ(model.GetCurrentAnimation()->getAnimationName(), "run");
  model.Update();
  EXPECT_NEAR(model.GetCurrentAnimation()->getWeight(), 6 * 0.02f, 1e-5f);  // the speed stayed 1
}

// The blending mode, which the game never selects: a cross-fade by name over
// every state of the main entity, in which the idle "stand" gives way to a
// random variant of its group (linked when missing, played once with its
// sound) each time it has ended more often than the loop target.
TEST_F(UnitModelTest, TheBlendingModeVariesTheIdleWithAVariantOfItsGroup) {
  DanceSkeleton dance;
  units.push_back(std::make_unique<CGAUnit>(*world));
  auto model = std::make_unique<CGAUnitModel>(scene, scene->getRootSceneNode(), *units.back(), true);
  model->AddAnimGroup("stand", "stand", "", "", "");
  model->AddAnimGroup("stand", "dance", "dance.skeleton", "cheer.wav", "sparkle");
  model->AttachPart("body", "swordsman.mesh");
  Ogre::Entity* body = model->GetEntity();
  Ogre::AnimationState* stand = body->getAnimationState("stand");
  SetFrame(0.05f);
  platform::SeedRand(3);

  model->Update();
  EXPECT_NEAR(stand->getWeight(), 0.15f, 1e-5f);
  EXPECT_NEAR(stand->getTimePosition(), 0.05f, 1e-5f);
  for (const Ogre::AnimationState* state : model->GetAnimations()) EXPECT_EQ(state->getEnabled(), state == stand);

  // The idle's first end passes the first loop target, 0.
  int updates = 1;
  for (; updates < 1000 && world->sounds.empty(); ++updates) model->Update();
  ASSERT_EQ(world->sounds, std::vector<std::string>{"cheer.wav"});
  const UnitModelBlendRecord& playing = model->GetBlendRecord();
  EXPECT_EQ(playing.group, "stand");
  EXPECT_EQ(playing.current, "dance");
  EXPECT_EQ(playing.idle, "stand");
  EXPECT_EQ(playing.variant, "dance");
  EXPECT_EQ(playing.effect, "sparkle");
  const int target = model->GetLoopTarget();
  EXPECT_GE(target, 6);
  EXPECT_LT(target, 12);
  ASSERT_TRUE(body->hasAnimationState("dance"));
  Ogre::AnimationState* danceState = body->getAnimationState("dance");
  EXPECT_EQ(danceState->getTimePosition(), 0.0f);
  EXPECT_FALSE(danceState->getLoop());
  // Linking the variant left the idle's fade alone.
  EXPECT_NEAR(stand->getWeight(), std::min(1.0f, 0.15f * updates), 1e-4f);

  model->Update();
  EXPECT_NEAR(danceState->getWeight(), 0.15f, 1e-5f);
  EXPECT_NEAR(stand->getWeight(), 0.85f, 1e-5f);
  // The dance (1 s) plays once, then the idle comes back and the dance
  // fades out.
  int frames = 1;
  for (; frames < 100 && playing.current == "dance"; ++frames) model->Update();
  EXPECT_NEAR(frames, 20, 1);
  EXPECT_EQ(playing.current, "stand");
  for (int i = 0; i < 10; ++i) model->Update();
  EXPECT_FALSE(danceState->getEnabled());
  EXPECT_EQ(stand->getWeight(), 1.0f);

  // The next dance comes once the idle has ended target + 1 more times.
  int mostEnds = 0;
  for (int i = 0; i < 5000 && world->sounds.size() < 2; ++i) {
    mostEnds = std::max(mostEnds, model->GetLoopsDone());
    model->Update();
  }
  EXPECT_EQ(world->sounds.size(), 2u);
  EXPECT_EQ(mostEnds, target);

  // A played animation fades in by name at its own speed; the idle does
  // not vary while it plays.
  model->PlayAnimationByName("run", 2.0f, true);
  Ogre::AnimationState* run = body->getAnimationState("run");
  model->Update();
  EXPECT_EQ(playing.current, "run");
  EXPECT_NEAR(run->getWeight(), 0.3f, 1e-5f);
  for (int i = 0; i < 2000; ++i) model->Update();
  EXPECT_EQ(world->sounds.size(), 2u);
  EXPECT_EQ(run->getWeight(), 1.0f);
  EXPECT_FALSE(stand->getEnabled());
  model.reset();
  units.clear();  // before the link is undone
}

// "target" names the spine unless the template's Bone children say
// otherwise; other aliases and plain bone names resolve on the main skeleton.
TEST_F(UnitModelTest, BoneAliasesResolveOnTheMainSkeleton) {
  CGAUnitManager manager(scene);
  manager.SetUnitWorld(world.get());
  manager.ReadUnitTemplates(R"(<Units>
      <Unit Name="plain"/>
      <Unit Name="aimed"><Bone Name="target" BoneName="Bip01 Head"/><Bone Name="mouth" BoneName="jaw"/></Unit>
    </Units>)",
                            "aliases.unt");
  struct Case {
    const char* unit;
    const char* name;
    const char* bone;  // null: no bone
  };
  const Case cases[] = {
      {"plain", "target", "Bip01 Spine"}, {"aimed", "target", "Bip01 Head"}, {"plain", "release", "release"},
      {"aimed", "Bip01 Spine", "Bip01 Spine"}, {"aimed", "mouth", nullptr}, {"plain", "ride", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.unit) + " " + c.name);
    CGAUnit* unit = manager.CreateNamedUnit(c.unit, std::string(c.unit) + c.name);
    ASSERT_NE(unit, nullptr);
    auto* model = static_cast<CGAUnitModel*>(unit->GetModel());
    model->AttachPart("body", "archer.mesh");
    Ogre::Bone* bone = model->GetBone(c.name);
    if (c.bone) {
      ASSERT_NE(bone, nullptr);
      EXPECT_EQ(bone->getName(), c.bone);
    } else {
      EXPECT_EQ(bone, nullptr);
    }
    EXPECT_EQ(model->GetRideBone(), nullptr);  // the human skeleton has no "ride"
  }
  manager.ClearUnits();
}

TEST_F(UnitModelTest, PartsOnBonesHangOnTheMainEntity) {
  CGAUnitModel& model = NewModel();
  const Ogre::Quaternion turn(Ogre::Degree(90), Ogre::Vector3::UNIT_Y);
  // Without a main entity there is no bone to hang on.
  testing::internal::CaptureStdout();
  model.AttachPartToBone("weapon", "sword.mesh", Ogre::Vector3::ZERO, turn, "Bip01 R Hand");
  EXPECT_TRUE(model.GetAttachments().empty());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), u8"配件链接错误 角色没骨骼 bone Bip01 R Hand\n");

  model.AttachPart("body", "swordsman.mesh");
  model.SetBoneAlias("hand", "Bip01 R Hand");
  model.AttachPartToBone("weapon", "sword.mesh", Ogre::Vector3(0, -0.06f, 0), turn, "hand");
  model.AttachPartToBone("shield", "shield.mesh", Ogre::Vector3::ZERO, turn, "Bip01 Tail");
  ASSERT_EQ(model.GetAttachments().size(), 2u);
  const UnitModelAttachment& sword = model.GetAttachments()[1];
  EXPECT_EQ(sword.bone, "Bip01 R Hand");
  EXPECT_EQ(TagPointOwner(sword.entity), model.GetEntity());
  auto* tag = static_cast<Ogre::TagPoint*>(sword.entity->getParentNode());
  EXPECT_EQ(tag->getParent()->getName(), "Bip01 R Hand");
  EXPECT_TRUE(tag->getPosition().positionEquals(Ogre::Vector3(0, -0.06f, 0)));
  EXPECT_TRUE(tag->getOrientation().equals(turn, Ogre::Degree(0.01f)));
  EXPECT_EQ(sword.entity->getRenderQueueGroup(), 60);
  EXPECT_EQ(AnimationNames(model), kHumanAnimations);  // its own states stay out of the list

  // Tint and highlight reach every sub-entity of every part.
  const Ogre::Vector4 tint(1, 0.4f, 0.4f, 0.5f);
  model.SetCustomParameter(0, tint);
  for (const UnitModelAttachment& part : model.GetAttachments())
    for (size_t i = 0; i < part.entity->getNumSubEntities(); ++i) {
      EXPECT_EQ(part.entity->getSubEntity(i)->getCustomParameter(0), tint);
      EXPECT_EQ(part.entity->getSubEntity(i)->getCustomParameter(1), Ogre::Vector4::ZERO);
    }
}

TEST_F(UnitModelTest, RemovingASlotRemovesEveryAttachmentOfIt) {
  CGAUnitModel& model = NewModel();
  model.AttachPartEffect("shadow", "shadow");
  model.AttachPart("body", "swordsman.mesh");
  model.AttachPartEffect("shadow", "shadow");
  model.AttachPartEffect("Selection", "missing");  // no such effect: nothing attached
  ASSERT_EQ(world->effects.size(), 2u);
  for (const FakeEffect& effect : world->effects) {
    EXPECT_EQ(effect.lifeTime, -1.0f);
    EXPECT_EQ(effect.owner, units.back().get());
  }
  EXPECT_TRUE(model.HasAttachment("shadow"));
  EXPECT_FALSE(model.HasAttachment("body"));  // asks only of the first

  // An effect the effect manager has already destroyed is left alone, and
  // so is a new one that took the address of another.
  world->effects[0].live = false;
  model.AttachPartEffect("shadow", "shadow");
  world->ReuseEffect(2, "arrow");
  model.SetVisible(false);
  model.RemovePart("shadow");
  EXPECT_EQ(world->effects[0].lifeTime, -1.0f);
  EXPECT_TRUE(world->effects[0].visible);
  EXPECT_EQ(world->effects[1].lifeTime, 0.01f);
  EXPECT_FALSE(world->effects[1].visible);
  EXPECT_EQ(world->effects[2].lifeTime, 5.0f);
  EXPECT_TRUE(world->effects[2].visible);
  ASSERT_EQ(model.GetAttachments().size(), 1u);
  EXPECT_EQ(model.GetAttachments()[0].slot, "body");

  model.RemovePart("body");
  EXPECT_TRUE(model.GetAttachments().empty());
  EXPECT_EQ(model.GetEntity(), nullptr);
  EXPECT_FALSE(scene->hasEntity(model.GetSceneNode()->getName() + "/0"));
}

TEST_F(UnitModelTest, HidingTakesTheModelOutOfTheSceneWithItsEffects) {
  CGAUnitModel& model = NewModel();
  model.AttachPartEffect("shadow", "shadow");
  model.SetVisible(false);
  EXPECT_EQ(model.GetSceneNode()->getParent(), nullptr);
  EXPECT_FALSE(world->effects[0].visible);
  model.SetVisible(false);
  model.SetVisible(true);
  EXPECT_EQ(model.GetSceneNode()->getParent(), scene->getRootSceneNode());
  EXPECT_TRUE(world->effects[0].visible);
  world->effects[0].visible = false;
  model.SetVisible(true);  // already shown: nothing happens
  EXPECT_FALSE(world->effects[0].visible);

  Ogre::SceneNode* other = scene->getRootSceneNode()->createChildSceneNode();
  model.AttachToNode(other);
  EXPECT_EQ(model.GetSceneNode()->getParent(), other);
  model.AttachToNode(nullptr);
  EXPECT_EQ(model.GetSceneNode()->getParent(), scene->getRootSceneNode());
}

// Replacing the main entity (the unit takes a new body) must not leave the
// model pointing into the old skeleton: its states, ride bone and the parts
// hanging on it move to the new one.
TEST_F(UnitModelTest, ANewMainEntityTakesOverStatesBonesAndParts) {
  CGAUnitModel& model = NewModel();
  model.AttachPart("body", "swordsman.mesh");
  model.AttachPart("head", "helmet.mesh");
  model.AttachPartToBone("weapon", "sword.mesh", Ogre::Vector3::ZERO, Ogre::Quaternion::IDENTITY, "Bip01 R Hand");
  model.PlayAnimationByName("run", 1.0f, true);
  model.Update();

  model.RemovePart("body");
  EXPECT_EQ(model.GetEntity(), nullptr);
  EXPECT_TRUE(model.GetAnimations().empty());
  EXPECT_EQ(model.GetCurrentAnimation(), nullptr);
  EXPECT_EQ(model.GetBone("Bip01 R Hand"), nullptr);
  EXPECT_EQ(model.GetRideBone(), nullptr);
  model.Update();

  model.AttachPart("body", "brute.mesh");
  Ogre::Entity* body = model.GetEntity();
  ASSERT_NE(body, nullptr);
  EXPECT_EQ(body->getMesh()->getName(), "brute.mesh");
  ASSERT_EQ(AnimationNames(model), kHumanAnimations);
  for (Ogre::AnimationState* state : model.GetAnimations())
    EXPECT_EQ(state, body->getAnimationState(state->getAnimationName()));
  const auto& parts = model.GetAttachments();
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(parts[0].entity->getSkeleton(), body->getSkeleton());  // the helmet
  EXPECT_EQ(TagPointOwner(parts[1].entity), body);                 // the sword
  EXPECT_EQ(static_cast<Ogre::TagPoint*>(parts[1].entity->getParentNode())->getParent()->getName(), "Bip01 R Hand");

  model.PlayAnimationByName("attack", 1.0f, false);
  model.Update();
  EXPECT_NEAR(body->getAnimationState("attack")->getWeight(), 0.06f, 1e-5f);
}

TEST_F(UnitModelTest, PartsThatCannotJoinAreReportedAndShownAlone) {
  CGAUnitModel& model = NewModel();
  model.AttachPart("body", "missing.mesh");
  EXPECT_EQ(model.GetEntity(), nullptr);
  EXPECT_TRUE(log.Has("missing.mesh"));
  model.AttachPart("body", "swordsman.mesh");
  model.AttachPart("coin", "coin.mesh");  // another skeleton
  ASSERT_EQ(model.GetAttachments().size(), 2u);
  EXPECT_NE(model.GetAttachments()[1].entity->getSkeleton(), model.GetEntity()->getSkeleton());
  EXPECT_TRUE(log.Has("coin.mesh"));
}

TEST_F(UnitModelTest, DeletingTheUnitTakesItsModelOutOfTheScene) {
  NewModel().AttachPart("body", "swordsman.mesh");
  CGAUnitModel& model = NewModel();
  model.AttachPart("body", "swordsman.mesh");
  model.AttachPartToBone("weapon", "sword.mesh", Ogre::Vector3::ZERO, Ogre::Quaternion::IDENTITY, "Bip01 R Hand");
  model.AttachPartEffect("shadow", "shadow");
  units.clear();
  EXPECT_EQ(world->effects.back().lifeTime, 0.01f);
  EXPECT_TRUE(scene->getMovableObjects("Entity").empty());
  EXPECT_EQ(scene->getRootSceneNode()->numChildren(), 0u);
}

}  // namespace
