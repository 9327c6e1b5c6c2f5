#pragma once
// The paged vegetation of one map: detail levels of batched pages around a
// camera, filled by a page loader. This build keeps the camera, the levels
// and the loader; the pages are drawn once the paging itself is in.
#include <OgreAny.h>
#include <OgrePrerequisites.h>

#include <string>
#include <vector>

namespace Verdure {

// What fills the pages. The vegetation does not own its loader.
class PageLoader {
 public:
  virtual ~PageLoader() = default;
};

struct DetailLevel {
  std::string PageType;
  float FarRange = 0;
  float TransitionLength = 0;
};

class PagedVegetation {
 public:
  // Pages of pageSize world units around the camera, drawn in renderQueue.
  PagedVegetation(Ogre::Camera* camera, float pageSize, Ogre::uint8 renderQueue);

  // A detail level of PageType pages up to farRange, fading over
  // transitionLength (0 without vertex programs, which the fade needs).
  template <class PageType>
  void addDetailLevel(float farRange, float transitionLength, const Ogre::Any& data = Ogre::Any()) {
    addDetailLevel(PageType::kTypeName, farRange, transitionLength, data);
  }
  const std::vector<DetailLevel>& getDetailLevels() const { return mLevels; }

  // Read by pages made later.
  void setShadersEnabled(bool enabled) { mShadersEnabled = enabled; }
  bool getShadersEnabled() const { return mShadersEnabled; }

  void setPageLoader(PageLoader* loader) { mLoader = loader; }
  PageLoader* getPageLoader() const { return mLoader; }

  Ogre::Camera* getCamera() const { return mCamera; }
  // Null forgets the camera; a camera of another scene manager than the one
  // in use throws.
  void setCamera(Ogre::Camera* camera);
  Ogre::SceneManager* getSceneManager() const { return mSceneManager; }

  float getPageSize() const { return mPageSize; }
  Ogre::uint8 getRenderQueue() const { return mRenderQueue; }

  // Once a frame: pages the levels around the camera.
  void update();

 private:
  void addDetailLevel(const char* pageType, float farRange, float transitionLength, const Ogre::Any& data);

  Ogre::Camera* mCamera = nullptr;
  Ogre::SceneManager* mSceneManager = nullptr;
  float mPageSize;
  Ogre::uint8 mRenderQueue;
  std::vector<DetailLevel> mLevels;
  bool mShadersEnabled = true;
  PageLoader* mLoader = nullptr;
};

}  // namespace Verdure
