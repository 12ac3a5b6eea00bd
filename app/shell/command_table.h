// The application's commands: identifier, menu text, keys, whether the item
// shows a check mark, and the toolbar picture. The main window builds its
// menus, accelerators and toolbar from this table; every command's enabled
// and checked state comes from the middleware on each refresh.
//
// Thread rules: constant data; usable anywhere.
#pragma once
#include <QKeySequence>
#include <vector>

namespace sonavex::app {

enum CommandId : int {
  ID_FILE_NEW_PLAY = 614,
  ID_FILE_NEW_REAL = 615,
  ID_FILE_BGM_OPEN = 607,
  ID_FILE_BGM_SAVE = 608,
  ID_FILE_BGM_SAVE_AS = 609,
  ID_FILE_CONVALL_SMF = 611,
  ID_FILE_CONVALL_AUDIO = 610,
  ID_FILE_CONVSEL_SMF = 613,
  ID_FILE_CONVSEL_AUDIO = 612,
  ID_FILE_ADD_RHYTHM = 604,
  ID_FILE_ADD_MELODY = 603,
  ID_APP_EXIT = 57665,
  ID_FILE_RMV_RHYTHM = 606,
  ID_FILE_RMV_MELODY = 605,
  ID_EDIT_UNDO = 57643,
  ID_EDIT_REDO = 57644,
  ID_EDIT_REEDIT = 602,
  ID_SYNCHRO_POINT = 623,
  ID_SYNCHRO_TEMPO = 624,
  ID_SETUP_TIME = 622,
  ID_SETUP_DEVICE = 620,
  ID_SETUP_PRECOUNT = 621,
  ID_HELP_CONTENTS = 616,
  ID_HELP_SEARCH = 617,
  ID_HELP_USAGE = 618,
  ID_APP_ABOUT = 57664,
  ID_FILE_NEW_FILE = 10056,
};

struct CommandInfo {
  int id;
  const char* text;  // menu text (UTF-8), empty for toolbar-only commands
  const char* tip;   // tooltip and status-bar text
  const char* icon;  // toolbar picture in the resources, or null
  bool checkable;
  std::vector<QKeySequence> keys;
};

const std::vector<CommandInfo>& Commands();
const CommandInfo* FindCommand(int id);

// The toolbar's commands in order; 0 is a separator.
const std::vector<int>& ToolbarCommands();

}  // namespace sonavex::app
