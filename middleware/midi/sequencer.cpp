#include "midi/sequencer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "core/device_result.h"
#include "midi/module_messages.h"
#include "midi/module_sender.h"
#include "midibytes/file_bytes.h"
#include "platform/clock.h"

namespace qm3::midi {
namespace {

using namespace platform;

constexpr size_t kMaxFileBytes = 64u << 20;  // larger files are not songs

HMIDIOUT AsOut(HMIDISTRM s) {
  return s;
}

bool PortNamed(uint32_t device, const char* name) {
  MIDIOUTCAPS caps{};
  if (midiOutGetDevCaps(device, &caps, sizeof caps) != MMSYSERR_NOERROR) return false;
  caps.szPname[MAXPNAMELEN - 1] = '\0';
  return std::strcmp(caps.szPname, name) == 0;
}

}  // namespace

Sequencer::Sequencer() {
  block_.reset(new uint8_t[kBufferSize * kBufferCount]);
  for (int i = 0; i < kBufferCount; ++i) {
    buffers_[i].data = block_.get() + i * kBufferSize;
    buffers_[i].capacity = kBufferSize;
    free_list_.push_back(&buffers_[i]);
  }
}

Sequencer::~Sequencer() {
  if (state_.load() != SeqState::kNoFile) StopPlay();
  Close();
}

uint32_t Sequencer::Scale(uint32_t t) const {
  return static_cast<uint32_t>(t / scale_ + 0.5);
}

uint32_t Sequencer::Unscale(uint32_t t) const {
  return static_cast<uint32_t>(t * scale_ + 0.5);
}

uint32_t Sequencer::CountInBeat() const {
  return static_cast<uint32_t>(96 / options_.tempo_ratio + 0.5);
}

bool Sequencer::PartMuted(int channel) const {
  if (options_.edit_mode == 0) return false;
  if (options_.muted_parts != nullptr) {
    return ((options_.muted_parts->load(std::memory_order_relaxed) >> channel) & 1) != 0;
  }
  return !options_.part_playing[channel];
}

Rc Sequencer::OpenFile(const std::string& path, double scale) {
  // A regular file only: a FIFO put in place of a work file would block.
  if (midibytes::ReadFileBytes(path, kMaxFileBytes, &owned_image_) != midibytes::FileBytes::kRead ||
      owned_image_.empty()) {
    return kRcMidiDeviceNotOpened;
  }
  return OpenImage(owned_image_.data(), owned_image_.size(), scale);
}

Rc Sequencer::OpenImage(const uint8_t* image, size_t size, double scale) {
  if (state_.load() != SeqState::kNoFile || !(scale > 0)) return kRcMidiDeviceNotOpened;
  const uint8_t* smf = nullptr;
  size_t smf_size = 0;
  if (!SequenceFile::Unwrap(image, size, &smf, &smf_size) || file_.Parse(smf, smf_size) != kRcOk) {
    return kRcMidiDeviceNotOpened;
  }
  scale_ = scale;
  state_.store(SeqState::kOpened);
  return kRcOk;
}

void Sequencer::WaitNoBuffersOut() {
  // Buffers come back on the device thread; poll on the platform clock.
  for (int i = 0; i < 100000 && buffers_out_.load() > 0; ++i) platform::Sleep(1);
}

Rc Sequencer::Preroll(uint32_t start, uint32_t end) {
  const SeqState s = state_.load();
  if (s != SeqState::kOpened && s != SeqState::kPrerolled) return kRcError;
  start_tick_ = Scale(start);
  end_tick_ = end == 0 ? file_.length_ticks() : Scale(end);
  if (stream_ != nullptr) {
    state_.store(SeqState::kResetting);
    midiStreamStop(stream_);
    WaitNoBuffersOut();
  }
  buffers_out_.store(0);
  state_.store(SeqState::kPrerolling);
  if (stream_ == nullptr) {
    UINT device = device_;
    const Rc opened = MidiDeviceRc(midiStreamOpen(
        &stream_, &device, 1, reinterpret_cast<DWORD_PTR>(&Sequencer::StreamCallback),
        reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION));
    if (opened != kRcOk) {
      stream_ = nullptr;
      state_.store(SeqState::kOpened);
      return opened;
    }
    MIDIPROPTIMEDIV div{sizeof(MIDIPROPTIMEDIV), file_.division()};
    const Rc divided = MidiDeviceRc(midiStreamProperty(stream_, reinterpret_cast<BYTE*>(&div),
                                                       MIDIPROP_SET | MIDIPROP_TIMEDIV));
    if (divided != kRcOk) {
      midiStreamClose(stream_);
      stream_ = nullptr;
      state_.store(SeqState::kOpened);
      return divided;
    }
  }

  // The preroll buffer grows by doubling until the restored state fits.
  size_t capacity = preroll_.capacity == 0 ? kPrerollStart : preroll_.capacity;
  for (;;) {
    if (preroll_.capacity != capacity) {
      preroll_data_.reset(new (std::nothrow) uint8_t[capacity]);
      if (!preroll_data_) {
        state_.store(SeqState::kOpened);
        return kRcNoMemory;
      }
      preroll_.data = preroll_data_.get();
      preroll_.capacity = capacity;
      preroll_.header = MIDIHDR{};
    }
    StreamWriter w(preroll_.data, preroll_.capacity);
    const Rc rc = Seek(w, start_tick_);
    if (rc == kRcNoMemory && capacity < kPrerollMax) {
      capacity *= 2;
      continue;
    }
    if (rc != kRcOk) {
      preroll_data_.reset();
      preroll_ = Buffer{};
      state_.store(SeqState::kOpened);
      return rc;
    }
    if (Rc queued = QueueBuffer(preroll_, w.used()); queued != kRcOk) {
      state_.store(SeqState::kOpened);
      return queued;
    }
    break;
  }

  eof_.store(false);
  stop_pending_.store(false);
  cut_left_ = 0;
  has_held_ = false;
  for (;;) {
    Buffer* b = nullptr;
    {
      std::lock_guard lock(free_mu_);
      if (free_list_.empty()) break;
      b = free_list_.back();
      free_list_.pop_back();
    }
    StreamWriter w(b->data, b->capacity);
    const Rc rc = ReadIntoBuffer(w);
    if (rc != kRcOk) {
      std::lock_guard lock(free_mu_);
      free_list_.push_back(b);
      state_.store(SeqState::kOpened);
      return rc;
    }
    if (Rc queued = QueueBuffer(*b, w.used()); queued != kRcOk) {
      state_.store(SeqState::kOpened);
      return queued;
    }
    if (eof_.load()) break;
  }
  state_.store(SeqState::kPrerolled);
  return kRcOk;
}

Rc Sequencer::QueueBuffer(Buffer& b, size_t used) {
  MIDIHDR& h = b.header;
  if ((h.dwFlags & MHDR_PREPARED) == 0) {
    h = MIDIHDR{};
    h.lpData = reinterpret_cast<char*>(b.data);
    h.dwBufferLength = static_cast<DWORD>(b.capacity);
    if (Rc rc = MidiDeviceRc(midiOutPrepareHeader(AsOut(stream_), &h, sizeof h)); rc != kRcOk) {
      return rc;
    }
  }
  h.dwBytesRecorded = static_cast<DWORD>(used);
  h.dwUser = reinterpret_cast<DWORD_PTR>(&b);
  h.dwFlags &= ~MHDR_DONE;
  buffers_out_.fetch_add(1);
  const Rc rc = MidiDeviceRc(midiStreamOut(stream_, &h, sizeof h));
  if (rc != kRcOk) buffers_out_.fetch_sub(1);
  return rc;
}

Rc Sequencer::Seek(StreamWriter& w, uint32_t start) {
  chase_.Reset();
  file_.Rewind();
  SeqEvent e;
  for (;;) {
    const ReadResult r = file_.Next(&e, start, false);
    if (r == ReadResult::kStopReached) break;
    // A start beyond the last event cannot be reached.
    if (r == ReadResult::kEndOfFile) return kRcError;
    if (r == ReadResult::kInvalid) return kRcUnsupportedFile;
    chase_.Absorb(e, [this](int ch) { return PartMuted(ch); });
  }
  file_.SetLastTick(start);

  const double bpm = options_.tempo_control * 0.0001;
  const uint32_t usec = bpm > 0 ? static_cast<uint32_t>(60000000.0 / bpm + 0.5) : 500000;
  bool ok = w.Nop(0) && w.Tempo(0, usec) && chase_.WriteParameters(w) && chase_.WriteChannels(w) &&
            w.Nop(static_cast<uint32_t>(48 / options_.tempo_ratio + 0.5));
  if (ok && options_.count_in && options_.edit_mode != 0) ok = WriteCountIn(w);
  if (ok && chase_.tempo[0] != kNotSeen) {
    const uint32_t t =
        (uint32_t{chase_.tempo[0]} << 16) | (uint32_t{chase_.tempo[1]} << 8) | chase_.tempo[2];
    ok = w.Tempo(0, t);
  }
  if (ok && options_.edit_mode == 0) ok = chase_.WriteHeldChords(w, 10);
  return ok ? kRcOk : kRcNoMemory;
}

bool Sequencer::WriteCountIn(StreamWriter& w) const {
  const uint32_t beat = CountInBeat();
  const uint8_t key = options_.gm_voices ? 33 : 47;
  const uint8_t velocity = options_.gm_voices ? 64 : 127;
  for (int i = 0; i < 3; ++i) {
    if (!w.Short(beat / 2, ShortMessage(0x99, key, velocity))) return false;
    if (!w.Short(beat - beat / 2, ShortMessage(0x99, key, 0))) return false;
  }
  return w.Nop(beat * 3 / 2);
}

Rc Sequencer::ReadIntoBuffer(StreamWriter& w) {
  if (cut_left_ > 0) {
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>(cut_left_, w.LongRoom()));
    w.Long(0, cut_bytes_, n);
    cut_bytes_ += n;
    cut_left_ -= n;
    if (cut_left_ > 0) return kRcOk;
  }
  if (eof_.load()) return kRcOk;
  uint8_t volume = 0;
  if (w.room() >= 32 && TakeMainVolumePending(&volume)) {
    const ParameterMessage m = MakeMainVolume(volume);
    w.Long(0, m.bytes.data(), m.size);
  }
  // Part settings edited while playing go out at once, ahead of the file's
  // events (which were read from the image as it was at the start).
  uint32_t settings[kPartSettingMessagesMax];
  const size_t fit = w.room() / StreamWriter::kEventHead;
  const size_t taken =
      TakePartSettings(settings, fit > 4 ? std::min(fit - 4, kPartSettingMessagesMax) : 0);
  for (size_t i = 0; i < taken; ++i) w.Short(0, settings[i]);
  // A buffer spans a sixteenth or so: what is handed to the stream between
  // buffers (part settings, main volume) waits about that long, whatever the
  // gaps between the file's events.
  const uint32_t enough = std::max<uint32_t>(1, file_.division() / 4);
  while (w.room() >= 16) {
    if (!has_held_) {
      const ReadResult r = file_.Next(&held_, end_tick_, true);
      if (r == ReadResult::kInvalid) return kRcUnsupportedFile;
      if (r != ReadResult::kEvent) {
        eof_.store(true);
        break;
      }
    }
    has_held_ = false;
    SeqEvent& e = held_;
    const uint32_t span_left = enough - std::min(enough, w.deltas());
    if (e.delta > span_left) {
      // A long wait: this buffer waits out its span, the event goes in a later one.
      w.Nop(span_left);
      e.delta -= span_left;
      has_held_ = true;
      break;
    }
    if (e.status < 0xF0) {
      const uint8_t kind = e.status & 0xF0;
      if ((kind == 0x80 || kind == 0x90) && PartMuted(e.status & 0x0F)) {
        w.Nop(e.delta);
      } else {
        w.Short(e.delta, ShortMessage(e.status, e.data1, e.data2));
      }
    } else if (e.status == 0xF0 || (e.status == 0xF7 && e.length > 0 && e.bytes[0] < 0xF8)) {
      const int prefix = e.status == 0xF0 ? 0xF0 : -1;
      const size_t room = w.LongRoom() - (prefix >= 0 ? 1 : 0);
      const uint32_t n = static_cast<uint32_t>(std::min<size_t>(e.length, room));
      w.Long(e.delta, e.bytes, n, prefix);
      if (n < e.length) {
        cut_bytes_ = e.bytes + n;
        cut_left_ = e.length - n;
        break;
      }
    } else if (e.status == 0xF7 && e.length > 0) {
      w.Short(e.delta, e.bytes[0]);  // a real-time byte: clock, Start, Stop
    } else if (e.status == 0xFF && e.meta_type == 0x51) {
      w.Tempo(e.delta, (uint32_t{e.bytes[0]} << 16) | (uint32_t{e.bytes[1]} << 8) | e.bytes[2]);
    } else {
      w.Nop(e.delta);
    }
    if (w.deltas() >= enough) break;
  }
  return kRcOk;
}

