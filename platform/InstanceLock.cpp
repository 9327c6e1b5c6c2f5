#include "platform/InstanceLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

InstanceLock::~InstanceLock() {
  if (mFile >= 0) close(mFile);
}

InstanceLock::State InstanceLock::Take(const std::string& path) {
  if (mFile >= 0) return State::Held;
  int file = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (file < 0) file = open(path.c_str(), O_RDONLY | O_CLOEXEC);  // a read-only folder that has the file
  if (file < 0) return State::Unavailable;
  while (flock(file, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    const int error = errno;
    close(file);
    errno = error;
    return error == EWOULDBLOCK ? State::HeldElsewhere : State::Unavailable;
  }
  mFile = file;
  return State::Held;
}

}  // namespace platform
