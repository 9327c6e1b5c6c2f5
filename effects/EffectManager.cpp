#include "effects/EffectManager.h"

#include "effects/EffectNode.h"
#include "effects/EffectWorld.h"
#include "game/DataFiles.h"
#include "game/GameLog.h"
#include "game/SceneNames.h"
#include "units/UnitWorld.h"

#include <OgreCamera.h>
#include <OgreHardwarePixelBuffer.h>
#include <OgreMovableObject.h>
#include <OgreRenderTexture.h>
#include <OgreResourceGroupManager.h>
#include <OgreRoot.h>
#include <OgreSceneManager.h>
#include <OgreTextureManager.h>
#include <OgreViewport.h>
#include <tinyxml.h>

#include <algorithm>

template <> CGAEffectManager* Ogre::Singleton<CGAEffectManager>::msSingleton = nullptr;

namespace {

const char* const kRttTexture = "RttTex";
// Effects that one frame's update may start (spawners and messages); more
// are refused until the next frame.
constexpr int kMaxEffectsStartedPerUpdate = 1000;
// Effects alive at once, far above what a battle of 500 fighting units keeps
// (a few each); an effect that starts itself stops growing here.
constexpr size_t kMaxLiveEffects = 10000;
// How deep an effect may sit inside the effects that started it (an
// "effect" message that starts its own definition nests once more each time).
constexpr size_t kMaxEffectDepth = 64;

}  // namespace

CGAEffectManager::CGAEffectManager(Ogre::SceneManager* sceneManager, Ogre::SceneNode* effectRoot,
                                   Ogre::Camera* camera)
    : mSceneManager(sceneManager),
      mEffectRoot(effectRoot),
      mCamera(camera),
      mNullWorld(std::make_unique<NullEffectWorld>()),
      mWorld(mNullWorld.get()) {
  CreateRenderTexture();
}

CGAEffectManager::~CGAEffectManager() {
  DestroyAllEffects();
  if (mRenderTarget) {
    mRenderTarget->removeListener(&mRttListener);
    Ogre::TextureManager::getSingleton().remove(kRttTexture, Ogre::RGN_DEFAULT);
  }
}

void CGAEffectManager::SetWorld(EffectWorld* world) { mWorld = world ? world : mNullWorld.get(); }

void CGAEffectManager::CreateRenderTexture() {
  // Without a render system (the headless tests) there is nothing to render.
  Ogre::Root* root = Ogre::Root::getSingletonPtr();
  if (!root || !root->getRenderSystem() || !mCamera) return;
  try {
    Ogre::TexturePtr texture = Ogre::TextureManager::getSingleton().createManual(
        kRttTexture, Ogre::RGN_DEFAULT, Ogre::TEX_TYPE_2D, 512, 512, 0, Ogre::PF_R8G8B8, Ogre::TU_RENDERTARGET,
        nullptr, false, 0);
    mRenderTarget = texture->getBuffer()->getRenderTarget();
  } catch (const Ogre::Exception& e) {
    GameLog(std::string(kRttTexture) + " not made: " + e.getDescription());
    return;
  }
  mRenderTarget->setAutoUpdated(false);
  mRenderTarget->addListener(&mRttListener);
  Ogre::Viewport* viewport = mRenderTarget->addViewport(mCamera, 0, 0.0f, 0.0f, 1.0f, 1.0f);
  viewport->setClearEveryFrame(true);
  viewport->setBackgroundColour(Ogre::ColourValue::Black);
  viewport->setOverlaysEnabled(false);
}

// Effect files ---------------------------------------------------------------

void CGAEffectManager::LoadEffectFiles(const std::string& group) {
  Ogre::StringVectorPtr names = Ogre::ResourceGroupManager::getSingleton().findResourceNames(group, "*.eff");
  for (const std::string& name : *names) LoadEffectFile(name);
}

bool CGAEffectManager::LoadEffectFile(const std::string& file) {
  std::string text;
  if (!ReadResourceText(file, text)) return false;
  return ReadEffectFile(text, file);
}

