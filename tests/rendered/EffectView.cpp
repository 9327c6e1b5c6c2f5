// One effect of the game's files drawn for real (usage: effect_view
// BUILD_FOLDER EFFECT [flash|flight]) in an empty scene, run frame by frame
// as the game runs effects. The picture must differ from the empty scene's
// in a fair share of pixels; it stays in the build folder as
// rendered-EFFECT.png. Exit code 77 without a display.
// - "flash": a short flash, looked at a tenth of a second in, must be round
//   (discs fill about pi / 4 of the box around them, squares all of it) and
//   a quarter of a second in fainter: its brightest pixel adds at most 0.6
//   of what it added then.
// - "flight": the effect flies from one unit to another 6 apart. Caught in
//   flight with its trail hidden, what it drew must be over 3 times as long
//   along its way on the picture as across it, and its steel head must lie
//   ahead in the direction it flies.
#include "RenderedEngine.h"
#include "effects/EffectManager.h"
#include "effects/EffectNode.h"
#include "effects/EffectRibbon.h"
#include "game/FrameClock.h"
#include "tests/units/NullUnitWorld.h"
#include "units/Unit.h"

#include <Ogre.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

enum class Mode { kShow, kFlash, kFlight };

int Fail(const std::string& why) {
  std::printf("FAILED: %s\n", why.c_str());
  return 1;
}

bool Changed(const Ogre::Image& a, const Ogre::Image& b, size_t x, size_t y) {
  const Ogre::ColourValue d = a.getColourAt(x, y, 0) - b.getColourAt(x, y, 0);
  return std::abs(d.r) + std::abs(d.g) + std::abs(d.b) > 0.1f;
}

double ChangedShare(const Ogre::Image& a, const Ogre::Image& b) {
  size_t changed = 0;
  for (size_t y = 0; y < a.getHeight(); ++y)
    for (size_t x = 0; x < a.getWidth(); ++x) changed += Changed(a, b, x, y);
  return double(changed) / double(a.getWidth() * a.getHeight());
}

