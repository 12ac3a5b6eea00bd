// Control identifiers as the application sees them: a 16-bit value, group in
// the high byte and item in the low byte, plus the groups, screens, process
// numbers and notification kinds the application uses.
//
// Thread rules: constants and pure functions; usable anywhere.
#pragma once
#include <cstdint>

namespace sonavex::app {

using ControlId = int32_t;

constexpr int kGroupPlayTime = 0x03;
constexpr int kGroupRealTime = 0x04;
constexpr int kGroupMainForm = 0x05;
constexpr int kGroupTransport = 0x06;
constexpr int kGroupMainFormSecond = 0x07;
constexpr int kGroupConvert = 0x08;
constexpr int kGroupTimeBase = 0x09;
constexpr int kGroupMidiOut = 0x0A;
constexpr int kGroupSongTimeLine = 0x40;
constexpr int kGroupSmfParts = 0x41;
constexpr int kGroupScreen = 0x42;
constexpr int kGroupMenu = 0x43;
constexpr int kGroupProcess = 0x80;

// Screen numbers (items of group 0x42).
constexpr int kScreenPlayTime = 3;
constexpr int kScreenRealTime = 4;
constexpr int kScreenSongEdit = 5;
constexpr int kScreenTransport = 6;
constexpr int kScreenSmfEdit = 7;
constexpr int kScreenSongPane = 64;
constexpr int kScreenSmfPane = 65;

// Values read by the shell.
constexpr ControlId kEditingMode = 0x0501;  // 0 song, 1 SMF, 2 karaoke content
constexpr ControlId kSongPointerTime = 0x4001;
constexpr ControlId kSmfPointerTime = 0x4101;
constexpr ControlId kCreateSong = 0x030C;
constexpr ControlId kPlayTimeCancel = 0x030D;

// Process numbers (items of group 0x80).
enum Process : int {
  kProcSongTimeLine = 1,
  kProcSelectPhrase = 2,
  kProcPointer = 3,
  kProcTick2Meas = 4,
  kProcMeas2Tick = 5,
  kProcTick2Sec = 6,
  kProcSec2Tick = 7,
  kProcSmfTimeLine = 8,
  kProcRhythmGroups = 9,
  kProcMelodies = 10,
  kProcSoundGroups = 11,
  kProcOutDevices = 13,
  kProcTickToTime = 14,
  kProcSetHandle = 16,
  kProcOpenFile = 17,
  kProcEnd = 18,
  kProcEditFileName = 19,
  kProcSaved = 20,
  kProcSaveFile = 21,
  kProcSaveAsFile = 22,
  kProcAddRhyMel = 23,
  kProcReturnCodes = 24,
  kProcChangeWindow = 25,
  kProcInitialMenu = 26,
  kProcConvertSmfAll = 27,
  kProcConvertSmfPart = 28,
  kProcConvertWavAll = 29,
  kProcConvertWavPart = 30,
  kProcSetIniFileName = 33,
  kProcSetKeyCode = 34,
  kProcTickInMeas = 36,
  kProcDllVersion = 37,
  kProcRealTimeSong = 38,
  kProcPlayingNow = 39,
  kProcIntros = 40,
  kProcEndings = 41,
  kProcUserMelodies = 42,
  kProcUserRhythms = 43,
  kProcRemoveMelody = 44,
  kProcRemoveRhythm = 45,
  kProcStartPhrases = 46,
};

// Notification kinds (the lParam of a notification) and command codes.
enum Command : int {
  kCmdValue = 0,
  kCmdMinMax = 1,
  kCmdAlive = 2,
  kCmdRedraw = 3,
  kCmdWidth = 4,
  kCmdText = 5,
};

// Start-up choices reported to the middleware.
enum InitialChoice : int {
  kChoiceNewPlayTime = 0,
  kChoiceNewRealTime = 1,
  kChoiceOpenSong = 2,
  kChoiceOpenSmf = 3,
  kChoiceOpenContent = 4,
  kChoiceNone = 5,
};

constexpr int GroupOf(ControlId id) {
  return (id >> 8) & 0xFF;
}
constexpr int ItemOf(ControlId id) {
  return id & 0xFF;
}
constexpr ControlId GetMIDIID(int group, int index) {
  return (group << 8) | index;
}
constexpr ControlId GetScreenID(int n) {
  return 0x4200 | n;
}
constexpr ControlId GetProcID(int n) {
  return 0x8000 | n;
}
constexpr bool IsControlID(ControlId id) {
  switch (GroupOf(id)) {
    case kGroupPlayTime:
    case kGroupRealTime:
    case kGroupMainForm:
    case kGroupTransport:
    case kGroupConvert:
    case kGroupTimeBase:
    case kGroupMidiOut:
    case kGroupSongTimeLine:
    case kGroupSmfParts:
      return true;
    default:
      return false;
  }
}
constexpr bool IsMenuID(ControlId id) {
  return GroupOf(id) == kGroupMenu;
}
constexpr bool IsScreenID(ControlId id) {
  return GroupOf(id) == kGroupScreen;
}
constexpr bool IsProcID(ControlId id) {
  return GroupOf(id) == kGroupProcess;
}

}  // namespace sonavex::app
