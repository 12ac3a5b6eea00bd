// The module's SoundFont reader (buffered header reads, the sample chunk read
// on two threads): a synth loaded through it sounds exactly as one loaded by
// FluidSynth's own reader, and damaged files are refused, not half loaded.
#include <fluidsynth.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "module_harness.h"
#include "sound_font_file.h"
#include "synth.h"

namespace corvane::test {
namespace {

class SoundFontReader : public ::testing::Test {
 protected:
  void SetUp() override {
    font_ = TestSoundFont();
    if (font_.empty()) GTEST_SKIP() << "no General MIDI SoundFont installed";
    for (int level : {FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
      fluid_set_log_function(level, nullptr, nullptr);
  }
  std::string font_;
};

// A second of notes on a few programs and the drum kit, as float samples.
std::vector<float> Play(const std::string& font, bool module_reader) {
  fluid_settings_t* settings = new_fluid_settings();
  fluid_settings_setnum(settings, "synth.sample-rate", 44100);
  fluid_synth_t* synth = new_fluid_synth(settings);
  if (module_reader) {
    EXPECT_TRUE(InstallSoundFontReader(synth, settings));
  }
  std::vector<float> out;
  const int id = fluid_synth_sfload(synth, font.c_str(), 1);
  EXPECT_NE(id, FLUID_FAILED);
  if (id != FLUID_FAILED) {
    const int programs[] = {0, 24, 40, 56, 73, 118};
    for (int ch = 0; ch < 6; ++ch) {
      fluid_synth_program_change(synth, ch, programs[ch]);
      fluid_synth_noteon(synth, ch, 48 + 5 * ch, 100);
    }
    for (int key : {36, 38, 42, 49}) fluid_synth_noteon(synth, 9, key, 110);
    std::vector<float> left(44100), right(44100);
    fluid_synth_write_float(synth, 44100, left.data(), 0, 1, right.data(), 0, 1);
    out = left;
    out.insert(out.end(), right.begin(), right.end());
  }
  delete_fluid_synth(synth);
  delete_fluid_settings(settings);
  return out;
}

TEST_F(SoundFontReader, SynthSoundsExactlyAsWithFluidSynthsOwnReader) {
  const auto own = Play(font_, false);
  const auto ours = Play(font_, true);
  ASSERT_FALSE(own.empty());
  float peak = 0;
  for (float v : own) peak = std::max(peak, std::abs(v));
  EXPECT_GT(peak, 0.01f);
  EXPECT_TRUE(own == ours);
}

TEST_F(SoundFontReader, TruncatedFilesAreRefused) {
  std::ifstream in(font_, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
  ASSERT_GT(bytes.size(), 1u << 20);
  const auto path =
      std::filesystem::temp_directory_path() / ("sonavex-cut-" + std::to_string(getpid()) + ".sf2");
  // Inside the first headers, inside the sample chunk, and inside the
  // preset headers at the end.
  for (size_t length : {size_t{100}, bytes.size() / 2, bytes.size() - 200}) {
    {
      std::ofstream cut(path, std::ios::binary | std::ios::trunc);
      cut.write(bytes.data(), static_cast<std::streamsize>(length));
    }
    Synth synth;
    EXPECT_FALSE(synth.Open(path.string(), 1)) << "cut at " << length;
    EXPECT_FALSE(synth.audible());
  }
  std::filesystem::remove(path);
  Synth missing;
  EXPECT_FALSE(missing.Open(path.string(), 2));
}

}  // namespace
}  // namespace corvane::test