// The share of the box around the changed pixels that they fill; the box's
// size in pixels.
double BoxFill(const Ogre::Image& a, const Ogre::Image& b, size_t* width, size_t* height) {
  size_t changed = 0, left = a.getWidth(), right = 0, top = a.getHeight(), bottom = 0;
  for (size_t y = 0; y < a.getHeight(); ++y)
    for (size_t x = 0; x < a.getWidth(); ++x)
      if (Changed(a, b, x, y)) {
        ++changed;
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  *width = changed ? right - left + 1 : 0;
  *height = changed ? bottom - top + 1 : 0;
  return changed ? double(changed) / double(*width * *height) : 0.0;
}

// The most that a pixel of b is brighter than in a (the sum of its channels).
float Brightest(const Ogre::Image& a, const Ogre::Image& b) {
  float most = 0.0f;
  for (size_t y = 0; y < a.getHeight(); ++y)
    for (size_t x = 0; x < a.getWidth(); ++x) {
      const Ogre::ColourValue d = b.getColourAt(x, y, 0) - a.getColourAt(x, y, 0);
      most = std::max(most, d.r + d.g + d.b);
    }
  return most;
}

// Where a world point shows in the picture, in pixels.
Ogre::Vector2 PixelOf(const Ogre::Camera* camera, const Ogre::Image& image, const Ogre::Vector3& world) {
  const Ogre::Vector3 device = camera->getProjectionMatrix() * (camera->getViewMatrix() * world);
  return {(device.x + 1.0f) * 0.5f * float(image.getWidth()), (1.0f - device.y) * 0.5f * float(image.getHeight())};
}

// Units whose models are bare scene nodes: effects find them and their
// positions, and nothing draws them.
struct NodeModel : NullUnitModel {
  Ogre::SceneNode* node = nullptr;
  Ogre::SceneNode* GetSceneNode() override { return node; }
  void SetNodePosition(const Ogre::Vector3& p) override { node->setPosition(p); }
};

struct NodeUnitWorld : NullUnitWorld {
  Ogre::SceneManager* scene = nullptr;
  UnitModelBase* CreateModel(CGAUnit&) override {
    auto* model = new NodeModel;
    model->node = scene->getRootSceneNode()->createChildSceneNode();
    return model;
  }
};

struct Engine {
  ~Engine() { manager.reset(); }
  RenderedEngine gl;  // goes last
  NodeUnitWorld unitWorld;
  std::vector<std::unique_ptr<CGAUnit>> units;
  std::unique_ptr<CGAEffectManager> manager;

  CGAUnit* AddUnit(const Ogre::Vector3& at) {
    units.push_back(std::make_unique<CGAUnit>(unitWorld));
    units.back()->SetPosition(at);
    return units.back().get();
  }
  // One game frame of the effects, drawn.
  void Frame() {
    FrameTimeMs += FrameDeltaMs;
    manager->Update();
    // The engine's own particles run on the frame time given here.
    gl.root->renderOneFrame(FrameDeltaSeconds);
  }
};

// Round while it is up, fainter later.
int CheckFlash(const std::string& name, const std::string& picture, const Ogre::Image& empty, const Ogre::Image& up,
               Engine& engine) {
  size_t width, height;
  const double fill = BoxFill(empty, up, &width, &height);
  std::printf("%s fills %.2f of its %zu x %zu box\n", name.c_str(), fill, width, height);
  if (width < 10 || height < 10) return Fail(name + " is too small to judge its shape");
  if (fill > 0.85) return Fail(name + " is square, not round");
  for (int frame = 0; frame < 4; ++frame) engine.Frame();
  Ogre::Image later = Capture(engine.gl.window);
  later.save(picture + "-later.png");
  const float brightest = Brightest(empty, up), laterBrightest = Brightest(empty, later);
  std::printf("%s adds at most %.2f, later %.2f\n", name.c_str(), brightest, laterBrightest);
  if (laterBrightest > 0.6f * brightest) return Fail(name + " does not fade");
  return 0;
}

// Long and thin along its way on the picture, its head ahead: measured
// without its trail, which lies behind it.
int CheckFlight(const std::string& name, const std::string& picture, const Ogre::Image& empty,
                CGAEffectNode* effect, const Ogre::Vector3& before, Engine& engine) {
  const Ogre::Vector3 now = effect->GetSceneNode()->_getDerivedPosition();
  // An arrived flight leaves its node where it is.
  if (!engine.manager->IsLive(effect) || now.distance(before) < 0.1f) return Fail(name + " is not in flight");
  for (CGAEffectObject* object : effect->GetObjects())
    if (auto* trail = dynamic_cast<CGAEffectRibbon*>(object)) trail->SetVisible(false);
  engine.gl.root->renderOneFrame(0.0f);
  Ogre::Image shot = Capture(engine.gl.window);
  shot.save(picture + "-alone.png");
  const Ogre::Vector2 from = PixelOf(engine.gl.camera, shot, before), to = PixelOf(engine.gl.camera, shot, now);
  if (from.distance(to) < 2.0f) return Fail(name + " does not move in the picture");
  const Ogre::Vector2 way = (to - from).normalisedCopy(), across = way.perpendicular();
  // Extents along its way and across it; where its pixels and its head's lie.
  float minAlong = 1e9f, maxAlong = -1e9f, minAcross = 1e9f, maxAcross = -1e9f;
  Ogre::Vector2 middle = Ogre::Vector2::ZERO, head = Ogre::Vector2::ZERO;
  size_t pixels = 0, headPixels = 0;
  for (size_t y = 0; y < shot.getHeight(); ++y)
    for (size_t x = 0; x < shot.getWidth(); ++x) {
      if (!Changed(empty, shot, x, y)) continue;
      const Ogre::Vector2 p(float(x) + 0.5f, float(y) + 0.5f);
      minAlong = std::min(minAlong, p.dotProduct(way));
      maxAlong = std::max(maxAlong, p.dotProduct(way));
      minAcross = std::min(minAcross, p.dotProduct(across));
      maxAcross = std::max(maxAcross, p.dotProduct(across));
      middle += p;
      ++pixels;
      const Ogre::ColourValue c = shot.getColourAt(x, y, 0);
      if (c.r > 0.75f && c.g > 0.75f && c.b > 0.75f) {
        head += p;
        ++headPixels;
      }
    }
  if (pixels == 0) return Fail(name + " is not in the picture without its trail");
  const float length = maxAlong - minAlong + 1.0f, width = maxAcross - minAcross + 1.0f;
  std::printf("%s: %.0f pixels along its way, %.0f across\n", name.c_str(), length, width);
  if (length < 3.0f * width) return Fail(name + " is not long and thin along its way");
  if (headPixels == 0) return Fail(name + " shows no steel head");
  const float ahead = (head / float(headPixels) - middle / float(pixels)).dotProduct(way);
  std::printf("%s: its head %.1f pixels ahead of its middle\n", name.c_str(), ahead);
  if (ahead < 0.1f * length) return Fail(name + " does not point where it flies");
  return 0;
}

int Check(const std::string& build, const std::string& effectName, Mode mode, Engine& engine) {
  if (!engine.gl.Start(build, "effect_view.log", 400, 300)) return Fail("no OpenGL render system");
  Ogre::RenderWindow* window = engine.gl.window;
  Ogre::SceneManager* scene = engine.gl.scene;
  scene->setAmbientLight(Ogre::ColourValue(0.6f, 0.6f, 0.6f));
  // A flash is looked at from near, so its shape fills enough pixels; a
  // flight from its side.
  const Ogre::Vector3 eye[] = {{0.0f, 6.0f, 11.0f}, {0.0f, 2.0f, 4.0f}, {-1.0f, 1.5f, 4.5f}};
  const Ogre::Vector3 at[] = {{0.0f, 1.5f, 0.0f}, {0.0f, 1.3f, 0.0f}, {-1.0f, 1.2f, 0.0f}};
  engine.gl.cameraNode->setPosition(eye[int(mode)]);
  engine.gl.cameraNode->lookAt(at[int(mode)], Ogre::Node::TS_WORLD);
  window->getViewport(0)->setBackgroundColour(Ogre::ColourValue(0.15f, 0.15f, 0.2f));

  engine.manager = std::make_unique<CGAEffectManager>(
      scene, scene->getRootSceneNode()->createChildSceneNode("effect_root"), engine.gl.camera);
  engine.manager->LoadEffectFiles("Main");
  engine.unitWorld.scene = scene;
  FrameDeltaMs = 33;
  FrameDeltaSeconds = 0.033f;
  engine.gl.root->renderOneFrame();
  const Ogre::Image empty = Capture(window);

  CGAEffectNode* effect = engine.manager->CreateEffect(effectName);
  if (!effect) return Fail("no effect " + effectName);
  if (effect->GetObjects().empty() && effect->GetChildren().empty()) return Fail(effectName + " shows nothing");
  if (mode == Mode::kFlight) {
    // As an archer's attack starts it.
    CGAUnit* archer = engine.AddUnit({-3.0f, 0.0f, 0.0f});
    CGAUnit* target = engine.AddUnit({3.0f, 0.0f, 0.0f});
    effect->SetPosition(archer->GetPosition());
    effect->AttachToOwner(archer, true);
    effect->AddTarget(target);
    effect->SetTargetPosition(target->GetPosition());
  }
  const int frames[] = {45, 3, 3};
  Ogre::Vector3 before;
  for (int frame = 0; frame < frames[int(mode)]; ++frame) {
    before = effect->GetSceneNode()->_getDerivedPosition();
    engine.Frame();
  }
  Ogre::Image shot = Capture(window);
  const std::string picture = build + "/rendered-" + effectName;
  shot.save(picture + ".png");
  const double changed = ChangedShare(empty, shot);
  std::printf("%s: %.4f of the picture changed\n", effectName.c_str(), changed);
  if (changed < 0.003) return Fail(effectName + " is not in the picture");
  const int failed = mode == Mode::kFlash    ? CheckFlash(effectName, picture, empty, shot, engine)
                     : mode == Mode::kFlight ? CheckFlight(effectName, picture, empty, effect, before, engine)
                                             : 0;
  if (failed) return failed;
  std::puts("ok");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Fail("usage: effect_view BUILD_FOLDER EFFECT [flash|flight]");
  if (!std::getenv("DISPLAY")) {
    std::puts("no display: skipped");
    return 77;
  }
  const std::string mode = argc > 3 ? argv[3] : "";
  Engine engine;
  return Check(argv[1], argv[2], mode == "flash" ? Mode::kFlash : mode == "flight" ? Mode::kFlight : Mode::kShow,
               engine);
}
