#pragma once
// The effect manager: the effect definitions of the "*.eff" files indexed by
// name, the creation of live effects from them, the per-frame update of the
// effects it manages (also while the battle is paused), and the render
// texture "RttTex" that effect materials may sample: the main camera's view
// without the objects that sample it.
#include "effects/EffectMessage.h"

#include <OgreRenderTargetListener.h>
#include <OgreSingleton.h>

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace Ogre {
class Camera;
class MovableObject;
class RenderTarget;
class SceneManager;
class SceneNode;
}  // namespace Ogre
class CGAEffectNode;
class EffectWorld;
struct KeptEffect;
struct EffectRecipe;
class TiXmlDocument;
class TiXmlElement;

class CGAEffectManager : public Ogre::Singleton<CGAEffectManager> {
 public:
  // Creates "RttTex" when a render system is up.
  CGAEffectManager(Ogre::SceneManager* sceneManager, Ogre::SceneNode* effectRoot, Ogre::Camera* camera);
  ~CGAEffectManager();
  CGAEffectManager(const CGAEffectManager&) = delete;
  CGAEffectManager& operator=(const CGAEffectManager&) = delete;

  // What effects reach of the game; a world with nothing in it until set.
  void SetWorld(EffectWorld* world);
  EffectWorld& GetWorld() { return *mWorld; }

  // Effect files: every "*.eff" of the group, each "EffectSystem" of each
  // file under its "EffectName"; a later definition of a name wins.
  void LoadEffectFiles(const std::string& group);
  bool LoadEffectFile(const std::string& file);
  // The same from a file's text (file names the source in log lines).
  bool ReadEffectFile(const std::string& text, const std::string& file);
  const std::map<std::string, TiXmlElement*>& GetEffectIndex() const { return mIndex; }

  // A live effect of a known definition, named nodeName (a generated name
  // when empty). Managed effects are updated and deleted here; an unmanaged
  // one belongs to its parent, or to the caller when it has none. An unknown
  // name loads the file of that name plus ".eff" for later calls and gives
  // null.
  CGAEffectNode* CreateEffect(const std::string& effectName, std::string nodeName = std::string(),
                              bool unmanaged = false, CGAEffectNode* parent = nullptr);
  // A managed effect under the effect root with creation parameters
  // ("angle", "scale", "position..."); null for an unknown name.
  CGAEffectNode* CreateEffect(EffectMessage request);
  // A managed effect built from the children of the given definition.
  CGAEffectNode* CreateEffectFromElement(EffectMessage request, const TiXmlElement* definition);
  // Builds a definition once and throws it away, so its resources load now.
  void PreloadEffect(const std::string& effectName);

  void Update();
  void DestroyAllEffects();
  void DestroyEffect(const std::string& nodeName);
  // True while the effect has not been deleted.
  bool IsLive(const CGAEffectNode* effect) const { return mLive.count(effect) != 0; }
  bool IsManaged(const CGAEffectNode* effect) const;
  // An effect held by address and name, and whether it is still that one:
  // live, and not a newer effect that took the address of one that ended
  // (names are unique over the run).
  KeptEffect Keep(CGAEffectNode* effect) const;
  bool IsKept(const KeptEffect& kept) const;
  size_t GetManagedCount() const { return mManaged.size(); }
  const std::vector<CGAEffectNode*>& GetManagedEffects() const { return mManaged; }

  // "Effect_" and a number counting up over the run, skipping names the
  // scene or a material already bears.
  std::string MakeEffectName();

  // Objects hidden while "RttTex" renders (those that sample it).
  void AddRttHidden(Ogre::MovableObject* object);
  void RemoveRttHidden(Ogre::MovableObject* object);
  // Around each rendering of "RttTex": hide them, then give each back the
  // visibility it had.
  void preRenderTargetUpdate(const Ogre::RenderTargetEvent& event);
  void postRenderTargetUpdate(const Ogre::RenderTargetEvent& event);

  Ogre::SceneManager* GetSceneManager() const { return mSceneManager; }
  Ogre::SceneNode* GetEffectRoot() const { return mEffectRoot; }

  // The effect file reader (EffectFile.cpp): a definition's elements from
  // first and its following siblings into node. They are read once, on
  // first use, and what was read is kept for later builds; values taken from
  // the creation parameters are still looked up at each build. In preload
  // mode it preloads the effects the definition refers to and the first
  // reading reports what it cannot read.
  void ParseEffectElements(const TiXmlElement* first, CGAEffectNode* node, EffectMessage params, bool preload);

  // Effect nodes report their construction and deletion.
  void NoteCreated(const CGAEffectNode* effect) { mLive.insert(effect); }
  void NoteDeleted(const CGAEffectNode* effect) {
    mLive.erase(effect);
    mEffects.erase(effect);
  }
  // Live effects made by the creation calls (their inner nodes not counted).
  size_t GetEffectCount() const { return mEffects.size(); }

 private:
  // Hears of "RttTex" being rendered. A member rather than a base: the
  // manager stays a plain class, as the singleton's construction needs.
  class RttListener : public Ogre::RenderTargetListener {
   public:
    explicit RttListener(CGAEffectManager& manager) : mManager(manager) {}
    void preRenderTargetUpdate(const Ogre::RenderTargetEvent& event) override {
      mManager.preRenderTargetUpdate(event);
    }
    void postRenderTargetUpdate(const Ogre::RenderTargetEvent& event) override {
      mManager.postRenderTargetUpdate(event);
    }

   private:
    CGAEffectManager& mManager;
  };

  void CreateRenderTexture();
  // Whether another effect may start now (under parent, when it has one):
  // a definition that starts itself would otherwise grow without end, in
  // one frame's update, in number or in depth.
  bool MayCreateNow(const CGAEffectNode* parent);
  // A new node named, with its effect name, read from the definition.
  CGAEffectNode* BuildEffect(const std::string& effectName, const std::string& nodeName,
                             const TiXmlElement* definition, const EffectMessage& params, bool attachFirst,
                             bool preload);
  static bool IsPreloaded(const TiXmlElement* definition);
  void Manage(CGAEffectNode* node);

  std::map<std::string, TiXmlElement*> mIndex;
  std::vector<CGAEffectNode*> mManaged;  // in creation order
  std::unordered_set<const CGAEffectNode*> mManagedSet;
  Ogre::SceneManager* mSceneManager;
  Ogre::SceneNode* mEffectRoot;
  Ogre::Camera* mCamera;
  unsigned long long mNameCounter = 0;
  Ogre::RenderTarget* mRenderTarget = nullptr;
  RttListener mRttListener{*this};
  std::vector<Ogre::MovableObject*> mRttHidden;
  // Visibility of the hidden objects before "RttTex" rendered.
  std::vector<std::pair<Ogre::MovableObject*, bool>> mRttVisibility;
  std::vector<std::unique_ptr<TiXmlDocument>> mDocuments;  // the index points into them
  // Definitions read, by their first element (in the documents above).
  std::unordered_map<const TiXmlElement*, std::shared_ptr<const EffectRecipe>> mRecipes;
  std::unordered_set<std::string> mFilesTried;  // files of effects asked for by name
  std::unordered_set<const CGAEffectNode*> mLive;
  std::unordered_set<const CGAEffectNode*> mEffects;  // see GetEffectCount
  std::unique_ptr<EffectWorld> mNullWorld;
  EffectWorld* mWorld;
  bool mUpdating = false;
  int mCreatedThisUpdate = 0;
  bool mCreationLimitLogged = false;
  bool mLiveLimitLogged = false;
  bool mDepthLimitLogged = false;
};
