#include "screens/GUILabelEx.h"

#include "game/Camera.h"
#include "game/FrameClock.h"
#include "screens/ListBoxRichItem.h"

#include <CEGUI/CEGUI.h>

#include <memory>

template <> CGAGUILabelEx* Ogre::Singleton<CGAGUILabelEx>::msSingleton = nullptr;

namespace {

const float kWrapWidth = 128.0f;
const float kRisePerSecond = 100.0f;

}  // namespace

CGAGUILabelEx::CGAGUILabelEx()
    : CGAGUILabelEx([](const Ogre::Vector3& world, Ogre::Vector3* screen) {
        return CGACamera::getSingleton().WorldToScreen(world, screen);
      }) {}

CGAGUILabelEx::CGAGUILabelEx(Projection projection)
    : mProjection(std::move(projection)), mRenderer(CEGUI::System::getSingleton().getRenderer()) {
  CEGUI::GUIContext& surface = CEGUI::System::getSingleton().getDefaultGUIContext();
  mDrawing = surface.subscribeEvent(CEGUI::RenderingSurface::EventRenderQueueStarted,
                                    CEGUI::Event::Subscriber(&CGAGUILabelEx::OnRenderQueueStarted, this));
  // The surface raises its events only for queues it has; nothing else ever
  // draws into this one.
  surface.clearGeometry(CEGUI::RQ_USER_0);
}

CGAGUILabelEx::~CGAGUILabelEx() {
  mDrawing->disconnect();
  for (Label& label : mLabels) Destroy(label);
}

CGAListBoxRichItem* CGAGUILabelEx::AddLabel(const CEGUI::String& markup, Ogre::Vector3 world, float seconds,
                                            const CEGUI::String& font) {
  // Held until the label holds it: an unknown font throws out of here.
  auto item = std::make_unique<CGAListBoxRichItem>("");
  if (!font.empty()) item->SetFont(font);
  item->setText(markup);
  item->Clear();
  item->SetPixelSize(item->Layout(kWrapWidth));

  CEGUI::GeometryBuffer& buffer = mRenderer->createGeometryBuffer();
  buffer.setClippingRegion(CEGUI::Rectf(CEGUI::Vector2f(0, 0), mRenderer->getDisplaySize()));
  item->draw(buffer, CEGUI::Rectf(CEGUI::Vector2f(0, 0), item->getPixelSize()), 1.0f, nullptr);

  // Where the point is now: later camera moves leave the label where it is.
  Ogre::Vector2 position(world.x, world.y);
  Ogre::Vector3 screen;
  if (mProjection(world, &screen)) {
    const CEGUI::Sizef& display = mRenderer->getDisplaySize();
    position = Ogre::Vector2(screen.x * display.d_width, screen.y * display.d_height);
  }
  mLabels.push_back(Label{item.get(), &buffer, seconds, position});
  return item.release();
}

void CGAGUILabelEx::RemoveLabel(CGAListBoxRichItem* item) {
  for (auto it = mLabels.begin(); it != mLabels.end(); ++it) {
    if (it->item != item) continue;
    Destroy(*it);
    mLabels.erase(it);
    return;
  }
}

bool CGAGUILabelEx::Update() {
  for (auto it = mLabels.begin(); it != mLabels.end();) {
    it->life -= FrameDeltaSeconds;
    if (it->life < 0) {
      Destroy(*it);
      it = mLabels.erase(it);
    } else {
      ++it;
    }
  }
  return true;
}

bool CGAGUILabelEx::OnRenderQueueStarted(const CEGUI::EventArgs& args) {
  if (static_cast<const CEGUI::RenderQueueEventArgs&>(args).queueID != CEGUI::RQ_USER_0) return false;
  for (Label& label : mLabels) {
    label.position.y -= FrameDeltaSeconds * kRisePerSecond;
    label.buffer->setTranslation(CEGUI::Vector3f(static_cast<float>(static_cast<int>(label.position.x)),
                                                 static_cast<float>(static_cast<int>(label.position.y)), 0));
    label.buffer->draw();
  }
  return true;
}

void CGAGUILabelEx::Destroy(Label& label) {
  delete label.item;
  mRenderer->destroyGeometryBuffer(*label.buffer);
}
