#include "vegetation/PagedVegetation.h"

#include <OgreCamera.h>
#include <OgreException.h>
#include <OgreRoot.h>

namespace Verdure {

PagedVegetation::PagedVegetation(Ogre::Camera* camera, float pageSize, Ogre::uint8 renderQueue)
    : mPageSize(pageSize), mRenderQueue(renderQueue) {
  setCamera(camera);
}

void PagedVegetation::addDetailLevel(const char* pageType, float farRange, float transitionLength,
                                     const Ogre::Any&) {
  // Fading between levels runs in a vertex program.
  Ogre::RenderSystem* system = Ogre::Root::getSingletonPtr() ? Ogre::Root::getSingleton().getRenderSystem() : nullptr;
  const bool programs = system && system->getCapabilities() &&
                        system->getCapabilities()->hasCapability(Ogre::RSC_VERTEX_PROGRAM);
  mLevels.push_back({pageType, farRange, programs ? transitionLength : 0.0f});
}

void PagedVegetation::setCamera(Ogre::Camera* camera) {
  if (!camera) {
    mCamera = nullptr;
    return;
  }
  if (mSceneManager && camera->getSceneManager() != mSceneManager)
    OGRE_EXCEPT(Ogre::Exception::ERR_INVALIDPARAMS, "The specified camera is from the wrong SceneManager",
                "PagedVegetation::setCamera()");
  mCamera = camera;
  if (!mSceneManager) mSceneManager = camera->getSceneManager();
}

void PagedVegetation::update() {}

}  // namespace Verdure