bool Sequencer::ModulePortPresent() const {
  const UINT n = std::min<UINT>(midiOutGetNumDevs(), 32);
  for (UINT i = 0; i < n; ++i) {
    if (PortNamed(i, kModulePortName)) return true;
  }
  return false;
}

void Sequencer::StreamCallback(HMIDI, UINT msg, DWORD_PTR instance, DWORD_PTR p1, DWORD_PTR) {
  if (msg != MOM_DONE || instance == 0) return;
  reinterpret_cast<Sequencer*>(instance)->OnBufferDone(reinterpret_cast<MIDIHDR*>(p1));
}

void Sequencer::OnBufferDone(MIDIHDR* header) {
  buffers_out_.fetch_sub(1);
  Buffer* b = header != nullptr ? reinterpret_cast<Buffer*>(header->dwUser) : nullptr;
  const bool is_preroll = b == &preroll_;
  auto give_back = [&] {
    if (b != nullptr && !is_preroll) {
      std::lock_guard lock(free_mu_);
      free_list_.push_back(b);
    }
  };
  SeqState s = state_.load();
  // A module that was unplugged ends the play as if the end had come. Only a
  // play on the module's own port can lose it.
  if ((s == SeqState::kPlaying || s == SeqState::kPaused) && !eof_.load() &&
      !stop_pending_.load() && device_ == ModulePort() && !ModulePortPresent()) {
    state_.store(SeqState::kStopping);
    stop_pending_.store(true);
  }
  s = state_.load();
  if (s == SeqState::kResetting) {
    give_back();
    return;
  }
  if (!stop_pending_.load() && !eof_.load() && b != nullptr && !is_preroll) {
    StreamWriter w(b->data, b->capacity);
    if (ReadIntoBuffer(w) != kRcOk || QueueBuffer(*b, w.used()) != kRcOk) {
      state_.store(SeqState::kStopping);
      stop_pending_.store(true);
      give_back();
    } else {
      return;
    }
  } else {
    give_back();
  }
  if (buffers_out_.load() == 0 &&
      (stop_pending_.load() || eof_.load() || state_.load() == SeqState::kStopping)) {
    state_.store(SeqState::kOpened);
    stop_pending_.store(false);
  }
}

