// What the song builder and the song file need to know about the content
// library and the time base: rhythm and melody facts from the catalogs, the
// catalog identities stored in song files, frames per second. One seam, so
// that tests can supply their own library.
//
// Thread rules: host thread only; not locked. Lookups may allocate.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

namespace qm3 {

struct RhythmFacts {
  double standard_tempo = 0;             // T0, beats per minute
  int beats = 0;                         // beats per measure
  std::array<int, 4> intro_measures{};   // intros 1..4
  std::array<int, 4> ending_measures{};  // endings 1..4
  std::array<int32_t, 3> keys{};         // keys a, b, c (song-file reference)
};

class SongContent {
 public:
  virtual ~SongContent() = default;
  // False when `rhythm_id` names no rhythm.
  virtual bool Rhythm(int32_t rhythm_id, RhythmFacts* facts) = 0;
  // Section lengths in measures of melody `index` for `mood` (0 bright,
  // 1 dark); false when there is no such melody.
  virtual bool MelodyPhrases(int32_t index, int mood, std::vector<int>* lengths) = 0;
  // Catalog number (id) of the melody at list position `index`; -1 none.
  virtual int32_t MelodyNumber(int32_t index) = 0;
  // List position of the melody numbered `number`; failing that the first
  // melody whose beats per measure equal the current rhythm's; failing that 0.
  virtual int32_t MelodyIndexByNumber(int32_t number) = 0;
  // The rhythm whose keys a, b, c are given; 0 when none matches.
  virtual int32_t RhythmByKeys(int32_t a, int32_t b, int32_t c) = 0;
};

// The content in use: the loaded catalogs unless a test installed its own.
SongContent& Content();
// Installs `content` into the current instance (nullptr restores the
// catalogs); the caller keeps it alive while the instance uses it. A fresh
// instance starts with the catalogs.
void UseSongContent(SongContent* content);

}  // namespace qm3
