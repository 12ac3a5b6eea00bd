// Named mutexes that work across threads and processes, like Windows named
// mutexes in the global namespace. Backed by advisory file locks in the
// runtime directory, so a process that dies releases its locks.
//
// Thread rules: one NamedMutex object per owner; Lock blocks, TryLock never
// does; the lock is not recursive.
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
  // Waits up to timeout_ms on the current clock (polling); false on time-out.
  bool Lock(unsigned timeout_ms);
  void Unlock();

 private:
  int fd_ = -1;
  bool held_ = false;
};

}  // namespace platform
