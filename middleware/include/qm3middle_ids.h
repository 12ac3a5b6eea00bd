/* qm3middle identifiers: every control identifier, screen, menu item,
 * process number, command code, notification kind and return code a host
 * passes to or receives from the six calls of qm3middle.h. A control
 * identifier is group << 8 | index; "->" names the record an alias shares.
 *
 * Thread rules: constants only; usable from any thread, in C and C++. */
#ifndef QM3MIDDLE_IDS_H
#define QM3MIDDLE_IDS_H

/* ---- command codes (cCmd of QM3SetValue / QM3GetValue) */
#define QM3_CMD_VALUE 0
#define QM3_CMD_RANGE 1 /* minimum in the first value, maximum in the second */
#define QM3_CMD_ALIVE 2 /* enabled state */
#define QM3_CMD_WIDTH 4 /* maximum input characters */
#define QM3_CMD_TEXT 5  /* display string */
#define QM3_CMD_PARSER 6
#define QM3_CMD_FORMATTER 7

/* ---- notification kinds (lParam of a "QM3MIDDLE" message; wParam is the
 * identifier). The host reads the current state back when it handles one. */
#define QM3_NOTIFY_VALUE 0  /* value changed; for a process identifier its data */
#define QM3_NOTIFY_RANGE 1  /* minimum/maximum changed */
#define QM3_NOTIFY_ALIVE 2  /* enabled state changed */
#define QM3_NOTIFY_REDRAW 3 /* re-read every control of the screen identifier */
#define QM3_NOTIFY_WIDTH 4  /* maximum input characters changed */
#define QM3_NOTIFY_TEXT 5   /* display string changed */

/* ---- groups */
#define QM3_GROUP_OF(id) (((id) >> 8) & 0xFF)
#define QM3_INDEX_OF(id) ((id)&0xFF)
#define QM3_GROUP_PLAY_TIME 0x03
#define QM3_GROUP_REAL_TIME 0x04
#define QM3_GROUP_SONG_EDIT 0x05
#define QM3_GROUP_TRANSPORT 0x06
#define QM3_GROUP_SONG_EDIT_SECOND 0x07 /* second name of group 0x05 */
#define QM3_GROUP_CONVERT 0x08
#define QM3_GROUP_TIME_BASE 0x09
#define QM3_GROUP_MIDI_OUT 0x0A
#define QM3_GROUP_TIME_LINE 0x40
#define QM3_GROUP_PART_PANE 0x41
#define QM3_GROUP_SCREEN 0x42
#define QM3_GROUP_MENU 0x43
#define QM3_GROUP_PROCESS 0x80

/* ---- group 0x03: play-time song creation */
#define QM3_ID_START_TIME 0x0301
#define QM3_ID_END_TIME 0x0302
#define QM3_ID_RHYTHM 0x0303
#define QM3_ID_MOOD 0x0304
#define QM3_ID_MELODY_CHOICE 0x0305 /* 0 automatic, 1 user */
#define QM3_ID_USER_MELODY 0x0306
#define QM3_ID_LIVELINESS 0x0307
#define QM3_ID_INTRO 0x0308  /* 0..3 intro 1..4, 4 none */
#define QM3_ID_ENDING 0x0309 /* 0..3 ending 1..4, 4 none */
#define QM3_ID_FADE_OUT 0x030A
#define QM3_ID_FADE_OUT_SECONDS 0x030B
#define QM3_ID_CREATE_SONG_BUTTON 0x030C
#define QM3_ID_PLAY_TIME_CANCEL 0x030D
#define QM3_ID_START_PHRASE 0x030E /* 0 = A, 1 = B */
#define QM3_ID_TEMPO_SLIDER 0x030F
#define QM3_ID_PLAY_TIME_DISPLAY_MODE_LABEL 0x0310 /* -> QM3_ID_TIME_DISPLAY_MODE */

