// Received MIDI bytes of any kind: the input parser never writes outside the
// client's buffers and hands back only what it recorded.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/loopback.h"
#include "platform/mmsystem.h"

using namespace platform;

namespace {

void Callback(HMIDIIN, UINT msg, DWORD_PTR, DWORD_PTR p1, DWORD_PTR) {
  if (msg != MIM_LONGDATA) return;
  const auto* hdr = reinterpret_cast<const MIDIHDR*>(p1);
  if (hdr->dwBytesRecorded > hdr->dwBufferLength || !(hdr->dwFlags & MHDR_DONE)) std::abort();
}

UINT InputId() {
  for (UINT i = 0; i < midiInGetNumDevs(); ++i) {
    MIDIINCAPS caps{};
    if (midiInGetDevCaps(i, &caps, sizeof caps) == 0 && std::string_view(caps.szPname) == "Fuzz") {
      return i;
    }
  }
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const UINT id = [] {
    CreateLoopbackInput("Fuzz");
    return InputId();
  }();
  HMIDIIN h = nullptr;
  if (midiInOpen(&h, id, reinterpret_cast<DWORD_PTR>(&Callback), 0, CALLBACK_FUNCTION) != 0) {
    std::abort();
  }
  // Buffer sizes come from the first byte, so tiny and odd sizes are covered.
  const size_t sizes[3] = {size > 0 ? 1 + data[0] % 7u : 3, 5, 64};
  std::vector<char> storage[3];
  MIDIHDR hdrs[3] = {};
  for (int i = 0; i < 3; ++i) {
    storage[i].resize(sizes[i]);
    hdrs[i].lpData = storage[i].data();
    hdrs[i].dwBufferLength = DWORD(sizes[i]);
    midiInPrepareHeader(h, &hdrs[i], sizeof(MIDIHDR));
    midiInAddBuffer(h, &hdrs[i], sizeof(MIDIHDR));
  }
  midiInStart(h);
  // Fed in two pieces so that messages split across reads are covered.
  const size_t half = size / 2;
  InjectLoopbackInput("Fuzz", data, half);
  InjectLoopbackInput("Fuzz", data + half, size - half);
  midiInReset(h);
  for (auto& hdr : hdrs) {
    if (hdr.dwFlags & MHDR_INQUEUE) std::abort();
    midiInUnprepareHeader(h, &hdr, sizeof(MIDIHDR));
  }
  if (midiInClose(h) != 0) std::abort();
  return 0;
}
