// The user-mode driver interface: the messages the multimedia layer sends to
// a MIDI driver library's DriverProc, modMessage and midMessage, and the two
// services it offers drivers (DriverCallback, DefDriverProc).
//
// A driver library exports, with C linkage:
//   LRESULT DriverProc(DWORD_PTR dwDriverId, HDRVR hdrvr, UINT msg, LPARAM lParam1, LPARAM
//   lParam2); DWORD modMessage(UINT uDeviceID, UINT uMsg, DWORD_PTR dwUser, DWORD_PTR dwParam1,
//   DWORD_PTR dwParam2); DWORD midMessage(UINT uDeviceID, UINT uMsg, DWORD_PTR dwUser, DWORD_PTR
//   dwParam1, DWORD_PTR dwParam2);
// and resolves DriverCallback and DefDriverProc from the loading process
// (the platform layer exports them with default visibility).
//
// Thread rules: DriverCallback may be called from a driver's own threads; it
// never blocks and does not allocate.
#pragma once
#include "platform/mmsystem.h"

namespace platform {

using LRESULT = intptr_t;
using LPARAM = intptr_t;
struct DriverHandle;
using HDRVR = DriverHandle*;

// DriverProc messages.
constexpr UINT DRV_LOAD = 0x0001;
constexpr UINT DRV_ENABLE = 0x0002;
constexpr UINT DRV_OPEN = 0x0003;
constexpr UINT DRV_CLOSE = 0x0004;
constexpr UINT DRV_DISABLE = 0x0005;
constexpr UINT DRV_FREE = 0x0006;
constexpr UINT DRV_CONFIGURE = 0x0007;
constexpr UINT DRV_QUERYCONFIGURE = 0x0008;
constexpr UINT DRV_INSTALL = 0x0009;
constexpr UINT DRV_REMOVE = 0x000A;
constexpr UINT DRV_RESERVED = 0x0800;
constexpr UINT DRV_USER = 0x4000;
constexpr LRESULT DRVCNF_OK = 1;
constexpr LRESULT DRVCNF_CANCEL = 0;

constexpr UINT DRVM_INIT = 100;
constexpr UINT DRVM_EXIT = 101;

// modMessage messages.
constexpr UINT MODM_INIT = DRVM_INIT;
constexpr UINT MODM_GETNUMDEVS = 1;
constexpr UINT MODM_GETDEVCAPS = 2;
constexpr UINT MODM_OPEN = 3;
constexpr UINT MODM_CLOSE = 4;
constexpr UINT MODM_PREPARE = 5;
constexpr UINT MODM_UNPREPARE = 6;
constexpr UINT MODM_DATA = 7;
constexpr UINT MODM_LONGDATA = 8;
constexpr UINT MODM_RESET = 9;
constexpr UINT MODM_GETVOLUME = 10;
constexpr UINT MODM_SETVOLUME = 11;
constexpr UINT MODM_CACHEPATCHES = 12;
constexpr UINT MODM_CACHEDRUMPATCHES = 13;

// midMessage messages.
constexpr UINT MIDM_INIT = DRVM_INIT;
constexpr UINT MIDM_GETNUMDEVS = 53;
constexpr UINT MIDM_GETDEVCAPS = 54;
constexpr UINT MIDM_OPEN = 55;
constexpr UINT MIDM_CLOSE = 56;
constexpr UINT MIDM_PREPARE = 57;
constexpr UINT MIDM_UNPREPARE = 58;
constexpr UINT MIDM_ADDBUFFER = 59;
constexpr UINT MIDM_START = 60;
constexpr UINT MIDM_STOP = 61;
constexpr UINT MIDM_RESET = 62;

// The open description passed with MODM_OPEN / MIDM_OPEN in dwParam1; the
// open flags (CALLBACK_*) come in dwParam2.
struct MIDIOPENDESC {
  HMIDI hMidi;
  DWORD_PTR dwCallback;
  DWORD_PTR dwInstance;
  DWORD_PTR dnDevNode;
  DWORD cIds;
  DWORD_PTR rgIds[1];
};

// The capability records a driver fills for MODM_GETDEVCAPS and
// MIDM_GETDEVCAPS (dwParam1 the record, dwParam2 its size: 84 and 76 bytes),
// with names in UTF-16; the layer converts them for the midi*GetDevCaps
// callers.
using WCHAR = char16_t;
struct MIDIOUTCAPSW {
  WORD wMid;
  WORD wPid;
  MMVERSION vDriverVersion;
  WCHAR szPname[MAXPNAMELEN];
  WORD wTechnology;
  WORD wVoices;
  WORD wNotes;
  WORD wChannelMask;
  DWORD dwSupport;
};
static_assert(sizeof(MIDIOUTCAPSW) == 84);
struct MIDIINCAPSW {
  WORD wMid;
  WORD wPid;
  MMVERSION vDriverVersion;
  WCHAR szPname[MAXPNAMELEN];
  DWORD dwSupport;
};
static_assert(sizeof(MIDIINCAPSW) == 76);

// Open: dwUser of MODM_OPEN/MIDM_OPEN points to a DWORD_PTR where the driver
// stores its per-client value; every later message of that client carries
// it as dwUser. Callbacks name the client's handle (MIDIOPENDESC::hMidi).

// DriverCallback flags: the callback type is HIWORD(open flags) & DCB_TYPEMASK.
constexpr DWORD DCB_NULL = 0x0000;
constexpr DWORD DCB_WINDOW = 0x0001;
constexpr DWORD DCB_TASK = 0x0002;
constexpr DWORD DCB_FUNCTION = 0x0003;
constexpr DWORD DCB_EVENT = 0x0005;
constexpr DWORD DCB_TYPEMASK = 0x0007;
constexpr DWORD DCB_NOSWITCH = 0x0008;

}  // namespace platform

extern "C" {
// Delivers a driver's message to its client as the client asked at open time.
// Returns 1 when a callback was made.
__attribute__((visibility("default"))) int DriverCallback(
    platform::DWORD_PTR dwCallback, platform::DWORD dwFlags, platform::HDRVR hDevice,
    platform::DWORD dwMsg, platform::DWORD_PTR dwUser, platform::DWORD_PTR dwParam1,
    platform::DWORD_PTR dwParam2);
__attribute__((visibility("default"))) platform::LRESULT DefDriverProc(
    platform::DWORD_PTR dwDriverIdentifier, platform::HDRVR hdrvr, platform::UINT uMsg,
    platform::LPARAM lParam1, platform::LPARAM lParam2);
}
