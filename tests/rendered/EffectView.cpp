// One demo effect drawn for real (usage: effect_view BUILD_FOLDER EFFECT
// [round]): an effect of the game's files in an empty scene, run frame by
// frame as the game runs effects. The picture must differ from the empty
// scene's in a fair share of pixels; it stays in the build folder as
// rendered-EFFECT.png. With "round" the picture is taken while a short
// flash is up (a tenth of a second in), and what it changed must be round:
// discs fill about pi / 4 of the box around them, squares all of it. Exit
// code 77 without a display.
#include "RenderedEngine.h"
#include "effects/EffectManager.h"
#include "effects/EffectNode.h"
#include "game/FrameClock.h"

#include <Ogre.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

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

struct Engine {
  ~Engine() { manager.reset(); }
  RenderedEngine gl;  // goes last
  std::unique_ptr<CGAEffectManager> manager;
};

int Check(const std::string& build, const std::string& effectName, bool round, Engine& engine) {
  if (!engine.gl.Start(build, "effect_view.log", 400, 300)) return Fail("no OpenGL render system");
  Ogre::Root* root = engine.gl.root;
  Ogre::RenderWindow* window = engine.gl.window;
  Ogre::SceneManager* scene = engine.gl.scene;
  scene->setAmbientLight(Ogre::ColourValue(0.6f, 0.6f, 0.6f));
  // A flash is looked at from near, so its shape fills enough pixels.
  engine.gl.cameraNode->setPosition(round ? Ogre::Vector3(0.0f, 2.0f, 4.0f) : Ogre::Vector3(0.0f, 6.0f, 11.0f));
  engine.gl.cameraNode->lookAt(Ogre::Vector3(0.0f, round ? 1.3f : 1.5f, 0.0f), Ogre::Node::TS_WORLD);
  window->getViewport(0)->setBackgroundColour(Ogre::ColourValue(0.15f, 0.15f, 0.2f));

  engine.manager = std::make_unique<CGAEffectManager>(
      scene, scene->getRootSceneNode()->createChildSceneNode("effect_root"), engine.gl.camera);
  engine.manager->LoadEffectFiles("Main");
  FrameDeltaMs = 33;
  FrameDeltaSeconds = 0.033f;
  root->renderOneFrame();
  const Ogre::Image empty = Capture(window);

  CGAEffectNode* effect = engine.manager->CreateEffect(effectName);
  if (!effect) return Fail("no effect " + effectName);
  if (effect->GetObjects().empty() && effect->GetChildren().empty()) return Fail(effectName + " shows nothing");
  for (int frame = 0; frame < (round ? 3 : 45); ++frame) {
    FrameTimeMs += FrameDeltaMs;
    engine.manager->Update();
    // The engine's own particles run on the frame time given here.
    root->renderOneFrame(FrameDeltaSeconds);
  }
  Ogre::Image shot = Capture(window);
  shot.save(build + "/rendered-" + effectName + ".png");
  const double changed = ChangedShare(empty, shot);
  std::printf("%s: %.4f of the picture changed\n", effectName.c_str(), changed);
  if (changed < 0.003) return Fail(effectName + " is not in the picture");
  if (round) {
    size_t width, height;
    const double fill = BoxFill(empty, shot, &width, &height);
    std::printf("%s fills %.2f of its %zu x %zu box\n", effectName.c_str(), fill, width, height);
    if (width < 10 || height < 10) return Fail(effectName + " is too small to judge its shape");
    if (fill > 0.85) return Fail(effectName + " is square, not round");
  }
  std::puts("ok");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Fail("usage: effect_view BUILD_FOLDER EFFECT [round]");
  if (!std::getenv("DISPLAY")) {
    std::puts("no display: skipped");
    return 77;
  }
  Engine engine;
  return Check(argv[1], argv[2], argc > 3 && std::string(argv[3]) == "round", engine);
}
