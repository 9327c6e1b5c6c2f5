#include "SideBySide.h"

#include "particles/PSystem.h"
#include "tests/support/HeadlessEngine.h"

#include <Ogre.h>
#include <OgreParticleAffector.h>
#include <OgreParticleEmitter.h>
#include <OgreParticleSystem.h>
#include <OgreParticleSystemManager.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <vector>

namespace {

using namespace PSim;

class OurEffect : public FxRunner {
 public:
  explicit OurEffect(const FxWorkload& w) : mRate(w.rate()), mSource(PVec3(0, 0, 0)) {
    mSystem.CurrentGroup(mSystem.GenParticleGroups(1, w.quota()));
    mList = mSystem.GenActionLists(1);
    mSystem.NewActionList(mList);
    mSystem.SetStartingAge(0, 0);
    // Speed 5 within about 30 degrees of straight up.
    mSystem.SetVelocity(PDDisc(PVec3(0, 5, 0), PVec3(0, 1, 0), 2.9f, 0));
    mSystem.SetColor(1, 1, 1, 1);
    mSystem.KillOld(w.life(), false);
    mSystem.Gravity(PVec3(0, -10, 0));
    PDUnion colours;
    colours.Insert(PDSphere(PVec3(1, 1, 1), 0, 1, true));
    colours.Insert(PDSphere(PVec3(1, 0.5f, 0), w.life() / 2, 1, true));
    colours.Insert(PDSphere(PVec3(0, 0, 0), w.life(), 0, true));
    mSystem.ColourAnim(colours);
    PDUnion sizes;  // one rate all life long
    sizes.Insert(PDSphere(PVec3(2, 2, 2), w.life(), 0, true));
    sizes.Insert(PDSphere(PVec3(2, 2, 2), w.life(), 0, true));
    mSystem.SizeAnim(sizes);
    mSystem.EndActionList();
  }

  // The particle effect object's frame: the list, then Source and Move at
  // once.
  void Frame(float dt) override {
    mSystem.SetTimeStep(dt);
    mSystem.PListApi::CallActionList(mList);
    mSystem.Source(mRate, mSource, PVec3(0, 0, 0));
    mSystem.Move(true, true);
  }
  unsigned Live() const override { return const_cast<PSystem&>(mSystem).GetGroupCount(); }

 private:
  PSystem mSystem;
  int mList = -1;
  float mRate;
  PDPoint mSource;
};

// The engine needs its material defaults, its particle renderers and the
// controller manager before a particle system can be created and updated
// without a render system.
Ogre::SceneManager& EngineScene() {
  static Ogre::SceneManager* scene = [] {
    Ogre::Root& root = HeadlessEngine();
    try {
      Ogre::MaterialManager::getSingleton().getDefaultMaterial();
    } catch (const Ogre::Exception&) {
      Ogre::MaterialManager::getSingleton().initialise();
    }
    if (!Ogre::ControllerManager::getSingletonPtr()) new Ogre::ControllerManager();
    auto& particles = Ogre::ParticleSystemManager::getSingleton();
    bool haveBillboards = false;
    for (auto it = particles.getRendererFactoryIterator(); it.hasMoreElements(); it.moveNext())
      haveBillboards = haveBillboards || it.peekNextKey() == "billboard";
    if (!haveBillboards) particles._initialise();
    root.loadPlugin("/usr/lib/x86_64-linux-gnu/OGRE/Plugin_ParticleFX");
    return root.createSceneManager();
  }();
  return *scene;
}

class EngineEffect : public FxRunner {
 public:
  explicit EngineEffect(const FxWorkload& w) {
    Ogre::SceneManager& scene = EngineScene();
    static int counter = 0;
    mSystem = scene.createParticleSystem("BenchFx" + std::to_string(counter++), w.quota());
    Ogre::ParticleEmitter* emitter = mSystem->addEmitter("Point");
    emitter->setEmissionRate(w.rate());
    emitter->setTimeToLive(w.life());
    emitter->setParticleVelocity(5);
    emitter->setAngle(Ogre::Degree(30));
    emitter->setDirection(Ogre::Vector3::UNIT_Y);
    mSystem->addAffector("LinearForce")->setParameter("force_vector", "0 -10 0");
    Ogre::ParticleAffector* colours = mSystem->addAffector("ColourInterpolator");
    colours->setParameter("time0", "0");
    colours->setParameter("colour0", "1 1 1 1");
    colours->setParameter("time1", "0.5");
    colours->setParameter("colour1", "1 0.5 0 1");
    colours->setParameter("time2", "1");
    colours->setParameter("colour2", "0 0 0 0");
    mSystem->addAffector("Scaler")->setParameter("rate", "2");
    // Bounds are a drawing matter: leave them out so only the simulation
    // is timed, as on our side.
    mSystem->setBoundsAutoUpdated(false);
    // The engine updates only systems attached to a node.
    mNode = scene.getRootSceneNode()->createChildSceneNode();
    mNode->attachObject(mSystem);
  }
  ~EngineEffect() override {
    Ogre::SceneManager& scene = EngineScene();
    mNode->detachAllObjects();
    scene.destroySceneNode(mNode);
    scene.destroyParticleSystem(mSystem);
  }

  void Frame(float dt) override { mSystem->_update(dt); }
  unsigned Live() const override { return static_cast<unsigned>(mSystem->getNumParticles()); }

 private:
  Ogre::ParticleSystem* mSystem = nullptr;
  Ogre::SceneNode* mNode = nullptr;
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// This thread's processor time, so that other processes on the machine
// do not count.
double ThreadNs() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e9 + t.tv_nsec;
}

// Nanoseconds per live particle of `frames` updates, after two untimed
// ones that bring the system's particles back into the caches the other
// system used meanwhile.
double TimeFrames(FxRunner& fx, float dt, int frames) {
  fx.Frame(dt);
  fx.Frame(dt);
  const double before = fx.Live();
  const double start = ThreadNs();
  for (int i = 0; i < frames; ++i) fx.Frame(dt);
  const double spent = ThreadNs() - start;
  const double live = (before + fx.Live()) / 2;
  return spent / frames / std::max(live, 1.0);
}

}  // namespace

FxRunner* NewOurEffect(const FxWorkload& w) { return new OurEffect(w); }
FxRunner* NewEngineEffect(const FxWorkload& w) { return new EngineEffect(w); }

SideBySideResult CompareSideBySide(const FxWorkload& w, int rounds) {
  std::unique_ptr<FxRunner> ours(NewOurEffect(w));
  std::unique_ptr<FxRunner> engine(NewEngineEffect(w));
  // Steady state: everything born in the first life has died once.
  const int warmFrames = static_cast<int>(1.5f * w.life() / w.dt());
  for (int i = 0; i < warmFrames; ++i) {
    ours->Frame(w.dt());
    engine->Frame(w.dt());
  }
  const int frames = std::clamp(static_cast<int>(4e6 / w.count), 10, 4000);
  std::vector<double> oursNs, engineNs, ratios;
  for (int round = 0; round < rounds; ++round) {
    // Each goes first every other round, so drift hits both alike.
    if (round % 2) engineNs.push_back(TimeFrames(*engine, w.dt(), frames));
    oursNs.push_back(TimeFrames(*ours, w.dt(), frames));
    if (round % 2 == 0) engineNs.push_back(TimeFrames(*engine, w.dt(), frames));
    // Runs next to each other met the same load on the machine.
    ratios.push_back(engineNs.back() / oursNs.back());
  }
  return {w.count, Median(oursNs), Median(engineNs), Median(ratios)};
}
