// The desktop application's single-instance lock, shared with the tools that
// must leave a running installation alone (the updater).
//
// The lock is an flock(2) on $XDG_RUNTIME_DIR/sonavex/instance.lock (without
// XDG_RUNTIME_DIR: /tmp/sonavex-<uid>/instance.lock), held for the life of
// the running application. The file holds the holder's executable path, so a
// reader can tell which installation is running. A process that dies releases
// the lock with it.
//
// Thread rules: one InstanceLock per process, owned by the application object;
// Acquire may sleep a few milliseconds on the current clock; FindRunningInstance
// never blocks. Not for device threads.
#pragma once
#include <string>

namespace platform {

// The lock file's path; its folder is created (mode 0700) as needed.
std::string InstanceLockPath();

// True while some process holds the instance lock.
bool IsInstanceRunning();

class InstanceLock {
 public:
  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Takes the lock and records `executable` (empty: this process's own
  // executable). false when another process holds it or the file cannot be
  // made. A reader's probe holds the file for an instant, so a busy lock is
  // tried again for about 50 ms.
  bool TryAcquire(const std::string& executable = {});
  void Release();
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

struct RunningInstance {
  bool running = false;
  // The executable the holder recorded; empty when it could not be read.
  std::string executable;
};

// Whether some process holds the lock now.
RunningInstance FindRunningInstance();

}  // namespace platform
