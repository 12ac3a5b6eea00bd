// The packet codec and the module's system exclusive commands.
#include <gtest/gtest.h>

#include <vector>

#include "midibytes/module_parameter.h"
#include "module_protocol.h"
#include "usb_midi_codec.h"

namespace corvane {
namespace {

struct Collect : MidiMessageSink {
  void OnMidiMessage(int cable, const uint8_t* bytes, size_t len) override {
    messages.push_back({cable, std::vector<uint8_t>(bytes, bytes + len)});
  }
  std::vector<std::pair<int, std::vector<uint8_t>>> messages;
};

std::vector<std::pair<int, std::vector<uint8_t>>> Decode(const std::vector<uint8_t>& bytes) {
  UsbMidiDecoder decoder;
  Collect sink;
  decoder.Feed(bytes.data(), bytes.size(), sink);
  return sink.messages;
}

using Messages = std::vector<std::pair<int, std::vector<uint8_t>>>;

TEST(UsbMidiDecoder, ReassemblesWhatTheDriverSends) {
  // A 7-byte system exclusive in code 4 and 5 packets, then a 6-byte one in
  // code 4 and 7 packets.
  EXPECT_EQ(Decode({0x04, 0xF0, 0x41, 0x10, 0x04, 0x42, 0x12, 0x40, 0x05, 0xF7, 0, 0}),
            (Messages{{0, {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0xF7}}}));
  EXPECT_EQ(Decode({0x04, 0xF0, 0x7E, 0x7F, 0x07, 0x09, 0x01, 0xF7}),
            (Messages{{0, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}}}));
  // Short messages one byte per packet, with running status, and a full
  // channel packet on cable 1.
  EXPECT_EQ(Decode({0x0F, 0x90, 0, 0, 0x0F, 60, 0, 0, 0x0F, 100,  0,    0,
                    0x0F, 62,   0, 0, 0x0F, 0,  0, 0, 0x19, 0x90, 0x3C, 0x64}),
            (Messages{{0, {0x90, 60, 100}}, {0, {0x90, 62, 0}}, {1, {0x90, 0x3C, 0x64}}}));
}

TEST(UsbMidiDecoder, KeepsBadBytesFromBecomingMessages) {
  // Reserved code indexes carry nothing.
  EXPECT_TRUE(Decode({0x00, 0x90, 0x3C, 0x64, 0x01, 0xF8, 0, 0}).empty());
  // Data without a status, and a split packet completed by the next call.
  UsbMidiDecoder decoder;
  Collect sink;
  const uint8_t part1[] = {0x0F, 0x40, 0, 0, 0x09, 0x90};
  const uint8_t part2[] = {0x3C, 0x64};
  decoder.Feed(part1, sizeof part1, sink);
  decoder.Feed(part2, sizeof part2, sink);
  EXPECT_EQ(sink.messages, (Messages{{0, {0x90, 0x3C, 0x64}}}));
  // Real-time bytes inside system exclusive pass through without breaking it;
  // a status byte before F7 drops the unfinished message.
  EXPECT_EQ(
      Decode({0x04, 0xF0, 0x7E, 0x7F, 0x0F, 0xF8, 0,    0,    0x07, 0x09, 0x01, 0xF7, 0x04, 0xF0,
              0x01, 0x02, 0x0F, 0x80, 0,    0,    0x0F, 0x40, 0,    0,    0x0F, 0,    0,    0}),
      (Messages{{0, {0xF8}}, {0, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}}, {0, {0x80, 0x40, 0}}}));
  // An overlong one is dropped whole.
  std::vector<uint8_t> packets = {0x04, 0xF0, 0x01, 0x01};
  for (int i = 0; i < 200; ++i) packets.insert(packets.end(), {0x04, 0x01, 0x01, 0x01});
  packets.insert(packets.end(), {0x05, 0xF7, 0, 0});
  EXPECT_TRUE(Decode(packets).empty());
}

TEST(UsbMidiEncoder, PacksMessagesWithTheirCodeIndex) {
  EXPECT_EQ(EncodeShortMessage(0, 0x9B, 60, 100), (std::array<uint8_t, 4>{0x09, 0x9B, 60, 100}));
  EXPECT_EQ(EncodeShortMessage(0, 0xCB, 5, 0), (std::array<uint8_t, 4>{0x0C, 0xCB, 5, 0}));
  EXPECT_EQ(EncodeShortMessage(0, 0xF8, 0, 0), (std::array<uint8_t, 4>{0x0F, 0xF8, 0, 0}));
  EXPECT_EQ(EncodeShortMessage(1, 0x8F, 36, 0), (std::array<uint8_t, 4>{0x18, 0x8F, 36, 0}));
}

