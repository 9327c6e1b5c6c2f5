#include "game/GameUnitWorld.h"

#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include "effects/EffectManager.h"
#include "game/AudioManager.h"
#include "screens/GUICommon.h"
#include "screens/GUILabelEx.h"
#include "screens/LevelState.h"
#include "terrain/PathFinder.h"
#include "terrain/TerrainManager.h"
#include "units/Unit.h"
#include "units/UnitManager.h"
#include "units/UnitModelBase.h"

namespace {

// A unit's place in the scene without a body: its node under the unit
// manager's node, moved and turned with the unit. Parts, animations and tints
// have nothing to act on.
class NodeOnlyUnitModel : public UnitModelBase {
 public:
  explicit NodeOnlyUnitModel(Ogre::SceneNode* parent)
      : mParent(parent), mNode(parent->getCreator()->createSceneNode()) {
    mNode->setFixedYawAxis(true);
  }
  ~NodeOnlyUnitModel() override { mNode->getCreator()->destroySceneNode(mNode); }

  void SetVisible(bool visible) override {
    if (visible && !mNode->getParent()) mParent->addChild(mNode);
    if (!visible && mNode->getParent()) mParent->removeChild(mNode);
  }
  void SetNodePosition(const Ogre::Vector3& position) override { mNode->setPosition(position); }
  void SetNodeOrientation(const Ogre::Quaternion& orientation) override { mNode->setOrientation(orientation); }
  void SetNodeScale(const Ogre::Vector3& scale) override { mNode->setScale(scale); }
  void PlayAnimationByName(const std::string&, float, bool) override {}
  void SetSpeed(float) override {}
  void RemovePart(const std::string&) override {}
  void AttachPartEffect(const std::string&, const std::string&) override {}
  void SetBoneAlias(const std::string&, const std::string&) override {}
  void AddAnimGroup(const std::string&, const std::string&, const std::string&, const std::string&,
                    const std::string&) override {}
  void AddSkeletonFile(const std::string&) override {}
  Ogre::SceneNode* GetSceneNode() override { return mNode; }
  Ogre::Entity* GetEntity() override { return nullptr; }
  Ogre::Bone* GetBone(const std::string&) override { return nullptr; }
  Ogre::Bone* GetRideBone() override { return nullptr; }
  void AttachPart(const std::string&, const std::string&) override {}
  void AttachPartToBone(const std::string&, const std::string&, const Ogre::Vector3&, const Ogre::Quaternion&,
                        const std::string&) override {}
  void SetCustomParameter(unsigned, const Ogre::Vector4&) override {}
  void Update() override {}

 private:
  Ogre::SceneNode* mParent;
  Ogre::SceneNode* mNode;
};

CGATerrainManager& Terrain() { return CGATerrainManager::getSingleton(); }

}  // namespace

UnitModelBase* GameUnitWorld::CreateModel(CGAUnit&) {
  return new NodeOnlyUnitModel(CGAUnitManager::getSingleton().GetNode());
}

// A node-only model shows no part, so there is nothing to load.
bool GameUnitWorld::LoadPart(UnitPartDef&) { return true; }

bool GameUnitWorld::GetGroundHeight(Ogre::Vector3& probe) { return Terrain().GetGroundHeight(probe, true); }

int GameUnitWorld::GetLogic(int x, int z) {
  return Terrain().GetLogic(static_cast<unsigned>(x), static_cast<unsigned>(z));
}

std::vector<Ogre::Vector2> GameUnitWorld::FindPath(const Ogre::Vector2& start, const Ogre::Vector2& goal,
                                                   int searchLimit) {
  CGAPathFinder* finder = Terrain().GetPathFinder();
  return finder ? finder->FindPath(start, goal, searchLimit) : std::vector<Ogre::Vector2>();
}

void GameUnitWorld::GetUnitsInRect(std::vector<CGAUnit*>& out, int x, int z, int rx, int rz) {
  CGAUnitManager::getSingleton().GetUnitsInRect(out, x, z, rx, rz);
}

CGAEffectNode* GameUnitWorld::CreateEffect(const std::string& name) {
  return CGAEffectManager::getSingleton().CreateEffect(name, "", false, nullptr);
}

// The effect manager makes no effect yet, so no effect reaches these.
void GameUnitWorld::SetEffectPosition(CGAEffectNode*, const Ogre::Vector3&) {}
void GameUnitWorld::SetEffectLinkBone(CGAEffectNode*, const std::string&) {}
void GameUnitWorld::AttachEffectToOwner(CGAEffectNode*, CGAUnit*) {}
void GameUnitWorld::AddEffectTarget(CGAEffectNode*, CGAUnit*) {}
void GameUnitWorld::SetEffectTargetPosition(CGAEffectNode*, const Ogre::Vector3&) {}
bool GameUnitWorld::IsEffectEndless(CGAEffectNode*) { return false; }
void GameUnitWorld::SetEffectLifeTime(CGAEffectNode*, float) {}

bool GameUnitWorld::IsEffectLive(CGAEffectNode* effect) { return CGAEffectManager::getSingleton().IsLive(effect); }

void GameUnitWorld::PlaySound(const std::string& name, CGAUnit* at) {
  CTPAudioManager::getSingleton().PlaySound(name, at->GetModel()->GetSceneNode(), 1, true);
}

void GameUnitWorld::LoseLevel() { GameState = kGameLost; }

void GameUnitWorld::AddLevelSilver(int amount) { LevelSilver += amount; }

void GameUnitWorld::AddLabel(const std::string& markup, const Ogre::Vector3& position, float seconds,
                             const std::string& font) {
  if (CGAGUILabelEx* labels = CGAGUILabelEx::getSingletonPtr())
    labels->AddLabel(CGAGUICommon::ToCEGUIString(markup), position, seconds, CGAGUICommon::ToCEGUIString(font));
}
