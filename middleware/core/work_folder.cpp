#include "core/work_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/trace.h"

namespace qm3 {
namespace {

constexpr char kLockFileName[] = ".instance-lock";

// Removes everything in `dir` but the lock file: the work files of the
// instance that held the folder last, whether it ended or was killed.
void Empty(const std::string& dir) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().filename() == kLockFileName) continue;
    std::error_code ignored;
    std::filesystem::remove_all(it->path(), ignored);
  }
}

bool MakeDirectory(const std::string& dir) {
  return ::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace

WorkFolder::~WorkFolder() {
  Release();
}

const std::string& WorkFolder::Take(const std::string& base) {
  Release();
  const std::string root = base + "work/";
  if (!MakeDirectory(root)) return path_;
  for (int slot = 0; slot < kSlots; ++slot) {
    const std::string dir = root + std::to_string(slot) + "/";
    if (!MakeDirectory(dir)) continue;
    const std::string lock = dir + kLockFileName;
    const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);  // a live instance works here
      continue;
    }
    lock_fd_ = fd;
    path_ = dir;
    Empty(path_);
    return path_;
  }
  platform::TraceLog("work folder: no free folder below %s", root.c_str());
  return path_;
}

void WorkFolder::Release() {
  if (lock_fd_ < 0) return;
  Empty(path_);
  ::flock(lock_fd_, LOCK_UN);
  ::close(lock_fd_);
  lock_fd_ = -1;
  path_.clear();
}

}  // namespace qm3
