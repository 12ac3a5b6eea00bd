// The multimedia interface the middleware and the driver were designed
// against: MIDI output, MIDI streams, MIDI input and wave input, with the
// published result codes and structures. Implemented by platform/ on top of
// loaded user-mode drivers, the ALSA sequencer, the in-memory loopback and
// in-process audio sources.
//
// Thread rules: open/close/prepare/send calls may come from any thread but a
// handle is used by one thread at a time (as on Windows). Callbacks (CALLBACK_
// FUNCTION) run on device threads: they must not block, and must not call
// close/reset on the handle that called them.
#pragma once
#include <cstdint>

namespace platform {

using UINT = uint32_t;
using DWORD = uint32_t;
using WORD = uint16_t;
using BYTE = uint8_t;
using DWORD_PTR = uintptr_t;
using MMRESULT = uint32_t;
using MMVERSION = uint32_t;
using LPSTR = char*;

struct MidiHandle;
using HMIDI = MidiHandle*;
using HMIDIOUT = MidiHandle*;
using HMIDIIN = MidiHandle*;
using HMIDISTRM = MidiHandle*;
struct WaveHandle;
using HWAVEIN = WaveHandle*;

constexpr UINT MAXPNAMELEN = 32;

// ---- result codes -----------------------------------------------------------
constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_NOTENABLED = 3;
constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_NOTSUPPORTED = 8;
constexpr MMRESULT MMSYSERR_BADERRNUM = 9;
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MMSYSERR_HANDLEBUSY = 12;
constexpr MMRESULT MMSYSERR_NODRIVERCB = 20;
constexpr MMRESULT MMSYSERR_MOREDATA = 21;
constexpr MMRESULT WAVERR_BADFORMAT = 32;
constexpr MMRESULT WAVERR_STILLPLAYING = 33;
constexpr MMRESULT WAVERR_UNPREPARED = 34;
constexpr MMRESULT MIDIERR_UNPREPARED = 64;
constexpr MMRESULT MIDIERR_STILLPLAYING = 65;
constexpr MMRESULT MIDIERR_NOMAP = 66;
constexpr MMRESULT MIDIERR_NOTREADY = 67;
constexpr MMRESULT MIDIERR_NODEVICE = 68;
constexpr MMRESULT MIDIERR_INVALIDSETUP = 69;
constexpr MMRESULT MIDIERR_BADOPENMODE = 70;
constexpr MMRESULT MIDIERR_DONT_CONTINUE = 71;

// ---- callbacks -----------------------------------------------------------
constexpr DWORD CALLBACK_TYPEMASK = 0x00070000;
constexpr DWORD CALLBACK_NULL = 0x00000000;
constexpr DWORD CALLBACK_WINDOW = 0x00010000;
constexpr DWORD CALLBACK_THREAD = 0x00020000;
constexpr DWORD CALLBACK_FUNCTION = 0x00030000;
constexpr DWORD CALLBACK_EVENT = 0x00050000;
constexpr DWORD MIDI_IO_STATUS = 0x00000020;
// midiInOpen, this platform's own: the client keeps only each message and its
// time stamp (a recorder), so on the virtual clock a driver may hand messages
// over in batches after their time, each with the time stamp it would have
// had; midiInStop and midiInReset first hand over every message stamped
// before the stop. On the real clock, and for other clients, nothing changes.
constexpr DWORD MIDI_IO_BATCHED = 0x00000100;
// With CALLBACK_EVENT, dwCallback is a platform::Event* (platform/clock.h),
// set once per callback message. With CALLBACK_WINDOW it is a host window
// (platform/host_window.h) that receives (message, handle, param1).
constexpr DWORD WAVE_FORMAT_QUERY = 0x00000001;

constexpr UINT MM_WIM_OPEN = 0x3BE;
constexpr UINT MM_WIM_CLOSE = 0x3BF;
constexpr UINT MM_WIM_DATA = 0x3C0;
constexpr UINT MM_MIM_OPEN = 0x3C1;
constexpr UINT MM_MIM_CLOSE = 0x3C2;
constexpr UINT MM_MIM_DATA = 0x3C3;
constexpr UINT MM_MIM_LONGDATA = 0x3C4;
constexpr UINT MM_MIM_ERROR = 0x3C5;
constexpr UINT MM_MIM_LONGERROR = 0x3C6;
constexpr UINT MM_MOM_OPEN = 0x3C7;
constexpr UINT MM_MOM_CLOSE = 0x3C8;
constexpr UINT MM_MOM_DONE = 0x3C9;
constexpr UINT MM_MOM_POSITIONCB = 0x3CA;
constexpr UINT MM_MIM_MOREDATA = 0x3CC;
constexpr UINT MOM_OPEN = MM_MOM_OPEN, MOM_CLOSE = MM_MOM_CLOSE, MOM_DONE = MM_MOM_DONE;
constexpr UINT MOM_POSITIONCB = MM_MOM_POSITIONCB;
constexpr UINT MIM_OPEN = MM_MIM_OPEN, MIM_CLOSE = MM_MIM_CLOSE, MIM_DATA = MM_MIM_DATA;
constexpr UINT MIM_LONGDATA = MM_MIM_LONGDATA, MIM_ERROR = MM_MIM_ERROR;
constexpr UINT MIM_LONGERROR = MM_MIM_LONGERROR, MIM_MOREDATA = MM_MIM_MOREDATA;
constexpr UINT WIM_OPEN = MM_WIM_OPEN, WIM_CLOSE = MM_WIM_CLOSE, WIM_DATA = MM_WIM_DATA;

// fn(handle, message, instance, param1, param2)
using MidiCallback = void (*)(HMIDI, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);
using WaveCallback = void (*)(HWAVEIN, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);

// ---- headers ---------------------------------------------------------------
constexpr DWORD MHDR_DONE = 0x00000001;
constexpr DWORD MHDR_PREPARED = 0x00000002;
constexpr DWORD MHDR_INQUEUE = 0x00000004;
constexpr DWORD MHDR_ISSTRM = 0x00000008;

struct MIDIHDR {
  LPSTR lpData;
  DWORD dwBufferLength;
  DWORD dwBytesRecorded;
  DWORD_PTR dwUser;
  DWORD dwFlags;
  MIDIHDR* lpNext;
  DWORD_PTR reserved;
  DWORD dwOffset;
  DWORD_PTR dwReserved[8];
};

constexpr DWORD WHDR_DONE = 0x00000001;
constexpr DWORD WHDR_PREPARED = 0x00000002;
constexpr DWORD WHDR_INQUEUE = 0x00000010;

struct WAVEHDR {
  LPSTR lpData;
  DWORD dwBufferLength;
  DWORD dwBytesRecorded;
  DWORD_PTR dwUser;
  DWORD dwFlags;
  DWORD dwLoops;
  WAVEHDR* lpNext;
  DWORD_PTR reserved;
};

constexpr WORD WAVE_FORMAT_PCM = 1;
struct WAVEFORMATEX {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wBitsPerSample;
  WORD cbSize;
};

// ---- capabilities ------------------------------------------------------------
constexpr WORD MOD_MIDIPORT = 1;
constexpr WORD MOD_SYNTH = 2;
constexpr WORD MOD_SWSYNTH = 7;

struct MIDIOUTCAPS {
  WORD wMid;
  WORD wPid;
  MMVERSION vDriverVersion;
  char szPname[MAXPNAMELEN];
  WORD wTechnology;
  WORD wVoices;
  WORD wNotes;
  WORD wChannelMask;
  DWORD dwSupport;
};

struct MIDIINCAPS {
  WORD wMid;
  WORD wPid;
  MMVERSION vDriverVersion;
  char szPname[MAXPNAMELEN];
  DWORD dwSupport;
};

struct WAVEINCAPS {
  WORD wMid;
  WORD wPid;
  MMVERSION vDriverVersion;
  char szPname[MAXPNAMELEN];
  DWORD dwFormats;
  WORD wChannels;
  WORD wReserved1;
};

// ---- streams -------------------------------------------------------------------
constexpr DWORD MEVT_F_SHORT = 0x00000000;
constexpr DWORD MEVT_F_LONG = 0x80000000;
constexpr DWORD MEVT_F_CALLBACK = 0x40000000;
constexpr BYTE MEVT_SHORTMSG = 0x00;
constexpr BYTE MEVT_TEMPO = 0x01;
constexpr BYTE MEVT_NOP = 0x02;
constexpr BYTE MEVT_LONGMSG = 0x80;
constexpr BYTE MEVT_COMMENT = 0x82;
constexpr BYTE MEVT_VERSION = 0x84;
constexpr BYTE MEVT_EVENTTYPE(DWORD x) {
  return static_cast<BYTE>((x >> 24) & 0xFF);
}
constexpr DWORD MEVT_EVENTPARM(DWORD x) {
  return x & 0x00FFFFFF;
}

// One stream event as it lies in a MIDIHDR's buffer; long events carry
// MEVT_EVENTPARM(dwEvent) bytes after dwEvent, padded to a multiple of 4.
struct MIDIEVENT {
  DWORD dwDeltaTime;
  DWORD dwStreamID;
  DWORD dwEvent;
  DWORD dwParms[1];
};

constexpr DWORD MIDIPROP_SET = 0x80000000;
constexpr DWORD MIDIPROP_GET = 0x40000000;
constexpr DWORD MIDIPROP_TIMEDIV = 0x00000001;
constexpr DWORD MIDIPROP_TEMPO = 0x00000002;
struct MIDIPROPTIMEDIV {
  DWORD cbStruct;
  DWORD dwTimeDiv;
};
struct MIDIPROPTEMPO {
  DWORD cbStruct;
  DWORD dwTempo;
};

constexpr UINT TIME_MS = 0x0001;
constexpr UINT TIME_SAMPLES = 0x0002;
constexpr UINT TIME_BYTES = 0x0004;
constexpr UINT TIME_MIDI = 0x0010;
constexpr UINT TIME_TICKS = 0x0020;
struct MMTIME {
  UINT wType;
  union {
    DWORD ms;
    DWORD sample;
    DWORD cb;
    DWORD ticks;
    struct {
      DWORD songptrpos;
    } midi;
  } u;
};

// ---- MIDI output -----------------------------------------------------------------
UINT midiOutGetNumDevs();
MMRESULT midiOutGetDevCaps(UINT uDeviceID, MIDIOUTCAPS* caps, UINT cbCaps);
MMRESULT midiOutOpen(HMIDIOUT* phmo, UINT uDeviceID, DWORD_PTR dwCallback, DWORD_PTR dwInstance,
                     DWORD fdwOpen);
MMRESULT midiOutClose(HMIDIOUT hmo);
MMRESULT midiOutShortMsg(HMIDIOUT hmo, DWORD dwMsg);
MMRESULT midiOutPrepareHeader(HMIDIOUT hmo, MIDIHDR* hdr, UINT cbMidiHdr);
MMRESULT midiOutUnprepareHeader(HMIDIOUT hmo, MIDIHDR* hdr, UINT cbMidiHdr);
MMRESULT midiOutLongMsg(HMIDIOUT hmo, MIDIHDR* hdr, UINT cbMidiHdr);
MMRESULT midiOutReset(HMIDIOUT hmo);

// ---- MIDI streams ---------------------------------------------------------------
MMRESULT midiStreamOpen(HMIDISTRM* phms, UINT* puDeviceID, DWORD cMidi, DWORD_PTR dwCallback,
                        DWORD_PTR dwInstance, DWORD fdwOpen);
MMRESULT midiStreamClose(HMIDISTRM hms);
MMRESULT midiStreamProperty(HMIDISTRM hms, BYTE* lppropdata, DWORD dwProperty);
MMRESULT midiStreamOut(HMIDISTRM hms, MIDIHDR* hdr, UINT cbMidiHdr);
MMRESULT midiStreamRestart(HMIDISTRM hms);
MMRESULT midiStreamPause(HMIDISTRM hms);
MMRESULT midiStreamStop(HMIDISTRM hms);
MMRESULT midiStreamPosition(HMIDISTRM hms, MMTIME* pmmt, UINT cbmmt);
// Beyond the Windows set: the clock time (GetMicroseconds) at which stream
// tick `tick` is due at the running stream's current tempo; valid for ticks
// after its last tempo change. A recorder places a tick to the sample with it.
MMRESULT midiStreamTickTime(HMIDISTRM hms, DWORD tick, uint64_t* us);

// ---- MIDI input -------------------------------------------------------------------
UINT midiInGetNumDevs();
MMRESULT midiInGetDevCaps(UINT uDeviceID, MIDIINCAPS* caps, UINT cbCaps);
MMRESULT midiInOpen(HMIDIIN* phmi, UINT uDeviceID, DWORD_PTR dwCallback, DWORD_PTR dwInstance,
                    DWORD fdwOpen);
MMRESULT midiInClose(HMIDIIN hmi);
MMRESULT midiInPrepareHeader(HMIDIIN hmi, MIDIHDR* hdr, UINT cbMidiHdr);
MMRESULT midiInUnprepareHeader(HMIDIIN hmi, MIDIHDR* hdr, UINT cbMidiHdr);
MMRESULT midiInAddBuffer(HMIDIIN hmi, MIDIHDR* hdr, UINT cbMidiHdr);
MMRESULT midiInStart(HMIDIIN hmi);
MMRESULT midiInStop(HMIDIIN hmi);
MMRESULT midiInReset(HMIDIIN hmi);

// ---- wave input ---------------------------------------------------------------------
UINT waveInGetNumDevs();
MMRESULT waveInGetDevCaps(UINT uDeviceID, WAVEINCAPS* caps, UINT cbCaps);
MMRESULT waveInOpen(HWAVEIN* phwi, UINT uDeviceID, const WAVEFORMATEX* format, DWORD_PTR dwCallback,
                    DWORD_PTR dwInstance, DWORD fdwOpen);
MMRESULT waveInClose(HWAVEIN hwi);
MMRESULT waveInPrepareHeader(HWAVEIN hwi, WAVEHDR* hdr, UINT cbwh);
MMRESULT waveInUnprepareHeader(HWAVEIN hwi, WAVEHDR* hdr, UINT cbwh);
MMRESULT waveInAddBuffer(HWAVEIN hwi, WAVEHDR* hdr, UINT cbwh);
MMRESULT waveInStart(HWAVEIN hwi);
MMRESULT waveInStop(HWAVEIN hwi);
MMRESULT waveInReset(HWAVEIN hwi);

}  // namespace platform