/* ---- group 0x04: real-time song creation */
#define QM3_ID_REAL_TIME_START_TIME 0x0401 /* -> QM3_ID_START_TIME */
#define QM3_ID_REAL_TIME_END_TIME 0x0402   /* -> QM3_ID_END_TIME */
#define QM3_ID_SONG_LENGTH 0x0403          /* ticks */
#define QM3_ID_RECORD_BUTTON 0x0404
#define QM3_ID_REAL_TIME_RHYTHM 0x0405        /* -> QM3_ID_RHYTHM */
#define QM3_ID_REAL_TIME_MOOD 0x0406          /* -> QM3_ID_MOOD */
#define QM3_ID_REAL_TIME_MELODY_CHOICE 0x0407 /* -> QM3_ID_MELODY_CHOICE */
#define QM3_ID_REAL_TIME_USER_MELODY 0x0408   /* -> QM3_ID_USER_MELODY */
#define QM3_ID_TEMPO 0x0409                   /* whole BPM as the host sees it */
#define QM3_ID_STANDARD_TEMPO_BUTTON 0x040A
/* Lamps and buttons alternate: lamp n at an odd index, its button right after. */
#define QM3_ID_INTRO_LAMP(n) (0x040B + 2 * ((n)-1))     /* n = 1..4 */
#define QM3_ID_INTRO_BUTTON(n) (0x040C + 2 * ((n)-1))   /* n = 1..4 */
#define QM3_ID_VARIATION_LAMP(n) (0x0413 + 2 * ((n)-1)) /* n = 1..4 */
#define QM3_ID_VARIATION_BUTTON(n) (0x0414 + 2 * ((n)-1))
#define QM3_ID_FILL_IN_LAMP(n) (0x041B + 2 * ((n)-1)) /* n = 1..2 */
#define QM3_ID_FILL_IN_BUTTON(n) (0x041C + 2 * ((n)-1))
#define QM3_ID_FIRST_LAMP 0x040B
#define QM3_ID_LAST_LAMP 0x041D
#define QM3_ID_FADE_OUT_BUTTON 0x041F
#define QM3_ID_REAL_TIME_OK 0x0420
#define QM3_ID_REAL_TIME_CANCEL 0x0421
#define QM3_ID_REAL_TIME_START_PHRASE 0x0422       /* -> QM3_ID_START_PHRASE */
#define QM3_ID_REAL_TIME_DISPLAY_MODE_LABEL 0x0423 /* -> QM3_ID_TIME_DISPLAY_MODE */

/* ---- group 0x05 (also 0x07): song edit screen */
#define QM3_ID_EDITING_MODE 0x0501        /* 0 song, 1 SMF, 2 content */
#define QM3_ID_EDITING_MODE_SECOND 0x0502 /* -> QM3_ID_EDITING_MODE */
#define QM3_ID_SYNC_METHOD 0x0503         /* 0 two sync points, 1 point 1 + tempo */
#define QM3_ID_EDIT_START_TIME 0x0504     /* -> QM3_ID_START_TIME */
#define QM3_ID_EDIT_END_TIME 0x0505       /* -> QM3_ID_END_TIME */
#define QM3_ID_SYNC1_TIME 0x0506
#define QM3_ID_SYNC1_MEASURE 0x0507
#define QM3_ID_SYNC2_TIME 0x0508
#define QM3_ID_SYNC2_MEASURE 0x0509
#define QM3_ID_EDIT_TEMPO 0x050A                 /* -> QM3_ID_TEMPO, seen in 1/100 BPM */
#define QM3_ID_EDIT_STANDARD_TEMPO_BUTTON 0x050B /* -> QM3_ID_STANDARD_TEMPO_BUTTON */
#define QM3_ID_EDIT_FADE_OUT 0x050C              /* -> QM3_ID_FADE_OUT */
#define QM3_ID_EDIT_FADE_OUT_SECONDS 0x050D      /* -> QM3_ID_FADE_OUT_SECONDS */

