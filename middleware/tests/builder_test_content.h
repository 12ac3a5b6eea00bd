// A small content library for song tests: rhythms and melodies held in
// memory, installed as the builder's content for the life of the object.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/middle_internal.h"
#include "song/builder_content.h"

namespace qm3::testing {

class TestContent final : public SongContent {
 public:
  struct Melody {
    int32_t number = 0;
    int beats = 4;
    std::vector<int> bright;
    std::vector<int> dark;
  };

  TestContent() = default;
  // Into the current instance, which forgets it when it is destroyed.
  void Install() { UseSongContent(this); }
  TestContent(const TestContent&) = delete;
  TestContent& operator=(const TestContent&) = delete;

  std::map<int32_t, RhythmFacts> rhythms;  // by rhythm id
  std::vector<Melody> melodies;            // by list position

  bool Rhythm(int32_t id, RhythmFacts* facts) override {
    auto it = rhythms.find(id);
    if (it == rhythms.end()) return false;
    *facts = it->second;
    return true;
  }
  bool MelodyPhrases(int32_t index, int mood, std::vector<int>* lengths) override {
    if (index < 0 || static_cast<size_t>(index) >= melodies.size()) return false;
    const Melody& m = melodies[static_cast<size_t>(index)];
    *lengths = mood != 0 ? m.dark : m.bright;
    return true;
  }
  int32_t MelodyNumber(int32_t index) override {
    if (index < 0 || static_cast<size_t>(index) >= melodies.size()) return -1;
    return melodies[static_cast<size_t>(index)].number;
  }
  int32_t MelodyIndexByNumber(int32_t number) override {
    for (size_t i = 0; i < melodies.size(); ++i)
      if (melodies[i].number == number) return static_cast<int32_t>(i);
    return 0;
  }
  int32_t RhythmByKeys(int32_t a, int32_t b, int32_t c) override {
    for (const auto& [id, facts] : rhythms)
      if (facts.keys[0] == a && facts.keys[1] == b && facts.keys[2] == c) return id;
    return 0;
  }
};

// T0 120, 4/4, intros and endings 1 and 2 of 2 measures, 3 and 4 of 1.
inline RhythmFacts StandardRhythm(double tempo = 120, int beats = 4) {
  RhythmFacts r;
  r.standard_tempo = tempo;
  r.beats = beats;
  r.intro_measures = {2, 2, 1, 1};
  r.ending_measures = {2, 2, 1, 1};
  r.keys = {12, 1, 3};
  return r;
}

// A fresh host directory (and so work folder) for the render's files.
class TempHostDirectory {
 public:
  explicit TempHostDirectory(const std::string& name)
      : path_(std::filesystem::path(::testing::TempDir()) /
              (name + "_" + std::to_string(getpid()))) {
    std::filesystem::create_directories(path_);
    SetHostDirectory(path_.string());
  }
  ~TempHostDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempHostDirectory(const TempHostDirectory&) = delete;
  TempHostDirectory& operator=(const TempHostDirectory&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace qm3::testing
