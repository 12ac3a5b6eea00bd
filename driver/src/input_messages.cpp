// midMessage: the two input ports. The reader thread parses each cable's
// bytes into its port; these messages open and close ports, queue client
// buffers and start and stop time stamping.
#include <cstring>

#include "cvusb_entry.h"
#include "driver_state.h"
#include "io_threads.h"
#include "platform/clock.h"
#include "port_name.h"
#include "usb_transport.h"

using namespace platform;

namespace cvusb {
namespace {

constexpr PipeDirection kSide = PipeDirection::kIn;

MMRESULT GetCaps(UINT device, DWORD_PTR param1, DWORD_PTR param2) {
  auto* caps = reinterpret_cast<MIDIINCAPSW*>(param1);
  if (caps == nullptr || param2 < sizeof(MIDIINCAPSW)) return MMSYSERR_INVALPARAM;
  if (device >= static_cast<UINT>(Transport().PresentPorts())) return MMSYSERR_INVALPARAM;
  std::memset(caps, 0, sizeof(*caps));
  caps->wMid = 1;
  caps->wPid = 11;
  caps->vDriverVersion = 0x0100;
  WritePortName(caps->szPname, "Corvane USB MIDI IN %u", device + 1);
  caps->dwSupport = 0;
  return MMSYSERR_NOERROR;
}

void FreePort(InputPort& port) {
  std::lock_guard guard(port.lock);
  port.in_use = false;
  ResetInputPort(port);
}

// Undoes an open that got as far as copying the client (see the output side).
MMRESULT FailOpen(InputPort& port, MMRESULT result) {
  FreePort(port);
  if (Driver().open_inputs == 0) {
    Transport().ClosePipe(kSide);
    Transport().ReleaseSide(kSide);
  }
  return result;
}

MMRESULT Open(UINT device, DWORD_PTR user, DWORD_PTR param1, DWORD_PTR param2) {
  DriverState& driver = Driver();
  InputPort& port = driver.inputs[device];
  if (port.in_use.load()) return MMSYSERR_ALLOCATED;
  const auto* desc = reinterpret_cast<const MIDIOPENDESC*>(param1);
  if (desc == nullptr) return MMSYSERR_INVALPARAM;
  const ClientBinding client = BindClient(*desc, static_cast<DWORD>(param2));
  {
    std::lock_guard guard(port.lock);
    ResetInputPort(port);
    port.client = client;
    port.batched = (static_cast<DWORD>(param2) & MIDI_IO_BATCHED) != 0;
    port.in_use = desc->hMidi != nullptr;
  }
  InputPortsChanged();
  UsbTransport& transport = Transport();
  if (!transport.HoldsSide(kSide) && !transport.AcquireSide(kSide)) {
    FreePort(port);  // another process has an input port open
    return MMSYSERR_ALLOCATED;
  }
  if (!transport.IsPipeOpen(kSide) && !transport.OpenPipe(kSide)) {
    return FailOpen(port, MMSYSERR_NODRIVER);
  }
  ++driver.open_inputs;
  if (user != 0) *reinterpret_cast<DWORD_PTR*>(user) = reinterpret_cast<DWORD_PTR>(&port);
  if (!StartThread(kSide)) {
    --driver.open_inputs;
    return FailOpen(port, MMSYSERR_NOMEM);
  }
  bool delivered;
  {
    std::lock_guard guard(port.lock);
    delivered = NotifyClient(port.client, MIM_OPEN, 0, 0);
  }
  if (!delivered) {
    StopThread(kSide);
    --driver.open_inputs;
    return FailOpen(port, MMSYSERR_INVALPARAM);
  }
  return MMSYSERR_NOERROR;
}

MMRESULT Close(InputPort& port) {
  {
    std::lock_guard guard(port.lock);
    if (port.queue != nullptr || port.started) return MIDIERR_STILLPLAYING;
  }
  DriverState& driver = Driver();
  StopThread(kSide);
  if (driver.open_inputs > 0) --driver.open_inputs;
  if (driver.open_inputs == 0) {
    Transport().ClosePipe(kSide);
    Transport().ReleaseSide(kSide);
  }
  std::lock_guard guard(port.lock);
  if (!NotifyClient(port.client, MIM_CLOSE, 0, 0)) return MMSYSERR_INVALPARAM;
  port.in_use = false;
  ResetInputPort(port);
  InputPortsChanged();
  return MMSYSERR_NOERROR;
}

MIDIHDR* CheckedHeader(DWORD_PTR param1, DWORD_PTR param2) {
  auto* header = reinterpret_cast<MIDIHDR*>(param1);
  return header != nullptr && param2 >= sizeof(MIDIHDR) ? header : nullptr;
}

MMRESULT AddBuffer(InputPort& port, DWORD_PTR param1, DWORD_PTR param2) {
  MIDIHDR* header = CheckedHeader(param1, param2);
  if (header == nullptr) return MMSYSERR_INVALPARAM;
  if ((header->dwFlags & MHDR_INQUEUE) != 0) return MIDIERR_STILLPLAYING;
  if ((header->dwFlags & MHDR_PREPARED) == 0) return MIDIERR_UNPREPARED;
  header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
  header->lpNext = nullptr;
  header->dwBytesRecorded = 0;
  std::lock_guard guard(port.lock);
  QueueInputBuffer(port, header);
  return MMSYSERR_NOERROR;
}

void Stop(InputPort& port) {
  HandBackHeadBuffer(port);
  port.started = false;
}

DWORD InputMessage(UINT device, UINT message, DWORD_PTR user, DWORD_PTR param1, DWORD_PTR param2) {
  DriverState& driver = Driver();
  if (DWORD common = 0; CommonPortMessage(message, MIDM_GETNUMDEVS, &common)) return common;
  if (message < MIDM_GETDEVCAPS || message > MIDM_RESET || message == MIDM_UNPREPARE) {
    return MMSYSERR_NOTSUPPORTED;  // the multimedia layer unprepares by itself
  }
  if (device >= DeviceCount() || device >= kMaxPorts) return MMSYSERR_BADDEVICEID;
  InputPort& port = driver.inputs[device];
  if (message == MIDM_GETDEVCAPS) {
    std::lock_guard guard(driver.global_lock);
    return GetCaps(device, param1, param2);
  }
  if (message == MIDM_OPEN) {
    std::lock_guard guard(driver.global_lock);
    return Open(device, user, param1, param2);
  }
  if (!port.in_use.load()) return MMSYSERR_ERROR;
  switch (message) {
    case MIDM_CLOSE: {
      std::lock_guard guard(driver.global_lock);
      return Close(port);
    }
    case MIDM_PREPARE: {
      MIDIHDR* header = CheckedHeader(param1, param2);
      if (header == nullptr) return MMSYSERR_INVALPARAM;
      header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_PREPARED;
      return MMSYSERR_NOERROR;
    }
    case MIDM_ADDBUFFER:
      return AddBuffer(port, param1, param2);
    case MIDM_START: {
      CatchUpBatchedReads();  // what came before the start is not stamped
      std::lock_guard guard(port.lock);
      port.started = true;
      port.start_tick = GetTickCount() - 1;
      return MMSYSERR_NOERROR;
    }
    case MIDM_STOP: {
      CatchUpBatchedReads();
      std::lock_guard guard(port.lock);
      Stop(port);
      return MMSYSERR_NOERROR;
    }
    case MIDM_RESET: {
      CatchUpBatchedReads();
      std::lock_guard guard(port.lock);
      Stop(port);
      HandBackAllBuffers(port, GetTickCount() - port.start_tick);
      return MMSYSERR_NOERROR;
    }
    default:
      return MMSYSERR_NOTSUPPORTED;
  }
}

}  // namespace
}  // namespace cvusb

CVUSB_EXPORT DWORD midMessage(UINT device, UINT message, DWORD_PTR user, DWORD_PTR param1,
                              DWORD_PTR param2) {
  try {
    return cvusb::InputMessage(device, message, user, param1, param2);
  } catch (...) {
    return MMSYSERR_NOMEM;
  }
}
