// One-level undo: a snapshot of the whole value table (and of the state that
// participants register, such as the song's phrase list), exchanged with the
// live state by undo and redo.
#include <vector>

#include "core/control_ids.h"
#include "core/core_state.h"
#include "core/middleware.h"
#include "core/value_table.h"

namespace qm3 {

struct UndoStore {
  TableImage snapshot;
  TableImage scratch;
  // Set by "re-edit the song structure" until the play-time window closes;
  // only then does its cancel button exchange back.
  bool re_edit_pending = false;
  // Filled by registration when the instance is made.
  std::vector<UndoParticipant> participants;
  // A fresh instance's table is the defaults: so is its snapshot.
  UndoStore() {
    LoadTableDefaults(snapshot);
    LoadTableDefaults(scratch);
  }
};

PartState<UndoStore> MakeUndoStore() {
  return MakePartState<UndoStore>();
}

namespace {

UndoStore& U() {
  return *TheMiddleware().undo;
}

std::vector<UndoParticipant>& Participants() {
  return U().participants;
}

bool IsUndoTracked(ControlId id) {
  return (id >= kSync1Time && id <= kEditFadeOutSeconds) || id == kMainVolume ||
         (id >= kPhraseVariation && id <= kPhraseMelody) ||
         (id >= PartPlay(1) && id <= PartPan(kPartCount)) || id == kMenuSyncTwoPoints ||
         id == kMenuSyncPointAndTempo;
}

// What the host must re-read after the table was exchanged.
void NotifyAfterExchange() {
  if (LastEditId() != 0) Notify(LastEditId(), kNotifyValue);
  if (EditingMode() == 0) {
    Notify(kSongTimeLineArea, kNotifyValue);
    Notify(ProcessId(kProcGetSelectPhrase), kNotifyValue);
  } else {
    Notify(kPartArea, kNotifyValue);
  }
  Notify(ProcessId(kProcPointerPos), kNotifyValue);
}

Rc ExchangeByMenu(ControlId enable, ControlId disable) {
  SwapUndoSnapshot();
  WriteAlive(enable, true);
  WriteAlive(disable, false);
  NotifyAfterExchange();
  SetLastEditId(0);
  RedrawScreen();
  return kRcOk;
}

// Undo / redo menu items. A disabled item does nothing: without a snapshot of
// this edit run the exchange would bring back unrelated old state.
Rc OnUndo(ControlId, int32_t) {
  if (!ReadAlive(kMenuUndo)) return kRcOk;
  return ExchangeByMenu(kMenuRedo, kMenuUndo);
}

Rc OnRedo(ControlId, int32_t) {
  if (!ReadAlive(kMenuRedo)) return kRcOk;
  return ExchangeByMenu(kMenuUndo, kMenuRedo);
}

// Re-edit the song structure: remember the state before the play-time window.
Rc OnReEditStructure(ControlId, int32_t) {
  U().re_edit_pending = TakeUndoSnapshot();
  return kRcOk;
}

// Cancel of the play-time window: after a re-edit, back to the state before.
Rc OnPlayTimeCancel(ControlId, int32_t) {
  if (!U().re_edit_pending) return kRcOk;
  U().re_edit_pending = false;
  WriteValue(kStop, 0);
  SwapUndoSnapshot();
  DisableUndo();
  return kRcOk;
}

// Creating the song closes the play-time window: the re-edit is accepted.
Rc OnCreateSong(ControlId, int32_t) {
  U().re_edit_pending = false;
  return kRcOk;
}

}  // namespace

void RegisterUndoParticipant(const UndoParticipant& participant) {
  Participants().push_back(participant);
}

bool TakeUndoSnapshot() {
  UndoStore& u = U();
  u.snapshot = LiveTable();
  for (const UndoParticipant& p : Participants()) {
    if (p.take != nullptr && !p.take()) return false;
  }
  return true;
}

void SwapUndoSnapshot() {
  UndoStore& u = U();
  TableImage& live = LiveTable();
  // The pointer stays where it is across the exchange.
  const int32_t pointer_ticks = ReadValue(kPointerTicks);
  const int32_t pointer_time = ReadValue(kPointerTime);
  u.scratch = live;
  live = u.snapshot;
  u.snapshot = u.scratch;
  int32_t v = pointer_ticks;
  WriteCommand(kPointerTicks, kCmdValue, &v, 0, nullptr);
  v = pointer_time;
  WriteCommand(kPointerTime, kCmdValue, &v, 0, nullptr);
  for (const UndoParticipant& p : Participants()) {
    if (p.swap != nullptr) p.swap();
  }
  // The sound module follows the restored volume.
  WriteValue(kMainVolume, ReadValue(kMainVolume));
}

void DisableUndo() {
  WriteAlive(kMenuUndo, false);
  WriteAlive(kMenuRedo, false);
  SetLastEditId(0);
}

void InitUndoSnapshot() {
  U().snapshot = LiveTable();
  U().scratch = LiveTable();
}

void NoteHostEdit(ControlId id) {
  const int screen = CurrentScreen();
  if (screen != kScreenSongEdit && screen != kScreenSmfEdit) return;
  if (IsPlaying() || !IsUndoTracked(id) || ReadValue(kSongLength) == 0) return;
  if (id != LastEditId()) {
    SetLastEditId(id);
    if (TakeUndoSnapshot()) {
      WriteAlive(kMenuUndo, true);
      WriteAlive(kMenuRedo, false);
    } else {
      DisableUndo();
    }
  }
  if (id != kMainVolume) SetSaved(false);
}

void ReleaseUndoSnapshot() {
  for (const UndoParticipant& p : Participants()) {
    if (p.release != nullptr) p.release();
  }
}

// Registers what this file provides; called from the one list in
// core/registration.cpp when the instance is made.
void RegisterUndo() {
  RegisterReaction(kMenuUndo, OnUndo, kStageValues);
  RegisterReaction(kMenuRedo, OnRedo, kStageValues);
  RegisterReaction(kMenuReEditStructure, OnReEditStructure, kStageValues);
  RegisterReaction(kPlayTimeCancel, OnPlayTimeCancel, kStageValues);
  RegisterReaction(kCreateSongButton, OnCreateSong, kStageValues);
}

}  // namespace qm3
