// The module's system exclusive commands: parameter messages (checked by
// their checksum; a bad one is ignored as the hardware does), the clock tempo
// message and the General MIDI / GS resets.
//
// Thread rules: pure functions; no allocation.
#pragma once
#include <cstddef>
#include <cstdint>

namespace corvane {

enum class CommandKind {
  kNone,  // not a command of the module, malformed, or a bad checksum
  kInitialise,
  kSetupStart,  // the first message of a song's set-up
  kMainVolume,
  kPlayMode,
  kRunSwitch,  // value 0: the module is clock master; 1: it follows
  kRhythmSelect,
  kSongStart,
  kVariation,
  kIntro,
  kFill,  // value 0 ends the fill-in
  kEnding,
  kClockTempo,
  kGmOn,
  kGmOff,
  kGsReset,
};

struct ModuleCommand {
  CommandKind kind = CommandKind::kNone;
  int value = 0;
  int value2 = 0;  // the rhythm select's second key
};

// Decodes one complete system exclusive message (F0 ... F7).
ModuleCommand ParseSystemExclusive(const uint8_t* msg, size_t len);

}  // namespace corvane
