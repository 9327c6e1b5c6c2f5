// One demo effect drawn for real (usage: effect_view BUILD_FOLDER EFFECT):
// an effect of the showcase set in an empty scene, run frame by frame as
// the game runs effects. The picture must differ from the empty scene's in
// a fair share of pixels; it stays in the build folder as
// rendered-EFFECT.png. Exit code 77 without a display.
#include "RenderedEngine.h"
#include "effects/EffectManager.h"
#include "effects/EffectNode.h"
#include "game/FrameClock.h"

#include <Ogre.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

int Fail(const std::string& why) {
  std::printf("FAILED: %s\n", why.c_str());
  return 1;
}

double ChangedShare(const Ogre::Image& a, const Ogre::Image& b) {
  size_t changed = 0;
  for (size_t y = 0; y < a.getHeight(); ++y)
    for (size_t x = 0; x < a.getWidth(); ++x) {
      const Ogre::ColourValue d = a.getColourAt(x, y, 0) - b.getColourAt(x, y, 0);
      changed += std::abs(d.r) + std::abs(d.g) + std::abs(d.b) > 0.1f;
    }
  return double(changed) / double(a.getWidth() * a.getHeight());
}

struct Engine {
  ~Engine() { manager.reset(); }
  RenderedEngine gl;  // goes last
  std::unique_ptr<CGAEffectManager> manager;
};

int Check(const std::string& build, const std::string& effectName, Engine& engine) {
  if (!engine.gl.Start(build, "effect_view.log", 400, 300)) return Fail("no OpenGL render system");
  Ogre::Root* root = engine.gl.root;
  Ogre::RenderWindow* window = engine.gl.window;
  Ogre::SceneManager* scene = engine.gl.scene;
  scene->setAmbientLight(Ogre::ColourValue(0.6f, 0.6f, 0.6f));
  engine.gl.cameraNode->setPosition(0.0f, 6.0f, 11.0f);
  engine.gl.cameraNode->lookAt(Ogre::Vector3(0.0f, 1.5f, 0.0f), Ogre::Node::TS_WORLD);
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
  for (int frame = 0; frame < 45; ++frame) {
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
  std::puts("ok");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Fail("usage: effect_view BUILD_FOLDER EFFECT");
  if (!std::getenv("DISPLAY")) {
    std::puts("no display: skipped");
    return 77;
  }
  Engine engine;
  return Check(argv[1], argv[2], engine);
}