uint32_t Sequencer::GetPosition() {
  const SeqState s = state_.load();
  switch (s) {
    case SeqState::kNoFile:
    case SeqState::kOpened:
      return 0;
    case SeqState::kPrerolled:
    case SeqState::kStopping:
    case SeqState::kResetting:
      return Unscale(start_tick_);
    default:
      break;
  }
  MMTIME t{};
  t.wType = TIME_TICKS;
  if (stream_ == nullptr || midiStreamPosition(stream_, &t, sizeof t) != MMSYSERR_NOERROR) {
    return Unscale(start_tick_);
  }
  const uint32_t offset = StreamOffset();
  const uint32_t ticks = t.u.ticks;
  const uint32_t pos = ticks < offset ? start_tick_ : ticks - offset + start_tick_;
  return Unscale(pos);
}

// Stream ticks that play before the start position.
uint32_t Sequencer::StreamOffset() const {
  uint32_t offset = static_cast<uint32_t>(48 / scale_ + 0.5);
  if (options_.count_in && options_.edit_mode != 0) offset += 4 * CountInBeat();
  return offset;
}

bool Sequencer::ClockOfPosition(uint32_t position, uint64_t* us) {
  const SeqState s = state_.load();
  if (stream_ == nullptr || (s != SeqState::kPlaying && s != SeqState::kPaused)) return false;
  const uint32_t offset = StreamOffset();
  const uint32_t tick = Scale(position);
  if (tick < start_tick_) return false;
  return midiStreamTickTime(stream_, tick - start_tick_ + offset, us) == MMSYSERR_NOERROR;
}

