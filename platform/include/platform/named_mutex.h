// Named mutexes that work across threads and processes, like Windows named
// mutexes in the global namespace. Backed by advisory file locks in the
// runtime directory, so a process that dies releases its locks.
//
// Waits for another process are on the real clock: virtual time cannot move
// another process, so a participant polling the virtual clock for a lock that
// another process holds would wait forever.
//
// Thread rules: one NamedMutex object per owner; Lock blocks, TryLock never
// does; the lock is not recursive. Two objects of one name in one process
// exclude each other like two processes do. Never wait in Lock while holding
// a lock that a virtual-clock participant may block on.
#pragma once
#include <string>

namespace platform {

class NamedMutex {
 public:
  explicit NamedMutex(const std::string& name);
  ~NamedMutex();
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;

  bool valid() const { return fd_ >= 0; }
  bool TryLock();
  // Waits up to timeout_ms of the real clock (polling); false on time-out.
  bool Lock(unsigned timeout_ms);
  void Unlock();

  // The pause between two polls of a cross-process lock, on the real clock
  // whichever clock is in use.
  static void SleepRealClock(unsigned ms);

 private:
  int fd_ = -1;
  bool held_ = false;
};

}  // namespace platform
