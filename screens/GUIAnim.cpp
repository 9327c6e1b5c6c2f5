#include "screens/GUIAnim.h"

#include "game/DataFiles.h"
#include "game/GameLog.h"
#include "platform/Tick.h"
#include "screens/GUIAnimFile.h"

#include <CEGUI/BasicImage.h>
#include <CEGUI/Exceptions.h>
#include <CEGUI/ImageManager.h>
#include <CEGUI/Renderer.h>
#include <CEGUI/System.h>

namespace {

GUIAnimManager* g_animManager = nullptr;

// The texture of the whole file, loaded once per file under its name.
CEGUI::Texture* ImageFileTexture(const CEGUI::String& image) {
  CEGUI::ImageManager& images = CEGUI::ImageManager::getSingleton();
  if (!images.isDefined(image)) images.addFromImageFile(image, image);
  return &CEGUI::System::getSingleton().getRenderer()->getTexture(image);
}

const CEGUI::Image* DefineFrame(const CEGUI::String& name, CEGUI::Texture* texture, const GUIAnimFramePos& at,
                                const CEGUI::Sizef& size) {
  CEGUI::ImageManager& images = CEGUI::ImageManager::getSingleton();
  // A frame name seen before (a repeated ID on the same file) is defined
  // anew in place: pointers to it held elsewhere stay valid.
  CEGUI::Image& image = images.isDefined(name) ? images.get(name) : images.create("BasicImage", name);
  if (auto* frame = dynamic_cast<CEGUI::BasicImage*>(&image)) {
    frame->setTexture(texture);
    frame->setArea(CEGUI::Rectf(CEGUI::Vector2f(at.x, at.y), size));
    frame->setOffset(CEGUI::Vector2f(0, 0));
    frame->setAutoScaled(CEGUI::ASM_Disabled);
  }
  return &image;
}

}  // namespace

const CEGUI::Image* GUIAnim::CurrentFrame() { return CurrentFrame(GUIAnimClockMs()); }

const CEGUI::Image* GUIAnim::CurrentFrame(uint64_t nowMs) {
  if (frames.empty()) return nullptr;
  if (static_cast<int64_t>(nowMs - lastAdvanceMs) > lastTime) {
    lastAdvanceMs = nowMs;
    if (++currentIndex >= frames.size()) currentIndex = 0;
  }
  return frames[currentIndex];
}

uint64_t GUIAnimClockMs() {
  static TickWrapCounter clock(platform::GetTickCount());
  return clock.Extend(platform::GetTickCount());
}

GUIAnimManager::GUIAnimManager() { g_animManager = this; }

GUIAnimManager::~GUIAnimManager() {
  if (g_animManager == this) g_animManager = nullptr;
}

GUIAnimManager* GUIAnimManager::Get() { return g_animManager; }

void GUIAnimManager::Load(const std::string& fileName) {
  std::string text;
  if (!ReadResourceText(fileName, text)) {
    GameLog(fileName + ": not found; no GUI animations");
    return;
  }
  for (const GUIAnimCut& cut : CutGUIAnimFile(ParseGUIAnimFile(text, fileName), fileName, mFramesInAll)) {
    const GUIAnimEntry& entry = cut.entry;
    const std::vector<GUIAnimFramePos>& positions = cut.frames;
    // Attribute texts become GUI strings one character per byte.
    const CEGUI::String id(entry.id);
    const CEGUI::String image(entry.image);
    GUIAnim anim;
    anim.frameSize = CEGUI::Sizef(entry.width, entry.height);
    anim.lastTime = entry.lastTime;
    try {
      CEGUI::Texture* texture = ImageFileTexture(image);
      for (size_t n = 0; n < positions.size(); ++n) {
        const CEGUI::String name = image + "/Anim_" + id + "_" + CEGUI::String(std::to_string(n));
        anim.frames.push_back(DefineFrame(name, texture, positions[n], anim.frameSize));
      }
    } catch (const CEGUI::Exception& e) {
      GameLog(fileName + ":" + std::to_string(entry.row) + ": animation \"" + entry.id + "\" left out: image \"" +
              entry.image + "\": " + e.getMessage().c_str());
      continue;
    }
    mAnims[id] = anim;
  }
}

GUIAnim* GUIAnimManager::Find(const CEGUI::String& id) {
  auto it = mAnims.find(id);
  return it == mAnims.end() ? nullptr : &it->second;
}
