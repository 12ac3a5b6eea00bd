#include "core/device_handover.h"

#include <mutex>
#include <utility>
#include <vector>

#include "core/middleware.h"

namespace qm3 {

struct DeviceHandOver {
  std::mutex mu;  // held only to move work in or out, never while it runs
  std::vector<std::function<void()>> posted;
};

PartState<DeviceHandOver> MakeDeviceHandOver() {
  return MakePartState<DeviceHandOver>();
}

namespace {

DeviceHandOver& H() {
  return *TheMiddleware().handover;
}

// Per thread by nature: whether this thread is a device thread.
thread_local bool t_device_thread = false;

}  // namespace

void PostToOwner(std::function<void()> work) {
  DeviceHandOver& h = H();
  std::lock_guard lock(h.mu);
  h.posted.push_back(std::move(work));
}

void RunPostedWork() {
  DeviceHandOver& h = H();
  std::vector<std::function<void()>> work;
  {
    std::lock_guard lock(h.mu);
    work.swap(h.posted);
  }
  for (auto& w : work) w();
}

void DropPostedWork() {
  DeviceHandOver& h = H();
  std::lock_guard lock(h.mu);
  h.posted.clear();
}

DeviceThreadScope::DeviceThreadScope() : was_device_(t_device_thread) {
  t_device_thread = true;
}
DeviceThreadScope::~DeviceThreadScope() {
  t_device_thread = was_device_;
}
bool OnDeviceThread() {
  return t_device_thread;
}

}  // namespace qm3
