// The module seen from the driver: USB-MIDI packets in, packets out, on the
// virtual clock.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "module_harness.h"

namespace corvane::test {
namespace {

constexpr uint64_t kClock120 = 20833;  // one MIDI clock at 120 per minute, in us
constexpr uint32_t kVariation = 0x0A000900;
constexpr uint32_t kIntro = 0x0A000A00;
constexpr uint32_t kFill = 0x0A000C00;
constexpr uint32_t kEnding = 0x0A000E00;
constexpr uint32_t kRunSwitch = 0x00400000;

std::vector<uint64_t> OnTimes(const std::vector<Received>& notes, int key) {
  std::vector<uint64_t> out;
  for (const auto& n : notes) {
    if ((n.status & 0xF0) == 0x90 && n.data2 > 0 && n.data1 == key) out.push_back(n.us);
  }
  return out;
}

std::vector<int> KeysOnBetween(const std::vector<Received>& notes, uint64_t from, uint64_t to) {
  std::vector<int> keys;
  for (const auto& n : notes) {
    if ((n.status & 0xF0) == 0x90 && n.data2 > 0 && n.us >= from && n.us < to) {
      keys.push_back(n.data1);
    }
  }
  std::sort(keys.begin(), keys.end());
  return keys;
}

// Every note the module played on channels 12-16 has been ended.
void ExpectNothingHangs(const ModuleRig& rig) {
  std::map<std::pair<int, int>, int> held;
  for (const auto& r : rig.received()) {
    const int kind = r.status & 0xF0;
    if ((kind != 0x80 && kind != 0x90) || (r.status & 0x0F) < 11) continue;
    held[{r.status & 0x0F, r.data1}] += kind == 0x90 && r.data2 > 0 ? 1 : -1;
  }
  for (const auto& [note, count] : held) {
    EXPECT_LE(count, 0) << "channel " << note.first + 1 << " key " << note.second;
  }
}

class ModuleWire : public ::testing::Test {
 protected:
  void StartMain1() {
    ASSERT_TRUE(rig.started());
    rig.SelectRhythm(1, 2);
    rig.Parameter(kVariation, {0, 0});
    rig.Short({0xFA});
    t0 = rig.now();
  }
  uint64_t ClockTime(int clock) const { return t0 + static_cast<uint64_t>(clock) * kClock120; }