TEST(ModuleProtocol, ParameterMessagesNeedTheirChecksum) {
  const std::vector<uint8_t> init = {0xF0, 0x50, 0x2C, 0x01, 0x2D, 0x13, 0x00, 0x7F, 0x04,
                                     0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x3F, 0xF7};
  EXPECT_EQ(ParseSystemExclusive(init.data(), init.size()).kind, CommandKind::kInitialise);
  auto broken = init;
  broken[15] = 0x3E;
  EXPECT_EQ(ParseSystemExclusive(broken.data(), broken.size()).kind, CommandKind::kNone);
  broken = init;
  broken[12] = 0x10;  // more than 4 bits in a value byte
  broken[15] = midibytes::ParameterChecksum(broken.data(), broken.size());
  EXPECT_EQ(ParseSystemExclusive(broken.data(), broken.size()).kind, CommandKind::kNone);
  // Truncated, or one byte too long.
  EXPECT_EQ(ParseSystemExclusive(init.data(), 16).kind, CommandKind::kNone);
  auto longer = init;
  longer.insert(longer.begin() + 14, 0x00);
  EXPECT_EQ(ParseSystemExclusive(longer.data(), longer.size()).kind, CommandKind::kNone);
}

ModuleCommand Parameter(uint32_t address, std::vector<uint8_t> values) {
  const auto m =
      midibytes::BuildParameter(address, values.data(), static_cast<int>(values.size() / 2));
  return ParseSystemExclusive(m.bytes.data(), m.size);
}

TEST(ModuleProtocol, DecodesEveryCommandAndItsValues) {
  const auto volume = Parameter(0x01000000, {0x07, 0x0F});
  EXPECT_EQ(volume.kind, CommandKind::kMainVolume);
  EXPECT_EQ(volume.value, 127);
  // The rhythm select carries its second value low half first.
  const auto rhythm = Parameter(0x0A000000, {0x04, 0x07, 0x00, 0x05});
  EXPECT_EQ(rhythm.kind, CommandKind::kRhythmSelect);
  EXPECT_EQ(rhythm.value, 0x47);
  EXPECT_EQ(rhythm.value2, 0x50);
  EXPECT_EQ(Parameter(0x0A000000, {0x00, 0x01}).kind, CommandKind::kNone);
  EXPECT_EQ(Parameter(0x0A000900, {0x00, 0x01, 0x00, 0x01}).kind, CommandKind::kNone);
  EXPECT_EQ(Parameter(0x0A000C00, {0, 2}).value, 2);
  EXPECT_EQ(Parameter(0x0A000C00, {0, 2}).kind, CommandKind::kFill);
  EXPECT_EQ(Parameter(0x00400000, {0, 1}).kind, CommandKind::kRunSwitch);
  EXPECT_EQ(Parameter(0x0A000E00, {0, 1}).kind, CommandKind::kEnding);
  EXPECT_EQ(Parameter(0x0A000A00, {0, 2}).kind, CommandKind::kIntro);
  EXPECT_EQ(Parameter(0x0A000200, {0, 2}).kind, CommandKind::kPlayMode);
  EXPECT_EQ(Parameter(0x0A000400, {0, 1}).kind, CommandKind::kSongStart);
  EXPECT_EQ(Parameter(0x00001300, {0, 1}).kind, CommandKind::kSetupStart);
  EXPECT_EQ(Parameter(0x0B000900, {0, 1}).kind, CommandKind::kNone);

  const uint8_t tempo[] = {0xF0, 0x50, 0x25, 0x08, 0x07, 0xF7};  // 120
  EXPECT_EQ(ParseSystemExclusive(tempo, sizeof tempo).value, 120);
  const uint8_t zero_tempo[] = {0xF0, 0x50, 0x25, 0x00, 0x00, 0xF7};
  EXPECT_EQ(ParseSystemExclusive(zero_tempo, sizeof zero_tempo).kind, CommandKind::kNone);
  const uint8_t gs[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
  EXPECT_EQ(ParseSystemExclusive(gs, sizeof gs).kind, CommandKind::kGsReset);
  const uint8_t gm_off[] = {0xF0, 0x7E, 0x7F, 0x09, 0x02, 0xF7};
  EXPECT_EQ(ParseSystemExclusive(gm_off, sizeof gm_off).kind, CommandKind::kGmOff);
}

}  // namespace
}  // namespace corvane
