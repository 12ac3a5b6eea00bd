#include "midi/module_sender.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>

#include "core/device_result.h"
#include "core/middleware.h"
#include "core/result.h"
#include "midi/module_messages.h"
#include "midi/sequence_file.h"
#include "platform/clock.h"
#include "platform/mmsystem.h"

namespace qm3::midi {

// The module's port and what the sender knows of it; owned by the middleware
// instance. Atomic: the play thread reads and extends them.
struct SenderState {
  std::atomic<uint32_t> current_device{0};
  std::atomic<uint32_t> module_port{kNoModulePort};
  std::atomic<bool> module_present{false};
  std::atomic<uint32_t> settle_deadline{0};
  std::atomic<uint32_t> busy_until{0};
  std::atomic<bool> volume_pending{false};
  std::atomic<uint8_t> volume{127};
  std::atomic<bool> stream_playing{false};
  // Per channel: bank MSB, bank LSB, program, volume, pan; -1 nothing pending.
  std::atomic<int16_t> part_setting[16][5];
  std::atomic<bool> part_settings_pending{false};

  SenderState() { ClearPartSettings(); }
  void ClearPartSettings() {
    part_settings_pending.store(false);
    for (auto& channel : part_setting) {
      for (auto& slot : channel) slot.store(-1);
    }
  }
  // Set by the live window's registration.
  std::atomic<RunVolumeRoute> run_volume_route{nullptr};
};

PartState<SenderState> MakeSenderState() {
  return MakePartState<SenderState>();
}

namespace {

SenderState& S() {
  return *TheMiddleware().sender;
}

using namespace platform;

// Waits for the device to hand a header back. Polls in 1 ms steps so that the
// device threads get their time on the virtual clock too.
void WaitDone(const MIDIHDR& hdr) {
  for (int i = 0; i < 10000 && (hdr.dwFlags & MHDR_DONE) == 0; ++i) platform::Sleep(1);
}

Rc OpenCurrent(HMIDIOUT* out) {
  return MidiDeviceRc(midiOutOpen(out, S().current_device.load(), 0, 0, CALLBACK_NULL));
}

// Sends one long message on an open port and waits for it.
Rc SendLongOn(HMIDIOUT port, const uint8_t* bytes, size_t size, bool settle) {
  // The output layer may keep pointing at the data until done: own a copy.
  std::unique_ptr<uint8_t[]> copy(new (std::nothrow) uint8_t[size]);
  if (!copy) return kRcNoMemory;
  std::memcpy(copy.get(), bytes, size);
  MIDIHDR hdr{};
  hdr.lpData = reinterpret_cast<char*>(copy.get());
  hdr.dwBufferLength = static_cast<DWORD>(size);
  hdr.dwBytesRecorded = static_cast<DWORD>(size);
  if (Rc rc = MidiDeviceRc(midiOutPrepareHeader(port, &hdr, sizeof hdr)); rc != kRcOk) return rc;
  const Rc rc = MidiDeviceRc(midiOutLongMsg(port, &hdr, sizeof hdr));
  if (rc == kRcOk) {
    WaitDone(hdr);
    if (settle) platform::Sleep(100);
  }
  midiOutUnprepareHeader(port, &hdr, sizeof hdr);
  return rc;
}

Rc SendParameter(const ParameterMessage& m) {
  return SendLongOneShot(m.bytes.data(), m.size);
}

// Sends one short message on every channel; fails if any send fails.
Rc EachChannel(HMIDIOUT port, uint8_t kind, uint8_t d1, uint8_t d2) {
  Rc rc = kRcOk;
  for (uint8_t ch = 0; ch < 16; ++ch) {
    if (Rc r = MidiDeviceRc(midiOutShortMsg(port, ShortMessage(kind | ch, d1, d2))); r != kRcOk) {
      rc = r;
    }
  }
  return rc;
}

Rc SendOneByte(uint8_t status) {
  HMIDIOUT port = nullptr;
  if (Rc rc = OpenCurrent(&port); rc != kRcOk) return rc;
  const Rc rc = MidiDeviceRc(midiOutShortMsg(port, status));
  midiOutClose(port);
  return rc;
}

}  // namespace

uint32_t CurrentOutputDevice() {
  return S().current_device.load();
}
void SetCurrentOutputDevice(uint32_t device) {
  S().current_device.store(device);
}
uint32_t ModulePort() {
  return S().module_port.load();
}
bool ModulePresent() {
  return S().module_present.load();
}
uint32_t SettleDeadline() {
  return S().settle_deadline.load();
}
void ClearSettleDeadline() {
  S().settle_deadline.store(0);
}

void ForgetModulePort() {
  S().module_port.store(kNoModulePort);
  S().module_present.store(false);
}

void OnModulePortFound(uint32_t device) {
  S().current_device.store(device);
  S().module_port.store(device);
  if (SendModuleInit() == kRcOk) {
    S().module_present.store(true);
    // 0 means "no deadline"; a deadline that lands on 0 moves by a tick.
    const uint32_t deadline = platform::GetTickCount() + 2500;
    S().settle_deadline.store(deadline == 0 ? 1 : deadline);
  }
}

Rc SendLongOneShot(const uint8_t* bytes, size_t size) {
  if (bytes == nullptr || size == 0) return kRcOk;
  HMIDIOUT port = nullptr;
  if (Rc rc = OpenCurrent(&port); rc != kRcOk) return rc;
  const Rc rc = SendLongOn(port, bytes, size, true);
  midiOutClose(port);
  return rc;
}

Rc SendShortOneShot(const uint32_t* messages, size_t count) {
  HMIDIOUT port = nullptr;
  if (Rc rc = OpenCurrent(&port); rc != kRcOk) return rc;
  Rc rc = kRcOk;
  for (size_t i = 0; i < count; ++i) {
    if (Rc r = MidiDeviceRc(midiOutShortMsg(port, messages[i])); r != kRcOk) rc = r;
  }
  midiOutClose(port);
  return rc;
}

Rc SendModuleInit() {
  return SendParameter(MakeModuleInit());
}
Rc SendMainVolume(uint8_t volume) {
  return SendParameter(MakeMainVolume(volume));
}
Rc SendPlayMode(uint8_t mode) {
  return SendParameter(MakePlayMode(mode));
}
Rc SendGmOff() {
  return SendLongOneShot(kGmSystemOff.data(), kGmSystemOff.size());
}
Rc SendGmOn() {
  return SendLongOneShot(kGmSystemOn.data(), kGmSystemOn.size());
}
Rc SendGsReset() {
  return SendLongOneShot(kGsReset.data(), kGsReset.size());
}

Rc ResetAllChannels() {
  HMIDIOUT port = nullptr;
  if (Rc rc = OpenCurrent(&port); rc != kRcOk) return rc;
  const Rc rc = EachChannel(port, 0xB0, 0x7B, 0x00);  // all notes off
  platform::Sleep(400);
  EachChannel(port, 0xB0, 0x78, 0x00);  // all sound off
  platform::Sleep(100);
  EachChannel(port, 0xB0, 0x79, 0x00);  // reset all controllers
  EachChannel(port, 0xB0, 0x07, 0x64);  // channel volume 100
  midiOutClose(port);
  return rc;
}

Rc SendTranspose(int semitones) {
  HMIDIOUT port = nullptr;
  if (Rc rc = OpenCurrent(&port); rc != kRcOk) return rc;
  const uint8_t coarse = static_cast<uint8_t>(std::clamp(0x40 + semitones, 0, 0x7F));
  for (uint8_t ch = 0; ch < 16; ++ch) {
    const uint8_t cc = 0xB0 | ch;
    midiOutShortMsg(port, ShortMessage(cc, 0x64, 0x02));
    midiOutShortMsg(port, ShortMessage(cc, 0x65, 0x00));
    midiOutShortMsg(port, ShortMessage(cc, 0x06, coarse));
    midiOutShortMsg(port, ShortMessage(cc, 0x26, 0x00));
  }
  midiOutClose(port);
  return kRcOk;
}

Rc SendStart() {
  return SendOneByte(0xFA);
}
Rc SendStop() {
  return SendOneByte(0xFC);
}

void SetStreamPlaying(bool playing) {
  S().stream_playing.store(playing);
  // A new stream starts from the image, which holds every edit already.
  S().ClearPartSettings();
}

namespace {

// The slot of a part setting message; -1 for any other message.
int PartSettingSlot(uint32_t message) {
  const uint32_t kind = message & 0xF0;
  const uint32_t controller = (message >> 8) & 0x7F;
  if (kind == 0xC0) return 2;
  if (kind != 0xB0) return -1;
  switch (controller) {
    case 0:
      return 0;
    case 32:
      return 1;
    case 7:
      return 3;
    case 10:
      return 4;
    default:
      return -1;
  }
}

uint32_t PartSettingMessage(int channel, int slot, int16_t value) {
  constexpr uint32_t kControllers[5] = {0, 32, 0, 7, 10};
  const auto v = static_cast<uint32_t>(value);
  if (slot == 2) return 0xC0u | static_cast<uint32_t>(channel) | (v << 8);
  return 0xB0u | static_cast<uint32_t>(channel) | (kControllers[slot] << 8) | (v << 16);
}

}  // namespace

bool QueuePartSettings(const uint32_t* messages, size_t count) {
  if (!S().stream_playing.load()) return false;
  for (size_t i = 0; i < count; ++i) {
    const int slot = PartSettingSlot(messages[i]);
    if (slot < 0) continue;
    const auto value =
        static_cast<int16_t>(slot == 2 ? (messages[i] >> 8) & 0x7F : (messages[i] >> 16) & 0x7F);
    // In the order given: a bank select is stored before its program change.
    S().part_setting[messages[i] & 0x0F][slot].store(value);
  }
  S().part_settings_pending.store(true);
  return true;
}

size_t TakePartSettings(uint32_t* out, size_t capacity) {
  if (!S().part_settings_pending.exchange(false)) return 0;
  size_t n = 0;
  bool left = false;
  for (int channel = 0; channel < 16; ++channel) {
    auto& slots = S().part_setting[channel];
    if (n + 5 > capacity) {
      for (auto& slot : slots) left = left || slot.load() >= 0;
      continue;
    }
    // The program first: a program change seen means its bank select, stored
    // before it, is seen too; both go out, the bank select first.
    int16_t taken[5];
    taken[2] = slots[2].exchange(-1);
    for (int slot : {0, 1, 3, 4}) taken[slot] = slots[slot].exchange(-1);
    for (int slot = 0; slot < 5; ++slot) {
      if (taken[slot] >= 0) out[n++] = PartSettingMessage(channel, slot, taken[slot]);
    }
  }
  if (left) S().part_settings_pending.store(true);
  return n;
}

void RouteMainVolume(int32_t control_value) {
  const uint8_t v = MainVolumeFromControl(control_value);
  S().volume.store(v);
  if (S().stream_playing.load()) {
    S().volume_pending.store(true);
    return;
  }
  const RunVolumeRoute run = S().run_volume_route.load();
  if (run != nullptr && run(v)) return;
  SendMainVolume(v);
}

void SetRunVolumeRoute(RunVolumeRoute route) {
  S().run_volume_route.store(route);
}

bool TakeMainVolumePending(uint8_t* volume) {
  if (!S().volume_pending.exchange(false)) return false;
  *volume = S().volume.load();
  return true;
}

uint32_t BusyUntil() {
  return S().busy_until.load();
}

void ExtendBusyUntil(uint32_t tick) {
  uint32_t cur = S().busy_until.load();
  while (static_cast<int32_t>(tick - cur) > 0 && !S().busy_until.compare_exchange_weak(cur, tick)) {
  }
}

void WaitUntilNotBusy() {
  while (static_cast<int32_t>(S().busy_until.load() - platform::GetTickCount()) > 0) {
    platform::Sleep(1);
  }
}

Rc SendSongSetup(const uint8_t* image, size_t size) {
  ExtendBusyUntil(platform::GetTickCount());
  HMIDIOUT port = nullptr;
  if (Rc rc = OpenCurrent(&port); rc != kRcOk) return rc;
  Rc rc = kRcOk;
  SequenceFile file;
  const uint8_t* smf = nullptr;
  size_t smf_size = 0;
  if (SequenceFile::Unwrap(image, size, &smf, &smf_size) && file.Parse(smf, smf_size) == kRcOk) {
    // Runs to the first sounding note or the end of the track, whichever
    // comes first (the reader does not loop).
    SeqEvent e;
    while (file.Next(&e) == ReadResult::kEvent) {
      if (e.status >= 0x80 && e.status < 0xF0) {
        if ((e.status & 0xF0) == 0x90 && e.data2 != 0) break;
        midiOutShortMsg(port, ShortMessage(e.status, e.data1, e.data2));
        ExtendBusyUntil(BusyUntil() + 1);
      } else if (e.status == 0xF0 || e.status == 0xF7) {
        uint8_t buf[1024];
        size_t n = 0;
        if (e.status == 0xF0) buf[n++] = 0xF0;
        const size_t take = std::min<size_t>(e.length, sizeof buf - n);
        std::memcpy(buf + n, e.bytes, take);
        n += take;
        ExtendBusyUntil(BusyUntil() + static_cast<uint32_t>(e.length / 3));
        if (Rc r = SendLongOn(port, buf, n, false); r != kRcOk) rc = r;
      }
    }
  }
  WaitUntilNotBusy();
  platform::Sleep(100);
  midiOutClose(port);
  return rc;
}

void ShutDownModule() {
  if (!S().module_present.load() && S().module_port.load() == kNoModulePort) return;
  S().current_device.store(S().module_port.load());
  SendModuleInit();
  platform::Sleep(2500);
}

}  // namespace qm3::midi
