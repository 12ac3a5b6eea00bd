#include "platform/program_folder.h"

#include <unistd.h>

#include <climits>

namespace platform {

std::string ProgramFolder() {
  char path[PATH_MAX + 1];
  const ssize_t n = readlink("/proc/self/exe", path, PATH_MAX);
  if (n <= 0) return {};
  const std::string file(path, static_cast<size_t>(n));
  const size_t slash = file.rfind('/');
  return slash == std::string::npos ? std::string() : file.substr(0, slash);
}

}  // namespace platform
