// Drives the exported value calls with arbitrary identifiers, commands,
// values and typed text: every call must return a defined code without
// touching memory it does not own. Identifiers whose reactions start
// playback, recording or file work are left out (their pointer arguments
// cannot come from outside bytes).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "core/middleware.h"
#include "qm3middle.h"

namespace {

bool Excluded(long id) {
  const int group = (id >> 8) & 0xFF;
  if (group == qm3::kGroupTransport) return id != qm3::kMainVolume;
  if (group == qm3::kGroupMenu) return id != qm3::kMenuPreCount;
  if (group == qm3::kGroupRealTime) return (id & 0xFF) >= 0x04 && (id & 0xFF) <= 0x21;
  return id == qm3::kCreateSongButton || id == qm3::kPlayTimeCancel;
}

// Processes whose arguments are plain numbers.
bool SafeProcess(int n) {
  switch (n) {
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 14:
    case 15:
    case 20:
    case 31:
    case 32:
    case 36:
    case 37:
    case 38:
    case 39:
      return true;
    default:
      return false;
  }
}

int32_t Read32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return static_cast<int32_t>(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qm3::StartMiddleware();
  constexpr size_t kOp = 12;
  size_t pos = 0;
  while (pos + kOp <= size) {
    const uint8_t* op = data + pos;
    pos += kOp;
    const signed char cmd = static_cast<signed char>(op[1]);
    long id = op[2] | (op[3] << 8);
    const long v1 = Read32(op + 4);
    const long v2 = Read32(op + 8);
    if ((id >> 8) == qm3::kGroupProcess && !SafeProcess(id & 0xFF)) continue;
    long a = v1;
    long b = v2;
    char text[256];
    switch (op[0] % 5) {
      case 0:
        if (!Excluded(id)) QM3SetValue(id, cmd, v1, v2);
        break;
      case 1:
        if (cmd == 5) a = reinterpret_cast<long>(text);
        if (cmd == 6 || cmd == 7) break;  // function pointers out
        QM3GetValue(id, cmd, &a, &b);
        break;
      case 2:
        QM3GetValueStr(id, v1, text);
        break;
      case 3: {
        // The rest of the input, cut to a host text buffer, as typed text.
        const size_t n = std::min<size_t>(size - pos, sizeof text - 1);
        std::memcpy(text, data + pos, n);
        text[n] = '\0';
        pos += n;
        QM3GetStrValue(id, text, &a);
        break;
      }
      default:
        if (SafeProcess(static_cast<int>(v1 & 0xFF))) QM3GetValueFunc(v1 & 0xFF, &a, &b);
        break;
    }
  }
  return 0;
}
