#include "midibytes/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>

namespace midibytes {
namespace {

template <typename Bytes>
FileBytes Read(const std::string& path, size_t limit, Bytes* out) {
  out->clear();
  // Non-blocking so that opening a FIFO without a writer returns at once.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return FileBytes::kCannotOpen;
  struct stat info {};
  FileBytes result = FileBytes::kRead;
  if (::fstat(fd, &info) != 0) {
    result = FileBytes::kReadError;
  } else if (S_ISDIR(info.st_mode)) {
    result = FileBytes::kCannotOpen;
  } else if (!S_ISREG(info.st_mode)) {
    result = FileBytes::kNotRegular;
  } else if (static_cast<uint64_t>(info.st_size) > limit) {
    result = FileBytes::kTooLarge;
  }
  try {
    if (result == FileBytes::kRead) out->resize(static_cast<size_t>(info.st_size));
    // The file may change while it is read: never more than the limit.
    size_t have = 0;
    while (result == FileBytes::kRead) {
      if (have == out->size()) {
        if (have == limit) {  // full: one more byte means too large
          char extra = 0;
          ssize_t n = 0;
          do n = ::read(fd, &extra, 1);
          while (n < 0 && errno == EINTR);
          if (n > 0) result = FileBytes::kTooLarge;
          if (n < 0) result = FileBytes::kReadError;
          break;
        }
        out->resize(std::min(limit, have + 65536));
      }
      const ssize_t n = ::read(fd, out->data() + have, out->size() - have);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) result = FileBytes::kReadError;
      if (n <= 0) break;
      have += static_cast<size_t>(n);
    }
    out->resize(have);
  } catch (const std::bad_alloc&) {
    result = FileBytes::kReadError;
  }
  ::close(fd);
  if (result != FileBytes::kRead) out->clear();
  return result;
}

}  // namespace

FileBytes ReadFileBytes(const std::string& path, size_t limit, std::string* out) {
  return Read(path, limit, out);
}

FileBytes ReadFileBytes(const std::string& path, size_t limit, std::vector<uint8_t>* out) {
  return Read(path, limit, out);
}

}  // namespace midibytes
