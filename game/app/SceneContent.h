#pragma once
// Whether the 3D scene's part of the picture may have changed since the last
// frame drawn: what, with the GUI's own test, decides if a frame is drawn.

namespace Ogre {
class SceneNode;
}  // namespace Ogre

// True when a node under root (root included) holds an object that would be
// drawn: one that is not a camera or light and is not hidden. Hidden objects
// (the in-game screen's markers while no unit is held) draw nothing.
bool SceneShowsSomething(Ogre::SceneNode* root);

class SceneChangeTest {
 public:
  // Called once a frame. Anything shown counts as changing every frame;
  // the frame after the last shown object was hidden or removed also
  // counts, so that it leaves the picture.
  bool MayHaveChanged(Ogre::SceneNode* root) {
    const bool shown = SceneShowsSomething(root);
    const bool changed = shown || mShownLastFrame;
    mShownLastFrame = shown;
    return changed;
  }

 private:
  bool mShownLastFrame = true;
};
