// Each window's table from its resource identifiers (dialog controls and menu
// commands) to the middleware's control identifiers, and the lookups on them.
// Several resources may share one control (an edit field and its spin button);
// a table ends with the resource identifier -1.
//
// Thread rules: constant tables and pure functions; usable anywhere.
#pragma once
#include <cstdint>

#include "client/middle_ids.h"

namespace sonavex::app {

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
