// The playback parser: merged reading, stop ticks, tempo map, RMID and the
// malformed files it must refuse without reading outside the image.
#include <gtest/gtest.h>

#include <vector>

#include "midi/chase_state.h"
#include "midi/sequence_file.h"

namespace qm3::midi {
namespace {

std::vector<uint8_t> Smf(std::vector<std::vector<uint8_t>> tracks, uint16_t division = 96) {
  std::vector<uint8_t> f = {'M',
                            'T',
                            'h',
                            'd',
                            0,
                            0,
                            0,
                            6,
                            0,
                            1,
                            0,
                            static_cast<uint8_t>(tracks.size()),
                            static_cast<uint8_t>(division >> 8),
                            static_cast<uint8_t>(division)};
  for (const auto& t : tracks) {
    f.insert(f.end(), {'M', 'T', 'r', 'k', 0, 0, static_cast<uint8_t>(t.size() >> 8),
                       static_cast<uint8_t>(t.size())});
    f.insert(f.end(), t.begin(), t.end());
  }
  return f;
}

TEST(SequenceFile, MergesTracksInTimeOrderWithRunningStatus) {
  const auto f = Smf({{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // tempo 500000 at 0
                       0x60, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90,  // 250000 at 96
                       0x00, 0xFF, 0x2F, 0x00},
                      {0x10, 0x90, 60, 100, 0x70, 60, 0,  // running status note-off at 128
                       0x00, 0xFF, 0x2F, 0x00}});
  SequenceFile s;
  ASSERT_EQ(s.Parse(f.data(), f.size()), 0);
  EXPECT_EQ(s.length_ticks(), 128u);
  ASSERT_EQ(s.tempo_map().size(), 2u);
  EXPECT_DOUBLE_EQ(s.TickToMs(96), 500.0);
  EXPECT_DOUBLE_EQ(s.TickToMs(192), 750.0);
  std::vector<uint32_t> ticks;
  SeqEvent e;
  while (s.Next(&e) == ReadResult::kEvent) ticks.push_back(e.tick);
  EXPECT_EQ(ticks, (std::vector<uint32_t>{0, 16, 96, 96, 128, 128}));
  s.Rewind();
  ASSERT_EQ(s.Next(&e, 16, false), ReadResult::kEvent);  // tick 0
  EXPECT_EQ(s.Next(&e, 16, false), ReadResult::kStopReached);
  EXPECT_EQ(s.Next(&e, 16, true), ReadResult::kEvent);
  EXPECT_EQ(e.status, 0x90);
  EXPECT_EQ(e.delta, 16u);
}

TEST(SequenceFile, RefusesMalformedFiles) {
  SequenceFile s;
  const std::vector<std::vector<uint8_t>> bad = {
      {'M', 'T', 'h', 'd'},                                      // short
      {'M', 'T', 'h', 'd', 0, 0, 0, 5, 0, 0, 0, 1, 0},           // header length 5
      {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 0},        // division 0
      {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0xE7, 0x28},  // SMPTE division
      {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 2, 0, 96, 'M', 'T', 'r', 'k', 0, 0, 0, 0},
  };
  for (const auto& f : bad) EXPECT_EQ(s.Parse(f.data(), f.size()), kRcUnsupportedFile);
  // Running status at the start, a 5-byte number, a length past the end, a
  // tempo of the wrong length.
  for (const auto& track :
       std::vector<std::vector<uint8_t>>{{0x00, 60, 100},
                                         {0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 100},
                                         {0x00, 0xF0, 0x7F, 0x01},
                                         {0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1}}) {
    const auto f = Smf({track});
    EXPECT_EQ(s.Parse(f.data(), f.size()), kRcUnsupportedFile);
  }
}

TEST(SequenceFile, UnwrapsRmid) {
  const auto smf = Smf({{0x00, 0x90, 60, 100, 0x00, 0xFF, 0x2F, 0x00}});
  std::vector<uint8_t> riff = {'R',
                               'I',
                               'F',
                               'F',
                               0,
                               0,
                               0,
                               0,
                               'R',
                               'M',
                               'I',
                               'D',
                               'd',
                               'a',
                               't',
                               'a',
                               static_cast<uint8_t>(smf.size()),
                               0,
                               0,
                               0};
  riff.insert(riff.end(), smf.begin(), smf.end());
  const uint8_t* p = nullptr;
  size_t n = 0;
  ASSERT_TRUE(SequenceFile::Unwrap(riff.data(), riff.size(), &p, &n));
  EXPECT_EQ(n, smf.size());
  SequenceFile s;
  EXPECT_EQ(s.Parse(p, n), 0);
  riff[16] = 0xFF;  // data chunk longer than the file
  EXPECT_FALSE(SequenceFile::Unwrap(riff.data(), riff.size(), &p, &n));
  const std::vector<uint8_t> short_riff = {'R', 'I', 'F', 'F', 0, 0};
  EXPECT_FALSE(SequenceFile::Unwrap(short_riff.data(), short_riff.size(), &p, &n));
}

TEST(ChaseState, RegisteredParameterSelection) {
  ChaseState c;
  c.Reset();
  auto cc = [&](uint8_t n, uint8_t v) {
    SeqEvent e;
    e.status = 0xB0;
    e.data1 = n;
    e.data2 = v;
    c.AbsorbChannel(e, false);
  };
  cc(101, 0);
  cc(100, 2);
  cc(6, 0x42);
  EXPECT_EQ(c.channels[0].rpn_data[2][0], 0x42);
  cc(101, 1);  // a non-zero MSB stops the chase of data entry
  cc(6, 0x10);
  EXPECT_EQ(c.channels[0].rpn_data[2][0], 0x42);
  cc(100, 0);  // still off: 101 is not 0
  cc(6, 0x11);
  EXPECT_EQ(c.channels[0].rpn_data[0][0], kNotSeen);
  cc(101, 0);  // selects the remembered 100 (= 0) again
  cc(6, 0x12);
  EXPECT_EQ(c.channels[0].rpn_data[0][0], 0x12);
}

}  // namespace
}  // namespace qm3::midi
