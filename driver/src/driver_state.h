// The driver's process-wide state: the initialised and device-available
// flags, the global lock that orders opening and closing of both
// directions, the counts of open clients, 16 output client slots and 16
// input ports (the input port index is the USB-MIDI cable number).
//
// Thread rules: the counts change only under `global_lock` (recursive, like
// the critical sections it stands for); each slot and port has its own lock.
#pragma once
#include <atomic>
#include <mutex>

#include "client_binding.h"
#include "input_port.h"

namespace cvusb {

constexpr unsigned kMaxPorts = 16;
constexpr unsigned kDevicesPerDirection = 2;

struct OutputSlot {
  std::recursive_mutex lock;
  std::atomic<bool> in_use{false};
  ClientBinding client;  // written under the global lock while not in use
};

struct DriverState {
  std::atomic<bool> initialised{false};
  std::atomic<bool> device_available{false};
  std::recursive_mutex global_lock;
  int open_outputs = 0;
  int open_inputs = 0;
  OutputSlot outputs[kMaxPorts];
  InputPort inputs[kMaxPorts];
};

DriverState& Driver();

// Once per process (again after ShutDownDriver): flags, slots, ports, the
// I/O mutex, an empty output ring.
void InitialiseDriver();
// Stops the transfer threads, closes pipes, the side mutexes and the I/O
// mutex.
void ShutDownDriver();
// Ports of each direction: 2 when the device is available, else 0.
unsigned DeviceCount();

// The messages that modMessage and midMessage answer alike: the port count
// (`get_num_devs` is the direction's own number), init, enable, exit and
// disable. True when `message` was one of them, with its result in *result.
bool CommonPortMessage(platform::UINT message, platform::UINT get_num_devs,
                       platform::DWORD* result);

}  // namespace cvusb
