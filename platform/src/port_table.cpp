// Port lists in device-number order and the registry of live handles.
#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "midi_ports.h"
#include "platform/mmddk.h"

namespace platform {
namespace {

std::mutex g_handles_mu;
std::unordered_set<const void*>& Handles() {
  static std::unordered_set<const void*> handles;
  return handles;
}

}  // namespace

bool ClientCallback::Send(UINT msg, DWORD_PTR p1, DWORD_PTR p2) const {
  const DWORD type = (flags & CALLBACK_TYPEMASK) >> 16;
  if (type == DCB_NULL) return true;
  return DriverCallback(callback, type, static_cast<HDRVR>(handle), msg, instance, p1, p2) != 0;
}

std::vector<std::shared_ptr<OutPort>> OutPorts() {
  std::vector<std::shared_ptr<OutPort>> ports;
  AppendDriverOutPorts(ports);
  AppendLoopbackOutPorts(ports);
  AppendAlsaOutPorts(ports);
  return ports;
}

std::vector<std::shared_ptr<InPort>> InPorts() {
  std::vector<std::shared_ptr<InPort>> ports;
  AppendDriverInPorts(ports);
  AppendLoopbackInPorts(ports);
  AppendAlsaInPorts(ports);
  return ports;
}

void CopyPortName(char (&dst)[MAXPNAMELEN], const std::string& name) {
  const size_t n = std::min<size_t>(name.size(), MAXPNAMELEN - 1);
  std::memcpy(dst, name.data(), n);
  std::memset(dst + n, 0, MAXPNAMELEN - n);
}

void RegisterHandle(MidiHandle* h) {
  std::lock_guard lock(g_handles_mu);
  Handles().insert(h);
}

void UnregisterHandle(MidiHandle* h) {
  std::lock_guard lock(g_handles_mu);
  Handles().erase(h);
}

MidiHandle* FindHandle(const void* h, MidiHandle::Kind a, MidiHandle::Kind b) {
  if (h == nullptr) return nullptr;
  std::lock_guard lock(g_handles_mu);
  if (Handles().count(h) == 0) return nullptr;
  auto* mh = static_cast<MidiHandle*>(const_cast<void*>(h));
  return (mh->kind == a || mh->kind == b) ? mh : nullptr;
}

MidiHandle* FindHandle(const void* h, MidiHandle::Kind a) {
  return FindHandle(h, a, a);
}

MMRESULT CheckHeader(const MIDIHDR* hdr, UINT cb) {
  if (hdr == nullptr || cb < sizeof(MIDIHDR)) return MMSYSERR_INVALPARAM;
  return MMSYSERR_NOERROR;
}

}  // namespace platform
