#include "sound_font_file.h"

#include <fcntl.h>
#include <fluidsynth.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <new>

namespace corvane {
namespace {

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14; older kernels answer EINVAL
#endif

// Reads at least this large are the sample chunk (FluidR3 has one of 141 MiB).
constexpr fluid_long_long_t kLargeRead = 8ll << 20;

struct SoundFontFile {
  int fd = -1;
};

// Asks for huge pages and faults the page-aligned inside of `buf` in one go.
// Advice only: the memory is the loader's fresh buffer, about to be written.
void PrepareLargeBuffer(void* buf, fluid_long_long_t count) {
  const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto begin = (reinterpret_cast<uintptr_t>(buf) + page - 1) & ~(page - 1);
  const auto end = (reinterpret_cast<uintptr_t>(buf) + static_cast<uintptr_t>(count)) & ~(page - 1);
  if (end <= begin) return;
  void* start = reinterpret_cast<void*>(begin);
  madvise(start, end - begin, MADV_HUGEPAGE);
  madvise(start, end - begin, MADV_POPULATE_WRITE);
}

void* Open(const char* filename) {
  const int fd = ::open(filename, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  auto* file = new (std::nothrow) SoundFontFile{fd};
  if (file == nullptr) ::close(fd);
  return file;
}

int Read(void* buf, fluid_long_long_t count, void* handle) {
  const int fd = static_cast<SoundFontFile*>(handle)->fd;
  if (count >= kLargeRead) PrepareLargeBuffer(buf, count);
  auto* out = static_cast<char*>(buf);
  while (count > 0) {
    const ssize_t n = ::read(fd, out, static_cast<size_t>(count));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return FLUID_FAILED;  // an error, or the file ends early
    out += n;
    count -= n;
  }
  return FLUID_OK;
}

int Seek(void* handle, fluid_long_long_t offset, int origin) {
  const int fd = static_cast<SoundFontFile*>(handle)->fd;
  return ::lseek(fd, static_cast<off_t>(offset), origin) < 0 ? FLUID_FAILED : FLUID_OK;
}

fluid_long_long_t Tell(void* handle) {
  return ::lseek(static_cast<SoundFontFile*>(handle)->fd, 0, SEEK_CUR);
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