Rc Sequencer::StartPlay(uint32_t start, uint32_t end) {
  WaitUntilNotBusy();
  // The host has one message for every way a play fails to start.
  if (Preroll(start, end) != kRcOk) return kRcMidiDeviceNotOpened;
  if (GetPosition() != start) return kRcMidiDeviceNotOpened;
  if (Rc rc = MidiDeviceRc(midiStreamRestart(stream_)); rc != kRcOk) return rc;
  state_.store(SeqState::kPlaying);
  return kRcOk;
}

Rc Sequencer::StopPlay() {
  SeqState s = state_.load();
  if (s == SeqState::kPlaying || s == SeqState::kPaused) {
    if (eof_.load()) {
      for (int i = 0; i < 10; ++i) {
        s = state_.load();
        if (stream_ == nullptr || (s != SeqState::kPlaying && s != SeqState::kPaused)) break;
        platform::Sleep(10);
      }
    }
    s = state_.load();
    if (s == SeqState::kPlaying || s == SeqState::kPaused) {
      state_.store(SeqState::kStopping);
      stop_pending_.store(true);
      if (Rc rc = MidiDeviceRc(midiStreamStop(stream_)); rc != kRcOk) {
        stop_pending_.store(false);
        return rc;
      }
    }
  } else {
    stop_pending_.store(false);
  }
  if (stream_ != nullptr && state_.load() != SeqState::kOpened) midiStreamStop(stream_);
  WaitNoBuffersOut();
  state_.store(SeqState::kOpened);
  stop_pending_.store(false);
  Close();
  return kRcOk;
}

void Sequencer::Close() {
  if (stream_ != nullptr) {
    for (Buffer& b : buffers_) {
      if (b.header.dwFlags & MHDR_PREPARED) {
        midiOutUnprepareHeader(AsOut(stream_), &b.header, sizeof b.header);
      }
      b.header = MIDIHDR{};
    }
    if (preroll_.header.dwFlags & MHDR_PREPARED) {
      midiOutUnprepareHeader(AsOut(stream_), &preroll_.header, sizeof preroll_.header);
    }
    midiStreamClose(stream_);
    stream_ = nullptr;
  }
  preroll_data_.reset();
  preroll_ = Buffer{};
  state_.store(SeqState::kNoFile);
}

}  // namespace qm3::midi
