// In-memory MIDI ports for tests and tools: named output ports that record
// every message sent to them with its clock time, and named input ports that
// deliver injected bytes to their clients. They are listed by midiOut*/
// midiIn* after the driver ports and before the ALSA ports.
//
// Thread rules: any thread. Sends are recorded under a short lock; injected
// bytes are parsed and their callbacks run on the injecting thread.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

struct LoopbackMessage {
  uint64_t time_us = 0;        // GetMicroseconds when the port received it
  std::vector<uint8_t> bytes;  // one short message, or a long buffer whole

  bool operator==(const LoopbackMessage&) const = default;
};

// 0 on success, -1 when the name is taken or null. Ports added while
// handles are open get the next device numbers.
int CreateLoopbackOutput(const char* name);
int CreateLoopbackInput(const char* name);
// Removes the port from the lists; open handles keep working until closed.
void RemoveLoopbackOutput(const char* name);
void RemoveLoopbackInput(const char* name);
void RemoveAllLoopbackPorts();

// Messages received by the output port so far, oldest first; Take empties.
std::vector<LoopbackMessage> PeekLoopbackOutput(const char* name);
std::vector<LoopbackMessage> TakeLoopbackOutput(const char* name);

// Called on the sending thread for every message the output port receives.
// Null clears it.
using LoopbackObserver = void (*)(void* ctx, uint64_t time_us, const uint8_t* bytes, size_t n);
void SetLoopbackObserver(const char* name, LoopbackObserver fn, void* ctx);

// Delivers bytes as received now by the input port; -1 when absent.
int InjectLoopbackInput(const char* name, const uint8_t* bytes, size_t n);

}  // namespace platform
