// The catalog's processes (lists 9, 10, 40-43, 46; add 23; remove 44, 45), its
// initialisation step, and the reactions to the rhythm (0x0303) and the
// melody choice (0x0305).
#include <cstdint>

#include "core/catalog.h"
#include "core/middle_internal.h"
#include "core/time_screen.h"

namespace qm3 {
namespace {

constexpr ControlId kIdRhythm = 0x0303;
constexpr ControlId kIdMelodyChoice = 0x0305;
constexpr ControlId kIdUserMelody = 0x0306;
constexpr ControlId kIdStartPhrase = 0x030E;
constexpr ControlId kIdTempo = 0x0409;
// The same records under the real-time screen's names.
constexpr ControlId kIdRealTimeRhythm = 0x0405;
constexpr ControlId kIdRealTimeMelodyChoice = 0x0407;
constexpr ControlId kIdRealTimeUserMelody = 0x0408;
constexpr ControlId kIdRealTimeStartPhrase = 0x0422;

// Internal "no memory" (-4) is code 4 at the interface.
int Code(int rc) {
  return rc == -4 ? 4 : rc;
}

template <typename T>
int Hand(long* a, const T* list) {
  *a = reinterpret_cast<long>(list);
  return 0;
}

int GetRhyGroupData(long* a, long*) {
  return Hand(a, RhythmGroups());
}
int GetMelodyData(long* a, long*) {
  return Hand(a, Melodies());
}
int GetIntroData(long* a, long*) {
  return Hand(a, IntroChoices());
}
int GetEndingData(long* a, long*) {
  return Hand(a, EndingChoices());
}
int GetDelMelodyData(long* a, long*) {
  return Hand(a, AddedMelodies());
}
int GetDelRhythmData(long* a, long*) {
  return Hand(a, AddedRhythms());
}
int GetStartPhraseData(long* a, long*) {
  return Hand(a, StartPhraseChoices());
}

int AddRhyMel(long*, long* b) {
  return Code(AddCatalogEntry(reinterpret_cast<const char*>(*b)));
}

int RemoveMelody(long*, long*) {
  RemoveAddedMelody();
  return 0;
}

int RemoveRhythm(long*, long*) {
  RemoveAddedRhythm();
  return 0;
}

int InitCatalogs() {
  return Code(LoadCatalogs());
}

bool OnRealTimeScreen() {
  return CurrentScreenNumber() == kScreenRealTime;
}

// The rhythm's default melody and start phrase A, as an automatic melody
// choice makes them.
void ChooseDefaultMelody() {
  const bool real_time = OnRealTimeScreen();
  WriteValue(kIdUserMelody, DefaultMelodyForRhythm(ReadValue(kIdRhythm)), false);
  WriteValue(kIdStartPhrase, 0, false);
  Notify(real_time ? kIdRealTimeUserMelody : kIdUserMelody, kNotifyValue);
  Notify(real_time ? kIdRealTimeStartPhrase : kIdStartPhrase, kNotifyValue);
}

int OnRhythm(ControlId, int32_t) {
  if (ReadValue(kIdMelodyChoice) == 0) ChooseDefaultMelody();
  if (OnRealTimeScreen()) {
    const int64_t tempo =
        static_cast<int64_t>(RhythmFieldQuery(ReadValue(kIdRhythm), 0, 0)) * 10000;
    if (tempo >= INT32_MIN && tempo <= INT32_MAX) {
      WriteValue(kIdTempo, static_cast<int32_t>(tempo), false);
      Notify(kIdTempo, kNotifyValue);
    }
  }
  return 0;
}

int OnMelodyChoice(ControlId, int32_t) {
  const bool user = ReadValue(kIdMelodyChoice) == 1;
  WriteAlive(kIdUserMelody, user);
  WriteAlive(kIdStartPhrase, user);
  if (!user) ChooseDefaultMelody();
  RedrawAfterAliveChange();
  return 0;
}

}  // namespace

QM3_PROCESS(9, GetRhyGroupData);
QM3_PROCESS(10, GetMelodyData);
QM3_PROCESS(23, AddRhyMel);
QM3_PROCESS(40, GetIntroData);
QM3_PROCESS(41, GetEndingData);
QM3_PROCESS(42, GetDelMelodyData);
QM3_PROCESS(43, GetDelRhythmData);
QM3_PROCESS(44, RemoveMelody);
QM3_PROCESS(45, RemoveRhythm);
QM3_PROCESS(46, GetStartPhraseData);
QM3_INIT_STEP(kInitCatalogs, InitCatalogs);
QM3_REACTION(kIdRhythm, OnRhythm, kStageValues);
QM3_REACTION(kIdRealTimeRhythm, OnRhythm, kStageValues);
QM3_REACTION(kIdMelodyChoice, OnMelodyChoice, kStageValues);
QM3_REACTION(kIdRealTimeMelodyChoice, OnMelodyChoice, kStageValues);

}  // namespace qm3
