#include "driver_fixture.h"

#include <stdlib.h>

#include <mutex>

using namespace platform;

namespace {

std::mutex g_events_mu;
std::vector<CallbackEvent> g_events;

void RecordingCallback(HMIDI, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                       DWORD_PTR param2) {
  RecordCallback(message, instance, param1, param2);
}

DWORD Open(UINT message, unsigned device, bool with_callback, DWORD extra_flags = 0) {
  MIDIOPENDESC desc{};
  desc.hMidi = reinterpret_cast<HMIDI>(FakeHandle(device));
  desc.dwCallback = with_callback ? reinterpret_cast<DWORD_PTR>(&RecordingCallback) : 0;
  desc.dwInstance = device;
  DWORD_PTR instance = 0;
  const DWORD flags = (with_callback ? CALLBACK_FUNCTION : CALLBACK_NULL) | extra_flags;
  return message == MODM_OPEN
             ? modMessage(device, MODM_OPEN, reinterpret_cast<DWORD_PTR>(&instance),
                          reinterpret_cast<DWORD_PTR>(&desc), flags)
             : midMessage(device, MIDM_OPEN, reinterpret_cast<DWORD_PTR>(&instance),
                          reinterpret_cast<DWORD_PTR>(&desc), flags);
}

}  // namespace

void IsolateDriverEnvironment() {
  const char* shared = getenv("SONAVEX_TEST_RUNTIME_DIR");
  if (shared != nullptr) {
    setenv("XDG_RUNTIME_DIR", shared, 1);
  } else {
    char dir[] = "/tmp/cvusb-test-XXXXXX";
    if (mkdtemp(dir) != nullptr) setenv("XDG_RUNTIME_DIR", dir, 1);
  }
  unsetenv("SONAVEX_MODULE_SOCKET");
  setenv("SONAVEX_CVUSB_INF", "/nonexistent/usbcvmid.inf", 1);
}

std::vector<CallbackEvent> TakeCallbackEvents() {
  std::lock_guard lock(g_events_mu);
  std::vector<CallbackEvent> out;
  out.swap(g_events);
  return out;
}

void RecordCallback(UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR param2) {
  std::lock_guard lock(g_events_mu);
  g_events.push_back({message, instance, param1, param2});
}

DWORD OpenOutputPort(unsigned device, bool with_callback) {
  return Open(MODM_OPEN, device, with_callback);
}

DWORD OpenInputPort(unsigned device, bool with_callback, DWORD flags) {
  return Open(MIDM_OPEN, device, with_callback, flags);
}

DWORD_PTR FakeHandle(unsigned device) {
  return 0x1000 + device;
}
