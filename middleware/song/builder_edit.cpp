// Edits on the song edit screen: the selected phrase's variation, fill-in
// and part switches, and the song values; each edit renders the song again.
#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "song/builder_render.h"
#include "song/phrase_list.h"

namespace qm3 {
namespace {

bool EditingASong() {
  return ReadValue(kEditingMode) == 0 && ReadValue(kSongLength) != 0 && !SongPhrases().empty();
}

int RenderEditedSong() {
  Notify(kSongTimeLineArea, kNotifyValue);
  return RenderSongNow();
}

// Part switch identifier -> bit of the phrase's part mask.
int32_t PartBitOf(ControlId id) {
  switch (id & 0xFFFF) {
    case kPhraseAccomp1:
      return kPartAccomp1;
    case kPhraseAccomp2:
      return kPartAccomp2;
    case kPhraseAccomp3:
      return kPartAccomp3;
    case kPhraseBass:
      return kPartBass;
    case kPhraseDrums:
      return kPartDrums;
    default:
      return kPartMelody;
  }
}

int OnPhraseValue(ControlId id, int32_t) {
  if (!EditingASong()) return kRcOk;
  SongPhrase* phrase = MutableSongPhrase(SelectedPhrase());
  if (phrase == nullptr) return kRcOk;
  const int32_t value = ReadValue(id);
  const ControlId which = id & 0xFFFF;
  if (which == kPhraseVariation || which == kPhraseFillIn) {
    // Intros and endings keep their number and play no fill-in.
    if (phrase->kind != kPhraseBody) return kRcOk;
    if (which == kPhraseVariation) {
      phrase->variation = static_cast<int8_t>(value);
    } else {
      phrase->fill_in = static_cast<int8_t>(value);
    }
  } else {
    const int32_t bit = PartBitOf(id);
    phrase->parts = value != 0 ? (phrase->parts | bit) : (phrase->parts & ~bit);
  }
  return RenderEditedSong();
}

int OnSongValue(ControlId, int32_t) {
  return EditingASong() ? RenderEditedSong() : kRcOk;
}

QM3_REACTION(kPhraseVariation, OnPhraseValue, kStageSong);
QM3_REACTION(kPhraseFillIn, OnPhraseValue, kStageSong);
QM3_REACTION(kPhraseAccomp1, OnPhraseValue, kStageSong);
QM3_REACTION(kPhraseAccomp2, OnPhraseValue, kStageSong);
QM3_REACTION(kPhraseAccomp3, OnPhraseValue, kStageSong);
QM3_REACTION(kPhraseBass, OnPhraseValue, kStageSong);
QM3_REACTION(kPhraseDrums, OnPhraseValue, kStageSong);
QM3_REACTION(kPhraseMelody, OnPhraseValue, kStageSong);

QM3_REACTION(kSync1Time, OnSongValue, kStageSong);
QM3_REACTION(kSync1Measure, OnSongValue, kStageSong);
QM3_REACTION(kSync2Time, OnSongValue, kStageSong);
QM3_REACTION(kSync2Measure, OnSongValue, kStageSong);
QM3_REACTION(kEditTempo, OnSongValue, kStageSong);
// Undo, redo and the cancelled re-edit bring back another phrase list.
QM3_REACTION(kMenuUndo, OnSongValue, kStageSong);
QM3_REACTION(kMenuRedo, OnSongValue, kStageSong);
QM3_REACTION(kPlayTimeCancel, OnSongValue, kStageSong);
QM3_REACTION(kEditStandardTempoButton, OnSongValue, kStageSong);
QM3_REACTION(kEditFadeOut, OnSongValue, kStageSong);
QM3_REACTION(kEditFadeOutSeconds, OnSongValue, kStageSong);

}  // namespace
}  // namespace qm3
