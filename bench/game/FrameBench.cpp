// The running game: time from process start to the first rendered frame, the
// CPU time of start-screen frames (fading logos, then idle), the demo map's
// view (camera still and camera gliding) and a level in battle: the in-game
// screen with 30 units fighting with their effects and particles on the
// level's map with its grass. Each frame is split into the game's logic, the
// engine's scene work (scene graph and visible objects, skeletons posed) and
// the drawing (render targets drawn and shown); the resident memory is
// printed after each part. Needs a display; runs in the build folder, like
// the game. The map view and the level each run in a process of their own
// (bench_frame map MAP, bench_frame level N) on a copy of the build's
// configuration.
#include "game/Camera.h"
#include "game/app/GameBattlefield.h"
#include "game/app/MainWindow.h"
#include "game/app/YourView.h"
#include "platform/Window.h"
#include "screens/GUIMain.h"
#include "screens/GUIManager.h"
#include "screens/GUIRecruit.h"
#include "units/Unit.h"
#include "units/UnitManager.h"
#include "units/UnitNumbers.h"

#include <CEGUI/EventArgs.h>
#include <OgreFrameListener.h>
#include <OgreRenderSystem.h>
#include <OgreRenderTarget.h>
#include <OgreRenderTargetListener.h>
#include <OgreRenderWindow.h>
#include <OgreRoot.h>
#include <OgreSceneManager.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double ProcessCpuMs() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Resident memory of the process now and at its peak, in MB.
void PrintMemory(const char* when) {
  std::ifstream status("/proc/self/status");
  std::string line;
  double resident = 0, peak = 0;
  while (std::getline(status, line)) {
    if (line.compare(0, 6, "VmRSS:") == 0) resident = std::atof(line.c_str() + 6) / 1024;
    if (line.compare(0, 6, "VmHWM:") == 0) peak = std::atof(line.c_str() + 6) / 1024;
  }
  std::printf("%-14s resident memory %.0f MB (peak %.0f MB)\n", when, resident, peak);
}

// Splits the engine's part of each frame. Scene work: the scene graph's
// update and the search for visible objects (which poses skeletons), for
// every camera rendered. Drawing: every render target's update (the window,
// and render textures that the game's steps draw, such as "RttTex"), less
// its scene work, and the buffer swap that shows the window.
class FrameSplit : public Ogre::FrameListener,
                   public Ogre::RenderTargetListener,
                   public Ogre::SceneManager::Listener {
 public:
  explicit FrameSplit(Ogre::SceneManager* scene) : mScene(scene) {
    Ogre::Root::getSingleton().addFrameListener(this);
    mScene->addListener(this);
    auto targets = Ogre::Root::getSingleton().getRenderSystem()->getRenderTargetIterator();
    while (targets.hasMoreElements()) {
      Ogre::RenderTarget* target = targets.getNext();
      target->addListener(this);
      mTargets.push_back(target);
    }
  }
  ~FrameSplit() override {
    for (Ogre::RenderTarget* target : mTargets) target->removeListener(this);
    mScene->removeListener(this);
    Ogre::Root::getSingleton().removeFrameListener(this);
  }
  void Reset() { sceneMs = drawMs = 0; }

  void preUpdateSceneGraph(Ogre::SceneManager*, Ogre::Camera*) override { mSceneStart = Clock::now(); }
  void postUpdateSceneGraph(Ogre::SceneManager*, Ogre::Camera*) override { sceneMs += MsSince(mSceneStart); }
  void preFindVisibleObjects(Ogre::SceneManager*, Ogre::SceneManager::IlluminationRenderStage,
                             Ogre::Viewport*) override {
    mSceneStart = Clock::now();
  }
  void postFindVisibleObjects(Ogre::SceneManager*, Ogre::SceneManager::IlluminationRenderStage,
                              Ogre::Viewport*) override {
    sceneMs += MsSince(mSceneStart);
  }
  void preRenderTargetUpdate(const Ogre::RenderTargetEvent&) override { mTargetStart = Clock::now(); }
  void postRenderTargetUpdate(const Ogre::RenderTargetEvent&) override { drawMs += MsSince(mTargetStart); }
  bool frameRenderingQueued(const Ogre::FrameEvent&) override {
    mSwapStart = Clock::now();
    return true;
  }
  bool frameEnded(const Ogre::FrameEvent&) override {
    if (mSwapStart != Clock::time_point()) drawMs += MsSince(mSwapStart);
    mSwapStart = Clock::time_point();
    return true;
  }

  double sceneMs = 0, drawMs = 0;  // drawMs still holds the scene work

 private:
  Ogre::SceneManager* mScene;
  std::vector<Ogre::RenderTarget*> mTargets;
  Clock::time_point mSceneStart, mTargetStart, mSwapStart;
};

double Percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, size_t(fraction * double(values.size())))];
}

Ogre::SceneManager* GameScene() { return CGACamera::getSingleton().GetCamera()->getSceneManager(); }

// Runs frames on the window timer's 15 ms ticks (or back to back when a frame
// is longer) for `seconds`, calling `before` ahead of each, and prints their
// cost: wall time of the whole frame and of its logic, scene work and
// drawing, and the CPU time of all the process's threads (the software
// renderer draws on threads of its own).
void RunPhase(const char* phase, double seconds, const std::function<void(int)>& before) {
  FrameSplit split(GameScene());
  std::vector<double> frameMs, cpuMs, logicMs, sceneMs, drawMs;
  const double cpuStart = ProcessCpuMs();
  const Clock::time_point start = Clock::now();
  Clock::time_point tick = start;
  for (int frame = 0; MsSince(start) < seconds * 1000; ++frame) {
    tick = std::max(tick + std::chrono::milliseconds(15), Clock::now());
    std::this_thread::sleep_until(tick);
    before(frame);
    split.Reset();
    const Clock::time_point frameStart = Clock::now();
    const double cpuBefore = ProcessCpuMs();
    CYourView::GetSingletonPtr()->UpdateFrame();
    const double wall = MsSince(frameStart);
    cpuMs.push_back(ProcessCpuMs() - cpuBefore);
    frameMs.push_back(wall);
    sceneMs.push_back(split.sceneMs);
    drawMs.push_back(split.drawMs - split.sceneMs);
    logicMs.push_back(wall - split.drawMs);
  }
  const double elapsed = MsSince(start);
  const long drawn = std::count_if(drawMs.begin(), drawMs.end(), [](double ms) { return ms > 0; });
  std::printf("%-14s %4.0f frames/s (%ld drawn), %3.0f%% of a core; frame median %.2f ms (CPU %.2f), 90th percentile "
              "%.2f ms; median logic %.2f, scene %.2f, draw %.2f ms\n",
              phase, frameMs.size() * 1000.0 / elapsed, drawn, (ProcessCpuMs() - cpuStart) / elapsed * 100.0,
              Percentile(frameMs, 0.5), Percentile(cpuMs, 0.5), Percentile(frameMs, 0.9), Percentile(logicMs, 0.5),
              Percentile(sceneMs, 0.5), Percentile(drawMs, 0.5));
}

bool StartGame() {
  if (!CreateMainWindow()) {
    std::fprintf(stderr, "no display\n");
    return false;
  }
  new CYourView();
  CYourView::GetSingletonPtr()->UpdateFrame();
  return true;
}

void EndGame() {
  delete CYourView::GetSingletonPtr();
  platform::CloseAppWindow();
}