  ModuleRig rig;
  uint64_t t0 = 0;
};

TEST_F(ModuleWire, StyleNotesSoundAtTheirTicksOnChannels12To16) {
  StartMain1();
  rig.Clocks(96 * 2, kClock120);

  // Chord part on beats 1 and 3 (clocks 0 and 48) of each measure.
  EXPECT_EQ(KeysOnBetween(rig.Notes(12), ClockTime(0), ClockTime(0) + 1),
            (std::vector<int>{60, 64, 67}));
  EXPECT_EQ(OnTimes(rig.Notes(12), 60),
            (std::vector<uint64_t>{ClockTime(0), ClockTime(48), ClockTime(96), ClockTime(144)}));
  EXPECT_EQ(OnTimes(rig.Notes(15), 43), (std::vector<uint64_t>{ClockTime(48), ClockTime(144)}));
  EXPECT_EQ(OnTimes(rig.Notes(16), 38),
            (std::vector<uint64_t>{ClockTime(24), ClockTime(72), ClockTime(120), ClockTime(168)}));
  // Tick 50 lies half a clock after clock 12: the module places it between.
  const auto hat = OnTimes(rig.Notes(16), 42);
  ASSERT_EQ(hat.size(), 2u);
  EXPECT_GE(hat[0], ClockTime(12) + kClock120 / 2);
  EXPECT_LT(hat[0], ClockTime(12) + kClock120 / 2 + 300);
  // The chord part's notes last their 96 ticks (24 clocks).
  const auto ch12 = rig.Notes(12);
  const auto off = std::find_if(ch12.begin(), ch12.end(), [](const Received& r) {
    return (r.status & 0xF0) == 0x80 && r.data1 == 60;
  });
  ASSERT_NE(off, ch12.end());
  EXPECT_EQ(off->us, ClockTime(24));
  // Nothing plays on the style's channels before Start or on other channels.
  EXPECT_TRUE(rig.Notes(1).empty());
  rig.Short({0xFC});
  rig.RunUntil(rig.now() + 1000);
  ExpectNothingHangs(rig);
}

TEST_F(ModuleWire, ClocksWithoutStartPlayNothing) {
  ASSERT_TRUE(rig.started());
  rig.SelectRhythm(1, 2);
  rig.Clocks(96, kClock120);
  EXPECT_TRUE(rig.received().empty());
}

TEST_F(ModuleWire, ChordChangeOnChannel11MovesBassAndChordsAndEndsTheirNotes) {
  StartMain1();
  rig.Clocks(96 + 12, kClock120);  // into measure 2, chord notes sounding
  const uint64_t change = rig.now();
  rig.Short({0x9A, 57, 100});  // A minor: A C E
  rig.Short({0x9A, 60, 100});
  rig.Short({0x9A, 64, 100});
  rig.Clocks(96 - 12 + 96, kClock120);

  // The notes sounding at the change end at once (the drums ring on).
  auto ends_at = [&](int channel, int key) {
    for (const auto& r : rig.Notes(channel)) {
      if ((r.status & 0xF0) == 0x80 && r.data1 == key && r.us >= change) return r.us;
    }
    return uint64_t{0};
  };
  EXPECT_LT(ends_at(12, 67), change + 1000);
  EXPECT_LT(ends_at(15, 36), change + 1000);
  // Measure 3 plays over A minor: chord tones nearest C E G, bass A and E.
  EXPECT_EQ(KeysOnBetween(rig.Notes(12), ClockTime(192), ClockTime(193)),
            (std::vector<int>{60, 64, 69}));
  EXPECT_EQ(KeysOnBetween(rig.Notes(15), ClockTime(192), ClockTime(193)), (std::vector<int>{33}));
  EXPECT_EQ(KeysOnBetween(rig.Notes(15), ClockTime(240), ClockTime(241)), (std::vector<int>{40}));
  // The chord notes themselves come back on the module's output.
  EXPECT_EQ(KeysOnBetween(rig.Notes(11), change, change + 1), (std::vector<int>{57, 60, 64}));

  // A set of keys that is no known chord keeps A minor.
  rig.Short({0x9A, 61, 100});
  rig.Clocks(96, kClock120);
  EXPECT_EQ(KeysOnBetween(rig.Notes(15), ClockTime(288), ClockTime(289)), (std::vector<int>{33}));
  rig.Short({0xFC});
  rig.RunUntil(rig.now() + 1000);
  ExpectNothingHangs(rig);
}

TEST_F(ModuleWire, TheMoodControllerOnTheChordChannelPlaysTheDarkVariant) {
  ASSERT_TRUE(rig.started());
  rig.SelectRhythm(1, 2);
  rig.Short({0xBA, 16, 127});  // dark, before the start as a song sends it
  rig.Parameter(kVariation, {0, 0});
  rig.Short({0xFA});
  t0 = rig.now();
  rig.Clocks(96, kClock120);
  EXPECT_EQ(OnTimes(rig.Notes(16), 51).size(), 2u);
  EXPECT_TRUE(OnTimes(rig.Notes(16), 36).empty());
  // Back to bright: the bright style from the next bar line; the same
  // value again changes nothing.
  rig.Short({0xBA, 16, 0});
  rig.Short({0xBA, 16, 0});
  rig.Clocks(96, kClock120);
  EXPECT_EQ(OnTimes(rig.Notes(16), 36).size(), 2u);
  EXPECT_EQ(OnTimes(rig.Notes(16), 36).front(), ClockTime(96));
  // Dark again, then reset-all-controllers on the chord channel: bright.
  rig.Short({0xBA, 16, 100});
  rig.Short({0xBA, 121, 0});
  rig.Clocks(96, kClock120);
  EXPECT_EQ(OnTimes(rig.Notes(16), 51).size(), 2u);
  EXPECT_EQ(OnTimes(rig.Notes(16), 36).size(), 4u);
  rig.Short({0xFC});
  rig.RunUntil(rig.now() + 1000);
  ExpectNothingHangs(rig);
}

TEST_F(ModuleWire, RepeatedPassesVaryTheirVelocitiesALittle) {
  StartMain1();
  rig.Clocks(8 * 96, kClock120);  // eight passes of Main 1
  std::map<int, std::set<int>> by_key;
  for (const auto& r : rig.Notes(16)) {
    if ((r.status & 0xF0) != 0x90 || r.data2 == 0) continue;
    by_key[r.data1].insert(r.data2);
    const int written = r.data1 == 36 ? 110 : r.data1 == 38 ? 100 : 80;
    EXPECT_LE(std::abs(r.data2 - written), 3) << "key " << int(r.data1);
  }
  EXPECT_GT(by_key[36].size(), 1u);
  EXPECT_GT(by_key[38].size(), 1u);
  rig.Short({0xFC});
  rig.RunUntil(rig.now() + 1000);
}

TEST_F(ModuleWire, AllNotesOffOnTheChordChannelReleasesItsKeys) {
  StartMain1();
  for (uint8_t key : {60, 64, 67}) rig.Short({0x9A, key, 100});
  rig.Clocks(90, kClock120);
  rig.Short({0xBA, 123, 0});  // the host ends its chord without note-offs
  for (uint8_t key : {57, 60, 64}) rig.Short({0x9A, key, 100});
  rig.Clocks(6 + 96, kClock120);
  // A minor, not the A minor seventh that stale keys would make.
  EXPECT_EQ(KeysOnBetween(rig.Notes(12), ClockTime(96), ClockTime(97)),
            (std::vector<int>{60, 64, 69}));
}

TEST_F(ModuleWire, FillInPlaysItsMeasureThenReturnsToTheMainVariation) {
  StartMain1();
  rig.Clocks(83, kClock120);  // 13 clocks before the bar line, as the host sends it
  rig.Parameter(kFill, {0, 1});
  rig.Clocks(13 + 12, kClock120);
  rig.Parameter(kFill, {0, 0});  // end of fill-in, inside the fill's measure
  rig.Clocks(96 - 12 + 96, kClock120);

  EXPECT_TRUE(KeysOnBetween(rig.Notes(12), ClockTime(96), ClockTime(192)).empty());
  EXPECT_EQ(KeysOnBetween(rig.Notes(16), ClockTime(96), ClockTime(192)), std::vector<int>(8, 38));
  EXPECT_EQ(KeysOnBetween(rig.Notes(12), ClockTime(192), ClockTime(193)),
            (std::vector<int>{60, 64, 67}));
  rig.Short({0xFC});
  rig.RunUntil(rig.now() + 1000);
  ExpectNothingHangs(rig);
}

TEST_F(ModuleWire, FillInRequestedEarlyInAMeasureStartsAtOnce) {
  StartMain1();
  rig.Clocks(10, kClock120);
  rig.Parameter(kFill, {0, 1});
  rig.Clocks(96 - 10 + 96, kClock120);
  // Snares of the fill from tick 48 (clock 12) of this very measure, none of
  // the main's chord notes on beat 3, and the main again in measure 2.
  EXPECT_EQ(OnTimes(rig.Notes(16), 38).front(), ClockTime(12));
  EXPECT_EQ(OnTimes(rig.Notes(12), 60),
            (std::vector<uint64_t>{ClockTime(0), ClockTime(96), ClockTime(144)}));
}

TEST_F(ModuleWire, VariationChangesAtTheNextBarLine) {
  StartMain1();
  rig.Clocks(83, kClock120);
  rig.Parameter(kVariation, {0, 1});
  rig.Clocks(13 + 96, kClock120);
  EXPECT_EQ(KeysOnBetween(rig.Notes(12), ClockTime(96), ClockTime(192)), (std::vector<int>{72}));
}

TEST_F(ModuleWire, IntroRunsToItsEndThenTheCurrentMain) {
  ASSERT_TRUE(rig.started());
  rig.SelectRhythm(1, 2);
  rig.Parameter(kVariation, {0, 1});
  rig.Parameter(kIntro, {0, 1});
  rig.Short({0xFA});
  t0 = rig.now();
  rig.Clocks(96 * 3, kClock120);
  EXPECT_EQ(OnTimes(rig.Notes(16), 37), (std::vector<uint64_t>{ClockTime(0), ClockTime(96)}));
  EXPECT_TRUE(KeysOnBetween(rig.Notes(12), ClockTime(0), ClockTime(192)).empty());
  EXPECT_EQ(KeysOnBetween(rig.Notes(12), ClockTime(192), ClockTime(288)), (std::vector<int>{72}));
}

TEST_F(ModuleWire, EndingStopsAfterItsLength) {
  StartMain1();
  rig.Clocks(83, kClock120);
  rig.Parameter(kEnding, {0, 1});
  rig.Clocks(13 + 96 * 4, kClock120);
  // Ending 1 takes measures 2 and 3; its held bass ends with it.
  EXPECT_EQ(OnTimes(rig.Notes(16), 49), (std::vector<uint64_t>{ClockTime(96)}));
  std::vector<Received> after;
  for (const auto& r : rig.received()) {
    if (r.us > ClockTime(288) && (r.status & 0xF0) == 0x90) after.push_back(r);
  }
  EXPECT_TRUE(after.empty());
  const auto bass = rig.Notes(15);
  ASSERT_FALSE(bass.empty());
  EXPECT_EQ(bass.back().status & 0xF0, 0x80);
  EXPECT_LE(bass.back().us, ClockTime(288));
  ExpectNothingHangs(rig);
  // Further requests after the end are ignored until the next Start.
  rig.Parameter(kFill, {0, 1});
  rig.Clocks(96, kClock120);
  EXPECT_EQ(OnTimes(rig.Notes(16), 38).size(), 2u);
}

TEST_F(ModuleWire, ClockMasterSendsExactly24ClocksPerBeatFromStartUntilStop) {
  ASSERT_TRUE(rig.started());
  rig.Parameter(kRunSwitch, {0, 0});
  rig.SysEx({0xF0, 0x50, 0x25, 100 & 0x0F, 100 >> 4, 0xF7});  // 100 per minute
  rig.SelectRhythm(1, 2);
  rig.RunUntil(100000);
  EXPECT_TRUE(rig.ClockTimes().empty());  // nothing before Start
  rig.Short({0xFA});
  t0 = rig.now();
  const uint64_t beat = 600000;  // at 100 per minute
  rig.RunUntil(t0 + 8 * beat - 1);
  auto clocks = rig.ClockTimes();
  ASSERT_EQ(clocks.size(), 8u * 24u);
  for (size_t i = 0; i < clocks.size(); ++i) EXPECT_EQ(clocks[i], t0 + i * 25000) << i;
  // The style runs on the module's own clock: two measures of main 1.
  EXPECT_EQ(OnTimes(rig.Notes(12), 60).size(), 4u);

  // A new clock tempo takes effect from the next clock.
  rig.SysEx({0xF0, 0x50, 0x25, 120 & 0x0F, 120 >> 4, 0xF7});
  const uint64_t changed = rig.now();
  rig.RunUntil(changed + 4 * 500000);
  clocks = rig.ClockTimes();
  const size_t at_change = 8u * 24u;
  ASSERT_GE(clocks.size(), at_change + 96u);
  EXPECT_NEAR(double(clocks[at_change + 1] - clocks[at_change]), 20833.0, 250.0);
  EXPECT_EQ(clocks.size() - at_change, 96u);

  rig.Short({0xFC});
  const size_t at_stop = rig.ClockTimes().size();
  rig.RunUntil(rig.now() + 1000000);
  EXPECT_EQ(rig.ClockTimes().size(), at_stop);
  ExpectNothingHangs(rig);
}

TEST_F(ModuleWire, FollowingModuleSendsNoClockAndIgnoresItsOwnAfterRunSwitchOff) {
  ASSERT_TRUE(rig.started());
  rig.Parameter(kRunSwitch, {0, 0});
  rig.Short({0xFA});
  rig.RunUntil(rig.now() + 100000);
  rig.Parameter(kRunSwitch, {0, 1});  // closing the run stops the clock
  const size_t sent = rig.ClockTimes().size();
  EXPECT_GT(sent, 0u);
  rig.RunUntil(rig.now() + 500000);
  EXPECT_EQ(rig.ClockTimes().size(), sent);
}

TEST_F(ModuleWire, BadInputIsIgnoredAndTheModuleKeepsWorking) {
  ASSERT_TRUE(rig.started());
  // Reserved code indexes, a lone partial packet, data without status.
  rig.Raw({0x00, 0xF0, 0x50, 0x2C, 0x01, 0x90, 0x3C, 0x7F, 0x0F, 0x40});
  rig.Raw({0x00, 0x00});
  rig.Short({0x3C, 0x40});
  // A rhythm select with a bad checksum, at an unknown address, one value
  // where two belong, and value bytes above 4 bits.
  rig.Parameter(0x0A000000, {0, 1, 2, 0}, false);
  rig.Parameter(0x0A7F0000, {0, 1, 2, 0});
  rig.Parameter(0x0A000000, {0, 1});
  rig.Parameter(0x0A000000, {0x10, 1, 2, 0});
  // Truncated (a status byte before F7) and overlong system exclusive.
  rig.SysEx({0xF0, 0x50, 0x2C, 0x01, 0x2D, 0x13, 0x0A, 0x00});
  rig.Short({0x90, 60, 0});
  std::vector<uint8_t> overlong = {0xF0};
  overlong.resize(600, 0x01);
  overlong.push_back(0xF7);
  rig.SysEx(overlong);
  rig.SysEx({0xF0, 0x50, 0x25, 0, 0, 0xF7});  // tempo 0
  // Notes on the style's channels from the host are not the host's to play.
  rig.Short({0x9C, 60, 100});
  rig.Short({0x9F, 36, 100});
  rig.Short({0xFA});
  rig.Clocks(96, kClock120);
  EXPECT_TRUE(rig.received().empty());

  rig.Short({0xFC});
  rig.SelectRhythm(1, 2);
  rig.Short({0xFA});
  rig.Clocks(96, kClock120);
  EXPECT_EQ(OnTimes(rig.Notes(12), 60).size(), 2u);
  EXPECT_TRUE(OnTimes(rig.Notes(13), 60).empty());
  rig.Short({0xFC});
  rig.RunUntil(rig.now() + 1000);
  ExpectNothingHangs(rig);
}

TEST_F(ModuleWire, InitialisationStopsEverythingAndForgetsTheRhythm) {
  StartMain1();
  rig.Clocks(30, kClock120);
  rig.Parameter(0x007F0400, {0, 0});
  rig.RunUntil(rig.now() + 1000);
  ExpectNothingHangs(rig);
  rig.Short({0xFA});
  const size_t before = rig.received().size();
  rig.Clocks(96, kClock120);
  EXPECT_EQ(rig.received().size(), before);
}

}  // namespace
}  // namespace corvane::test
