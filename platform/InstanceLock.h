#pragma once
// One copy of the game per working folder: the first copy takes a lock on a
// file there and holds it while it runs; the system lets go of it when the
// process ends, however it ends. A copy started beside it finds it held.
#include <string>

namespace platform {

class InstanceLock {
 public:
  enum class State {
    Held,           // this process holds it now
    HeldElsewhere,  // another process holds it
    Unavailable,    // the file cannot be made or locked (errno says why)
  };

  InstanceLock() = default;
  // Lets go of the lock.
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Takes the lock on the file (made when missing) without waiting. The
  // lock is not handed down to programs this one starts.
  State Take(const std::string& path);

 private:
  int mFile = -1;
};

}  // namespace platform
