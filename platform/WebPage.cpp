#include "platform/WebPage.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <vector>

extern char** environ;

namespace platform {
namespace {

// Openers started and not yet seen to end: each is reaped at a later call
// once it has ended, so none lingers as a zombie while the game runs.
std::vector<pid_t>& Openers() {
  static std::vector<pid_t> openers;
  return openers;
}

void ReapEndedOpeners() {
  std::vector<pid_t>& openers = Openers();
  for (size_t i = 0; i < openers.size();) {
    if (waitpid(openers[i], nullptr, WNOHANG) != 0) {
      openers[i] = openers.back();
      openers.pop_back();
    } else {
      ++i;
    }
  }
}

}  // namespace

bool OpenWebPage(const std::string& address) {
  ReapEndedOpeners();
  // The opener is started directly, not through a shell that would start it
  // in the background: the spawn then fails when it cannot be run.
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
  const char* argv[] = {"xdg-open", address.c_str(), nullptr};
  pid_t opener = 0;
  const int error = posix_spawnp(&opener, "xdg-open", &quiet, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&quiet);
  if (error != 0) return false;
  Openers().push_back(opener);
  return true;
}

}  // namespace platform
