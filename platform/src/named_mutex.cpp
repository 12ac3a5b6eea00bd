#include "platform/named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace platform {
namespace {

std::string LockPath(const std::string& name) {
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  std::string base = (dir != nullptr && *dir != '\0') ? dir : "/tmp";
  std::string safe;
  for (char c : name) safe += (c == '/' || c == '\\') ? '_' : c;
  return base + "/sonavex-mutex-" + std::to_string(getuid()) + "-" + safe;
}

}  // namespace

NamedMutex::NamedMutex(const std::string& name) {
  fd_ = ::open(LockPath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
}

NamedMutex::~NamedMutex() {
  Unlock();
  if (fd_ >= 0) ::close(fd_);
}

bool NamedMutex::TryLock() {
  if (fd_ < 0 || held_) return false;
  held_ = ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
  return held_;
}

bool NamedMutex::Lock(unsigned timeout_ms) {
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    if (TryLock()) return true;
    if (fd_ < 0 || held_ ||
        std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(timeout_ms)) {
      return false;
    }
    SleepRealClock(1);
  }
}

void NamedMutex::SleepRealClock(unsigned ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void NamedMutex::Unlock() {
  if (fd_ >= 0 && held_) ::flock(fd_, LOCK_UN);
  held_ = false;
}

}  // namespace platform
