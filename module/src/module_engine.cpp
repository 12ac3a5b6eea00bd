#include "module_engine.h"

#include <algorithm>
#include <limits>

#include "audio_timeline.h"
#include "module_protocol.h"
#include "voice_map.h"

namespace corvane {
namespace {

// Minutes of music each: listeners pull far more often than that.
constexpr size_t kCommandCapacity = size_t{1} << 16;
constexpr size_t kInCapacity = size_t{1} << 15;
constexpr int kChordChannel = 10;                      // channel 11
constexpr uint8_t kMoodController = 16;                // on the chord channel: 64+ dark
constexpr int kCountInChannel = 9;                     // channel 10
constexpr uint8_t kCountInNote = 47;                   // what a rendered song's count-in plays
constexpr uint8_t kCountInClick = 76;                  // the kit's wood block: a clear click
constexpr uint64_t kMicrosPerClockAtOneBpm = 2500000;  // 60 s / 24 clocks
constexpr uint64_t kMaxClockGapUs = 1000000;

}  // namespace

ModuleEngine::ModuleEngine(const StyleBank& bank)
    : bank_(bank), commands_(kCommandCapacity), in_ring_(kInCapacity) {}

void ModuleEngine::PowerOn(uint64_t us) {
  now_ = us;
  decoder_.Reset();
  Initialise();
}

// ---- time ------------------------------------------------------------------

uint64_t ModuleEngine::MasterClockTime(uint64_t index) const {
  return segment_start_us_ +
         index * kMicrosPerClockAtOneBpm / static_cast<uint64_t>(segment_tempo_);
}

void ModuleEngine::AdvanceTo(uint64_t us) {
  for (;;) {
    uint64_t next = std::numeric_limits<uint64_t>::max();
    bool sub_tick = false;
    if (sub_tick_next_ < sub_tick_count_) {
      next = sub_ticks_[sub_tick_next_];
      sub_tick = true;
    }
    if (master_running_) {
      const uint64_t clock = MasterClockTime(segment_index_);
      if (clock < next) {
        next = clock;
        sub_tick = false;
      }
    }
    if (next > us) break;
    now_ = std::max(now_, next);
    if (sub_tick) {
      RunSubTick();
    } else {
      const uint64_t period = MasterClockTime(segment_index_ + 1) - MasterClockTime(segment_index_);
      ++segment_index_;
      Send(0xF8, 0, 0);
      ClockTick(period);
    }
  }
  now_ = std::max(now_, us);
}

std::optional<uint64_t> ModuleEngine::NextWake() const {
  std::optional<uint64_t> wake;
  auto consider = [&wake](uint64_t t) {
    if (!wake || t < *wake) wake = t;
  };
  if (sub_tick_next_ < sub_tick_count_) consider(sub_ticks_[sub_tick_next_]);
  if (master_running_) consider(MasterClockTime(segment_index_));
  if (in_count_ > 0) consider(in_ring_[in_head_].us);
  return wake;
}

std::optional<uint64_t> ModuleEngine::NextSend() const {
  std::optional<uint64_t> wake;
  auto consider = [&wake](uint64_t t) {
    if (!wake || t < *wake) wake = t;
  };
  for (int j = sub_tick_next_; j < sub_tick_count_; ++j) {
    if (player_.TickMaySend(static_cast<uint32_t>(j - sub_tick_next_))) {
      consider(sub_ticks_[j]);
      break;
    }
  }
  if (master_running_) consider(MasterClockTime(segment_index_));
  if (in_count_ > 0) consider(in_ring_[in_head_].us);
  return wake;
}

void ModuleEngine::ClockTick(uint64_t period_us) {
  while (sub_tick_next_ < sub_tick_count_) RunSubTick();  // late ones play now
  player_.Tick(*this);
  ScheduleSubTicks(period_us);
}

void ModuleEngine::ScheduleSubTicks(uint64_t period_us) {
  for (int j = 0; j < 3; ++j) sub_ticks_[j] = now_ + period_us * static_cast<uint64_t>(j + 1) / 4;
  sub_tick_count_ = 3;
  sub_tick_next_ = 0;
}

void ModuleEngine::RunSubTick() {
  ++sub_tick_next_;
  player_.Tick(*this);
}

int ModuleEngine::TempoBpm() const {
  if (clock_tempo_ > 0) return clock_tempo_;
  return style_ != nullptr ? style_->tempo_bpm : 120;
}

uint64_t ModuleEngine::ClockPeriodUs() const {
  return kMicrosPerClockAtOneBpm / static_cast<uint64_t>(TempoBpm());
}

// ---- input -----------------------------------------------------------------

void ModuleEngine::Receive(uint64_t us, const uint8_t* data, size_t len) {
  AdvanceTo(us);
  decoder_.Feed(data, len, *this);
}

void ModuleEngine::OnMidiMessage(int cable, const uint8_t* bytes, size_t len) {
  if (cable != 0 || len == 0) return;  // port 2 has nothing to sound in the module
  const uint8_t status = bytes[0];
  if (status == 0xF0) {
    HandleSysEx(bytes, len);
  } else if (status == 0xF8) {
    HandleClockByte();
  } else if (status == 0xFA) {
    HandleStart();
  } else if (status == 0xFC) {
    HandleStop();
  } else if (status >= 0x80 && status < 0xF0 && len >= 2) {
    HandleChannel(status, bytes[1], len > 2 ? bytes[2] : 0);
  }
  // Whatever the message started (a master clock at this very time) runs
  // before the next message.
  AdvanceTo(now_);
}

void ModuleEngine::HandleSysEx(const uint8_t* bytes, size_t len) {
  const ModuleCommand c = ParseSystemExclusive(bytes, len);
  switch (c.kind) {
    case CommandKind::kNone:
    case CommandKind::kSetupStart:
    case CommandKind::kSongStart:
      break;
    case CommandKind::kInitialise:
      Initialise();
      break;
    case CommandKind::kMainVolume:
      Emit(SynthOp::kGain, 0, c.value, 0);
      break;
    case CommandKind::kPlayMode:
      play_mode_ = c.value;
      if (!SongMode()) player_.Stop(*this);
      break;
    case CommandKind::kRunSwitch: {
      if (c.value != 0 && c.value != 1) break;
      const bool master = c.value == 0;
      if (master != clock_master_ && transport_running_) HandleStop();
      clock_master_ = master;
      break;
    }
    case CommandKind::kRhythmSelect:
      rhythm_keys_ = std::make_pair(c.value, c.value2);
      style_ = bank_.Find(c.value, c.value2, dark_mood_);
      player_.SetStyle(style_, *this);
      break;
    case CommandKind::kVariation:
      player_.SetVariation(c.value);
      break;
    case CommandKind::kIntro:
      player_.RequestIntro(c.value);
      break;
    case CommandKind::kFill:
      player_.RequestFill(c.value, *this);
      break;
    case CommandKind::kEnding:
      player_.RequestEnding(c.value);
      break;
    case CommandKind::kClockTempo:
      clock_tempo_ = c.value;
      if (master_running_) {  // the next clock starts a segment at the new tempo
        segment_start_us_ = MasterClockTime(segment_index_);
        segment_index_ = 0;
        segment_tempo_ = c.value;
      }
      break;
    case CommandKind::kGmOn:
      HandleStop();
      ResetChannels(SoundSet::kGm);
      break;
    case CommandKind::kGmOff:
      HandleStop();
      ResetChannels(SoundSet::kNative);
      break;
    case CommandKind::kGsReset:
      HandleStop();
      ResetChannels(SoundSet::kGs);
      break;
  }
}

void ModuleEngine::HandleClockByte() {
  if (clock_master_) return;  // the module keeps its own time
  if (last_clock_us_ && now_ > *last_clock_us_ && now_ - *last_clock_us_ < kMaxClockGapUs) {
    follow_period_us_ = now_ - *last_clock_us_;
  } else if (follow_period_us_ == 0) {
    follow_period_us_ = ClockPeriodUs();
  }
  last_clock_us_ = now_;
  if (transport_running_) ClockTick(follow_period_us_);
}

void ModuleEngine::HandleStart() {
  // Requests made while stopped (an intro, a fill-in) are for this start.
  if (transport_running_ || player_.running()) HandleStop();
  transport_running_ = true;
  if (SongMode()) player_.Start();
  if (clock_master_) {
    master_running_ = true;
    segment_start_us_ = now_;
    segment_index_ = 0;
    segment_tempo_ = TempoBpm();
  }
}

void ModuleEngine::HandleStop() {
  transport_running_ = false;
  master_running_ = false;
  sub_tick_count_ = sub_tick_next_ = 0;
  player_.Stop(*this);
}

void ModuleEngine::HandleChannel(uint8_t status, uint8_t d1, uint8_t d2) {
  const int ch = status & 0x0F;
  switch (status & 0xF0) {
    case 0x80:
    case 0x90: {
      const bool on = (status & 0xF0) == 0x90 && d2 > 0;
      if (SongMode()) {
        if (ch == kChordChannel) {
          Send(status, d1, d2);
          HandleChordNote(on, d1);
          return;
        }
        if (ch > kChordChannel) return;  // the style engine's channels
        if (ch == kCountInChannel && d1 == kCountInNote) d1 = kCountInClick;
      }
      Emit(on ? SynthOp::kNoteOn : SynthOp::kNoteOff, ch, d1, d2);
      return;
    }
    case 0xA0:
      Emit(SynthOp::kKeyPressure, ch, d1, d2);
      return;
    case 0xB0:
      HandleControl(ch, d1, d2);
      return;
    case 0xC0:
      HandleProgram(ch, d1);
      return;
    case 0xD0:
      Emit(SynthOp::kChannelPressure, ch, d1, 0);
      return;
    case 0xE0:
      Emit(SynthOp::kPitchBend, ch, d1 | d2 << 7, 0);
      return;
    default:
      return;
  }
}

void ModuleEngine::HandleChordNote(bool on, uint8_t key) {
  uint8_t& count = chord_keys_[key & 0x7F];
  if (on && count < 255) ++count;
  if (!on && count > 0) --count;
  // An unrecognised set of keys keeps the chord the engine plays.
  if (const auto chord = RecogniseChord(chord_keys_)) player_.SetChord(*chord);
}

void ModuleEngine::HandleControl(int ch, uint8_t controller, uint8_t value) {
  ChannelState& s = channels_[ch];
  switch (controller) {
    case 0:
      s.bank_coarse = value;
      return;
    case 32:
      s.bank_fine = value;
      return;
    case 101:
      s.rpn_coarse = value;
      break;
    case 100:
      s.rpn_fine = value;
      break;
    case 99:
    case 98:
      s.rpn_coarse = s.rpn_fine = 0x7F;
      break;
    case 120:
    case 123:
      // Every note off: the chord channel holds no keys any more.
      if (ch == kChordChannel) chord_keys_.fill(0);
      break;
    case kMoodController:
      if (ch == kChordChannel) SetMood(value >= 64);
      break;
    case 121:  // reset all controllers: the mood too
      if (ch == kChordChannel) SetMood(false);
      break;
    case 6:
    case 38:
      // Tuning does not move a drum kit's notes.
      if (s.drums && s.rpn_coarse == 0 && (s.rpn_fine == 1 || s.rpn_fine == 2)) return;
      break;
    default:
      break;
  }
  Emit(SynthOp::kControl, ch, controller, value);
}

void ModuleEngine::HandleProgram(int ch, uint8_t program) {
  const ChannelState& s = channels_[ch];
  switch (sound_set_) {
    case SoundSet::kNative: {
      const SoundChoice choice = NativeVoice(program, s.bank_coarse, s.bank_fine);
      SetDrums(ch, choice.drums);
      Emit(SynthOp::kProgram, ch, choice.drums ? 128 : 0, choice.program);
      return;
    }
    case SoundSet::kGm:
      Emit(SynthOp::kProgram, ch, s.drums ? 128 : 0, program);
      return;
    case SoundSet::kGs:
      Emit(SynthOp::kProgram, ch, s.drums ? 128 : s.bank_coarse, program);
      return;
  }
}

void ModuleEngine::OnStyleMessage(uint8_t status, uint8_t d1, uint8_t d2) {
  Send(status, d1, d2);
  const int ch = status & 0x0F;
  switch (status & 0xF0) {
    case 0x90:
      Emit(d2 > 0 ? SynthOp::kNoteOn : SynthOp::kNoteOff, ch, d1, d2);
      return;
    case 0x80:
      Emit(SynthOp::kNoteOff, ch, d1, 0);
      return;
    case 0xB0:
      if (d1 != 0 && d1 != 32) Emit(SynthOp::kControl, ch, d1, d2);
      return;
    case 0xC0:
      Emit(SynthOp::kProgram, ch, channels_[ch].drums ? 128 : 0, d1);
      return;
    default:
      return;
  }
}

// ---- state -----------------------------------------------------------------

void ModuleEngine::Initialise() {
  HandleStop();
  clock_master_ = false;
  clock_tempo_ = 0;
  play_mode_ = 2;
  style_ = nullptr;
  rhythm_keys_.reset();
  dark_mood_ = false;
  player_.SetStyle(nullptr, *this);
  player_.SetVariation(0);
  player_.RequestIntro(0);
  last_clock_us_.reset();
  follow_period_us_ = 0;
  ResetChannels(SoundSet::kNative);
  Emit(SynthOp::kGain, 0, 127, 0);
}

void ModuleEngine::SetMood(bool dark) {
  if (dark == dark_mood_) return;
  dark_mood_ = dark;
  if (!rhythm_keys_) return;
  const Style* variant = bank_.Find(rhythm_keys_->first, rhythm_keys_->second, dark);
  if (variant == style_) return;
  // A running engine takes the variant up at the next bar line.
  style_ = variant;
  player_.SetStyle(style_, *this);
}

void ModuleEngine::ResetChannels(SoundSet set) {
  sound_set_ = set;
  Emit(SynthOp::kReset, 0, 0, 0);
  for (int ch = 0; ch < 16; ++ch) {
    channels_[ch] = ChannelState{};
    const bool drums = ch == kCountInChannel || (set == SoundSet::kNative && ch == 15);
    channels_[ch].drums = drums;
    Emit(SynthOp::kChannelType, ch, drums ? 1 : 0, 0);
    Emit(SynthOp::kProgram, ch, drums ? 128 : 0, 0);
  }
  chord_keys_.fill(0);
}

void ModuleEngine::SetDrums(int ch, bool drums) {
  if (channels_[ch].drums == drums) return;
  channels_[ch].drums = drums;
  Emit(SynthOp::kChannelType, ch, drums ? 1 : 0, 0);
}

// ---- output ----------------------------------------------------------------

void ModuleEngine::Emit(SynthOp op, int ch, int a, int b) {
  commands_.Push(SynthCommand{FrameAt(now_), op, static_cast<uint8_t>(ch), static_cast<uint16_t>(a),
                              static_cast<uint16_t>(b)});
}

void ModuleEngine::Send(uint8_t status, uint8_t d1, uint8_t d2) {
  if (in_count_ == in_ring_.size()) {  // nobody reads: the oldest goes
    in_head_ = (in_head_ + 1) % in_ring_.size();
    --in_count_;
  }
  in_ring_[(in_head_ + in_count_) % in_ring_.size()] =
      InPacket{now_, EncodeShortMessage(0, status, d1, d2)};
  ++in_count_;
}

size_t ModuleEngine::TakeInPackets(uint64_t us, uint8_t* out, size_t max, uint64_t* sent_us) {
  size_t n = 0;
  while (n < max && in_count_ > 0 && in_ring_[in_head_].us <= us) {
    const auto& p = in_ring_[in_head_].bytes;
    std::copy(p.begin(), p.end(), out + 4 * n);
    if (sent_us != nullptr) sent_us[n] = in_ring_[in_head_].us;
    in_head_ = (in_head_ + 1) % in_ring_.size();
    --in_count_;
    ++n;
  }
  return n;
}

}  // namespace corvane