// Runs this program again with the arguments, in a process of its own.
int RunApart(const char* mode, const char* argument) {
  std::fflush(stdout);
  const pid_t child = fork();
  if (child == 0) {
    execl("/proc/self/exe", "bench_frame", mode, argument, static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

int StartScreen() {
  const Clock::time_point start = Clock::now();
  if (chdir(YVEK_BUILD_DIR) != 0 || !StartGame()) return 1;
  std::printf("first frame:   %.0f ms after start\n", MsSince(start));
  RunPhase("logos fading", 10, [](int) {});
  RunPhase("idle", 10, [](int) {});
  PrintMemory("start screen");
  EndGame();
  int failed = RunApart("map", "demo_full.map");
  failed |= RunApart("level", "0");
  return failed;
}

// A working folder with a copy of the build's configuration and a settings
// file of the given lines; the game then runs in it.
struct WorkFolder {
  explicit WorkFolder(const std::string& settings) {
    const fs::path build(YVEK_BUILD_DIR);
    for (const char* file : {"plugins.cfg", "resources.cfg", "cursor.cur", "Update.cfg"})
      fs::copy_file(build / file, path / file, fs::copy_options::overwrite_existing);
    std::ofstream(path / "game.cfg") << "[system]\nvol=0\n" << settings;
  }
  ~WorkFolder() { fs::remove_all(path); }
  fs::path path = [] {
    fs::path p = fs::temp_directory_path() / ("bench_frame_" + std::to_string(getpid()));
    fs::create_directories(p);
    return p;
  }();
};

int MapView(const std::string& map) {
  WorkFolder work("");
  if (chdir(work.path.c_str()) != 0 || !StartGame()) return 1;
  CGAGameBattlefield().LoadMap(map);
  const Ogre::Vector3 lookAt = CGACamera::getSingleton().GetLookAt();
  RunPhase("map, still", 10, [](int) {});
  // Gliding back and forth over the map, a world unit a frame at most.
  RunPhase("map, gliding", 10, [&](int frame) {
    const float t = frame * 0.02f;
    CGACamera::getSingleton().SetLookAt(lookAt + Ogre::Vector3(30 * std::sin(t), 0, 20 * std::sin(t * 0.7f)));
  });
  PrintMemory("map view");
  EndGame();
  return 0;
}

// Fifteen defenders and fifteen attackers facing each other in the lanes
// before the camera; each that falls is replaced where it stood, so thirty
// fight all along: blows, arrows, heals, coins dropped by fallen enemies.
class Battle {
 public:
  Battle() {
    const Ogre::Vector3 at = CGACamera::getSingleton().GetLookAt();
    const int x = 2 * static_cast<int>(at.x / 2);
    for (int i = 0; i < 15; ++i) {
      const char* const defenders[] = {"swordsman", "swordsman", "archer", "priest", "swordsman"};
      const char* const attackers[] = {"goblin", "goblin", "brute", "dark_archer", "goblin"};
      const int row = 43 + 2 * (i % 6), column = i / 6;
      mPosts.push_back(Post{defenders[i % 5], 1, x - 6 - 2 * column, row});
      mPosts.push_back(Post{attackers[i % 5], 0, x + 4 + 2 * column, row});
    }
  }
  void Refill() {
    // A wave that calls for recruits pauses the battle with its panel open:
    // the player picks a unit and sets off again.
    CGAGUIMain* screen = CGAGUIManager::getSingleton().GetMainScreen();
    if (screen->GetRecruit()->IsVisible()) {
      screen->AddUnit("swordsman");
      screen->GetRecruit()->OnOk(CEGUI::EventArgs());
    }
    CGAUnitManager& units = CGAUnitManager::getSingleton();
    for (Post& post : mPosts) {
      if (post.unit && units.IsLive(post.unit) && post.unit->GetInt(kSlotHp) > 0) continue;
      post.unit = units.CreateUnit(post.type);
      if (!post.unit) continue;
      post.unit->SetInt(kSlotSide, post.side);
      post.unit->SetPositionXZ(static_cast<float>(post.x), static_cast<float>(post.z));
      if (post.side == 0) post.unit->SetGoal(2, post.z);
      ++replaced;
    }
  }
  int replaced = 0;

 private:
  struct Post {
    const char* type;
    int side, x, z;
    CGAUnit* unit = nullptr;
  };
  std::vector<Post> mPosts;
};

int LevelView(int level) {
  WorkFolder work("");
  if (chdir(work.path.c_str()) != 0 || !StartGame()) return 1;
  if (!CGAGUIManager::getSingleton().StartLevel(level)) return 1;
  Battle battle;
  // The units load and the first blows fall before the measurement.
  const Clock::time_point warm = Clock::now();
  while (MsSince(warm) < 3000) {
    battle.Refill();
    CYourView::GetSingletonPtr()->UpdateFrame();
  }
  battle.replaced = 0;
  char phase[32];
  std::snprintf(phase, sizeof phase, "level %d battle", level + 1);
  RunPhase(phase, 10, [&](int) { battle.Refill(); });
  std::printf("%-14s %d units fell and were replaced\n", "", battle.replaced);
  PrintMemory("level");
  if (const char* shot = std::getenv("BENCH_FRAME_SHOT"))
    Ogre::Root::getSingleton().getRenderTarget("renderwin")->writeContentsToFile(shot);
  EndGame();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("LP_NUM_THREADS", "2", 0);  // as the game does
  if (argc > 2 && std::strcmp(argv[1], "map") == 0) return MapView(argv[2]);
  if (argc > 2 && std::strcmp(argv[1], "level") == 0) return LevelView(std::atoi(argv[2]));
  return StartScreen();
}
