#include <spawn.h>
#include <sys/types.h>

#include <cstdlib>

#include "platform/shell.h"

extern char** environ;

namespace platform {

bool ShellOpen(const std::string& path) {
  const char* opener = std::getenv("SONAVEX_OPENER");
  if (opener == nullptr || *opener == '\0') opener = "xdg-open";
  std::string program = opener;
  std::string argument = path;
  char* argv[] = {program.data(), argument.data(), nullptr};
  posix_spawnattr_t attributes;
  if (posix_spawnattr_init(&attributes) != 0) return false;
  // Its own session, so that closing our terminal does not end the opener.
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  pid_t child = 0;
  const int rc = posix_spawnp(&child, program.c_str(), nullptr, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  return rc == 0;
}

}  // namespace platform
