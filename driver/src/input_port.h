// One MIDI input port (a USB-MIDI cable): its client, the queue of client
// buffers, and the byte parser that turns the cable's bytes into MIM_DATA
// messages and system-exclusive blocks in those buffers.
//
// Thread rules: every member is guarded by `lock` (recursive, so a client
// may add buffers from inside its callback). The parser runs on the reader
// thread with the lock held and calls the client back with it held; it never
// allocates or blocks.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>

#include "client_binding.h"

namespace cvusb {

struct InputPort {
  std::recursive_mutex lock;
  std::atomic<bool> in_use{false};
  // Opened with MIDI_IO_BATCHED: the client takes late, exactly stamped
  // messages.
  std::atomic<bool> batched{false};
  ClientBinding client;
  bool started = false;
  uint32_t start_tick = 0;             // tick count at start, minus 1
  platform::MIDIHDR* queue = nullptr;  // head first, linked through lpNext
  // Parser state.
  uint8_t status = 0;       // current status byte, F0 while a block is open
  int expected = 0;         // data bytes the status takes
  int missing = 0;          // data bytes still to come
  uint32_t message = 0;     // status | data1 << 8 | data2 << 16
  uint32_t time_stamp = 0;  // of the message or block in progress, 0 if none
};

// Clears the client, the queue and the parser (at open).
void ResetInputPort(InputPort& port);

// Feeds one received byte with the tick count of the read that brought it.
void ParseInputByte(InputPort& port, uint8_t byte, uint32_t read_time);

// Appends a prepared header at the tail of the queue.
void QueueInputBuffer(InputPort& port, platform::MIDIHDR* header);

// Hands the head buffer back with MIM_LONGDATA when it holds at least one
// byte (the buffer in progress).
void HandBackHeadBuffer(InputPort& port);

// Hands back every queued buffer with MIM_LONGDATA and `time_stamp`.
void HandBackAllBuffers(InputPort& port, uint32_t time_stamp);

}  // namespace cvusb
