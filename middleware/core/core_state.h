// State of the middleware core that only the core's own files change: the
// host binding, the current screen, the identifier being accessed, the edit
// identifier of the undo run, and the hook tables.
//
// Thread rules: host thread, except the host binding and the playing flag,
// which are atomic (device callbacks notify and read them).
#pragma once
#include <cstdint>
#include <string>

#include "core/middle_internal.h"
#include "qm3middle.h"

namespace qm3 {

// Host window and registered message number (QM3MiddleInit).
void BindHost(long hwnd, long message);
long HostWindow();
long HostMessage();

void SetCurrentScreen(int screen);
void SetAccessedId(ControlId id);

// The identifier last written on an edit screen (undo runs); 0 none.
ControlId LastEditId();
void SetLastEditId(ControlId id);

void SetIniFileName(const std::string& name);

// After End (process 18) and until the next QM3MiddleInit, every other call
// is refused with the not-initialised code. Any thread.
bool HasEnded();
void SetEnded(bool ended);

// Frames of a tick position, start time added (process 14; 0 without it).
int32_t TimeOfTick(int32_t ticks);

// Real-time song flag of process 38.
int32_t RealTimeSongFlag();
void SetRealTimeSongFlag(int32_t flag);

// Hooks of screen entry and exit; the first non-zero result is returned.
Rc RunScreenEnter(int screen);
Rc RunScreenLeave(int screen);

// Title sources (null when not registered).
NameFn RhythmNameSource();
NameFn MelodyNameSource();
bool SoundSetIsGeneralMidi();

}  // namespace qm3

namespace qm3 {

// At the first init: snapshot and scratch copy equal to the live table.
void InitUndoSnapshot();
// First thing in a host value write: the undo snapshot of an edit run.
void NoteHostEdit(ControlId id);
// End: frees the snapshot state of every participant.
void ReleaseUndoSnapshot();

}  // namespace qm3

namespace qm3 {
// The output port list of the last QM3MiddleInit.
const QM3OutDeviceList& OutputDeviceList();
// Where QM3MiddleInit lists the output ports (the platform by default).
struct PortEnumerator {
  unsigned (*count)() = nullptr;
  // kRcOk on success; fills the zero-terminated product name (32 bytes).
  Rc (*name)(unsigned device, char* name32) = nullptr;
};
void SetPortEnumeratorForTest(const PortEnumerator& enumerator);

// The result of an init call: a failure of the port search or the audio set-up
// as it is; else kRcModuleNotFound without the module for the first three
// calls, kRcModuleNotFoundContinue on the fourth, then kRcOk.
Rc CountedInitResult(Rc rc, int earlier_calls, bool module_found);
// End: the lock is deleted last.
void DeleteMiddleLock();
}  // namespace qm3