/* ---- group 0x06: transport */
#define QM3_ID_MAIN_VOLUME 0x0601
#define QM3_ID_RETURN_TO_TOP 0x0602
#define QM3_ID_REWIND 0x0603
#define QM3_ID_FAST_FORWARD 0x0604
#define QM3_ID_STOP 0x0605
#define QM3_ID_PLAY 0x0606                 /* handler: a write toggles the play flag */
#define QM3_ID_RETURN_TO_TOP_SECOND 0x0607 /* same record as QM3_ID_RETURN_TO_TOP */

/* ---- group 0x08: conversion progress */
#define QM3_ID_CONVERT_PROGRESS 0x0801
#define QM3_ID_CONVERT_REMAINING 0x0802
#define QM3_ID_CONVERT_CANCEL 0x0803
#define QM3_ID_CONVERT_GM_VOICES 0x0804 /* 1: SMF export writes General MIDI programs */

/* ---- group 0x09: time base */
#define QM3_ID_TIME_BASE 0x0901 /* 0 = 24, 1 = 25, 2 = 29.97, 3 = 30 fps */
#define QM3_ID_TIME_DISPLAY_MODE 0x0902
#define QM3_ID_TIME_BASE_OK 0x0903
#define QM3_ID_TIME_BASE_CANCEL 0x0904

/* ---- group 0x0A: MIDI output */
#define QM3_ID_MIDI_OUT_DEVICE 0x0A01        /* index into the device list */
#define QM3_ID_MIDI_OUT_DEVICE_SECOND 0x0A02 /* same record */
#define QM3_ID_MIDI_OUT_OK 0x0A03
#define QM3_ID_MIDI_OUT_CANCEL 0x0A04

/* ---- group 0x40: song time-line pane */
#define QM3_ID_POINTER_TIME 0x4001
#define QM3_ID_POINTER_TICKS 0x4002
#define QM3_ID_PHRASE_VARIATION 0x4003 /* 0..3 */
#define QM3_ID_PHRASE_FILL_IN 0x4004   /* 0..2 ("1", "2", none) */
#define QM3_ID_PHRASE_ACCOMP1 0x4005
#define QM3_ID_PHRASE_ACCOMP2 0x4006
#define QM3_ID_PHRASE_ACCOMP3 0x4007
#define QM3_ID_PHRASE_BASS 0x4008
#define QM3_ID_PHRASE_DRUMS 0x4009
#define QM3_ID_PHRASE_MELODY 0x400A
#define QM3_ID_SONG_TIME_LINE_AREA 0x400B /* no record */

/* ---- group 0x41: SMF part pane */
#define QM3_ID_PART_POINTER_TIME 0x4101  /* -> QM3_ID_POINTER_TIME */
#define QM3_ID_PART_POINTER_TICKS 0x4102 /* -> QM3_ID_POINTER_TICKS */
#define QM3_PART_COUNT 16
/* part = 1..16; the play flags share the mode bank */
#define QM3_ID_PART_PLAY(part) (0x4103 + 4 * ((part)-1))
#define QM3_ID_PART_SOUND(part) (0x4104 + 4 * ((part)-1))
#define QM3_ID_PART_VOLUME(part) (0x4105 + 4 * ((part)-1))
#define QM3_ID_PART_PAN(part) (0x4106 + 4 * ((part)-1))
#define QM3_ID_PART_AREA 0x4143 /* no record */

/* ---- group 0x42: screens (identifier 0x4200 | screen number) */
#define QM3_ID_SCREEN(screen) (0x4200 | ((screen)&0xFF))
#define QM3_SCREEN_NONE 0
#define QM3_SCREEN_PLAY_TIME 3
#define QM3_SCREEN_REAL_TIME 4
#define QM3_SCREEN_SONG_EDIT 5
#define QM3_SCREEN_TRANSPORT 6
#define QM3_SCREEN_SMF_EDIT 7
#define QM3_SCREEN_CONVERT 8
#define QM3_SCREEN_TIME_BASE 9
#define QM3_SCREEN_MIDI_OUT 10
#define QM3_ID_TRANSPORT_SCREEN 0x4206
#define QM3_ID_SONG_TIME_LINE_PANE 0x4240 /* redraw target only */
#define QM3_ID_SMF_PART_PANE 0x4241       /* redraw target only */