bool CGAEffectManager::ReadEffectFile(const std::string& text, const std::string& file) {
  auto doc = std::make_unique<TiXmlDocument>(file);
  if (!ParseDataXml(*doc, text, file)) return false;
  TiXmlElement* root = doc->RootElement();
  if (!root) {
    GameLog(file + ": no effects: the file has no root element");
    return false;
  }
  for (TiXmlElement* e = root->FirstChildElement("EffectSystem"); e; e = e->NextSiblingElement("EffectSystem")) {
    const char* name = e->Attribute("EffectName");
    if (!name) {
      GameLog(XmlWhere(file, e) + "<EffectSystem> without \"EffectName\" skipped");
      continue;
    }
    TiXmlElement*& indexed = mIndex[name];
    // The later definition wins; the data should not say it twice.
    if (indexed) {
      const TiXmlDocument* earlier = indexed->GetDocument();
      GameLog(XmlWhere(file, e) + "EffectName \"" + name + "\" defined again (before at " +
              (earlier ? earlier->ValueStr() : std::string("?")) + ":" + std::to_string(indexed->Row()) +
              "); this definition is used");
    }
    indexed = e;
  }
  mDocuments.push_back(std::move(doc));
  return true;
}

// Creation -------------------------------------------------------------------

bool CGAEffectManager::IsPreloaded(const TiXmlElement* definition) { return definition->GetUserData() != nullptr; }

bool CGAEffectManager::MayCreateNow(const CGAEffectNode* parent) {
  // Each bound is said once: a runaway definition meets it every frame.
  auto refuse = [](bool& logged, const std::string& line) {
    if (!logged) GameLog("effects: " + line + " (an effect that starts itself?)");
    logged = true;
    return false;
  };
  if (mEffects.size() >= kMaxLiveEffects)
    return refuse(mLiveLimitLogged, std::to_string(kMaxLiveEffects) + " effects alive; no more start until some end");
  if (parent && parent->GetDepth() + 1 >= kMaxEffectDepth)
    return refuse(mDepthLimitLogged, "effects nested " + std::to_string(kMaxEffectDepth) + " deep; none starts deeper");
  if (mUpdating && mCreatedThisUpdate >= kMaxEffectsStartedPerUpdate)
    return refuse(mCreationLimitLogged, "more than " + std::to_string(kMaxEffectsStartedPerUpdate) +
                                            " effects started in one frame; the rest wait");
  if (mUpdating) ++mCreatedThisUpdate;
  return true;
}

CGAEffectNode* CGAEffectManager::BuildEffect(const std::string& effectName, const std::string& nodeName,
                                             const TiXmlElement* definition, const EffectMessage& params,
                                             bool attachFirst, bool preload) {
  auto* node = new CGAEffectNode;
  if (!preload) mEffects.insert(node);
  node->SetName(nodeName);
  node->SetEffectName(effectName);
  if (attachFirst) mEffectRoot->addChild(node->GetSceneNode());
  if (const TiXmlElement* first = definition->FirstChildElement()) ParseEffectElements(first, node, params, preload);
  return node;
}

CGAEffectNode* CGAEffectManager::CreateEffect(const std::string& effectName, std::string nodeName, bool unmanaged,
                                              CGAEffectNode* parent) {
  auto found = mIndex.find(effectName);
  if (found == mIndex.end()) {
    // Effects of files not read at start-up come from the file of their
    // name, for the next request; each such file is tried once.
    const std::string file = effectName + ".eff";
    if (mFilesTried.insert(file).second) LoadEffectFile(file);
    return nullptr;
  }
  if (!MayCreateNow(parent)) return nullptr;
  if (!IsPreloaded(found->second)) PreloadEffect(effectName);
  EffectMessage params;
  params.name = effectName;
  if (nodeName.empty()) nodeName = MakeEffectName();
  CGAEffectNode* node = BuildEffect(effectName, nodeName, found->second, params, false, false);
  if (!unmanaged) Manage(node);
  if (parent) {
    parent->AddChild(node);
  } else {
    mEffectRoot->addChild(node->GetSceneNode());
  }
  return node;
}

CGAEffectNode* CGAEffectManager::CreateEffect(EffectMessage request) {
  auto found = mIndex.find(request.name);
  if (found == mIndex.end() || !MayCreateNow(nullptr)) return nullptr;
  if (!IsPreloaded(found->second)) PreloadEffect(request.name);
  CGAEffectNode* node = BuildEffect(request.name, MakeEffectName(), found->second, request, true, false);
  Manage(node);
  return node;
}

