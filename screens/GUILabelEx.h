#pragma once
// The layer of short-lived floating labels: a rich text (screens/RichText.h)
// that appears at the screen position of a world point and rises 100 pixels a
// second until its life is over, drawn over the 3-D scene and beneath every
// GUI window. Each label is laid out and tessellated once; later frames only
// move and draw its geometry. Labels outlive level resets.
#include <CEGUI/Event.h>
#include <OgreSingleton.h>
#include <OgreVector.h>

#include <functional>
#include <vector>

namespace CEGUI {
class EventArgs;
class GeometryBuffer;
class Renderer;
class String;
}  // namespace CEGUI
class CGAListBoxRichItem;

class CGAGUILabelEx : public Ogre::Singleton<CGAGUILabelEx> {
 public:
  // A world point to a screen position from 0 to 1 (top left); false when the
  // point cannot be projected.
  using Projection = std::function<bool(const Ogre::Vector3& world, Ogre::Vector3* screen)>;

  // Through the camera controller's main camera.
  CGAGUILabelEx();
  explicit CGAGUILabelEx(Projection projection);
  ~CGAGUILabelEx();

  // The markup laid out 128 pixels wide in the font (the GUI's default for
  // an empty name), shown for `seconds`. The layer keeps the item.
  CGAListBoxRichItem* AddLabel(const CEGUI::String& markup, Ogre::Vector3 world, float seconds,
                               const CEGUI::String& font);
  void RemoveLabel(CGAListBoxRichItem* item);
  // Ages the labels by the frame time; a label whose life drops below 0 goes.
  bool Update();
  // The drawing, in the GUI's first render queue.
  bool OnRenderQueueStarted(const CEGUI::EventArgs& args);

  struct Label {
    CGAListBoxRichItem* item;
    CEGUI::GeometryBuffer* buffer;
    float life;               // seconds
    Ogre::Vector2 position;   // pixels, the label's top left (y downward)
  };
  const std::vector<Label>& GetLabels() const { return mLabels; }

 private:
  void Destroy(Label& label);

  Projection mProjection;
  CEGUI::Renderer* mRenderer;
  CEGUI::Event::Connection mDrawing;
  std::vector<Label> mLabels;
};