/* ---- group 0x43: menu items */
#define QM3_ID_MENU_NEW_PLAY_TIME_SONG 0x4301
#define QM3_ID_MENU_NEW_REAL_TIME_SONG 0x4302
#define QM3_ID_MENU_OPEN 0x4303
#define QM3_ID_MENU_UNUSED4 0x4304
#define QM3_ID_MENU_SAVE 0x4305
#define QM3_ID_MENU_SAVE_AS 0x4306
#define QM3_ID_MENU_SONG_TO_SMF 0x4307
#define QM3_ID_MENU_SONG_TO_AUDIO 0x4308
#define QM3_ID_MENU_SELECTION_TO_SMF 0x4309
#define QM3_ID_MENU_SELECTION_TO_AUDIO 0x430A
#define QM3_ID_MENU_ADD_RHYTHM 0x430B
#define QM3_ID_MENU_ADD_MELODY 0x430C
#define QM3_ID_MENU_EXIT 0x430D
#define QM3_ID_MENU_REMOVE_RHYTHM 0x430E
#define QM3_ID_MENU_REMOVE_MELODY 0x430F
#define QM3_ID_MENU_UNDO 0x4315
#define QM3_ID_MENU_REDO 0x4316
#define QM3_ID_MENU_RE_EDIT_STRUCTURE 0x4317
#define QM3_ID_MENU_SYNC_TWO_POINTS 0x431F
#define QM3_ID_MENU_SYNC_POINT_AND_TEMPO 0x4320
#define QM3_ID_MENU_TIME_BASE_SETTINGS 0x4329
#define QM3_ID_MENU_MIDI_OUT_SETTINGS 0x432A
#define QM3_ID_MENU_PRE_COUNT 0x432B /* a write toggles it */
#define QM3_ID_MENU_HELP 0x4333
#define QM3_ID_MENU_HELP_SEARCH 0x4334
#define QM3_ID_MENU_HELP_HOW_TO 0x4335
#define QM3_ID_MENU_ABOUT 0x4336 /* same record as QM3_ID_CREATE_SONG_BUTTON */

/* ---- group 0x80: processes (identifier 0x8000 + number) */
#define QM3_ID_PROCESS(number) (0x8000 | ((number)&0xFF))
#define QM3_PROC_GET_SONG_TIME_LINE_DATA 1
#define QM3_PROC_GET_SELECT_PHRASE 2
#define QM3_PROC_POINTER_POS 3
#define QM3_PROC_TICK2MEAS 4
#define QM3_PROC_MEAS2TICK 5
#define QM3_PROC_TICK2SEC 6
#define QM3_PROC_SEC2TICK 7
#define QM3_PROC_GET_SMF_TIME_LINE_DATA 8
#define QM3_PROC_GET_RHY_GROUP_DATA 9
#define QM3_PROC_GET_MELODY_DATA 10
#define QM3_PROC_GET_SOUND_GROUP_DATA 11
#define QM3_PROC_GET_OUT_DEVICE_12 12
#define QM3_PROC_GET_OUT_DEVICE 13
#define QM3_PROC_TICK_TO_TIME 14
#define QM3_PROC_TIME_TO_TICK 15
#define QM3_PROC_SET_HANDLE 16
#define QM3_PROC_OPEN_FILE 17
#define QM3_PROC_END 18
#define QM3_PROC_GET_EDIT_FILE_NAME 19
#define QM3_PROC_GET_SAVED 20
#define QM3_PROC_SAVE_FILE 21
#define QM3_PROC_SAVE_AS_FILE 22
#define QM3_PROC_ADD_RHY_MEL 23
#define QM3_PROC_GET_RETURN_CODE_DATA 24
#define QM3_PROC_CHANGE_WINDOW 25
#define QM3_PROC_INITIAL_MENU 26
#define QM3_PROC_CONVERT_SMF_ALL 27
#define QM3_PROC_CONVERT_SMF_PART 28
#define QM3_PROC_CONVERT_WAV_ALL 29
#define QM3_PROC_CONVERT_WAV_PART 30
/* Flag in the first argument of processes 29 and 30: keep the sound that
 * rings on after the song's end instead of fading the file's last 10 ms. */
