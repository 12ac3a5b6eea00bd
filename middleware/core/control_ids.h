// The middleware's names for the public identifiers of qm3middle_ids.h (the
// one definition of their values): control identifiers, screens, menu items,
// process numbers. Return codes are the Rc of core/result.h.
//
// Thread rules: constants only; usable anywhere.
#pragma once
#include <cstdint>

#include "qm3middle.h"
#include "qm3middle_ids.h"

namespace qm3 {

using ControlId = int32_t;

constexpr int GroupOf(ControlId id) {
  return QM3_GROUP_OF(id);
}
constexpr int IndexOf(ControlId id) {
  return QM3_INDEX_OF(id);
}

// ---- groups ------------------------------------------------------------------
constexpr int kGroupPlayTime = QM3_GROUP_PLAY_TIME;
constexpr int kGroupRealTime = QM3_GROUP_REAL_TIME;
constexpr int kGroupSongEdit = QM3_GROUP_SONG_EDIT;
constexpr int kGroupTransport = QM3_GROUP_TRANSPORT;
constexpr int kGroupSongEditSecond = QM3_GROUP_SONG_EDIT_SECOND;
constexpr int kGroupConvert = QM3_GROUP_CONVERT;
constexpr int kGroupTimeBase = QM3_GROUP_TIME_BASE;
constexpr int kGroupMidiOut = QM3_GROUP_MIDI_OUT;
constexpr int kGroupTimeLine = QM3_GROUP_TIME_LINE;
constexpr int kGroupPartPane = QM3_GROUP_PART_PANE;
constexpr int kGroupScreen = QM3_GROUP_SCREEN;
constexpr int kGroupMenu = QM3_GROUP_MENU;
constexpr int kGroupProcess = QM3_GROUP_PROCESS;
constexpr ControlId kStartTime = QM3_ID_START_TIME;
constexpr ControlId kEndTime = QM3_ID_END_TIME;
constexpr ControlId kRhythm = QM3_ID_RHYTHM;
constexpr ControlId kMood = QM3_ID_MOOD;
constexpr ControlId kMelodyChoice = QM3_ID_MELODY_CHOICE;
constexpr ControlId kUserMelody = QM3_ID_USER_MELODY;
constexpr ControlId kLiveliness = QM3_ID_LIVELINESS;
constexpr ControlId kIntro = QM3_ID_INTRO;
constexpr ControlId kEnding = QM3_ID_ENDING;
constexpr ControlId kFadeOut = QM3_ID_FADE_OUT;
constexpr ControlId kFadeOutSeconds = QM3_ID_FADE_OUT_SECONDS;
constexpr ControlId kCreateSongButton = QM3_ID_CREATE_SONG_BUTTON;
constexpr ControlId kPlayTimeCancel = QM3_ID_PLAY_TIME_CANCEL;
constexpr ControlId kStartPhrase = QM3_ID_START_PHRASE;
constexpr ControlId kTempoSlider = QM3_ID_TEMPO_SLIDER;
constexpr ControlId kPlayTimeDisplayModeLabel = QM3_ID_PLAY_TIME_DISPLAY_MODE_LABEL;

// ---- group 0x04: real-time song creation --------------------------------------------
constexpr ControlId kRealTimeStartTime = QM3_ID_REAL_TIME_START_TIME;
constexpr ControlId kRealTimeEndTime = QM3_ID_REAL_TIME_END_TIME;
constexpr ControlId kSongLength = QM3_ID_SONG_LENGTH;
constexpr ControlId kRecordButton = QM3_ID_RECORD_BUTTON;
constexpr ControlId kRealTimeRhythm = QM3_ID_REAL_TIME_RHYTHM;
constexpr ControlId kRealTimeMood = QM3_ID_REAL_TIME_MOOD;
constexpr ControlId kRealTimeMelodyChoice = QM3_ID_REAL_TIME_MELODY_CHOICE;
constexpr ControlId kRealTimeUserMelody = QM3_ID_REAL_TIME_USER_MELODY;
constexpr ControlId kTempo = QM3_ID_TEMPO;
constexpr ControlId kStandardTempoButton = QM3_ID_STANDARD_TEMPO_BUTTON;
constexpr ControlId IntroLamp(int n) {  // n = 1..4
  return QM3_ID_INTRO_LAMP(n);
}
constexpr ControlId IntroButton(int n) {
  return QM3_ID_INTRO_BUTTON(n);
}
constexpr ControlId VariationLamp(int n) {  // n = 1..4
  return QM3_ID_VARIATION_LAMP(n);
}
constexpr ControlId VariationButton(int n) {
  return QM3_ID_VARIATION_BUTTON(n);
}
constexpr ControlId FillInLamp(int n) {  // n = 1..2
  return QM3_ID_FILL_IN_LAMP(n);
}
constexpr ControlId FillInButton(int n) {
  return QM3_ID_FILL_IN_BUTTON(n);
}
constexpr ControlId kFirstLamp = QM3_ID_FIRST_LAMP;
constexpr ControlId kLastLamp = QM3_ID_LAST_LAMP;
constexpr ControlId kFadeOutButton = QM3_ID_FADE_OUT_BUTTON;
constexpr ControlId kRealTimeOk = QM3_ID_REAL_TIME_OK;
constexpr ControlId kRealTimeCancel = QM3_ID_REAL_TIME_CANCEL;
constexpr ControlId kRealTimeStartPhrase = QM3_ID_REAL_TIME_START_PHRASE;
constexpr ControlId kRealTimeDisplayModeLabel = QM3_ID_REAL_TIME_DISPLAY_MODE_LABEL;

// ---- group 0x05 (also 0x07): song edit screen -----------------------------------
constexpr ControlId kEditingMode = QM3_ID_EDITING_MODE;
constexpr ControlId kEditingModeSecond = QM3_ID_EDITING_MODE_SECOND;
constexpr ControlId kSyncMethod = QM3_ID_SYNC_METHOD;
constexpr ControlId kEditStartTime = QM3_ID_EDIT_START_TIME;
constexpr ControlId kEditEndTime = QM3_ID_EDIT_END_TIME;
constexpr ControlId kSync1Time = QM3_ID_SYNC1_TIME;
constexpr ControlId kSync1Measure = QM3_ID_SYNC1_MEASURE;
constexpr ControlId kSync2Time = QM3_ID_SYNC2_TIME;
constexpr ControlId kSync2Measure = QM3_ID_SYNC2_MEASURE;
constexpr ControlId kEditTempo = QM3_ID_EDIT_TEMPO;
constexpr ControlId kEditStandardTempoButton = QM3_ID_EDIT_STANDARD_TEMPO_BUTTON;
constexpr ControlId kEditFadeOut = QM3_ID_EDIT_FADE_OUT;
constexpr ControlId kEditFadeOutSeconds = QM3_ID_EDIT_FADE_OUT_SECONDS;

// ---- group 0x06: transport ----------------------------------------------------------
constexpr ControlId kMainVolume = QM3_ID_MAIN_VOLUME;
constexpr ControlId kReturnToTop = QM3_ID_RETURN_TO_TOP;
constexpr ControlId kRewind = QM3_ID_REWIND;
constexpr ControlId kFastForward = QM3_ID_FAST_FORWARD;
constexpr ControlId kStop = QM3_ID_STOP;
constexpr ControlId kPlay = QM3_ID_PLAY;
constexpr ControlId kReturnToTopSecond = QM3_ID_RETURN_TO_TOP_SECOND;

// ---- group 0x08: conversion progress ------------------------------------------------
constexpr ControlId kConvertProgress = QM3_ID_CONVERT_PROGRESS;
constexpr ControlId kConvertRemaining = QM3_ID_CONVERT_REMAINING;
constexpr ControlId kConvertCancel = QM3_ID_CONVERT_CANCEL;
constexpr ControlId kConvertGmVoices = QM3_ID_CONVERT_GM_VOICES;
constexpr ControlId kTimeBase = QM3_ID_TIME_BASE;
constexpr ControlId kTimeDisplayMode = QM3_ID_TIME_DISPLAY_MODE;
constexpr ControlId kTimeBaseOk = QM3_ID_TIME_BASE_OK;
constexpr ControlId kTimeBaseCancel = QM3_ID_TIME_BASE_CANCEL;
constexpr ControlId kMidiOutDevice = QM3_ID_MIDI_OUT_DEVICE;
constexpr ControlId kMidiOutDeviceSecond = QM3_ID_MIDI_OUT_DEVICE_SECOND;
constexpr ControlId kMidiOutOk = QM3_ID_MIDI_OUT_OK;
constexpr ControlId kMidiOutCancel = QM3_ID_MIDI_OUT_CANCEL;
constexpr ControlId kPointerTime = QM3_ID_POINTER_TIME;
constexpr ControlId kPointerTicks = QM3_ID_POINTER_TICKS;
constexpr ControlId kPhraseVariation = QM3_ID_PHRASE_VARIATION;
constexpr ControlId kPhraseFillIn = QM3_ID_PHRASE_FILL_IN;
constexpr ControlId kPhraseAccomp1 = QM3_ID_PHRASE_ACCOMP1;
constexpr ControlId kPhraseAccomp2 = QM3_ID_PHRASE_ACCOMP2;
constexpr ControlId kPhraseAccomp3 = QM3_ID_PHRASE_ACCOMP3;
constexpr ControlId kPhraseBass = QM3_ID_PHRASE_BASS;
constexpr ControlId kPhraseDrums = QM3_ID_PHRASE_DRUMS;
constexpr ControlId kPhraseMelody = QM3_ID_PHRASE_MELODY;
constexpr ControlId kSongTimeLineArea = QM3_ID_SONG_TIME_LINE_AREA;

// ---- group 0x41: SMF part pane ------------------------------------------------------
constexpr ControlId kPartPointerTime = QM3_ID_PART_POINTER_TIME;
constexpr ControlId kPartPointerTicks = QM3_ID_PART_POINTER_TICKS;
constexpr int kPartCount = QM3_PART_COUNT;
constexpr ControlId PartPlay(int part) {  // part = 1..16; shares the mode bank
  return QM3_ID_PART_PLAY(part);
}
constexpr ControlId PartSound(int part) {
  return QM3_ID_PART_SOUND(part);
}
constexpr ControlId PartVolume(int part) {
  return QM3_ID_PART_VOLUME(part);
}
constexpr ControlId PartPan(int part) {
  return QM3_ID_PART_PAN(part);
}
constexpr ControlId kPartArea = QM3_ID_PART_AREA;

// ---- group 0x42: screens ------------------------------------------------------------
constexpr ControlId ScreenId(int screen) {
  return QM3_ID_SCREEN(screen);
}
constexpr int kScreenNone = QM3_SCREEN_NONE;
constexpr int kScreenPlayTime = QM3_SCREEN_PLAY_TIME;
constexpr int kScreenRealTime = QM3_SCREEN_REAL_TIME;
constexpr int kScreenSongEdit = QM3_SCREEN_SONG_EDIT;
constexpr int kScreenTransport = QM3_SCREEN_TRANSPORT;
constexpr int kScreenSmfEdit = QM3_SCREEN_SMF_EDIT;
constexpr int kScreenConvert = QM3_SCREEN_CONVERT;
constexpr int kScreenTimeBase = QM3_SCREEN_TIME_BASE;
constexpr int kScreenMidiOut = QM3_SCREEN_MIDI_OUT;
constexpr ControlId kTransportScreenId = QM3_ID_TRANSPORT_SCREEN;
constexpr ControlId kSongTimeLinePane = QM3_ID_SONG_TIME_LINE_PANE;
constexpr ControlId kSmfPartPane = QM3_ID_SMF_PART_PANE;

// ---- group 0x43: menu items ----------------------------------------------------------
constexpr ControlId kMenuNewPlayTimeSong = QM3_ID_MENU_NEW_PLAY_TIME_SONG;
constexpr ControlId kMenuNewRealTimeSong = QM3_ID_MENU_NEW_REAL_TIME_SONG;
constexpr ControlId kMenuOpen = QM3_ID_MENU_OPEN;
constexpr ControlId kMenuUnused4 = QM3_ID_MENU_UNUSED4;
constexpr ControlId kMenuSave = QM3_ID_MENU_SAVE;
constexpr ControlId kMenuSaveAs = QM3_ID_MENU_SAVE_AS;
constexpr ControlId kMenuSongToSmf = QM3_ID_MENU_SONG_TO_SMF;
constexpr ControlId kMenuSongToAudio = QM3_ID_MENU_SONG_TO_AUDIO;
constexpr ControlId kMenuSelectionToSmf = QM3_ID_MENU_SELECTION_TO_SMF;
constexpr ControlId kMenuSelectionToAudio = QM3_ID_MENU_SELECTION_TO_AUDIO;
constexpr ControlId kMenuAddRhythm = QM3_ID_MENU_ADD_RHYTHM;
constexpr ControlId kMenuAddMelody = QM3_ID_MENU_ADD_MELODY;
constexpr ControlId kMenuExit = QM3_ID_MENU_EXIT;
constexpr ControlId kMenuRemoveRhythm = QM3_ID_MENU_REMOVE_RHYTHM;
constexpr ControlId kMenuRemoveMelody = QM3_ID_MENU_REMOVE_MELODY;
constexpr ControlId kMenuUndo = QM3_ID_MENU_UNDO;
constexpr ControlId kMenuRedo = QM3_ID_MENU_REDO;
constexpr ControlId kMenuReEditStructure = QM3_ID_MENU_RE_EDIT_STRUCTURE;
constexpr ControlId kMenuSyncTwoPoints = QM3_ID_MENU_SYNC_TWO_POINTS;
constexpr ControlId kMenuSyncPointAndTempo = QM3_ID_MENU_SYNC_POINT_AND_TEMPO;
constexpr ControlId kMenuTimeBaseSettings = QM3_ID_MENU_TIME_BASE_SETTINGS;
constexpr ControlId kMenuMidiOutSettings = QM3_ID_MENU_MIDI_OUT_SETTINGS;
constexpr ControlId kMenuPreCount = QM3_ID_MENU_PRE_COUNT;
constexpr ControlId kMenuHelp = QM3_ID_MENU_HELP;
constexpr ControlId kMenuHelpSearch = QM3_ID_MENU_HELP_SEARCH;
constexpr ControlId kMenuHelpHowTo = QM3_ID_MENU_HELP_HOW_TO;
constexpr ControlId kMenuAbout = QM3_ID_MENU_ABOUT;

// ---- group 0x80: processes (identifier 0x8000 + number) ---------------------------
constexpr ControlId ProcessId(int number) {
  return QM3_ID_PROCESS(number);
}
constexpr int kProcGetSongTimeLineData = QM3_PROC_GET_SONG_TIME_LINE_DATA;
constexpr int kProcGetSelectPhrase = QM3_PROC_GET_SELECT_PHRASE;
constexpr int kProcPointerPos = QM3_PROC_POINTER_POS;
constexpr int kProcTick2Meas = QM3_PROC_TICK2MEAS;
constexpr int kProcMeas2Tick = QM3_PROC_MEAS2TICK;
constexpr int kProcTick2Sec = QM3_PROC_TICK2SEC;
constexpr int kProcSec2Tick = QM3_PROC_SEC2TICK;
constexpr int kProcGetSMFTimeLineData = QM3_PROC_GET_SMF_TIME_LINE_DATA;
constexpr int kProcGetRhyGroupData = QM3_PROC_GET_RHY_GROUP_DATA;
constexpr int kProcGetMelodyData = QM3_PROC_GET_MELODY_DATA;
constexpr int kProcGetSoundGroupData = QM3_PROC_GET_SOUND_GROUP_DATA;
constexpr int kProcGetOutDevice12 = QM3_PROC_GET_OUT_DEVICE_12;
constexpr int kProcGetOutDevice = QM3_PROC_GET_OUT_DEVICE;
constexpr int kProcTickToTime = QM3_PROC_TICK_TO_TIME;
constexpr int kProcTimeToTick = QM3_PROC_TIME_TO_TICK;
constexpr int kProcSetHandle = QM3_PROC_SET_HANDLE;
constexpr int kProcOpenFile = QM3_PROC_OPEN_FILE;
constexpr int kProcEnd = QM3_PROC_END;
constexpr int kProcGetEditFileName = QM3_PROC_GET_EDIT_FILE_NAME;
constexpr int kProcGetSaved = QM3_PROC_GET_SAVED;
constexpr int kProcSaveFile = QM3_PROC_SAVE_FILE;
constexpr int kProcSaveAsFile = QM3_PROC_SAVE_AS_FILE;
constexpr int kProcAddRhyMel = QM3_PROC_ADD_RHY_MEL;
constexpr int kProcGetReturnCodeData = QM3_PROC_GET_RETURN_CODE_DATA;
constexpr int kProcChangeWindow = QM3_PROC_CHANGE_WINDOW;
constexpr int kProcInitialMenu = QM3_PROC_INITIAL_MENU;
constexpr int kProcConvertSMFAll = QM3_PROC_CONVERT_SMF_ALL;
constexpr int kProcConvertSMFPart = QM3_PROC_CONVERT_SMF_PART;
constexpr int kProcConvertWAVAll = QM3_PROC_CONVERT_WAV_ALL;
constexpr int kProcConvertWAVPart = QM3_PROC_CONVERT_WAV_PART;
constexpr long kWavKeepReleaseTail = QM3_WAV_KEEP_RELEASE_TAIL;
constexpr long kSmfWithNextWav = QM3_SMF_WITH_NEXT_WAV;
constexpr int kProcSplit31 = QM3_PROC_SPLIT_31;
constexpr int kProcSplit32 = QM3_PROC_SPLIT_32;
constexpr int kProcSetIniFileName = QM3_PROC_SET_INI_FILE_NAME;
constexpr int kProcSetKeyCode = QM3_PROC_SET_KEY_CODE;
constexpr int kProcTickInMeas = QM3_PROC_TICK_IN_MEAS;
constexpr int kProcGetDllVersion = QM3_PROC_GET_DLL_VERSION;
constexpr int kProcRealTimeSongFlag = QM3_PROC_REAL_TIME_SONG_FLAG;
constexpr int kProcPlayingNow = QM3_PROC_PLAYING_NOW;
constexpr int kProcGetIntroData = QM3_PROC_GET_INTRO_DATA;
constexpr int kProcGetEndingData = QM3_PROC_GET_ENDING_DATA;
constexpr int kProcGetDelMelodyData = QM3_PROC_GET_DEL_MELODY_DATA;
constexpr int kProcGetDelRhythmData = QM3_PROC_GET_DEL_RHYTHM_DATA;
constexpr int kProcRemoveMelody = QM3_PROC_REMOVE_MELODY;
constexpr int kProcRemoveRhythm = QM3_PROC_REMOVE_RHYTHM;
constexpr int kProcGetStartPhraseData = QM3_PROC_GET_START_PHRASE_DATA;
constexpr int kProcGetLiveRecording = QM3_PROC_GET_LIVE_RECORDING;
constexpr int kProcGetSkippedFiles = QM3_PROC_GET_SKIPPED_FILES;
constexpr int kProcLast = QM3_PROC_LAST;

}  // namespace qm3
