// Shared test support: isolates the named mutexes and the module socket of
// a test process, opens ports through the entry points, and records the
// callbacks the driver makes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cvusb_entry.h"
#include "platform/clock.h"

struct CallbackEvent {
  platform::UINT message;
  platform::DWORD_PTR instance;
  platform::DWORD_PTR param1;
  platform::DWORD_PTR param2;
  bool operator==(const CallbackEvent&) const = default;
};

// Gives this process its own runtime folder (named mutexes, module socket)
// unless SONAVEX_TEST_RUNTIME_DIR names a shared one, and turns off the
// hardware route. Call before the driver loads.
void IsolateDriverEnvironment();

// Events recorded by the test DriverCallback (function callbacks only).
std::vector<CallbackEvent> TakeCallbackEvents();
void RecordCallback(platform::UINT message, platform::DWORD_PTR instance,
                    platform::DWORD_PTR param1, platform::DWORD_PTR param2);

// Opens a port with a function callback that records events; instance is
// the device number. Returns the driver's result.
platform::DWORD OpenOutputPort(unsigned device, bool with_callback = true);
// `flags` adds open flags (MIDI_IO_BATCHED) to the callback's.
platform::DWORD OpenInputPort(unsigned device, bool with_callback = true,
                              platform::DWORD flags = 0);
platform::DWORD_PTR FakeHandle(unsigned device);

// Waits for the driver's threads in 1 ms steps of the platform clock until
// `done` holds or `limit_ms` steps have passed. Tests inside one process run
// on the virtual clock, where the limit is virtual time and the steps at
// which `done` turns true are the same on every run.
template <typename Pred>
bool WaitFor(Pred done, unsigned limit_ms = 5000) {
  for (unsigned i = 0; i < limit_ms; ++i) {
    if (done()) return true;
    platform::Sleep(1);
  }
  return done();
}
