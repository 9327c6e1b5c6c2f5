// The running game: time from process start to the first rendered frame, the
// CPU time of start-screen frames, and the demo map's view (camera still and
// camera gliding) with each frame split into its logic and its drawing.
// Needs a display; runs in the build folder, like the game. The map view
// runs in a process of its own (bench_frame MAP) on a copy of the build's
// configuration that names the map.
#include "game/Camera.h"
#include "game/MainWindow.h"
#include "game/YourView.h"

#include <OgreFrameListener.h>
#include <OgreRenderWindow.h>
#include <OgreRoot.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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

// Times the engine's part of each frame: from frame start (after the game's
// own steps) to frame end, the scene and GUI drawn and shown.
class DrawTimer : public Ogre::FrameListener {
 public:
  bool frameStarted(const Ogre::FrameEvent&) override {
    mStart = Clock::now();
    mCpuStart = ProcessCpuMs();
    return true;
  }
  bool frameEnded(const Ogre::FrameEvent&) override {
    wallMs = MsSince(mStart);
    cpuMs = ProcessCpuMs() - mCpuStart;
    return true;
  }
  double wallMs = 0, cpuMs = 0;

 private:
  Clock::time_point mStart;
  double mCpuStart = 0;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Percentile90(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() * 9 / 10];
}

// Runs frames on the window timer's 15 ms ticks (or back to back when a frame
// is longer) for `seconds`, calling `before` ahead of each, and prints their
// cost: wall time and CPU time of all the process's threads, split into the
// game's logic and the engine's drawing.
void RunPhase(const char* phase, double seconds, const std::function<void(int)>& before) {
  DrawTimer draw;
  Ogre::Root::getSingleton().addFrameListener(&draw);
  std::vector<double> logicWall, drawWall, logicCpu, drawCpu;
  const double cpuStart = ProcessCpuMs();
  const Clock::time_point start = Clock::now();
  Clock::time_point tick = start;
  for (int frame = 0; MsSince(start) < seconds * 1000; ++frame) {
    tick = std::max(tick + std::chrono::milliseconds(15), Clock::now());
    std::this_thread::sleep_until(tick);
    before(frame);
    draw.wallMs = draw.cpuMs = 0;
    const Clock::time_point frameStart = Clock::now();
    const double cpuBefore = ProcessCpuMs();
    CYourView::GetSingletonPtr()->UpdateFrame();
    const double wall = MsSince(frameStart), cpu = ProcessCpuMs() - cpuBefore;
    drawWall.push_back(draw.wallMs);
    drawCpu.push_back(draw.cpuMs);
    logicWall.push_back(wall - draw.wallMs);
    logicCpu.push_back(cpu - draw.cpuMs);
  }
  Ogre::Root::getSingleton().removeFrameListener(&draw);
  const Ogre::RenderTarget::FrameStats& stats = CYourView::GetSingletonPtr()->GetRenderWindow()->getStatistics();
  const double elapsed = MsSince(start);
  std::printf("%-14s %4.0f frames/s, %3.0f%% of a core; median frame: logic %.2f ms (CPU %.2f), draw %.2f ms "
              "(CPU %.2f); 90th percentile draw %.2f ms; last frame %zu batches, %zu triangles\n",
              phase, drawWall.size() * 1000.0 / elapsed, (ProcessCpuMs() - cpuStart) / elapsed * 100.0,
              Median(logicWall), Median(logicCpu), Median(drawWall), Median(drawCpu), Percentile90(drawWall),
              stats.batchCount, stats.triangleCount);
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

int StartScreen() {
  const Clock::time_point start = Clock::now();
  if (chdir(YVEK_BUILD_DIR) != 0 || !StartGame()) return 1;
  std::printf("first frame:   %.0f ms after start\n", MsSince(start));
  RunPhase("logos fading", 10, [](int) {});
  RunPhase("idle", 10, [](int) {});
  std::fflush(stdout);

  // The map view, in a process of its own.
  const pid_t child = fork();
  if (child == 0) {
    execl("/proc/self/exe", "bench_frame", "demo_full.map", static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

int MapView(const std::string& map) {
  const fs::path build(YVEK_BUILD_DIR);
  const fs::path work = fs::temp_directory_path() / ("bench_frame_" + std::to_string(getpid()));
  fs::create_directories(work);
  for (const char* file : {"plugins.cfg", "resources.cfg", "cursor.cur", "Update.cfg"})
    fs::copy_file(build / file, work / file, fs::copy_options::overwrite_existing);
  std::ofstream(work / "game.cfg") << "[system]\nvol=0\nmap=" << map << "\n";
  if (chdir(work.c_str()) != 0 || !StartGame()) return 1;
  const Ogre::Vector3 lookAt = CGACamera::getSingleton().GetLookAt();
  RunPhase("map, still", 10, [](int) {});
  // Gliding back and forth over the map, a world unit a frame at most.
  RunPhase("map, gliding", 10, [&](int frame) {
    const float t = frame * 0.02f;
    CGACamera::getSingleton().SetLookAt(lookAt + Ogre::Vector3(30 * std::sin(t), 0, 20 * std::sin(t * 0.7f)));
  });
  fs::remove_all(work);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("LP_NUM_THREADS", "2", 0);  // as the game does
  return argc > 1 ? MapView(argv[1]) : StartScreen();
}
