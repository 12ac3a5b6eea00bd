// USB-MIDI event packets on the module's pipes: splitting the bulk OUT byte
// stream into packets, turning each cable's bytes back into MIDI messages,
// and packing outgoing messages into packets for the bulk IN pipe.
//
// Thread rules: plain objects without locks; the owner serialises calls.
// Feeding never allocates (fixed buffers per cable).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace corvane {

inline constexpr int kCableCount = 16;
// Longest system exclusive message the module accepts; longer ones are
// dropped whole.
inline constexpr size_t kMaxSysEx = 256;

// Receives whole messages: channel and system common messages (1-3 bytes),
// real-time bytes, and complete system exclusive messages (F0 ... F7).
class MidiMessageSink {
 public:
  virtual void OnMidiMessage(int cable, const uint8_t* bytes, size_t len) = 0;

 protected:
  ~MidiMessageSink() = default;
};

// One cable's MIDI byte stream: running status, system exclusive assembly
// with real-time bytes allowed inside, and drop rules for broken input.
class MidiByteParser {
 public:
  void Feed(int cable, uint8_t byte, MidiMessageSink& sink);
  void Reset();

 private:
  uint8_t running_status_ = 0;
  uint8_t data_[2] = {0, 0};
  int data_count_ = 0;
  int data_needed_ = 0;
  bool in_sysex_ = false;
  bool sysex_overflow_ = false;
  size_t sysex_len_ = 0;
  std::array<uint8_t, kMaxSysEx> sysex_{};
};

// The bulk OUT stream: groups bytes into 4-byte packets (keeping a partial
// packet across calls) and hands each packet's bytes to its cable's parser.
class UsbMidiDecoder {
 public:
  void Feed(const uint8_t* data, size_t len, MidiMessageSink& sink);
  void Reset();

 private:
  void DecodePacket(const uint8_t* packet, MidiMessageSink& sink);

  std::array<uint8_t, 4> partial_{};
  size_t partial_len_ = 0;
  std::array<MidiByteParser, kCableCount> cables_{};
};

// Packs a channel message or a real-time byte (1-3 bytes) into one packet
// with the code index of its status byte.
std::array<uint8_t, 4> EncodeShortMessage(int cable, uint8_t status, uint8_t data1, uint8_t data2);

}  // namespace corvane
