// The rhythm and melody catalogs ("QM3RHY.toc", "QM3MEL.toc" in the host
// directory): loading, the lists handed to the host (processes 9, 10, 40-46),
// the user-added entries, the field queries of the song builder and the
// per-melody phrase file names.
//
// Thread rules: host thread only (not locked). Loading allocates; queries do
// not allocate (except the file name helpers), lock or block.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/result.h"
#include "qm3middle.h"

namespace qm3 {

inline constexpr char kRhythmCatalogName[] = "QM3RHY.toc";
inline constexpr char kMelodyCatalogName[] = "QM3MEL.toc";

// Longest catalog line kept; the rest of a longer line is dropped.
constexpr size_t kCatalogLineLimit = 256;
// Most groups (rhythm catalog), rhythms per group, melodies, list entries.
constexpr int kCatalogMaxEntries = 255;
// Most section lengths per mood list (what one line can carry).
constexpr int kMelodyMaxSections = 128;

// Loading: kRcFileNotRead when the file cannot be opened, kRcNoMemory when
// memory runs out. Each replaces the previous catalog.
Rc LoadRhythmCatalog(const std::string& path);
Rc LoadMelodyCatalog(const std::string& path);
// Same, from bytes already in memory (what the loaders and fuzzers use).
Rc ParseRhythmCatalog(std::string_view bytes);
Rc ParseMelodyCatalog(std::string_view bytes);
// Both catalogs from the host directory, rhythms first; the first failure.
Rc LoadCatalogs();

// The host's lists (process 9, 10, 40, 41, 46, 42, 43).
const QM3RhythmGroupList* RhythmGroups();
const QM3MelodyList* Melodies();
const QM3ChoiceList* IntroChoices();
const QM3ChoiceList* EndingChoices();
const QM3ChoiceList* StartPhraseChoices();
const QM3MelodyList* AddedMelodies();
const QM3RhythmList* AddedRhythms();

// User-added entries. AddCatalogEntry: a path ending in 'y' adds a rhythm,
// otherwise a melody; then both catalogs are loaded again (result: the first
// failing load, kRcError when the list is full or the path is missing). The
// removes drop the last entry (nothing when the list is empty).
Rc AddCatalogEntry(const char* path);
void RemoveAddedMelody();
void RemoveAddedRhythm();

// The rhythm with this id ((group << 8) + index), or nullptr.
const QM3RhythmData* FindRhythm(int32_t rhythm_id);
// The melody at this list index, or nullptr.
const QM3MelodyData* FindMelody(int32_t melody_index);

// Rhythm field query codes (numeric results).
enum RhythmField : int {
  kRhythmTempo = 0,
  kRhythmSetA = 1,
  kRhythmSetB = 2,
  kRhythmGroupName = 3,  // text: RhythmText
  kRhythmName = 4,       // text: RhythmText
  kRhythmKeyB = 9,
  kRhythmKeyC = 10,
  kRhythmParam1 = 11,
  kRhythmBeats = 12,
  kRhythmParam2 = 14,
  kRhythmParam3 = 15,
  kRhythmPartByte = 16,
  kRhythmParam4 = 17,
  kRhythmKeyA = 18,
  kRhythmByKeys = 20,
};
// Numeric field of a rhythm; 0 for an unknown rhythm or a text code, 1 for an
// unknown code. Code 20 takes key a as `rhythm_id` and (key c << 8 | key b) as
// `part` and returns the matching rhythm's id, 0 when none.
int32_t RhythmFieldQuery(int32_t rhythm_id, int code, int32_t part);
// Text field (codes 3 and 4); "" for an unknown rhythm or code.
const char* RhythmText(int32_t rhythm_id, int code);

// Melody field query codes.
enum MelodyField : int {
  kMelodyName = 5,          // text: MelodyText
  kMelodySectionCount = 6,  // for the current mood (0x0304)
  kMelodySectionLength = 7,
  kMelodyPhraseFile = 8,  // text: MelodyText
  kMelodyBeats = 12,
  kMelodyDefault = 13,
  kMelodyId = 19,
};
// Numeric field of the melody at `melody_index`; 0 for an unknown melody, a
// text code or a section out of range, 1 for an unknown code. Code 13 takes a
// melody id in place of the index and returns DefaultMelodyIndex(id, beats of
// the current rhythm).
int32_t MelodyFieldQuery(int32_t melody_index, int code, int32_t k);
// Text field (codes 5 and 8); "" for an unknown melody or code.
std::string MelodyText(int32_t melody_index, int code);

// The index of the melody with this id; failing that the first melody of
// these beats per measure; failing that 0.
int32_t DefaultMelodyIndex(int32_t melody_id, int32_t beats);
// The default melody of a rhythm (by its parameter 1 and its beats).
int32_t DefaultMelodyForRhythm(int32_t rhythm_id);

// Phrase data file names: "p_%08d.dat" (bright), "mp_%08d.dat" (dark). An id
// outside 0..99999999 is replaced by the first melody's id.
enum class Mood : int { kBright = 0, kDark = 1 };
std::string PhraseFileName(int32_t melody_id, Mood mood);
// The file of the melody at `melody_index` for the current mood, in the host
// directory; "" for an unknown melody.
std::string PhraseFilePath(int32_t melody_index);

}  // namespace qm3
