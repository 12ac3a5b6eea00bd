// Edits on the song edit screen: the selected phrase's variation, fill-in
// and part switches, and the song values; each edit renders the song again.
#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "core/result.h"
#include "song/builder_render.h"
#include "song/phrase_list.h"

namespace qm3 {
namespace {

bool EditingASong() {
  return ReadValue(kEditingMode) == 0 && ReadValue(kSongLength) != 0 && !SongPhrases().empty();
}

Rc RenderEditedSong() {
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

Rc OnPhraseValue(ControlId id, int32_t) {
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

Rc OnSongValue(ControlId, int32_t) {
  return EditingASong() ? RenderEditedSong() : kRcOk;
}

// Undo, redo and the cancelled re-edit bring back another phrase list.

}  // namespace
// Registers what this file provides; called from the one list in
// core/registration.cpp when the instance is made.
void RegisterBuilderEdit() {
  RegisterReaction(kPhraseVariation, OnPhraseValue, kStageSong);
  RegisterReaction(kPhraseFillIn, OnPhraseValue, kStageSong);
  RegisterReaction(kPhraseAccomp1, OnPhraseValue, kStageSong);
  RegisterReaction(kPhraseAccomp2, OnPhraseValue, kStageSong);
  RegisterReaction(kPhraseAccomp3, OnPhraseValue, kStageSong);
  RegisterReaction(kPhraseBass, OnPhraseValue, kStageSong);
  RegisterReaction(kPhraseDrums, OnPhraseValue, kStageSong);
  RegisterReaction(kPhraseMelody, OnPhraseValue, kStageSong);
  RegisterReaction(kSync1Time, OnSongValue, kStageSong);
  RegisterReaction(kSync1Measure, OnSongValue, kStageSong);
  RegisterReaction(kSync2Time, OnSongValue, kStageSong);
  RegisterReaction(kSync2Measure, OnSongValue, kStageSong);
  RegisterReaction(kEditTempo, OnSongValue, kStageSong);
  RegisterReaction(kMenuUndo, OnSongValue, kStageSong);
  RegisterReaction(kMenuRedo, OnSongValue, kStageSong);
  RegisterReaction(kPlayTimeCancel, OnSongValue, kStageSong);
  RegisterReaction(kEditStandardTempoButton, OnSongValue, kStageSong);
  RegisterReaction(kEditFadeOut, OnSongValue, kStageSong);
  RegisterReaction(kEditFadeOutSeconds, OnSongValue, kStageSong);
}

}  // namespace qm3
