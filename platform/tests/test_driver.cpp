// A tiny user-mode MIDI driver for the driver-loading tests: one output and
// one input port, a log of every message it receives, and a way for the test
// to make it deliver input.
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/mmddk.h"

using namespace platform;

namespace {

std::mutex g_mu;
std::string g_log;
MIDIOPENDESC g_out_desc{};
DWORD g_out_flags = 0;
MIDIOPENDESC g_in_desc{};
DWORD g_in_flags = 0;
constexpr LRESULT kDriverId = 0x1234;
constexpr DWORD_PTR kOutUser = 0xC0FFEE;
constexpr DWORD_PTR kInUser = 0xBEEF;

void Log(const char* fmt, unsigned long a = 0, unsigned long b = 0) {
  char line[128];
  std::snprintf(line, sizeof line, fmt, a, b);
  std::lock_guard lock(g_mu);
  g_log += line;
  g_log += ';';
}

int Callback(const MIDIOPENDESC& d, DWORD flags, DWORD msg, DWORD_PTR p1, DWORD_PTR p2) {
  return DriverCallback(d.dwCallback, (flags >> 16) & DCB_TYPEMASK,
                        reinterpret_cast<HDRVR>(d.hMidi), msg, d.dwInstance, p1, p2);
}

void CopyName(WCHAR* dst, const char16_t* src) {
  size_t i = 0;
  for (; src[i] != 0 && i + 1 < MAXPNAMELEN; ++i) dst[i] = src[i];
  dst[i] = 0;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) const char* TestDriverLog() {
  static std::string copy;
  std::lock_guard lock(g_mu);
  copy = g_log;
  g_log.clear();
  return copy.c_str();
}

__attribute__((visibility("default"))) int TestDriverSendInput(DWORD msg, DWORD stamp) {
  return Callback(g_in_desc, g_in_flags, MIM_DATA, msg, stamp);
}

__attribute__((visibility("default"))) LRESULT DriverProc(DWORD_PTR id, HDRVR hdrvr, UINT msg,
                                                          LPARAM, LPARAM) {
  static const char* names[] = {"?",         "DRV_LOAD",    "DRV_ENABLE", "DRV_OPEN",
                                "DRV_CLOSE", "DRV_DISABLE", "DRV_FREE"};
  if (msg >= 1 && msg <= 6) Log("%s(%lx)", reinterpret_cast<unsigned long>(names[msg]), id);
  if (msg == DRV_OPEN) return kDriverId;
  return DefDriverProc(id, hdrvr, msg, 0, 0);
}

__attribute__((visibility("default"))) DWORD modMessage(UINT dev, UINT msg, DWORD_PTR user,
                                                        DWORD_PTR p1, DWORD_PTR p2) {
  switch (msg) {
    case MODM_INIT:
      Log("MODM_INIT");
      return MMSYSERR_NOERROR;
    case DRVM_EXIT:
      Log("MODM_EXIT");
      return MMSYSERR_NOERROR;
    case MODM_GETNUMDEVS:
      Log("MODM_GETNUMDEVS");
      return 1;
    case MODM_GETDEVCAPS: {
      if (dev != 0) return MMSYSERR_BADDEVICEID;
      if (p1 == 0 || p2 < sizeof(MIDIOUTCAPSW)) return MMSYSERR_INVALPARAM;
      auto* caps = reinterpret_cast<MIDIOUTCAPSW*>(p1);
      *caps = MIDIOUTCAPSW{1, 10, 0x0100, {}, MOD_SYNTH, 32, 32, 0xFFFF, 0};
      CopyName(caps->szPname, u"Test Driver OUT 1");
      return MMSYSERR_NOERROR;
    }
    case MODM_OPEN: {
      g_out_desc = *reinterpret_cast<MIDIOPENDESC*>(p1);
      g_out_flags = DWORD(p2);
      *reinterpret_cast<DWORD_PTR*>(user) = kOutUser;
      Log("MODM_OPEN(%lx)", p2);
      return Callback(g_out_desc, g_out_flags, MOM_OPEN, 0, 0) ? 0 : MMSYSERR_INVALPARAM;
    }
    case MODM_CLOSE:
      Log("MODM_CLOSE(%lx)", user);
      return Callback(g_out_desc, g_out_flags, MOM_CLOSE, 0, 0) ? 0 : MMSYSERR_INVALPARAM;
    case MODM_DATA:
      Log("MODM_DATA(%lx,%lx)", user, p1);
      return MMSYSERR_NOERROR;
    case MODM_LONGDATA: {
      auto* hdr = reinterpret_cast<MIDIHDR*>(p1);
      Log("MODM_LONGDATA(%lx,%lx)", user, hdr->dwBufferLength);
      hdr->dwFlags |= MHDR_DONE;
      Callback(g_out_desc, g_out_flags, MOM_DONE, p1, 0);
      return MMSYSERR_NOERROR;
    }
    case MODM_RESET:
      Log("MODM_RESET");
      return MMSYSERR_NOERROR;
    default:
      return MMSYSERR_NOTSUPPORTED;
  }
}

__attribute__((visibility("default"))) DWORD midMessage(UINT dev, UINT msg, DWORD_PTR user,
                                                        DWORD_PTR p1, DWORD_PTR p2) {
  switch (msg) {
    case MIDM_INIT:
      Log("MIDM_INIT");
      return MMSYSERR_NOERROR;
    case DRVM_EXIT:
      Log("MIDM_EXIT");
      return MMSYSERR_NOERROR;
    case MIDM_GETNUMDEVS:
      Log("MIDM_GETNUMDEVS");
      return 1;
    case MIDM_GETDEVCAPS: {
      if (dev != 0) return MMSYSERR_BADDEVICEID;
      if (p1 == 0 || p2 < sizeof(MIDIINCAPSW)) return MMSYSERR_INVALPARAM;
      auto* caps = reinterpret_cast<MIDIINCAPSW*>(p1);
      *caps = MIDIINCAPSW{1, 11, 0x0100, {}, 0};
      CopyName(caps->szPname, u"\u30c6\u30b9\u30c8 IN");  // katakana "test"
      return MMSYSERR_NOERROR;
    }
    case MIDM_OPEN:
      g_in_desc = *reinterpret_cast<MIDIOPENDESC*>(p1);
      g_in_flags = DWORD(p2);
      *reinterpret_cast<DWORD_PTR*>(user) = kInUser;
      Log("MIDM_OPEN(%lx)", p2);
      return Callback(g_in_desc, g_in_flags, MIM_OPEN, 0, 0) ? 0 : MMSYSERR_INVALPARAM;
    case MIDM_CLOSE:
      Log("MIDM_CLOSE(%lx)", user);
      return Callback(g_in_desc, g_in_flags, MIM_CLOSE, 0, 0) ? 0 : MMSYSERR_INVALPARAM;
    case MIDM_START:
      Log("MIDM_START(%lx)", user);
      return MMSYSERR_NOERROR;
    default:
      return MMSYSERR_NOTSUPPORTED;
  }
}

}  // extern "C"
