// Named control identifiers of the value table, screen identifiers, menu items
// and process numbers. A control identifier is group << 8 | index.
//
// Thread rules: constants only; usable anywhere.
#pragma once
#include <cstdint>

namespace qm3 {

using ControlId = int32_t;

constexpr int GroupOf(ControlId id) {
  return (id >> 8) & 0xFF;
}
constexpr int IndexOf(ControlId id) {
  return id & 0xFF;
}

// ---- groups ------------------------------------------------------------------
constexpr int kGroupPlayTime = 0x03;
constexpr int kGroupRealTime = 0x04;
constexpr int kGroupSongEdit = 0x05;
constexpr int kGroupTransport = 0x06;
constexpr int kGroupSongEditSecond = 0x07;  // second name of group 0x05
constexpr int kGroupConvert = 0x08;
constexpr int kGroupTimeBase = 0x09;
constexpr int kGroupMidiOut = 0x0A;
constexpr int kGroupTimeLine = 0x40;
constexpr int kGroupPartPane = 0x41;
constexpr int kGroupScreen = 0x42;
constexpr int kGroupMenu = 0x43;
constexpr int kGroupProcess = 0x80;

// ---- group 0x03: play-time song creation ------------------------------------------
constexpr ControlId kStartTime = 0x0301;
constexpr ControlId kEndTime = 0x0302;
constexpr ControlId kRhythm = 0x0303;
constexpr ControlId kMood = 0x0304;
constexpr ControlId kMelodyChoice = 0x0305;  // 0 automatic, 1 user
constexpr ControlId kUserMelody = 0x0306;
constexpr ControlId kLiveliness = 0x0307;
constexpr ControlId kIntro = 0x0308;   // 0..3 intro 1..4, 4 none
constexpr ControlId kEnding = 0x0309;  // 0..3 ending 1..4, 4 none
constexpr ControlId kFadeOut = 0x030A;
constexpr ControlId kFadeOutSeconds = 0x030B;
constexpr ControlId kCreateSongButton = 0x030C;
constexpr ControlId kPlayTimeCancel = 0x030D;
constexpr ControlId kStartPhrase = 0x030E;  // 0 = A, 1 = B
constexpr ControlId kTempoSlider = 0x030F;
constexpr ControlId kPlayTimeDisplayModeLabel = 0x0310;  // -> kTimeDisplayMode

// ---- group 0x04: real-time song creation --------------------------------------------
constexpr ControlId kRealTimeStartTime = 0x0401;  // -> kStartTime
constexpr ControlId kRealTimeEndTime = 0x0402;    // -> kEndTime
constexpr ControlId kSongLength = 0x0403;         // ticks
constexpr ControlId kRecordButton = 0x0404;
constexpr ControlId kRealTimeRhythm = 0x0405;        // -> kRhythm
constexpr ControlId kRealTimeMood = 0x0406;          // -> kMood
constexpr ControlId kRealTimeMelodyChoice = 0x0407;  // -> kMelodyChoice
constexpr ControlId kRealTimeUserMelody = 0x0408;    // -> kUserMelody
constexpr ControlId kTempo = 0x0409;                 // 1/10000 BPM
constexpr ControlId kStandardTempoButton = 0x040A;
// Lamps and buttons alternate: lamp n at an odd index, its button right after.
constexpr ControlId IntroLamp(int n) {  // n = 1..4
  return 0x040B + 2 * (n - 1);
}
constexpr ControlId IntroButton(int n) {
  return 0x040C + 2 * (n - 1);
}
constexpr ControlId VariationLamp(int n) {  // n = 1..4
  return 0x0413 + 2 * (n - 1);
}
constexpr ControlId VariationButton(int n) {
  return 0x0414 + 2 * (n - 1);
}
constexpr ControlId FillInLamp(int n) {  // n = 1..2
  return 0x041B + 2 * (n - 1);
}
constexpr ControlId FillInButton(int n) {
  return 0x041C + 2 * (n - 1);
}
constexpr ControlId kFirstLamp = 0x040B;
constexpr ControlId kLastLamp = 0x041D;
constexpr ControlId kFadeOutButton = 0x041F;
constexpr ControlId kRealTimeOk = 0x0420;
constexpr ControlId kRealTimeCancel = 0x0421;
constexpr ControlId kRealTimeStartPhrase = 0x0422;       // -> kStartPhrase
constexpr ControlId kRealTimeDisplayModeLabel = 0x0423;  // -> kTimeDisplayMode

// ---- group 0x05 (also 0x07): song edit screen -----------------------------------
constexpr ControlId kEditingMode = 0x0501;        // 0 song, 1 SMF, 2 content
constexpr ControlId kEditingModeSecond = 0x0502;  // -> kEditingMode
constexpr ControlId kSyncMethod = 0x0503;         // 0 two sync points, 1 point 1 + tempo
constexpr ControlId kEditStartTime = 0x0504;      // -> kStartTime
constexpr ControlId kEditEndTime = 0x0505;        // -> kEndTime
constexpr ControlId kSync1Time = 0x0506;
constexpr ControlId kSync1Measure = 0x0507;
constexpr ControlId kSync2Time = 0x0508;
constexpr ControlId kSync2Measure = 0x0509;
constexpr ControlId kEditTempo = 0x050A;                // -> kTempo, seen in 1/100 BPM
constexpr ControlId kEditStandardTempoButton = 0x050B;  // -> kStandardTempoButton
constexpr ControlId kEditFadeOut = 0x050C;              // -> kFadeOut
constexpr ControlId kEditFadeOutSeconds = 0x050D;       // -> kFadeOutSeconds

// ---- group 0x06: transport ----------------------------------------------------------
constexpr ControlId kMainVolume = 0x0601;
constexpr ControlId kReturnToTop = 0x0602;
constexpr ControlId kRewind = 0x0603;
constexpr ControlId kFastForward = 0x0604;
constexpr ControlId kStop = 0x0605;
constexpr ControlId kPlay = 0x0606;               // handler: a write toggles the play flag
constexpr ControlId kReturnToTopSecond = 0x0607;  // same record as kReturnToTop

// ---- group 0x08: conversion progress ------------------------------------------------
constexpr ControlId kConvertProgress = 0x0801;
constexpr ControlId kConvertRemaining = 0x0802;
constexpr ControlId kConvertCancel = 0x0803;

// ---- group 0x09: time base ----------------------------------------------------------
constexpr ControlId kTimeBase = 0x0901;  // 0 = 24, 1 = 25, 2 = 29.97, 3 = 30 fps
constexpr ControlId kTimeDisplayMode = 0x0902;
constexpr ControlId kTimeBaseOk = 0x0903;
constexpr ControlId kTimeBaseCancel = 0x0904;

// ---- group 0x0A: MIDI output --------------------------------------------------------
constexpr ControlId kMidiOutDevice = 0x0A01;        // index into the device list
constexpr ControlId kMidiOutDeviceSecond = 0x0A02;  // same record
constexpr ControlId kMidiOutOk = 0x0A03;
constexpr ControlId kMidiOutCancel = 0x0A04;

// ---- group 0x40: song time-line pane -------------------------------------------------
constexpr ControlId kPointerTime = 0x4001;
constexpr ControlId kPointerTicks = 0x4002;
constexpr ControlId kPhraseVariation = 0x4003;  // 0..3
constexpr ControlId kPhraseFillIn = 0x4004;     // 0..2 ("1", "2", none)
constexpr ControlId kPhraseAccomp1 = 0x4005;
constexpr ControlId kPhraseAccomp2 = 0x4006;
constexpr ControlId kPhraseAccomp3 = 0x4007;
constexpr ControlId kPhraseBass = 0x4008;
constexpr ControlId kPhraseDrums = 0x4009;
constexpr ControlId kPhraseMelody = 0x400A;
constexpr ControlId kSongTimeLineArea = 0x400B;  // no record

// ---- group 0x41: SMF part pane ------------------------------------------------------
constexpr ControlId kPartPointerTime = 0x4101;   // -> kPointerTime
constexpr ControlId kPartPointerTicks = 0x4102;  // -> kPointerTicks
constexpr int kPartCount = 16;
constexpr ControlId PartPlay(int part) {  // part = 1..16; shares the mode bank
  return 0x4103 + 4 * (part - 1);
}
constexpr ControlId PartSound(int part) {
  return 0x4104 + 4 * (part - 1);
}
constexpr ControlId PartVolume(int part) {
  return 0x4105 + 4 * (part - 1);
}
constexpr ControlId PartPan(int part) {
  return 0x4106 + 4 * (part - 1);
}
constexpr ControlId kPartArea = 0x4143;  // no record

// ---- group 0x42: screens ------------------------------------------------------------
constexpr ControlId ScreenId(int screen) {
  return 0x4200 | (screen & 0xFF);
}
constexpr int kScreenNone = 0;
constexpr int kScreenPlayTime = 3;
constexpr int kScreenRealTime = 4;
constexpr int kScreenSongEdit = 5;
constexpr int kScreenTransport = 6;
constexpr int kScreenSmfEdit = 7;
constexpr int kScreenConvert = 8;
constexpr int kScreenTimeBase = 9;
constexpr int kScreenMidiOut = 10;
constexpr ControlId kTransportScreenId = 0x4206;
constexpr ControlId kSongTimeLinePane = 0x4240;  // redraw target only
constexpr ControlId kSmfPartPane = 0x4241;       // redraw target only

// ---- group 0x43: menu items ----------------------------------------------------------
constexpr ControlId kMenuNewPlayTimeSong = 0x4301;
constexpr ControlId kMenuNewRealTimeSong = 0x4302;
constexpr ControlId kMenuOpen = 0x4303;
constexpr ControlId kMenuUnused4 = 0x4304;
constexpr ControlId kMenuSave = 0x4305;
constexpr ControlId kMenuSaveAs = 0x4306;
constexpr ControlId kMenuSongToSmf = 0x4307;
constexpr ControlId kMenuSongToAudio = 0x4308;
constexpr ControlId kMenuSelectionToSmf = 0x4309;
constexpr ControlId kMenuSelectionToAudio = 0x430A;
constexpr ControlId kMenuAddRhythm = 0x430B;
constexpr ControlId kMenuAddMelody = 0x430C;
constexpr ControlId kMenuExit = 0x430D;
constexpr ControlId kMenuRemoveRhythm = 0x430E;
constexpr ControlId kMenuRemoveMelody = 0x430F;
constexpr ControlId kMenuUndo = 0x4315;
constexpr ControlId kMenuRedo = 0x4316;
constexpr ControlId kMenuReEditStructure = 0x4317;
constexpr ControlId kMenuSyncTwoPoints = 0x431F;
constexpr ControlId kMenuSyncPointAndTempo = 0x4320;
constexpr ControlId kMenuTimeBaseSettings = 0x4329;
constexpr ControlId kMenuMidiOutSettings = 0x432A;
constexpr ControlId kMenuPreCount = 0x432B;  // a write toggles it
constexpr ControlId kMenuHelp = 0x4333;
constexpr ControlId kMenuHelpSearch = 0x4334;
constexpr ControlId kMenuHelpHowTo = 0x4335;
constexpr ControlId kMenuAbout = 0x4336;  // same record as kCreateSongButton

// ---- group 0x80: processes (identifier 0x8000 + number) ---------------------------
constexpr ControlId ProcessId(int number) {
  return 0x8000 | (number & 0xFF);
}
constexpr int kProcGetSongTimeLineData = 1;
constexpr int kProcGetSelectPhrase = 2;
constexpr int kProcPointerPos = 3;
constexpr int kProcTick2Meas = 4;
constexpr int kProcMeas2Tick = 5;
constexpr int kProcTick2Sec = 6;
constexpr int kProcSec2Tick = 7;
constexpr int kProcGetSMFTimeLineData = 8;
constexpr int kProcGetRhyGroupData = 9;
constexpr int kProcGetMelodyData = 10;
constexpr int kProcGetSoundGroupData = 11;
constexpr int kProcGetOutDevice12 = 12;
constexpr int kProcGetOutDevice = 13;
constexpr int kProcTickToTime = 14;
constexpr int kProcTimeToTick = 15;
constexpr int kProcSetHandle = 16;
constexpr int kProcOpenFile = 17;
constexpr int kProcEnd = 18;
constexpr int kProcGetEditFileName = 19;
constexpr int kProcGetSaved = 20;
constexpr int kProcSaveFile = 21;
constexpr int kProcSaveAsFile = 22;
constexpr int kProcAddRhyMel = 23;
constexpr int kProcGetReturnCodeData = 24;
constexpr int kProcChangeWindow = 25;
constexpr int kProcInitialMenu = 26;
constexpr int kProcConvertSMFAll = 27;
constexpr int kProcConvertSMFPart = 28;
constexpr int kProcConvertWAVAll = 29;
constexpr int kProcConvertWAVPart = 30;
// Flag in the first argument of processes 29 and 30: keep the sound that
// rings on after the song's end instead of fading the file's last 10 ms.
constexpr long kWavKeepReleaseTail = 1;
constexpr int kProcSplit31 = 31;
constexpr int kProcSplit32 = 32;
constexpr int kProcSetIniFileName = 33;
constexpr int kProcSetKeyCode = 34;
constexpr int kProcTickInMeas = 36;
constexpr int kProcGetDllVersion = 37;
constexpr int kProcRealTimeSongFlag = 38;
constexpr int kProcPlayingNow = 39;
constexpr int kProcGetIntroData = 40;
constexpr int kProcGetEndingData = 41;
constexpr int kProcGetDelMelodyData = 42;
constexpr int kProcGetDelRhythmData = 43;
constexpr int kProcRemoveMelody = 44;
constexpr int kProcRemoveRhythm = 45;
constexpr int kProcGetStartPhraseData = 46;
// The measures of the last live run's recording (QM3LiveRecording).
constexpr int kProcGetLiveRecording = 47;
constexpr int kProcLast = 47;

// ---- return codes (index into the return-code table) ------------------------------
constexpr int kRcOk = 0;
constexpr int kRcError = 1;
constexpr int kRcConfirm = 2;
constexpr int kRcRecordingErased = 3;
constexpr int kRcNoMemory = 4;
constexpr int kRcFileNotRead = 5;
constexpr int kRcUnsupportedFile = 6;
constexpr int kRcPart10IsDrums = 7;
constexpr int kRcDiskFull = 8;
constexpr int kRcModuleNotFound = 9;
constexpr int kRcModuleNotFoundContinue = 10;
constexpr int kRcFileNotWritten = 11;
constexpr int kRcAudioDeviceNotOpened = 12;
constexpr int kRcMidiDeviceNotOpened = 13;
constexpr int kRcDrumSoundOutsidePart10 = 14;
constexpr int kRcSongFileVersion = 16;
constexpr int kRcSongFileBroken = 17;
constexpr int kRcNoRange = 18;
constexpr int kRcSongTooLong = 20;
constexpr int kRcDoesNotFit = 21;
constexpr int kRcIntroEndingChanged = 22;
constexpr int kRcTimesChanged = 23;
constexpr int kRcTimesIntroEndingChanged = 24;
constexpr int kRcWrongOutputDevice = 26;
constexpr int kReturnCodeCount = 27;

}  // namespace qm3
