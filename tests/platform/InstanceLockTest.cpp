// Two copies of the game started in one folder each wrote the player list,
// the records and the engine log over the other's. The first copy holds a
// lock there while it runs; the second finds it held.
#include "platform/InstanceLock.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using State = platform::InstanceLock::State;

// What a second process finds when it takes the lock.
State TakeInAnotherProcess(const std::string& path) {
  const pid_t child = fork();
  if (child == 0) {
    platform::InstanceLock lock;
    _exit(static_cast<int>(lock.Take(path)));
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? static_cast<State>(WEXITSTATUS(status)) : State::Unavailable;
}

TEST(InstanceLock, OneProcessHoldsItUntilItLetsGo) {
  TempDir dir;
  const std::string path = dir.file("yvek.lock");
  {
    platform::InstanceLock lock;
    ASSERT_EQ(lock.Take(path), State::Held);
    EXPECT_EQ(lock.Take(path), State::Held);  // taking it again changes nothing
    EXPECT_EQ(TakeInAnotherProcess(path), State::HeldElsewhere);
  }
  EXPECT_EQ(TakeInAnotherProcess(path), State::Held);
}

// A copy that crashes or is killed leaves no lock behind.
TEST(InstanceLock, AKilledHolderLetsGo) {
  TempDir dir;
  const std::string path = dir.file("yvek.lock");
  int taken[2];
  ASSERT_EQ(pipe(taken), 0);
  const pid_t holder = fork();
  if (holder == 0) {
    platform::InstanceLock lock;
    const char state = static_cast<char>(lock.Take(path));
    if (write(taken[1], &state, 1) != 1) _exit(1);
    for (;;) pause();
  }
  close(taken[1]);
  char state = -1;
  ASSERT_EQ(read(taken[0], &state, 1), 1);  // ends with the holder, if it dies first
  close(taken[0]);
  EXPECT_EQ(static_cast<State>(state), State::Held);
  platform::InstanceLock second;
  EXPECT_EQ(second.Take(path), State::HeldElsewhere);
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  EXPECT_EQ(second.Take(path), State::Held);
}

// A program the game starts (the web browser) outlives it: it must not keep
// the lock, or no copy of the game could start until it ends.
TEST(InstanceLock, ProgramsStartedByTheHolderDoNotKeepIt) {
  TempDir dir;
  const std::string path = dir.file("yvek.lock");
  pid_t sleeper = 0;
  {
    platform::InstanceLock lock;
    ASSERT_EQ(lock.Take(path), State::Held);
    const char* argv[] = {"sleep", "60", nullptr};
    ASSERT_EQ(posix_spawnp(&sleeper, "sleep", nullptr, nullptr, const_cast<char**>(argv), environ), 0);
  }
  EXPECT_EQ(TakeInAnotherProcess(path), State::Held);
  kill(sleeper, SIGKILL);
  waitpid(sleeper, nullptr, 0);
}

TEST(InstanceLock, AFolderThatTakesNoFileIsReported) {
  TempDir dir;
  platform::InstanceLock lock;
  EXPECT_EQ(lock.Take(dir.file("no/such/folder/yvek.lock")), State::Unavailable);
}

}  // namespace
