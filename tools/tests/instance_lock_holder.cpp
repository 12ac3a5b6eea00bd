// instance_lock_holder EXECUTABLE: takes the application's instance lock,
// recording EXECUTABLE as the running program, prints "held" and keeps it
// until standard input closes.
#include <cstdio>

#include "platform/instance_lock.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  platform::InstanceLock lock;
  if (!lock.TryAcquire(argv[1])) {
    std::puts("busy");
    return 1;
  }
  std::puts("held");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  return 0;
}