#define QM3_WAV_KEEP_RELEASE_TAIL 1L
/* Flag in the first argument of processes 27 and 28: record the SMF during
 * the next conversion to WAV (one play for both files) instead of playing
 * the song now; the process returns at once. */
#define QM3_SMF_WITH_NEXT_WAV 1L
#define QM3_PROC_SPLIT_31 31
#define QM3_PROC_SPLIT_32 32
#define QM3_PROC_SET_INI_FILE_NAME 33
#define QM3_PROC_SET_KEY_CODE 34
#define QM3_PROC_TICK_IN_MEAS 36
#define QM3_PROC_GET_DLL_VERSION 37
#define QM3_PROC_REAL_TIME_SONG_FLAG 38
#define QM3_PROC_PLAYING_NOW 39
#define QM3_PROC_GET_INTRO_DATA 40
#define QM3_PROC_GET_ENDING_DATA 41
#define QM3_PROC_GET_DEL_MELODY_DATA 42
#define QM3_PROC_GET_DEL_RHYTHM_DATA 43
#define QM3_PROC_REMOVE_MELODY 44
#define QM3_PROC_REMOVE_RHYTHM 45
#define QM3_PROC_GET_START_PHRASE_DATA 46
/* The measures of the last live run's recording (QM3LiveRecording). */
#define QM3_PROC_GET_LIVE_RECORDING 47
/* The content files the last song render could not read (QM3SkippedFiles);
 * notified with QM3_NOTIFY_VALUE when a render skipped any. */
#define QM3_PROC_GET_SKIPPED_FILES 48
#define QM3_PROC_LAST 48

/* ---- return codes (index into the return-code table) */
#define QM3_RC_OK 0
#define QM3_RC_ERROR 1
#define QM3_RC_CONFIRM 2
#define QM3_RC_RECORDING_ERASED 3
#define QM3_RC_NO_MEMORY 4
#define QM3_RC_FILE_NOT_READ 5
#define QM3_RC_UNSUPPORTED_FILE 6
#define QM3_RC_PART10_IS_DRUMS 7
#define QM3_RC_DISK_FULL 8
#define QM3_RC_MODULE_NOT_FOUND 9
#define QM3_RC_MODULE_NOT_FOUND_CONTINUE 10
#define QM3_RC_FILE_NOT_WRITTEN 11
#define QM3_RC_AUDIO_DEVICE_NOT_OPENED 12
#define QM3_RC_MIDI_DEVICE_NOT_OPENED 13
#define QM3_RC_DRUM_SOUND_OUTSIDE_PART10 14
#define QM3_RC_SONG_FILE_VERSION 16
#define QM3_RC_SONG_FILE_BROKEN 17
#define QM3_RC_NO_RANGE 18
#define QM3_RC_SONG_TOO_LONG 20
#define QM3_RC_DOES_NOT_FIT 21
#define QM3_RC_INTRO_ENDING_CHANGED 22
#define QM3_RC_TIMES_CHANGED 23
#define QM3_RC_TIMES_INTRO_ENDING_CHANGED 24
#define QM3_RC_WRONG_OUTPUT_DEVICE 26

/* After the end call (process 18) every call but QM3MiddleInit returns this
 * code until the host initialises again. */
#define QM3_RC_NOT_INITIALISED QM3_RC_ERROR

#endif /* QM3MIDDLE_IDS_H */
