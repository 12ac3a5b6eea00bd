// Fuzzes the input side: arbitrary bytes as bulk IN reads, walked as
// USB-MIDI packets and parsed by the 16 input ports with small client
// buffers. Every callback is checked: buffers come back done, never
// overfilled, never twice.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <set>

#include "input_port.h"
#include "usb_midi_packet.h"

using namespace platform;

namespace {

std::set<const MIDIHDR*>* g_returned = nullptr;

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

// Stands in for the platform's DriverCallback in this program.
extern "C" int DriverCallback(DWORD_PTR, DWORD, HDRVR, DWORD message, DWORD_PTR, DWORD_PTR param1,
                              DWORD_PTR param2) {
  if (message == MIM_LONGDATA) {
    const auto* header = reinterpret_cast<const MIDIHDR*>(param1);
    Check(header->dwBytesRecorded <= header->dwBufferLength);
    Check((header->dwFlags & MHDR_DONE) != 0 && (header->dwFlags & MHDR_INQUEUE) == 0);
    Check(g_returned->insert(header).second);
  } else {
    Check(message == MIM_DATA);
    Check(param2 != 0);
    Check((param1 & 0x80) != 0 && param1 <= 0xFFFFFF);
  }
  return 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // Two bytes of set-up: buffer length and count, whether ports are started.
  const size_t buffer_length = data[0] & 0x3F;
  const int buffers = (data[1] & 0x07) + 1;
  const bool started = (data[1] & 0x08) == 0;
  data += 2;
  size -= 2;

  std::set<const MIDIHDR*> returned;
  g_returned = &returned;
  auto ports = std::make_unique<cvusb::InputPort[]>(16);
  std::unique_ptr<char[]> storage[16][8];
  MIDIHDR headers[16][8] = {};
  for (int cable = 0; cable < 16; ++cable) {
    MIDIOPENDESC desc{};
    desc.dwCallback = 1;
    ports[cable].client = cvusb::BindClient(desc, CALLBACK_FUNCTION);
    ports[cable].started = started;
    ports[cable].start_tick = 10;
    for (int b = 0; b < buffers; ++b) {
      storage[cable][b] = std::make_unique<char[]>(buffer_length);
      headers[cable][b].lpData = storage[cable][b].get();
      headers[cable][b].dwBufferLength = static_cast<DWORD>(buffer_length);
      headers[cable][b].dwFlags = MHDR_PREPARED | MHDR_INQUEUE;
      cvusb::QueueInputBuffer(ports[cable], &headers[cable][b]);
    }
  }
  // Reads of up to 32 bytes, as the reader makes them; a short read may end
  // in a partial packet.
  uint32_t read_time = 20;
  while (size > 0) {
    const size_t n = size < 32 ? size : 32;
    cvusb::ForEachPacket(data, n, [&](uint8_t cable, const uint8_t* bytes, int count) {
      for (int i = 0; i < count; ++i) cvusb::ParseInputByte(ports[cable], bytes[i], read_time);
    });
    data += n;
    size -= n;
    ++read_time;
  }
  for (int cable = 0; cable < 16; ++cable) {
    cvusb::HandBackHeadBuffer(ports[cable]);
    cvusb::HandBackAllBuffers(ports[cable], 1);
    Check(ports[cable].queue == nullptr);
  }
  Check(returned.size() == static_cast<size_t>(16 * buffers));
  g_returned = nullptr;
  return 0;
}
