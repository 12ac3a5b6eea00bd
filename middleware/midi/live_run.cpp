#include "midi/live_run.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "core/result.h"
#include "midi/module_messages.h"
#include "midi/module_sender.h"
#include "song/track_buffer.h"

namespace qm3::midi {
namespace {

using namespace platform;

constexpr size_t kLongBufferSize = 1024;
constexpr int kIntroSource = 0;
constexpr int kMainSource = 1;
constexpr int kFadeSteps = 20;
constexpr int kLampCount = 10;
constexpr uint64_t kLongSendTimeoutUs = 500000;
constexpr uint32_t kWatchStepMs = 100;
// A due-event burst larger than this is a broken track, not music.
constexpr int kMaxEventsPerClock = 4096;

bool IsIntro(int s) {
  return s >= 1 && s <= 4;
}
bool IsEnding(int s) {
  return s >= 5 && s <= 8;
}
bool IsVariation(int s) {
  return s >= 11 && s <= 14;
}

ControlId LampId(int bit) {
  return kFirstLamp + 2 * bit;
}

}  // namespace

int LampOfSection(int section) {
  if (section >= 1 && section <= 4) return section - 1;
  if (section >= 5 && section <= 8) return section - 5;
  if (section >= 11 && section <= 14) return section - 7;
  if (section == 9 || section == 10) return section - 1;
  return -1;
}

LiveRun::~LiveRun() {
  Stop();
}

void LiveRun::Reset() {
  current_.store(kSectionNone);
  previous_ = pending_ = kSectionNone;
  variation_ = 1;
  recorded_->count = 0;
  recording_.store(false);
  lamps_.store(0);
  played_ticks_.store(0);
  fade_clocks_.store(0);
  end_.store(LiveEnd::kNone);
}

// ---- host side ---------------------------------------------------------------

Rc LiveRun::OpenPorts(const Ports& ports) {
  if (midiOutOpen(&out_, ports.output_device, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
    out_ = nullptr;
    return kRcMidiDeviceNotOpened;
  }
  long_buffer_.reset(new (std::nothrow) char[kLongBufferSize]);
  if (!long_buffer_) {
    midiOutClose(out_);
    out_ = nullptr;
    return kRcNoMemory;
  }
  if (midiInOpen(&in_, ports.input_device, reinterpret_cast<DWORD_PTR>(&OnInput),
                 reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
    in_ = nullptr;
    midiOutClose(out_);
    out_ = nullptr;
    long_buffer_.reset();
    return kRcMidiDeviceNotOpened;
  }
  const ParameterMessage opening = MakeRunSwitch(false);
  SendLong(opening.bytes.data(), opening.size);
  return kRcOk;
}

void LiveRun::ClosePorts() {
  if (out_ != nullptr) {
    const ParameterMessage closing = MakeRunSwitch(true);
    SendLong(closing.bytes.data(), closing.size);
  }
  if (in_ != nullptr) {
    midiInStop(in_);
    Sleep(50);
    midiInReset(in_);
    Sleep(50);
    midiInClose(in_);
    in_ = nullptr;
  }
  if (out_ != nullptr) {
    midiOutClose(out_);
    out_ = nullptr;
  }
  long_buffer_.reset();
}

Rc LiveRun::Start(const Ports& ports, const LiveRhythm& rhythm) {
  if (active_) return kRcOk;
  rhythm_ = rhythm;
  rhythm_.beats = std::max(1, rhythm_.beats);
  rhythm_.max_measures = std::clamp(rhythm_.max_measures, 1, kMaxRunMeasures);
  n_ = 0;
  if (Rc rc = OpenPorts(ports); rc != 0) return rc;
  active_ = true;
  stopping_.store(false);
  sound_off_.store(false);
  end_.store(LiveEnd::kNone);
  fade_clocks_.store(0);
  {
    std::lock_guard<std::mutex> lock(requests_mu_);
    requests_.clear();
  }

  const ParameterMessage setup = MakeRhythmSetup(rhythm_.key_b, rhythm_.key_c);
  SendLong(setup.bytes.data(), setup.size);
  const auto tempo = MakeClockTempo(static_cast<uint8_t>(std::clamp(rhythm_.tempo_bpm, 1, 255)));
  SendLong(tempo.data(), tempo.size());
  const uint8_t coarse = static_cast<uint8_t>(std::clamp(64 + rhythm_.transpose, 0, 127));
  for (uint8_t ch = 0; ch < 16; ++ch) {
    SendShort(ShortMessage(0xB0 | ch, 100, 2));
    SendShort(ShortMessage(0xB0 | ch, 101, 0));
    SendShort(ShortMessage(0xB0 | ch, 6, coarse));
    SendShort(ShortMessage(0xB0 | ch, 38, 0));
  }

  previous_ = current_.load();
  const int first = pending_;
  current_.store(first);
  pending_ = kSectionNone;
  if (first == kSectionFillDown || first == kSectionFillUp) SendVariation(0);
  if (IsIntro(first)) SendVariation(1);
  variation_ = 0;
  stay_ = 0;
  ChangeSection(first);

  measure_clocks_ = 24 * rhythm_.beats;
  SendShort(ShortMessage(0xB0, 0, 0));
  SendShort(ShortMessage(0xB0, 32, rhythm_.melody_bank));
  SendShort(ShortMessage(0xC0, rhythm_.melody_program, 0));

  volumes_.fill(113);
  volumes_[0] = 120;
  volumes_[14] = volumes_[15] = 118;
  constexpr int kPartChannels[6] = {0, 15, 14, 11, 12, 13};
  for (int i = 0; i < 6; ++i) volumes_[kPartChannels[i]] = rhythm_.part_volumes[i];
  for (uint8_t ch = 0; ch < 16; ++ch) SendShort(ShortMessage(0xB0 | ch, 7, volumes_[ch]));

  if (ports.prepare_material != nullptr) {
    if (Rc rc = ports.prepare_material(); rc != 0) {
      sound_off_.store(true);
      ClosePorts();
      active_ = false;
      current_.store(kSectionNone);
      return rc;
    }
  }
  SwitchSource(IsIntro(first) ? kIntroSource : kMainSource);
  base_ = 0;
  n_ = 0;
  if (recording_) recorded_->count = 0;
  fade_request_ = fade_active_ = false;
  fade_steps_ = kFadeSteps;
  stop_at_bar_ = false;
  played_ticks_.store(0);

  Sleep(200);
  SendDue(5);
  Sleep(50);
  last_clock_us_.store(GetMicroseconds());
  midiInStart(in_);
  SendShort(0xFA);
  watchdog_quit_.store(false);
  watchdog_ = std::make_unique<platform::Thread>([this] { Watch(); });
  return kRcOk;
}

void LiveRun::Stop() {
  if (!active_) return;
  stopping_.store(true);
  while (in_handler_.load() > 0) Sleep(1);
  if (watchdog_) {
    watchdog_quit_.store(true);
    watchdog_->Join();
    watchdog_.reset();
  }
  if (!sound_off_.exchange(true)) SoundOff();
  ClosePorts();
  LiveEnd expected = LiveEnd::kNone;
  end_.compare_exchange_strong(expected, LiveEnd::kStopped);
  active_ = false;
  current_.store(kSectionNone);
  previous_ = pending_ = kSectionNone;
  SetLamps(0);
}

void LiveRun::Watch() {
  while (!watchdog_quit_.load()) {
    Sleep(kWatchStepMs);
    if (watchdog_quit_.load() || stopping_.load() || ended()) continue;
    if (GetMicroseconds() - last_clock_us_.load() > kInputSilenceUs) {
      // The clock handler is not running (no clock arrives): the host's Stop
      // silences what still sounds and keeps the recording.
      LiveEnd expected = LiveEnd::kNone;
      if (end_.compare_exchange_strong(expected, LiveEnd::kInputLost)) Notify(kStop, kNotifyValue);
    }
  }
}

void LiveRun::SetPending(Request request, int k) {
  if (active_) {
    std::lock_guard<std::mutex> lock(requests_mu_);
    requests_.push_back(Pending{request, k});
    return;
  }
  // No run: the request only chooses the first section.
  switch (request) {
    case Request::kIntro:
      pending_ = k + kSectionIntro1;
      break;
    case Request::kEnding:
      pending_ = k + kSectionEnding1;
      break;
    case Request::kVariation:
      pending_ = k + kSectionVariation1;
      break;
    case Request::kFill:
      pending_ = k + kSectionFillDown;
      break;
    default:
      break;
  }
}

void LiveRun::SetRecording(bool on) {
  if (on && active_ && !recording_.load()) {
    SetPending(Request::kRecordFromNextMeasure, 0);
    return;
  }
  recording_.store(on);
}

void LiveRun::RequestIntro(int k) {
  SetPending(Request::kIntro, std::clamp(k, 0, 3));
}
void LiveRun::RequestEnding(int k) {
  SetPending(Request::kEnding, std::clamp(k, 0, 3));
}
void LiveRun::RequestVariation(int k) {
  SetPending(Request::kVariation, std::clamp(k, 0, 3));
}
void LiveRun::RequestFill(int k) {
  SetPending(Request::kFill, std::clamp(k, 0, 1));
}
void LiveRun::RequestFade() {
  SetPending(Request::kFade, 0);
}
void LiveRun::StopAtBarEnd() {
  SetPending(Request::kStopAtBar, 0);
}
void LiveRun::SendMainVolume(uint8_t volume) {
  SetPending(Request::kVolume, volume);
}

// ---- device side -------------------------------------------------------------

void LiveRun::OnInput(HMIDI, UINT message, DWORD_PTR instance, DWORD_PTR data, DWORD_PTR) {
  if (message != MIM_DATA || (data & 0xFF) != 0xF8) return;
  auto* run = reinterpret_cast<LiveRun*>(instance);
  run->in_handler_.fetch_add(1);
  if (!run->stopping_.load() && !run->ended()) run->OnClock();
  run->in_handler_.fetch_sub(1);
}

void LiveRun::OnClock() {
  const uint64_t now = GetMicroseconds();
  last_clock_us_.store(now);
  if (observer_.clock != nullptr) observer_.clock(observer_.context, n_, now);
  const int m = measure_clocks_;
  const int r = static_cast<int>(n_ % static_cast<uint64_t>(m));
  const uint64_t measure = n_ / static_cast<uint64_t>(m);

  if (r == m - 1) {
    if (stop_at_bar_) {
      stop_at_bar_ = false;
      EndFromDevice(LiveEnd::kAtBarLine);
      return;
    }
    if (measure + 1 >= static_cast<uint64_t>(rhythm_.max_measures)) {
      EndFromDevice(LiveEnd::kMeasureLimit);
      return;
    }
  }
  if (r == (96 * rhythm_.beats - 6) / 4) {
    const bool intro_over = IsIntro(previous_) && source_ == kIntroSource;
    const bool ending_begins = IsEnding(current_.load()) && source_ == kMainSource;
    if (intro_over || ending_begins) {
      ReleaseHeld();
      SwitchSource(intro_over ? kMainSource : kIntroSource);
      base_ = static_cast<int64_t>(n_) * 4 + 6;
    }
  }

  if (n_ % 6 == 0 && fade_request_) {
    fade_request_ = false;
    fade_active_ = true;
    fade_steps_ = kFadeSteps;
    fade_length_ = 2 * m - r;
    fade_start_ = n_;
    fade_clocks_.store(static_cast<int>(fade_length_));
  }
  if (fade_active_) {
    const uint64_t since = n_ - fade_start_;
    if (fade_steps_ >= 1 &&
        since == static_cast<uint64_t>((kFadeSteps - fade_steps_) * fade_length_ / kFadeSteps)) {
      for (uint8_t ch = 0; ch < 16; ++ch) {
        SendShort(ShortMessage(0xB0 | ch, 7, volumes_[ch] * (fade_steps_ - 1) / kFadeSteps));
      }
      --fade_steps_;
    } else if (fade_steps_ == 0 && since >= static_cast<uint64_t>(fade_length_)) {
      fade_steps_ = -1;
      Notify(kStop, kNotifyValue);
    }
  }

  SendDue(static_cast<int64_t>(n_) * 4 - base_ + 6);

  const int current = current_.load();
  if (r == m - 32 && (current == 3 || current == 4 || current == 7 || current == 8 ||
                      current == kSectionFillDown || current == kSectionFillUp)) {
    SendSection(kAddrFillIn.data(), 0);
  }
  if (r == m - 13 && stay_ == 0) {
    previous_ = current;
    if (pending_ != kSectionNone) {
      const int next = pending_;
      pending_ = kSectionNone;
      current_.store(next);
      ChangeSection(next);
    } else {
      stay_ = 1;
    }
  }
  if (r == m - 2 && stay_ == 0 && current_.load() == kSectionFinished) Notify(kStop, kNotifyValue);
  if (r == 0) {
    // A finished run plays nothing: its measures are not part of the song.
    LiveRecording& rec = *recorded_;
    if (recording_ && current_.load() != kSectionFinished && rec.count < rhythm_.max_measures) {
      rec.sections[rec.count] = static_cast<uint8_t>(current_.load());
      rec.variations[rec.count] = static_cast<uint8_t>(variation_);
      ++rec.count;
    }
    if (stay_ > 0) --stay_;
  }

  // Requests of the host, after this measure's entry was recorded, so an
  // immediate fill-in overwrites the measure it starts in.
  std::vector<Pending> requests;
  {
    std::lock_guard<std::mutex> lock(requests_mu_);
    requests.swap(requests_);
  }
  for (const Pending& p : requests) Apply(p, r);

  if (n_ % 3 == 0) {
    played_ticks_.store(static_cast<int32_t>(std::min<uint64_t>(n_ * 4, INT32_MAX)));
    Notify(kSongLength, kNotifyValue);
    Notify(kRealTimeEndTime, kNotifyValue);
  }
  if (n_ % 24 == 0) {
    // The pending section's lamp blinks once a beat pair; the current one
    // stays lit.
    uint32_t bits = 0;
    const int lit = LampOfSection(current_.load());
    const int waiting = LampOfSection(pending_);
    if (lit >= 0) bits |= 1u << lit;
    if (waiting >= 0 && waiting != lit && n_ % 48 == 0) bits |= 1u << waiting;
    SetLamps(bits);
  }
  ++n_;
}

void LiveRun::Apply(const Pending& p, int r) {
  const int current = current_.load();
  const bool closing = IsEnding(current) || current == kSectionFinished;
  switch (p.request) {
    case Request::kIntro:
      if (current == kSectionNone) pending_ = p.value + kSectionIntro1;
      return;
    case Request::kEnding:
      if (!closing) pending_ = p.value + kSectionEnding1;
      return;
    case Request::kVariation:
      if (!closing) pending_ = p.value + kSectionVariation1;
      return;
    case Request::kFill: {
      if (closing) return;
      pending_ = p.value + kSectionFillDown;
      if (!IsVariation(current) || (r >= measure_clocks_ - 36 && stay_ == 0)) return;
      const int fill = pending_;
      pending_ = kSectionNone;
      current_.store(fill);
      ChangeSection(fill);
      stay_ = 0;
      LiveRecording& rec = *recorded_;
      if (recording_ && rec.count > 0) {
        rec.sections[rec.count - 1] = static_cast<uint8_t>(fill);
        rec.variations[rec.count - 1] = static_cast<uint8_t>(variation_);
      }
      return;
    }
    case Request::kFade:
      if (!fade_active_) fade_request_ = true;
      return;
    case Request::kStopAtBar:
      stop_at_bar_ = true;
      return;
    case Request::kRecordFromNextMeasure:
      recorded_->count = 0;
      recording_.store(true);
      return;
    case Request::kVolume: {
      const ParameterMessage volume = MakeMainVolume(static_cast<uint8_t>(p.value));
      SendLong(volume.bytes.data(), volume.size);
      return;
    }
  }
}

void LiveRun::ChangeSection(int s) {
  const int lamp = LampOfSection(s);
  SetLamps(lamp >= 0 ? 1u << lamp : 0u);
  if (observer_.section != nullptr) observer_.section(observer_.context, n_, s);
  const auto column = [](const std::array<int, 4>& a, int i) { return std::max(0, a[i]); };
  switch (s) {
    case 1:
    case 2:
      SendSection(kAddrIntro.data(), static_cast<uint8_t>(s));
      stay_ = column(rhythm_.intro_measures, s - 1);
      pending_ = variation_ + kSectionVariation1;
      break;
    case 3:
    case 4:
      SendSection(kAddrFillIn.data(), static_cast<uint8_t>(s - 2));
      stay_ = column(rhythm_.intro_measures, s - 1);
      pending_ = variation_ + kSectionVariation1;
      break;
    case 5:
    case 6:
      SendSection(kAddrEnding.data(), static_cast<uint8_t>(s - 4));
      stay_ = column(rhythm_.ending_measures, s - 5);
      pending_ = kSectionFinished;
      break;
    case 7:
    case 8:
      SendVariation(1);
      SendSection(kAddrFillIn.data(), static_cast<uint8_t>(s - 6));
      stay_ = column(rhythm_.ending_measures, s - 5);
      pending_ = kSectionFinished;
      break;
    case kSectionFillDown:
      SendSection(kAddrFillIn.data(), 1);
      stay_ = 1;
      pending_ = variation_ == 0 ? kSectionVariation1 : variation_ + 10;
      break;
    case kSectionFillUp:
      SendSection(kAddrFillIn.data(), 2);
      stay_ = 1;
      pending_ = variation_ < 3 ? variation_ + 12 : 14;
      break;
    case 11:
    case 12:
    case 13:
    case 14:
      SendVariation(s - kSectionVariation1);
      stay_ = 1;
      break;
    case kSectionFinished:
      stay_ = 0;
      pending_ = kSectionFinished;
      break;
    default:
      break;
  }
}

void LiveRun::SetLamps(uint32_t bits) {
  const uint32_t old = lamps_.exchange(bits);
  for (int i = 0; i < kLampCount; ++i) {
    if (((old ^ bits) >> i) & 1u) Notify(LampId(i), kNotifyValue);
  }
}

void LiveRun::SendShort(uint32_t message) {
  if (out_ == nullptr) return;
  midiOutShortMsg(out_, message);
  if (observer_.sent != nullptr) observer_.sent(observer_.context, n_, GetMicroseconds(), message);
}

void LiveRun::SendLong(const uint8_t* bytes, size_t size) {
  if (out_ == nullptr || !long_buffer_ || size == 0 || size > kLongBufferSize) return;
  std::memcpy(long_buffer_.get(), bytes, size);
  if (observer_.sent_long != nullptr) observer_.sent_long(observer_.context, n_, bytes, size);
  long_header_ = MIDIHDR{};
  long_header_.lpData = long_buffer_.get();
  long_header_.dwBufferLength = static_cast<DWORD>(size);
  long_header_.dwBytesRecorded = static_cast<DWORD>(size);
  if (midiOutPrepareHeader(out_, &long_header_, sizeof long_header_) != MMSYSERR_NOERROR) return;
  if (midiOutLongMsg(out_, &long_header_, sizeof long_header_) == MMSYSERR_NOERROR) {
    const uint64_t give_up = GetMicroseconds() + kLongSendTimeoutUs;
    while ((long_header_.dwFlags & MHDR_DONE) == 0 && GetMicroseconds() < give_up) Yield();
  }
  midiOutUnprepareHeader(out_, &long_header_, sizeof long_header_);
}

void LiveRun::SendSection(const uint8_t address[4], uint8_t value) {
  const ParameterAddress a = {address[0], address[1], address[2], address[3]};
  const ParameterMessage message = MakeParameter(a, 0x00, value);
  SendLong(message.bytes.data(), message.size);
}

void LiveRun::SendVariation(int v) {
  variation_ = v;
  SendSection(kAddrVariation.data(), static_cast<uint8_t>(v));
}

void LiveRun::SendDue(int64_t position) {
  for (int i = 0; i < kMaxEventsPerClock; ++i) {
    const uint32_t event = FetchEvent(position, kFetchShort);
    if (event == 0) return;
    SendShort(event);
  }
}

void LiveRun::ReleaseHeld() {
  for (int i = 0; i < 16 * 256; ++i) {
    const uint32_t off = FetchEvent(0, kFetchNoteOff);
    if (off == 0) return;
    SendShort(off);
  }
}

void LiveRun::SwitchSource(int source) {
  source_ = source;
  SelectTrackBuffer(source);
  FetchEvent(0, kFetchRewind);
}

void LiveRun::SoundOff() {
  SendShort(0xFC);
  ReleaseHeld();
  for (uint8_t ch = 0; ch < 16; ++ch) {
    SendShort(ShortMessage(0xB0 | ch, 100, 2));
    SendShort(ShortMessage(0xB0 | ch, 101, 0));
    SendShort(ShortMessage(0xB0 | ch, 6, 64));
    SendShort(ShortMessage(0xB0 | ch, 38, 0));
  }
  for (uint8_t ch = 0; ch < 16; ++ch) SendShort(ShortMessage(0xB0 | ch, 123, 0));
  variation_ = 1;
}

void LiveRun::EndFromDevice(LiveEnd reason) {
  if (!sound_off_.exchange(true)) SoundOff();
  LiveEnd expected = LiveEnd::kNone;
  end_.compare_exchange_strong(expected, reason);
  Notify(kStop, kNotifyValue);
}

}  // namespace qm3::midi
