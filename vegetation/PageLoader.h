#pragma once
// The source of page content: when the page manager loads a page it asks
// the paged vegetation's loader to fill it through addEntity.
#include <OgreColourValue.h>
#include <OgreCommon.h>
#include <OgreQuaternion.h>
#include <OgreVector.h>

namespace Verdure {

class GeometryPage;

// One page as the loader sees it.
struct PageRequest {
  Ogre::TRect<Ogre::Real> bounds;  // the page square (left, top, right, bottom over x and z)
  Ogre::Vector3 centerPoint;
  int xIndex = 0, zIndex = 0;  // global page column and row
  void* userData = nullptr;     // in: what the page kept; out: what it keeps
};

class PageLoader {
 public:
  virtual ~PageLoader() = default;

  // Adds the page's entities through addEntity.
  virtual void loadPage(PageRequest& page) = 0;
  // The page's content has just been removed.
  virtual void unloadPage(PageRequest& /*page*/) {}
  // Once per paged vegetation update, before the detail levels run.
  virtual void frameUpdate() {}

 protected:
  void addEntity(Ogre::Entity* ent, const Ogre::Vector3& position, const Ogre::Quaternion& rotation,
                 const Ogre::Vector3& scale, const Ogre::ColourValue& colour = Ogre::ColourValue::White);

 private:
  friend class GeometryPageManager;
  GeometryPage* mGeomPage = nullptr;  // the page being loaded
};

}  // namespace Verdure
