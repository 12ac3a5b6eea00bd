#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/clock.h"

namespace platform {
namespace {

std::string LockFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/sonavex";
  return "/tmp/sonavex-" + std::to_string(getuid());
}

// The folder must be ours and private: in /tmp anyone could have made it.
bool EnsurePrivateFolder(const std::string& folder) {
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st {};
  if (lstat(folder.c_str(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == getuid();
}

std::string OwnExecutable() {
  char path[PATH_MAX + 1];
  const ssize_t n = readlink("/proc/self/exe", path, PATH_MAX);
  return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
}

void Record(int fd, const std::string& executable) {
  if (ftruncate(fd, 0) != 0) return;
  const std::string line = executable + "\n";
  size_t done = 0;
  while (done < line.size()) {
    const ssize_t n = pwrite(fd, line.data() + done, line.size() - done, static_cast<off_t>(done));
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

}  // namespace

std::string InstanceLockPath() {
  const std::string folder = LockFolder();
  EnsurePrivateFolder(folder);
  return folder + "/instance.lock";
}

bool IsInstanceRunning() {
  return FindRunningInstance().running;
}

InstanceLock::~InstanceLock() {
  Release();
}

bool InstanceLock::TryAcquire(const std::string& executable) {
  if (fd_ >= 0) return true;
  if (!EnsurePrivateFolder(LockFolder())) return false;
  const int fd =
      ::open(InstanceLockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      fd_ = fd;
      Record(fd_, executable.empty() ? OwnExecutable() : executable);
      return true;
    }
    if (errno != EWOULDBLOCK) break;
    Sleep(10);
  }
  ::close(fd);
  return false;
}

void InstanceLock::Release() {
  if (fd_ < 0) return;
  // Emptied first, so a reader never sees a stale path under a fresh lock.
  [[maybe_unused]] const int emptied = ftruncate(fd_, 0);
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

RunningInstance FindRunningInstance() {
  RunningInstance result;
  const int fd = ::open(InstanceLockPath().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return result;
  if (::flock(fd, LOCK_SH | LOCK_NB) == 0) {
    ::flock(fd, LOCK_UN);
    ::close(fd);
    return result;
  }
  result.running = errno == EWOULDBLOCK;
  if (result.running) {
    char text[PATH_MAX + 2];
    const ssize_t n = pread(fd, text, sizeof text - 1, 0);
    if (n > 0) {
      std::string line(text, static_cast<size_t>(n));
      const size_t end = line.find('\n');
      // Only a whole line counts: the holder may be writing it right now.
      if (end != std::string::npos) result.executable = line.substr(0, end);
    }
  }
  ::close(fd);
  return result;
}

}  // namespace platform
