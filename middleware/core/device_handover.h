// One threading model for the value table: the host thread owns it. The
// play thread and the capture and input callbacks (device threads) never
// write it; they post the change as work that the owner runs at the start
// of its next exported call, and notify the host as before, so the host's
// read that follows a notification already sees the new value.
//
// A debug build checks the rule: a value-table write from a thread marked
// as a device thread stops the program.
//
// Thread rules: PostToOwner and DeviceThreadScope on any thread;
// RunPostedWork on the host thread (every exported call runs it first).
// Posting takes a short lock and never waits on a clock.
#pragma once
#include <functional>

namespace qm3 {

// Runs `work` on the owner at its next exported call. `work` must not
// capture state of the posting thread that may be gone by then.
void PostToOwner(std::function<void()> work);
// Runs what device threads posted, in the order posted (host thread).
void RunPostedWork();
// Drops what was posted and not yet run (a new instance starts clean).
void DropPostedWork();

// Marks the current thread as a device thread while it lives.
class DeviceThreadScope {
 public:
  DeviceThreadScope();
  ~DeviceThreadScope();
  DeviceThreadScope(const DeviceThreadScope&) = delete;
  DeviceThreadScope& operator=(const DeviceThreadScope&) = delete;

 private:
  bool was_device_;
};
bool OnDeviceThread();

}  // namespace qm3
