// Stream buffers of any content, played on the virtual clock: the event
// walker stays inside the buffer, every buffer comes back done, and nothing
// hangs.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/loopback.h"
#include "platform/mmsystem.h"

using namespace platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const UINT id = [] {
    CreateLoopbackOutput("Fuzz");
    for (UINT i = 0; i < midiOutGetNumDevs(); ++i) {
      MIDIOUTCAPS caps{};
      if (midiOutGetDevCaps(i, &caps, sizeof caps) == 0 &&
          std::string_view(caps.szPname) == "Fuzz") {
        return i;
      }
    }
    std::abort();
  }();
  UseVirtualClock();
  UINT dev = id;
  HMIDISTRM h = nullptr;
  if (midiStreamOpen(&h, &dev, 1, 0, 0, CALLBACK_NULL) != 0) std::abort();
  if (size >= 2) {
    MIDIPROPTIMEDIV div{sizeof div, DWORD(data[0]) << 8 | data[1]};
    midiStreamProperty(h, reinterpret_cast<BYTE*>(&div), MIDIPROP_SET | MIDIPROP_TIMEDIV);
  }
  // Deltas are capped so that one input plays in bounded virtual time.
  std::vector<uint8_t> bytes(data, data + size);
  for (size_t i = 0; i + 12 <= bytes.size(); i += 12) bytes[i + 2] = bytes[i + 3] = 0;
  MIDIHDR hdr{};
  hdr.lpData = reinterpret_cast<LPSTR>(bytes.data());
  hdr.dwBufferLength = hdr.dwBytesRecorded = DWORD(bytes.size());
  if (!bytes.empty()) {
    midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(h), &hdr, sizeof hdr);
    midiStreamOut(h, &hdr, sizeof hdr);
  }
  midiStreamRestart(h);
  for (int i = 0; i < 1000 && !bytes.empty() && !(hdr.dwFlags & MHDR_DONE); ++i) Sleep(1000);
  if (midiStreamClose(h) != 0) std::abort();
  if (!bytes.empty() && (hdr.dwFlags & MHDR_INQUEUE)) std::abort();
  TakeLoopbackOutput("Fuzz");
  UseRealClock();
  return 0;
}
