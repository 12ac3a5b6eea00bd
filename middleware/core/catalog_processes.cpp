// The catalog's processes (lists 9, 10, 40-43, 46; add 23; remove 44, 45), its
// initialisation step, and the reactions to the rhythm (0x0303) and the
// melody choice (0x0305).
#include <cstdint>

#include "core/catalog.h"
#include "core/control_ids.h"
#include "core/middle_internal.h"

namespace qm3 {
namespace {

template <typename T>
Rc Hand(long* a, const T* list) {
  *a = reinterpret_cast<long>(list);
  return kRcOk;
}

Rc GetRhyGroupData(long* a, long*) {
  return Hand(a, RhythmGroups());
}
Rc GetMelodyData(long* a, long*) {
  return Hand(a, Melodies());
}
Rc GetIntroData(long* a, long*) {
  return Hand(a, IntroChoices());
}
Rc GetEndingData(long* a, long*) {
  return Hand(a, EndingChoices());
}
Rc GetDelMelodyData(long* a, long*) {
  return Hand(a, AddedMelodies());
}
Rc GetDelRhythmData(long* a, long*) {
  return Hand(a, AddedRhythms());
}
Rc GetStartPhraseData(long* a, long*) {
  return Hand(a, StartPhraseChoices());
}

Rc AddRhyMel(long*, long* b) {
  return AddCatalogEntry(reinterpret_cast<const char*>(*b));
}

Rc RemoveMelody(long*, long*) {
  RemoveAddedMelody();
  return kRcOk;
}

Rc RemoveRhythm(long*, long*) {
  RemoveAddedRhythm();
  return kRcOk;
}

Rc InitCatalogs() {
  return LoadCatalogs();
}

bool OnRealTimeScreen() {
  return CurrentScreen() == kScreenRealTime;
}

// The rhythm's default melody and start phrase A, as an automatic melody
// choice makes them.
void ChooseDefaultMelody() {
  const bool real_time = OnRealTimeScreen();
  WriteValue(kUserMelody, DefaultMelodyForRhythm(ReadValue(kRhythm)), false);
  WriteValue(kStartPhrase, 0, false);
  Notify(real_time ? kRealTimeUserMelody : kUserMelody, kNotifyValue);
  Notify(real_time ? kRealTimeStartPhrase : kStartPhrase, kNotifyValue);
}

// Sets the tempo to the current rhythm's standard tempo and tells the host
// through `shown_as` (0x0409 or its song-edit name 0x050A). A rhythm with no
// tempo in range leaves the tempo as it is.
void SetStandardTempo(ControlId shown_as) {
  const int64_t tempo = static_cast<int64_t>(RhythmFieldQuery(ReadValue(kRhythm), 0, 0)) * 10000;
  if (!InRange(kTempo, tempo)) return;
  WriteValue(kTempo, static_cast<int32_t>(tempo), false);
  Notify(shown_as, kNotifyValue);
}

Rc OnRhythm(ControlId, int32_t) {
  SetRememberedRhythm(ReadValue(kRhythm));
  if (ReadValue(kMelodyChoice) == 0) ChooseDefaultMelody();
  if (OnRealTimeScreen()) SetStandardTempo(kTempo);
  return kRcOk;
}

// The standard-tempo button (0x040A, and 0x050B on the song-edit screen): the
// tempo goes back to the rhythm's standard tempo before the song is rendered
// again (that reaction runs in a later stage). An open MIDI file has its own
// standard tempo (midi/smf_document.cpp).
Rc OnStandardTempoButton(ControlId id, int32_t) {
  if (ReadValue(kEditingMode) != 0) return kRcOk;
  SetStandardTempo((id & 0xFFFF) == kEditStandardTempoButton ? kEditTempo : kTempo);
  return kRcOk;
}

Rc OnMelodyChoice(ControlId, int32_t) {
  const bool user = ReadValue(kMelodyChoice) == 1;
  WriteAlive(kUserMelody, user);
  WriteAlive(kStartPhrase, user);
  if (!user) ChooseDefaultMelody();
  RedrawScreen();
  return kRcOk;
}

}  // namespace

// Writes through the real-time screen's names (0x0405, 0x0407) run these too.

// Registers what this file provides; called from the one list in
// core/registration.cpp when the instance is made.
void RegisterCatalogProcesses() {
  RegisterProcess(9, GetRhyGroupData);
  RegisterProcess(10, GetMelodyData);
  RegisterProcess(23, AddRhyMel);
  RegisterProcess(40, GetIntroData);
  RegisterProcess(41, GetEndingData);
  RegisterProcess(42, GetDelMelodyData);
  RegisterProcess(43, GetDelRhythmData);
  RegisterProcess(44, RemoveMelody);
  RegisterProcess(45, RemoveRhythm);
  RegisterProcess(46, GetStartPhraseData);
  RegisterInitStep(kInitCatalogs, InitCatalogs);
  RegisterReaction(kRhythm, OnRhythm, kStageValues);
  RegisterReaction(kStandardTempoButton, OnStandardTempoButton, kStageValues);
  RegisterReaction(kEditStandardTempoButton, OnStandardTempoButton, kStageValues);
  RegisterReaction(kMelodyChoice, OnMelodyChoice, kStageValues);
}

}  // namespace qm3
