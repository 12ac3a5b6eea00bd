// modMessage: the two output ports. Short messages become one single-byte
// packet per byte, long messages system-exclusive packets, both queued to
// the writer thread through the output ring.
#include <cstring>

#include "cvusb_entry.h"
#include "driver_state.h"
#include "io_threads.h"
#include "port_name.h"
#include "usb_midi_packet.h"
#include "usb_transport.h"

using namespace platform;

namespace cvusb {
namespace {

constexpr PipeDirection kSide = PipeDirection::kOut;

MMRESULT GetCaps(UINT device, DWORD_PTR param1, DWORD_PTR param2) {
  auto* caps = reinterpret_cast<MIDIOUTCAPSW*>(param1);
  if (caps == nullptr || param2 < sizeof(MIDIOUTCAPSW)) return MMSYSERR_INVALPARAM;
  if (device >= static_cast<UINT>(Transport().PresentPorts())) return MMSYSERR_INVALPARAM;
  std::memset(caps, 0, sizeof(*caps));
  caps->wMid = 1;
  caps->wPid = 10;
  caps->vDriverVersion = 0x0100;
  WritePortName(caps->szPname, "Corvane USB MIDI OUT %u", device + 1);
  caps->wTechnology = MOD_SYNTH;
  caps->wVoices = 32;
  caps->wNotes = 32;
  caps->wChannelMask = 0xFFFF;
  caps->dwSupport = 0;
  return MMSYSERR_NOERROR;
}

// Undoes an open that got as far as copying the client: frees the slot and,
// when no other client of this process uses the side, closes its pipe and
// gives the side back.
MMRESULT FailOpen(OutputSlot& slot, MMRESULT result) {
  slot.in_use = false;
  slot.client = ClientBinding{};
  if (Driver().open_outputs == 0) {
    Transport().ClosePipe(kSide);
    Transport().ReleaseSide(kSide);
  }
  return result;
}

MMRESULT Open(UINT device, DWORD_PTR user, DWORD_PTR param1, DWORD_PTR param2) {
  DriverState& driver = Driver();
  OutputSlot& slot = driver.outputs[device];
  if (slot.in_use.load()) return MMSYSERR_ALLOCATED;
  const auto* desc = reinterpret_cast<const MIDIOPENDESC*>(param1);
  if (desc == nullptr) return MMSYSERR_INVALPARAM;
  slot.client = BindClient(*desc, static_cast<DWORD>(param2));
  slot.in_use = desc->hMidi != nullptr;

  UsbTransport& transport = Transport();
  if (!transport.HoldsSide(kSide) && !transport.AcquireSide(kSide)) {
    // Another process has an output port open.
    slot.in_use = false;
    slot.client = ClientBinding{};
    return MMSYSERR_ALLOCATED;
  }
  if (!transport.IsPipeOpen(kSide) && !transport.OpenPipe(kSide)) {
    return FailOpen(slot, MMSYSERR_NODRIVER);
  }
  ++driver.open_outputs;
  { std::lock_guard pass(slot.lock); }
  if (user != 0) *reinterpret_cast<DWORD_PTR*>(user) = reinterpret_cast<DWORD_PTR>(&slot);
  if (!StartThread(kSide)) {
    --driver.open_outputs;
    return FailOpen(slot, MMSYSERR_NOMEM);
  }
  if (!NotifyClient(slot.client, MOM_OPEN, 0, 0)) {
    StopThread(kSide);
    --driver.open_outputs;
    return FailOpen(slot, MMSYSERR_INVALPARAM);
  }
  return MMSYSERR_NOERROR;
}

MMRESULT Close(OutputSlot& slot) {
  DriverState& driver = Driver();
  StopThread(kSide);
  if (driver.open_outputs > 0) --driver.open_outputs;
  if (driver.open_outputs == 0) {
    Transport().ClosePipe(kSide);
    Transport().ReleaseSide(kSide);
  }
  if (!NotifyClient(slot.client, MOM_CLOSE, 0, 0)) return MMSYSERR_INVALPARAM;
  slot.in_use = false;
  slot.client = ClientBinding{};
  return MMSYSERR_NOERROR;
}

// The software module in this process takes its bytes at once, so a message
// reaches it at the very time it was sent (no writer cycle in between): its
// audio and its echo keep the song's timing to the sample. Hardware and the
// module behind a socket keep the writer thread's cycle.
void DeliverNowWhenInProcess() {
  if (Transport().route() != DeviceRoute::kInProcess) return;
  DrainOutputRing();
  Transport().ServiceOutputPipe();
  WakeReader();
}

MMRESULT SendShort(UINT device, DWORD message) {
  if (!Transport().IsPipeOpen(kSide)) return MMSYSERR_NOTENABLED;
  uint8_t packets[3 * kPacketSize];
  const size_t length = PackShortMessage(static_cast<uint8_t>(device), message, packets);
  if (length == 0) return MMSYSERR_NOERROR;  // a data byte first: running status is not sent
  if (!Transport().QueueOutput(packets, length)) return MMSYSERR_NODRIVER;
  DeliverNowWhenInProcess();
  return MMSYSERR_NOERROR;
}

MMRESULT SendLong(UINT device, OutputSlot& slot, DWORD_PTR param1, DWORD_PTR param2) {
  auto* header = reinterpret_cast<MIDIHDR*>(param1);
  if (header == nullptr || param2 < sizeof(MIDIHDR)) return MMSYSERR_INVALPARAM;
  if ((header->dwFlags & MHDR_PREPARED) == 0) return MIDIERR_UNPREPARED;
  if (!Transport().IsPipeOpen(kSide)) return MMSYSERR_NOTENABLED;
  if (header->lpData == nullptr && header->dwBufferLength != 0) return MMSYSERR_INVALPARAM;
  header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
  if (!Transport().QueueSysex(static_cast<uint8_t>(device),
                              reinterpret_cast<const uint8_t*>(header->lpData),
                              header->dwBufferLength)) {
    Transport().ClosePipe(kSide);
    // Not sent: the header goes back to the client unplayed.
    header->dwFlags &= ~MHDR_INQUEUE;
    return MMSYSERR_NODRIVER;
  }
  DeliverNowWhenInProcess();
  header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
  if (!NotifyClient(slot.client, MOM_DONE, param1, 0)) return MMSYSERR_INVALPARAM;
  return MMSYSERR_NOERROR;
}

MMRESULT SetPrepared(DWORD_PTR param1, DWORD_PTR param2, bool prepared) {
  auto* header = reinterpret_cast<MIDIHDR*>(param1);
  if (header == nullptr || param2 < sizeof(MIDIHDR)) return MMSYSERR_INVALPARAM;
  if (prepared) {
    header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_PREPARED;
  } else {
    header->dwFlags &= ~MHDR_PREPARED;
  }
  return MMSYSERR_NOERROR;
}

DWORD OutputMessage(UINT device, UINT message, DWORD_PTR user, DWORD_PTR param1, DWORD_PTR param2) {
  DriverState& driver = Driver();
  if (DWORD common = 0; CommonPortMessage(message, MODM_GETNUMDEVS, &common)) return common;
  if (message < MODM_GETDEVCAPS || message > MODM_SETVOLUME) return MMSYSERR_NOTSUPPORTED;
  if (device >= DeviceCount() || device >= kMaxPorts) return MMSYSERR_BADDEVICEID;
  OutputSlot& slot = driver.outputs[device];
  if (message == MODM_GETDEVCAPS) {
    std::lock_guard guard(driver.global_lock);
    return GetCaps(device, param1, param2);
  }
  if (message == MODM_OPEN) {
    std::lock_guard guard(driver.global_lock);
    return Open(device, user, param1, param2);
  }
  if (!slot.in_use.load()) return MMSYSERR_ERROR;
  switch (message) {
    case MODM_CLOSE: {
      std::lock_guard guard(driver.global_lock);
      return Close(slot);
    }
    case MODM_PREPARE:
      return SetPrepared(param1, param2, true);
    case MODM_UNPREPARE:
      return SetPrepared(param1, param2, false);
    case MODM_DATA:
      return SendShort(device, static_cast<DWORD>(param1));
    case MODM_LONGDATA:
      return SendLong(device, slot, param1, param2);
    case MODM_RESET:
      return MMSYSERR_NOERROR;  // nothing is sent: the driver switches no notes off
    default:
      return MMSYSERR_NOTSUPPORTED;
  }
}

}  // namespace
}  // namespace cvusb

CVUSB_EXPORT DWORD modMessage(UINT device, UINT message, DWORD_PTR user, DWORD_PTR param1,
                              DWORD_PTR param2) {
  try {
    return cvusb::OutputMessage(device, message, user, param1, param2);
  } catch (...) {
    return MMSYSERR_NOMEM;
  }
}
