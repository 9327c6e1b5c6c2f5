// The running game on its start screen: time from process start to the
// first rendered frame, and the CPU time of idle frames (frame logic and
// render, all threads of the process). Needs a display; runs in the build
// folder, like the game.
#include "game/MainWindow.h"
#include "game/YourView.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

double ProcessCpuMs() {
  timespec ts;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

}  // namespace

int main() {
  setenv("LP_NUM_THREADS", "2", 0);  // as the game does
  const auto start = std::chrono::steady_clock::now();
  if (chdir(YVEK_BUILD_DIR) != 0) return 1;
  if (!CreateMainWindow()) {
    std::fprintf(stderr, "no display\n");
    return 1;
  }
  new CYourView();
  CYourView::GetSingletonPtr()->UpdateFrame();
  const double firstFrameMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();

  std::printf("first frame:   %.0f ms after start\n", firstFrameMs);
  // One frame per 15 ms tick, as the window's timer gives them: the start
  // screen while its logos fade, then the idle start screen.
  auto tick = std::chrono::steady_clock::now();
  for (const char* phase : {"logos fading", "idle"}) {
    std::vector<double> frames;
    const double cpuStart = ProcessCpuMs();
    for (int i = 0; i < 667; ++i) {
      tick += std::chrono::milliseconds(15);
      std::this_thread::sleep_until(tick);
      const double before = ProcessCpuMs();
      CYourView::GetSingletonPtr()->UpdateFrame();
      frames.push_back(ProcessCpuMs() - before);
    }
    const double cpuShare = (ProcessCpuMs() - cpuStart) / (frames.size() * 15.0) * 100.0;
    std::sort(frames.begin(), frames.end());
    std::printf("%-13s 10 s: frame CPU median %.3f ms, 90th percentile %.3f ms; %.1f%% of a core\n", phase,
                frames[frames.size() / 2], frames[frames.size() * 9 / 10], cpuShare);
  }
  return 0;
}
