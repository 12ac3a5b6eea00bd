#include "midi/chase_state.h"

#include <cstring>

#include "midi/module_messages.h"

namespace qm3::midi {
namespace {

// The parameter message's header after its F0 (the event carries no F0).
constexpr const uint8_t* kParamHeader = midibytes::kParameterHeader.data() + 1;
constexpr size_t kParamHeaderSize = midibytes::kParameterHeader.size() - 1;

}  // namespace

void ChaseState::Reset() {
  std::memset(static_cast<void*>(this), kNotSeen, sizeof *this);
}

void ChaseState::AbsorbChannel(const SeqEvent& e, bool muted) {
  ChannelChase& c = channels[e.status & 0x0F];
  switch (e.status & 0xF0) {
    case 0x80:
    case 0x90:
      if (!muted) c.key_velocity[e.data1] = (e.status & 0xF0) == 0x90 ? e.data2 : 0;
      break;
    case 0xB0: {
      const uint8_t cc = e.data1;
      const uint8_t v = e.data2;
      if (cc >= 120) break;
      if ((cc == 6 || cc == 38) && c.rpn_selected != kNotSeen) {
        c.rpn_data[c.rpn_selected][cc == 6 ? 0 : 1] = v;
      }
      if (cc == 98 || cc == 99) {
        c.rpn_selected = kNotSeen;
      } else if (cc == 100) {
        c.rpn_selected = (c.controllers[101] == 0 && v <= 2) ? v : kNotSeen;
      } else if (cc == 101) {
        c.rpn_selected = (v == 0 && c.controllers[100] < 3) ? c.controllers[100] : kNotSeen;
      }
      c.controllers[cc] = v;
      break;
    }
    case 0xC0:
      c.program = e.data1;
      break;
    case 0xE0:
      c.pitch_bend = {e.data1, e.data2};
      break;
    default:
      break;
  }
}

void ChaseState::AbsorbSysEx(const SeqEvent& e) {
  const uint8_t* d = e.bytes;
  if (e.length == 5 && d[0] == 0x7E && d[1] == 0x7F && d[2] == 0x09 && d[4] == 0xF7) {
    if (d[3] == 0x01) gm_flag = 1;
    if (d[3] == 0x02) gm_flag = 0;
    return;
  }
  // Only the module's own parameter messages carry chased parameters.
  if (e.length < 13 || std::memcmp(d, kParamHeader, kParamHeaderSize) != 0) return;
  for (int i = 0; i < kParamCount; ++i) {
    const auto& a = kParamAddresses[i];
    if (d[5] != a[0] || d[6] != a[1] || d[7] != a[2]) continue;
    params[i][0] = d[11];
    params[i][1] = d[12];
    if (i == 1 && e.length >= 15) {
      params[i][2] = d[13];
      params[i][3] = d[14];
    }
  }
}

bool ChaseState::WriteParameters(StreamWriter& w) const {
  for (int i = 0; i < kParamCount; ++i) {
    const auto& v = params[i];
    if (v[0] == kNotSeen) continue;
    if (i == 5) continue;  // remembered, not written
    const ParameterAddress addr = {kParamAddresses[i][0], kParamAddresses[i][1],
                                   kParamAddresses[i][2], 0x00};
    if (i == 6) {
      const int value = (v[0] << 4) | v[1];
      if (value < 1 || value > 254) continue;
    }
    ParameterMessage m;
    if (i == 1) {
      const uint8_t halves[4] = {v[0], v[1], v[2] == kNotSeen ? uint8_t{0} : v[2],
                                 v[3] == kNotSeen ? uint8_t{0} : v[3]};
      m = MakeParameter2(addr, halves);
    } else {
      m = MakeParameter(addr, v[0], v[1]);
    }
    if (!w.Long(0, m.bytes.data(), m.size)) return false;
  }
  return true;
}

bool ChaseState::WriteChannels(StreamWriter& w) const {
  for (int ch = 0; ch < 16; ++ch) {
    const ChannelChase& c = channels[ch];
    const uint8_t cc = static_cast<uint8_t>(0xB0 | ch);
    for (uint8_t p = 0; p < 3; ++p) {
      const auto& d = c.rpn_data[p];
      if (d[0] == kNotSeen && d[1] == kNotSeen) continue;
      if (!w.Short(0, ShortMessage(cc, 100, p)) || !w.Short(0, ShortMessage(cc, 101, 0)) ||
          !w.Short(0, ShortMessage(cc, 6, d[0] == kNotSeen ? 0 : d[0])) ||
          !w.Short(0, ShortMessage(cc, 38, d[1] == kNotSeen ? 0 : d[1]))) {
        return false;
      }
    }
  }
  for (int ch = 0; ch < 16; ++ch) {
    const ChannelChase& c = channels[ch];
    if (c.pitch_bend[0] != kNotSeen &&
        !w.Short(0,
                 ShortMessage(static_cast<uint8_t>(0xE0 | ch), c.pitch_bend[0], c.pitch_bend[1]))) {
      return false;
    }
  }
  for (int ch = 0; ch < 16; ++ch) {
    const ChannelChase& c = channels[ch];
    const uint8_t cc = static_cast<uint8_t>(0xB0 | ch);
    for (uint8_t n = 1; n < 120; ++n) {
      if (n == 6 || n == 32 || n == 38 || (n >= 96 && n <= 101)) continue;
      if (c.controllers[n] != kNotSeen && !w.Short(0, ShortMessage(cc, n, c.controllers[n]))) {
        return false;
      }
    }
  }
  for (int ch = 0; ch < 16; ++ch) {
    const ChannelChase& c = channels[ch];
    if (c.program == kNotSeen) continue;
    const uint8_t cc = static_cast<uint8_t>(0xB0 | ch);
    if (c.controllers[0] != kNotSeen && !w.Short(0, ShortMessage(cc, 0, c.controllers[0]))) {
      return false;
    }
    if (c.controllers[32] != kNotSeen && !w.Short(0, ShortMessage(cc, 32, c.controllers[32]))) {
      return false;
    }
    if (!w.Short(0, ShortMessage(static_cast<uint8_t>(0xC0 | ch), c.program, 0))) return false;
  }
  return true;
}

bool ChaseState::WriteHeldChords(StreamWriter& w, int channel) const {
  const ChannelChase& c = channels[channel];
  for (uint8_t key = 0; key < 128; ++key) {
    const uint8_t v = c.key_velocity[key];
    if (v == kNotSeen || v == 0) continue;
    if (!w.Short(0, ShortMessage(static_cast<uint8_t>(0x90 | channel), key, v))) return false;
  }
  return true;
}

}  // namespace qm3::midi
