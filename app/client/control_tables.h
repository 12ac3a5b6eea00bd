// Each window's table from its resource identifiers (dialog controls and menu
// commands) to the middleware's control identifiers, and the lookups on them;
// the checks the client makes on an identifier before it calls the
// middleware. The numbers themselves are the middleware's (qm3middle_ids.h).
// Several resources may share one control (an edit field and its spin button);
// a table ends with the resource identifier -1.
//
// Thread rules: constant tables and pure functions; usable anywhere.
#pragma once
#include <cstdint>

#include "qm3middle_ids.h"

namespace sonavex::app {

using ControlId = int32_t;

// The panes inside the song-edit screen, as screen numbers.
constexpr int kScreenSongPane = QM3_INDEX_OF(QM3_ID_SONG_TIME_LINE_PANE);
constexpr int kScreenSmfPane = QM3_INDEX_OF(QM3_ID_SMF_PART_PANE);

// The welcome dialog's choices, reported to the middleware as they are.
enum InitialChoice : int {
  kChoiceNewPlayTime = 0,
  kChoiceNewRealTime = 1,
  kChoiceOpenSong = 2,
  kChoiceOpenSmf = 3,
  kChoiceOpenContent = 4,
  kChoiceNone = 5,
};

constexpr int GroupOf(ControlId id) {
  return QM3_GROUP_OF(id);
}
constexpr int ItemOf(ControlId id) {
  return QM3_INDEX_OF(id);
}
constexpr ControlId GetMIDIID(int group, int index) {
  return (group << 8) | index;
}
constexpr ControlId GetScreenID(int n) {
  return QM3_ID_SCREEN(n);
}
constexpr ControlId GetProcID(int n) {
  return QM3_ID_PROCESS(n);
}
// Identifiers of controls that hold values (not screens, menus or processes).
constexpr bool IsControlID(ControlId id) {
  switch (GroupOf(id)) {
    case QM3_GROUP_PLAY_TIME:
    case QM3_GROUP_REAL_TIME:
    case QM3_GROUP_SONG_EDIT:
    case QM3_GROUP_TRANSPORT:
    case QM3_GROUP_CONVERT:
    case QM3_GROUP_TIME_BASE:
    case QM3_GROUP_MIDI_OUT:
    case QM3_GROUP_TIME_LINE:
    case QM3_GROUP_PART_PANE:
      return true;
    default:
      return false;
  }
}
constexpr bool IsMenuID(ControlId id) {
  return GroupOf(id) == QM3_GROUP_MENU;
}
constexpr bool IsScreenID(ControlId id) {
  return GroupOf(id) == QM3_GROUP_SCREEN;
}
constexpr bool IsProcID(ControlId id) {
  return GroupOf(id) == QM3_GROUP_PROCESS;
}

struct ResourceEntry {
  int32_t resource;
  uint8_t group;
  uint8_t index;
};

extern const ResourceEntry kMainMenuTable[];
extern const ResourceEntry kMainFormTable[];
extern const ResourceEntry kTransportTable[];
extern const ResourceEntry kProgressTable[];
extern const ResourceEntry kMidiOutTable[];
extern const ResourceEntry kPlayTimeTable[];
extern const ResourceEntry kRealTimeTable[];
extern const ResourceEntry kSmfPartTable[];
extern const ResourceEntry kSongPaneTable[];
extern const ResourceEntry kTimeBaseTable[];

// The first entry for `resource`; 0 (and a trace) when there is none.
ControlId ResID2MIDIID(int resource, const ResourceEntry* table);

// The SMF part pane lists the controls of part 1 only; the row's part moves
// the index by 4 per part. 0 (and a trace) when no entry gives an index in
// 3..66.
ControlId ResID2MIDIID_Smf(int resource, const ResourceEntry* table, int first_part, int row);

// The first resource of the control; 0 when none.
int GetResID(ControlId id, const ResourceEntry* table);

}  // namespace sonavex::app
