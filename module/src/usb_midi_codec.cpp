#include "usb_midi_codec.h"

#include "midibytes/status.h"

namespace corvane {
void MidiByteParser::Reset() {
  running_status_ = 0;
  data_count_ = 0;
  data_needed_ = 0;
  in_sysex_ = false;
  sysex_overflow_ = false;
  sysex_len_ = 0;
}

void MidiByteParser::Feed(int cable, uint8_t byte, MidiMessageSink& sink) {
  if (byte >= 0xF8) {  // real-time: may appear anywhere, changes nothing else
    sink.OnMidiMessage(cable, &byte, 1);
    return;
  }
  if (byte == 0xF0) {
    in_sysex_ = true;
    sysex_overflow_ = false;
    sysex_[0] = byte;
    sysex_len_ = 1;
    running_status_ = 0;
    return;
  }
  if (byte == 0xF7) {
    if (in_sysex_ && !sysex_overflow_ && sysex_len_ < kMaxSysEx) {
      sysex_[sysex_len_++] = byte;
      sink.OnMidiMessage(cable, sysex_.data(), sysex_len_);
    }
    in_sysex_ = false;
    return;
  }
  if (byte >= 0x80) {
    // Any other status ends an unfinished system exclusive message, which is
    // dropped as truncated.
    in_sysex_ = false;
    data_count_ = 0;
    if (byte >= 0xF0) {
      running_status_ = 0;
      data_needed_ = midibytes::DataLength(byte);
      if (data_needed_ == 0) {
        if (byte == 0xF6) sink.OnMidiMessage(cable, &byte, 1);
        return;
      }
      running_status_ = byte;  // system common: no running status afterwards
      return;
    }
    running_status_ = byte;
    data_needed_ = midibytes::DataLength(byte);
    return;
  }
  if (in_sysex_) {
    if (sysex_len_ + 1 < kMaxSysEx) {
      sysex_[sysex_len_++] = byte;
    } else {
      sysex_overflow_ = true;
    }
    return;
  }
  if (running_status_ == 0) return;  // data without a status: ignored
  data_[data_count_++] = byte;
  if (data_count_ < data_needed_) return;
  const uint8_t message[3] = {running_status_, data_[0], data_[1]};
  sink.OnMidiMessage(cable, message, static_cast<size_t>(1 + data_needed_));
  data_count_ = 0;
  if (running_status_ >= 0xF0) running_status_ = 0;
}

void UsbMidiDecoder::Reset() {
  partial_len_ = 0;
  for (auto& cable : cables_) cable.Reset();
}

void UsbMidiDecoder::Feed(const uint8_t* data, size_t len, MidiMessageSink& sink) {
  size_t i = 0;
  if (partial_len_ > 0) {
    while (partial_len_ < 4 && i < len) partial_[partial_len_++] = data[i++];
    if (partial_len_ < 4) return;
    DecodePacket(partial_.data(), sink);
    partial_len_ = 0;
  }
  for (; i + 3 < len; i += 4) DecodePacket(data + i, sink);
  while (i < len) partial_[partial_len_++] = data[i++];
}

void UsbMidiDecoder::DecodePacket(const uint8_t* packet, MidiMessageSink& sink) {
  const int cable = packet[0] >> 4;
  const int count = midibytes::CodeIndexByteCount(packet[0] & 0x0F);
  for (int k = 0; k < count; ++k) cables_[cable].Feed(cable, packet[1 + k], sink);
}

std::array<uint8_t, 4> EncodeShortMessage(int cable, uint8_t status, uint8_t data1, uint8_t data2) {
  const auto head = static_cast<uint8_t>((cable & 0x0F) << 4);
  if (status >= 0xF8) return {static_cast<uint8_t>(head | 0x0F), status, 0, 0};
  const int len = midibytes::DataLength(status);
  return {static_cast<uint8_t>(head | (status >> 4)), status, data1,
          static_cast<uint8_t>(len == 2 ? data2 : 0)};
}

}  // namespace corvane
