// The song structure: one record per section (intro, body phrases, ending) in
// song order, plus the phrase selected on the song edit screen. One list per
// process; builders replace it whole, the edit screen changes single fields.
//
// Thread rules: host thread only (or with the middleware lock held); not
// locked. Replacing or publishing the list allocates; reading does not.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "qm3middle.h"

namespace qm3 {

enum PhraseKind : int8_t {
  kPhraseIntro = 0,
  kPhraseEnding = 1,
  kPhraseBody = 2,
};

enum PhraseFillIn : int8_t {
  kFillIn1 = 0,
  kFillIn2 = 1,
  kFillInNone = 2,
};

// Part mask bits; a clear bit mutes that part for the phrase.
enum PartBit : int32_t {
  kPartMelody = 1 << 0,
  kPartAccomp1 = 1 << 1,
  kPartAccomp2 = 1 << 2,
  kPartAccomp3 = 1 << 3,
  kPartBass = 1 << 4,
  kPartDrums = 1 << 5,
};
constexpr int32_t kAllParts = 63;
constexpr int32_t kAllButMelody = kAllParts & ~kPartMelody;

// Room for the name including its terminator: names hold at most 11 bytes.
constexpr int kPhraseNameSize = 12;

struct SongPhrase {
  char name[kPhraseNameSize] = {};  // Shift-JIS, zero-terminated
  int32_t length = 0;               // beats; a whole number of measures
  int8_t kind = kPhraseBody;
  int8_t variation = 0;  // body: variation 0..3; intro/ending: its number 0..3
  int8_t fill_in = kFillInNone;
  int32_t parts = kAllParts;

  // Stores `sjis`, cut at 11 bytes (never inside a two-byte character).
  void SetName(std::string_view sjis);
  std::string_view Name() const;
  bool operator==(const SongPhrase& other) const;
};

// ---- the song's phrase list -----------------------------------------------
const std::vector<SongPhrase>& SongPhrases();
// Replaces the list whole; the selection is cleared (-1).
void ReplaceSongPhrases(std::vector<SongPhrase> phrases);
void ClearSongPhrases();
// nullptr when `index` is outside the list.
SongPhrase* MutableSongPhrase(int index);
// Exchanges the list and the selection with `other` (undo and redo).
struct PhraseListState {
  std::vector<SongPhrase> phrases;
  int selected = -1;
};
void SwapSongPhrases(PhraseListState& other);

// Sum of all phrase lengths in beats.
int64_t SongPhraseBeats();

// ---- the phrase selected on the song edit screen (-1 none) ------------------
int SelectedPhrase();
void SetSelectedPhrase(int index);

// The list in its C form for process 1; valid until the list next changes.
const QM3PhraseList* PublishSongPhrases();

}  // namespace qm3