CGAEffectNode* CGAEffectManager::CreateEffectFromElement(EffectMessage request, const TiXmlElement* definition) {
  if (!definition || !mIndex.count(request.name) || !MayCreateNow(nullptr)) return nullptr;
  // Named all the same: naming makes the scene node that the effect root
  // carries and the effect's objects hang on.
  CGAEffectNode* node = BuildEffect(request.name, MakeEffectName(), definition, request, true, false);
  Manage(node);
  return node;
}

void CGAEffectManager::PreloadEffect(const std::string& effectName) {
  auto found = mIndex.find(effectName);
  // A definition is preloaded once: effects that refer to each other (or to
  // themselves) stop at the one already visited.
  if (found == mIndex.end() || IsPreloaded(found->second)) return;
  found->second->SetUserData(this);
  EffectMessage params;
  params.name = effectName;
  CGAEffectNode* node = BuildEffect(effectName, MakeEffectName(), found->second, params, false, true);
  node->Destroy();
  delete node;
}

void CGAEffectManager::Manage(CGAEffectNode* node) {
  mManaged.push_back(node);
  mManagedSet.insert(node);
}

// The frame ------------------------------------------------------------------

void CGAEffectManager::Update() {
  mUpdating = true;
  mCreatedThisUpdate = 0;
  // Effects started during the walk are appended and updated in it too.
  for (size_t i = 0; i < mManaged.size(); ++i) {
    CGAEffectNode* node = mManaged[i];
    node->Update();
    if (node->GetLife() > 0.0f) continue;
    mManaged[i] = nullptr;
    mManagedSet.erase(node);
    node->Destroy();
    delete node;
  }
  mManaged.erase(std::remove(mManaged.begin(), mManaged.end(), nullptr), mManaged.end());
  mUpdating = false;
  if (mRenderTarget && !mRttHidden.empty()) mRenderTarget->update(true);
}

void CGAEffectManager::DestroyAllEffects() {
  std::vector<CGAEffectNode*> nodes;
  nodes.swap(mManaged);
  mManagedSet.clear();
  for (CGAEffectNode* node : nodes) {
    node->Destroy();
    delete node;
  }
}

void CGAEffectManager::DestroyEffect(const std::string& nodeName) {
  auto found = std::find_if(mManaged.begin(), mManaged.end(),
                            [&nodeName](const CGAEffectNode* node) { return node && node->GetName() == nodeName; });
  if (found == mManaged.end()) return;
  CGAEffectNode* node = *found;
  mManaged.erase(found);
  mManagedSet.erase(node);
  node->Destroy();
  delete node;
}

bool CGAEffectManager::IsManaged(const CGAEffectNode* effect) const { return mManagedSet.count(effect) != 0; }

KeptEffect CGAEffectManager::Keep(CGAEffectNode* effect) const {
  return {effect, effect ? effect->GetName() : std::string()};
}

bool CGAEffectManager::IsKept(const KeptEffect& kept) const {
  return kept.effect && IsLive(kept.effect) && kept.effect->GetName() == kept.name;
}

std::string CGAEffectManager::MakeEffectName() {
  std::string name;
  // A name a data file gave an object of the scene is passed over: the
  // engine would refuse the effect's object of that name.
  do name = "Effect_" + std::to_string(++mNameCounter);
  while (IsSceneNameTaken(mSceneManager, name));
  return name;
}

// "RttTex" ---------------------------------------------------------------------

void CGAEffectManager::AddRttHidden(Ogre::MovableObject* object) { mRttHidden.push_back(object); }

void CGAEffectManager::RemoveRttHidden(Ogre::MovableObject* object) {
  mRttHidden.erase(std::remove(mRttHidden.begin(), mRttHidden.end(), object), mRttHidden.end());
}

void CGAEffectManager::preRenderTargetUpdate(const Ogre::RenderTargetEvent&) {
  mRttVisibility.clear();
  for (Ogre::MovableObject* object : mRttHidden) {
    mRttVisibility.emplace_back(object, object->getVisible());
    object->setVisible(false);
  }
}

void CGAEffectManager::postRenderTargetUpdate(const Ogre::RenderTargetEvent&) {
  // In reverse, so an object listed twice gets back what it had first.
  for (auto it = mRttVisibility.rbegin(); it != mRttVisibility.rend(); ++it) it->first->setVisible(it->second);
  mRttVisibility.clear();
}
