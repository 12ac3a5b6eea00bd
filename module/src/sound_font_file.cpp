#include "sound_font_file.h"

#include <fcntl.h>
#include <fluidsynth.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

namespace corvane {
namespace {

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14; older kernels answer EINVAL
#endif

// Reads at least this large are the sample chunk (141 MiB in the large
// General MIDI SoundFont, 5.5 MiB in the small one).
constexpr fluid_long_long_t kLargeRead = 4ll << 20;
// The headers are read a few bytes at a time (about 80,000 reads for a
// General MIDI SoundFont); they come out of a buffer of this size instead of
// one system call each.
constexpr size_t kBufferBytes = 64 * 1024;
// The sample chunk is split between two threads at a huge-page boundary.
constexpr uintptr_t kHugePage = 2u << 20;

struct SoundFontFile {
  int fd = -1;
  fluid_long_long_t position = 0;      // where the loader reads next
  fluid_long_long_t buffer_start = 0;  // file offset of buffer[0]
  size_t buffer_len = 0;               // valid bytes in buffer
  std::unique_ptr<char[]> buffer;
};

// Asks for huge pages and faults the page-aligned inside of `buf` in one go.
// Advice only: the memory is the loader's fresh buffer, about to be written.
void PrepareLargeBuffer(char* buf, size_t count) {
  const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto begin = (reinterpret_cast<uintptr_t>(buf) + page - 1) & ~(page - 1);
  const auto end = (reinterpret_cast<uintptr_t>(buf) + count) & ~(page - 1);
  if (end <= begin) return;
  void* start = reinterpret_cast<void*>(begin);
  madvise(start, end - begin, MADV_HUGEPAGE);
  madvise(start, end - begin, MADV_POPULATE_WRITE);
}

// Reads exactly `count` bytes at `offset`; false on an error or an early end.
bool ReadAt(int fd, char* out, size_t count, fluid_long_long_t offset) {
  while (count > 0) {
    const ssize_t n = ::pread(fd, out, count, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    out += n;
    count -= static_cast<size_t>(n);
    offset += n;
  }
  return true;
}

bool ReadPreparedAt(int fd, char* out, size_t count, fluid_long_long_t offset) {
  PrepareLargeBuffer(out, count);
  return ReadAt(fd, out, count, offset);
}

// The sample chunk: the second half is faulted in and read on a second core
// while this thread does the first; fresh memory costs most of the load.
bool ReadLarge(int fd, char* out, size_t count, fluid_long_long_t offset) {
  const auto middle = (reinterpret_cast<uintptr_t>(out) + count / 2) & ~(kHugePage - 1);
  const size_t first = middle > reinterpret_cast<uintptr_t>(out)
                           ? static_cast<size_t>(middle - reinterpret_cast<uintptr_t>(out))
                           : 0;
  if (std::thread::hardware_concurrency() < 2 || first == 0 || first >= count)
    return ReadPreparedAt(fd, out, count, offset);
  bool second_ok = false;
  std::thread second;
  try {
    second = std::thread([&] {
      second_ok = ReadPreparedAt(fd, out + first, count - first,
                                 offset + static_cast<fluid_long_long_t>(first));
    });
  } catch (const std::system_error&) {
    return ReadPreparedAt(fd, out, count, offset);
  }
  const bool first_ok = ReadPreparedAt(fd, out, first, offset);
  second.join();
  return first_ok && second_ok;
}

void* Open(const char* filename) {
  const int fd = ::open(filename, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  auto* file = new (std::nothrow) SoundFontFile{};
  char* buffer = new (std::nothrow) char[kBufferBytes];
  if (file == nullptr || buffer == nullptr) {
    delete file;
    delete[] buffer;
    ::close(fd);
    return nullptr;
  }
  file->fd = fd;
  file->buffer.reset(buffer);
  return file;
}

int Read(void* buf, fluid_long_long_t count, void* handle) {
  auto* file = static_cast<SoundFontFile*>(handle);
  if (count < 0) return FLUID_FAILED;
  auto* out = static_cast<char*>(buf);
  const auto wanted = static_cast<size_t>(count);
  // What the buffer holds from the current position on.
  size_t held = 0;
  if (file->position >= file->buffer_start &&
      file->position < file->buffer_start + static_cast<fluid_long_long_t>(file->buffer_len)) {
    held = file->buffer_len - static_cast<size_t>(file->position - file->buffer_start);
  }
  if (wanted <= held) {
    std::memcpy(out, &file->buffer[file->position - file->buffer_start], wanted);
    file->position += count;
    return FLUID_OK;
  }
  bool ok;
  if (wanted >= kBufferBytes) {
    // Large reads go straight into the loader's memory.
    ok = count >= kLargeRead ? ReadLarge(file->fd, out, wanted, file->position)
                             : ReadAt(file->fd, out, wanted, file->position);
  } else {
    // Refill from the current position; a file that ends early fails.
    ssize_t n;
    do {
      n = ::pread(file->fd, file->buffer.get(), kBufferBytes, static_cast<off_t>(file->position));
    } while (n < 0 && errno == EINTR);
    file->buffer_start = file->position;
    file->buffer_len = n > 0 ? static_cast<size_t>(n) : 0;
    ok = file->buffer_len >= wanted;
    if (ok) std::memcpy(out, file->buffer.get(), wanted);
  }
  if (!ok) return FLUID_FAILED;
  file->position += count;
  return FLUID_OK;
}

int Seek(void* handle, fluid_long_long_t offset, int origin) {
  auto* file = static_cast<SoundFontFile*>(handle);
  fluid_long_long_t base = 0;
  if (origin == SEEK_CUR) {
    base = file->position;
  } else if (origin == SEEK_END) {
    struct stat st {};
    if (::fstat(file->fd, &st) != 0) return FLUID_FAILED;
    base = st.st_size;
  } else if (origin != SEEK_SET) {
    return FLUID_FAILED;
  }
  if (offset < 0 && -offset > base) return FLUID_FAILED;
  file->position = base + offset;
  return FLUID_OK;
}

fluid_long_long_t Tell(void* handle) {
  return static_cast<SoundFontFile*>(handle)->position;
}

int Close(void* handle) {
  auto* file = static_cast<SoundFontFile*>(handle);
  const int rc = ::close(file->fd);
  delete file;
  return rc == 0 ? FLUID_OK : FLUID_FAILED;
}

}  // namespace

bool InstallSoundFontReader(fluid_synth_t* synth, fluid_settings_t* settings) {
  fluid_sfloader_t* loader = new_fluid_defsfloader(settings);
  if (loader == nullptr) return false;
  if (fluid_sfloader_set_callbacks(loader, Open, Read, Seek, Tell, Close) != FLUID_OK) {
    delete_fluid_sfloader(loader);
    return false;
  }
  fluid_synth_add_sfloader(synth, loader);  // the synth owns it from here
  return true;
}

}  // namespace corvane
