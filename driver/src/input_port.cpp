#include "input_port.h"

namespace cvusb {
namespace {

using platform::MHDR_DONE;
using platform::MHDR_INQUEUE;

// Milliseconds since start for a byte read at `read_time`; 0 (nothing is
// delivered) while stopped and for bytes read before the port started.
uint32_t StampFor(const InputPort& port, uint32_t read_time) {
  if (!port.started) return 0;
  const int32_t since_start = static_cast<int32_t>(read_time - port.start_tick);
  return since_start > 0 ? static_cast<uint32_t>(since_start) : 0;
}

void Deliver(InputPort& port, uint32_t message, uint32_t time_stamp) {
  if (port.started && time_stamp != 0) {
    NotifyClient(port.client, platform::MIM_DATA, message, time_stamp);
  }
}

void GiveBack(InputPort& port, platform::MIDIHDR* header, uint32_t time_stamp) {
  header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
  NotifyClient(port.client, platform::MIM_LONGDATA, reinterpret_cast<platform::DWORD_PTR>(header),
               time_stamp);
}

// A byte of the open block goes to the head buffer; a buffer that fills is
// handed back at once and the rest of the block is dropped (its time stamp
// is then 0).
void AppendBlockByte(InputPort& port, uint8_t byte) {
  platform::MIDIHDR* head = port.queue;
  if (port.time_stamp == 0 || head == nullptr || head->lpData == nullptr) return;
  if (head->dwBytesRecorded >= head->dwBufferLength) return;
  head->lpData[head->dwBytesRecorded++] = static_cast<char>(byte);
  if (head->dwBytesRecorded >= head->dwBufferLength) HandBackHeadBuffer(port);
}

void SetStatus(InputPort& port, uint8_t status, int expected) {
  port.status = status;
  port.expected = port.missing = expected;
  port.message = status;
}

void ParseDataByte(InputPort& port, uint8_t byte, uint32_t read_time) {
  if (port.status == 0xF0) {
    AppendBlockByte(port, byte);
    return;
  }
  if (port.status == 0 || port.missing <= 0) return;  // no status wants it
  if (port.missing == port.expected) port.time_stamp = StampFor(port, read_time);
  const int index = port.expected - port.missing;
  port.message |= static_cast<uint32_t>(byte) << (8 * (index + 1));
  if (--port.missing == 0) {
    Deliver(port, port.message, port.time_stamp);
    // Ready for running status.
    port.missing = port.expected;
    port.time_stamp = 0;
    port.message = port.status;
  }
}

}  // namespace

void ResetInputPort(InputPort& port) {
  port.client = ClientBinding{};
  port.batched = false;
  port.started = false;
  port.start_tick = 0;
  port.queue = nullptr;
  port.status = 0;
  port.expected = port.missing = 0;
  port.message = 0;
  port.time_stamp = 0;
}

void ParseInputByte(InputPort& port, uint8_t byte, uint32_t read_time) {
  if (byte < 0x80) {
    ParseDataByte(port, byte, read_time);
    return;
  }
  if (byte >= 0xF8) {
    // Real-time bytes pass through a message or block without touching it.
    Deliver(port, byte, StampFor(port, read_time));
    return;
  }
  if (port.status == 0xF0) {
    // Any status ends the open block; F7 is consumed by it.
    AppendBlockByte(port, 0xF7);
    HandBackHeadBuffer(port);
    SetStatus(port, 0, 0);
    if (byte == 0xF7) return;
  }
  if (byte < 0xF0) {
    SetStatus(port, byte, (byte & 0xE0) == 0xC0 ? 1 : 2);
    return;
  }
  switch (byte) {
    case 0xF0:
      SetStatus(port, 0xF0, 0);
      port.time_stamp = StampFor(port, read_time);
      AppendBlockByte(port, 0xF0);
      break;
    case 0xF1:
    case 0xF3:
      SetStatus(port, byte, 1);
      break;
    case 0xF2:
      SetStatus(port, byte, 2);
      break;
    case 0xF7:
      break;  // an end without a block
    default:  // F4, F5, F6: complete in one byte
      SetStatus(port, byte, 0);
      Deliver(port, byte, StampFor(port, read_time));
      break;
  }
}

void QueueInputBuffer(InputPort& port, platform::MIDIHDR* header) {
  header->lpNext = nullptr;
  platform::MIDIHDR** tail = &port.queue;
  while (*tail != nullptr) tail = &(*tail)->lpNext;
  *tail = header;
}

void HandBackHeadBuffer(InputPort& port) {
  platform::MIDIHDR* head = port.queue;
  if (head == nullptr || head->dwBytesRecorded == 0) return;
  port.queue = head->lpNext;
  head->lpNext = nullptr;
  const uint32_t time_stamp = port.time_stamp;
  port.time_stamp = 0;
  GiveBack(port, head, time_stamp);
}

void HandBackAllBuffers(InputPort& port, uint32_t time_stamp) {
  while (port.queue != nullptr) {
    platform::MIDIHDR* head = port.queue;
    port.queue = head->lpNext;
    head->lpNext = nullptr;
    GiveBack(port, head, time_stamp);
  }
}

}  // namespace cvusb
