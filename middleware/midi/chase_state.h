// What a play from the middle of a song must restore: tempo, General MIDI
// mode, the module's rhythm parameters and, per channel, program, controllers,
// registered parameters, pitch bend and held keys. Filled by reading every
// event before the start tick, then written out as set-up events.
//
// Thread rules: plain data; no allocation; used on the play thread.
#pragma once
#include <array>
#include <cstdint>

#include "midi/sequence_file.h"
#include "midi/stream_writer.h"

namespace qm3::midi {

inline constexpr uint8_t kNotSeen = 0xFF;

struct ChannelChase {
  uint8_t program;
  std::array<uint8_t, 120> controllers;
  uint8_t rpn_selected;                            // 0..2, or kNotSeen
  std::array<std::array<uint8_t, 2>, 3> rpn_data;  // coarse, fine
  std::array<uint8_t, 2> pitch_bend;
  std::array<uint8_t, 128> key_velocity;  // 0 released
};

struct ChaseState {
  // The module parameters that are chased, in the order they are written.
  static constexpr int kParamCount = 8;
  static constexpr std::array<std::array<uint8_t, 3>, kParamCount> kParamAddresses = {{
      {0x00, 0x00, 0x13},  // 00 00 13 00
      {0x0A, 0x00, 0x00},  // rhythm set-up (two values)
      {0x0A, 0x00, 0x03},
      {0x0A, 0x00, 0x02},  // play mode
      {0x0A, 0x00, 0x09},
      {0x0A, 0x00, 0x0A},  // remembered, never written
      {0x0A, 0x00, 0x0C},
      {0x0A, 0x00, 0x0E},
  }};

  std::array<uint8_t, 3> tempo;
  uint8_t gm_flag;
  std::array<std::array<uint8_t, 4>, kParamCount> params;  // value halves
  std::array<ChannelChase, 16> channels;

  void Reset();
  // `muted(channel)` drops note events of muted parts.
  template <typename MutedFn>
  void Absorb(const SeqEvent& e, MutedFn muted);
  void AbsorbChannel(const SeqEvent& e, bool muted);
  void AbsorbSysEx(const SeqEvent& e);

  // Writes the restoring events (steps of the seek after the tempo event).
  bool WriteParameters(StreamWriter& w) const;
  bool WriteChannels(StreamWriter& w) const;
  bool WriteHeldChords(StreamWriter& w, int channel) const;
};

template <typename MutedFn>
void ChaseState::Absorb(const SeqEvent& e, MutedFn muted) {
  if (e.status >= 0x80 && e.status < 0xF0) {
    AbsorbChannel(e, muted(e.status & 0x0F));
  } else if (e.status == 0xF0) {
    AbsorbSysEx(e);
  } else if (e.status == 0xFF && e.meta_type == 0x51 && e.length == 3) {
    tempo = {e.bytes[0], e.bytes[1], e.bytes[2]};
  }
}

}  // namespace qm3::midi
