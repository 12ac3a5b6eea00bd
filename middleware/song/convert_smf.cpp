#include "song/convert_smf.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/catalog.h"
#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "core/result.h"
#include "midi/input_capture.h"
#include "midi/module_messages.h"
#include "midi/module_sender.h"
#include "midi/smf_document.h"
#include "midi/transport.h"
#include "midibytes/status.h"
#include "midibytes/track_walker.h"
#include "midibytes/voices.h"
#include "platform/clock.h"
#include "song/conversion.h"
#include "song/track_buffer.h"

namespace qm3 {
namespace {

constexpr int kLeadIn = 384;

void PutText(const char* text) {
  const uint8_t head[3] = {0xFF, 0x01, static_cast<uint8_t>(std::strlen(text))};
  PutBytes(head, 3);
  PutBytes(reinterpret_cast<const uint8_t*>(text), static_cast<int32_t>(std::strlen(text)));
}

// Coarse tuning on all 16 channels (registered parameter 0/2), the first
// event `delta` ticks after the previous one.
void PutCoarseTuning(int64_t delta, int semitones) {
  const uint8_t coarse = static_cast<uint8_t>(std::clamp(64 + semitones, 0, 127));
  for (uint8_t ch = 0; ch < 16; ++ch) {
    const uint8_t cc = 0xB0 | ch;
    const uint8_t ev[4][3] = {{cc, 100, 2}, {cc, 101, 0}, {cc, 6, coarse}, {cc, 38, 0}};
    for (const auto& e : ev) {
      PutDelta(delta);
      PutBytes(e, 3);
      delta = 0;
    }
  }
}

}  // namespace

uint32_t SongTempoMicroseconds() {
  const double bpm = ReadValue(kTempo) * 0.0001;
  return bpm > 0 ? static_cast<uint32_t>(std::floor(60000000.0 / bpm + 0.5)) : 500000;
}

namespace {

// Exchanges channels 10 and 16 of every channel event of the current buffer.
void SwapDrumChannel() {
  TrackBuffer& t = TrackBufferAt(CurrentTrackBuffer());
  midibytes::TrackWalker reader(t.bytes, t.size);
  if (!reader.Valid()) return;
  midibytes::SmfEvent e;
  while (reader.Next(&e) == midibytes::SmfStep::kEvent) {
    if (!e.IsChannel() || e.running) continue;
    const int ch = e.Channel();
    if (ch == 9 || ch == 15) t.bytes[e.body] = static_cast<uint8_t>(e.Kind() | (ch == 9 ? 15 : 9));
  }
}

// Merges channel `channel` of the song file into buffer 0.
bool MergeSongChannel(const std::string& body, int channel, bool swap_drums) {
  SelectTrackBuffer(1);
  if (!LoadTrack(body)) return false;
  SelectTrackBuffer(2);
  if (ChannelTrack(1, channel) != kRcOk) return false;
  if (swap_drums) SwapDrumChannel();
  SelectTrackBuffer(1);
  if (MergeTracks(0, 2) != kRcOk) return false;
  CopyTrack(1, 0);
  return true;
}

}  // namespace

bool HasIdentificationText(const uint8_t* image, int32_t size) {
  midibytes::TrackWalker reader(image, size);
  if (!reader.Valid()) return false;
  const int32_t n = static_cast<int32_t>(std::strlen(kIdentificationText));
  midibytes::SmfEvent e;
  while (reader.Next(&e) == midibytes::SmfStep::kEvent) {
    if (e.IsChannel() && e.Kind() == 0x90 && image[e.data + 1] != 0) return false;
    if (e.status == 0xFF && e.type == 0x01 && e.length == n &&
        std::memcmp(image + e.data, kIdentificationText, n) == 0) {
      return true;
    }
  }
  return false;
}

uint64_t PackSongRange(uint32_t from, uint32_t to) {
  return (uint64_t{from} << 32) | to;
}

void CleanNotes(std::vector<TimedMessage>& messages) {
  const auto key_of = [](uint32_t m) {
    return static_cast<int>((m & 0x0F) << 7 | ((m >> 8) & 0x7F));
  };
  const auto is_on = [](uint32_t m) { return (m & 0xF0) == 0x90 && ((m >> 16) & 0x7F) != 0; };
  const auto is_off = [&](uint32_t m) {
    return (m & 0xF0) == 0x80 || ((m & 0xF0) == 0x90 && !is_on(m));
  };
  // Pair each off with the sounding on of its key; drop both when they meet
  // at one tick.
  std::vector<bool> drop(messages.size(), false);
  std::vector<int64_t> open(16 * 128, -1);
  for (size_t i = 0; i < messages.size(); ++i) {
    const uint32_t m = messages[i].message;
    if (is_on(m)) {
      const int k = key_of(m);
      if (open[k] < 0) open[k] = static_cast<int64_t>(i);
    } else if (is_off(m)) {
      const int k = key_of(m);
      if (open[k] >= 0 && messages[static_cast<size_t>(open[k])].tick == messages[i].tick) {
        drop[static_cast<size_t>(open[k])] = true;
        drop[i] = true;
      }
      open[k] = -1;
    }
  }
  // Then one note per key at a time.
  std::vector<TimedMessage> out;
  out.reserve(messages.size());
  std::vector<int64_t> since(16 * 128, -1);
  for (size_t i = 0; i < messages.size(); ++i) {
    if (drop[i]) continue;
    const TimedMessage& e = messages[i];
    const int k = key_of(e.message);
    if (is_on(e.message)) {
      if (since[k] == e.tick) continue;  // the same note again
      if (since[k] >= 0) out.push_back({e.tick, (e.message & 0xFFFF0F) | 0x80});
      since[k] = e.tick;
    } else if (is_off(e.message)) {
      if (since[k] < 0) continue;
      since[k] = -1;
    }
    out.push_back(e);
  }
  messages.swap(out);
}

namespace {

// Tick of the first chord note (channel 11) of the song file, or -1.
int64_t FirstChordTick(const std::string& body) {
  SelectTrackBuffer(1);
  if (!LoadTrack(body)) return -1;
  const TrackBuffer& t = CurrentTrack();
  midibytes::TrackWalker reader(t.bytes, t.size);
  if (!reader.Valid()) return -1;
  midibytes::SmfEvent e;
  while (reader.Next(&e) == midibytes::SmfStep::kEvent) {
    if (e.IsChannel() && e.Kind() == 0x90 && e.Channel() == 10 && t.bytes[e.data + 1] != 0) {
      return e.time;
    }
  }
  return -1;
}

// The recorded channel messages at song ticks: the first chord note the
// module echoes lands where the song file has it (8 ticks before the first
// beat when the file cannot be read); the accompaniment and the drums (16,
// written as 10) follow at their own times.
std::vector<TimedMessage> PlaceRecording(const uint32_t* words, size_t count, uint32_t usec,
                                         int64_t chord_tick) {
  const double q = 96000.0 / usec;
  bool anchored = false;
  double t0 = 0;
  for (size_t i = 0; i + 1 < count; i += 2) {
    if ((words[i + 1] & 0xFF) == 0x9A) {
      anchored = true;
      t0 = words[i];
      break;
    }
  }
  const double anchor = chord_tick >= 0 ? static_cast<double>(chord_tick) : kLeadIn - 8;
  // Song tick of time t: anchor + (t - t0) q; never before the set-up.
  const double shift = anchored ? std::max(0.0, t0 * q - anchor + 192) : 0;
  std::vector<TimedMessage> out;
  for (size_t i = 0; i + 1 < count; i += 2) {
    uint32_t msg = words[i + 1];
    uint8_t status = static_cast<uint8_t>(msg & 0xFF);
    if (status < 0x80 || status >= 0xF0) continue;
    const int ch = status & 0x0F;
    if (ch == 9 || ch == 10) continue;
    if (ch == 15) status = static_cast<uint8_t>((status & 0xF0) | 9);
    msg = (msg & 0xFFFF00) | status;
    const double at = words[i] * q - (anchored ? shift : 192 + 8);
    out.push_back({192 + std::max<int64_t>(0, static_cast<int64_t>(std::floor(at + 0.5))), msg});
  }
  // Time stamps only grow, but a late anchor could make early ticks equal.
  for (size_t i = 1; i < out.size(); ++i) out[i].tick = std::max(out[i].tick, out[i - 1].tick);
  CleanNotes(out);
  return out;
}

// Range [from, to) of buffer 0 after a one-measure lead-in, with the
// identification text added when missing, written to `path`.
Rc SaveRangeOfBuffer0(int32_t from, int32_t to, int32_t lead_in, const std::string& path) {
  SelectTrackBuffer(1);
  if (RangeTrack(0, from, to, lead_in) != kRcOk) return kRcFileNotRead;
  const TrackBuffer& ranged = TrackBufferAt(1);
  int out = 1;
  if (!HasIdentificationText(ranged.bytes, ranged.size)) {
    SelectTrackBuffer(2);
    NewTrack();
    PutDelta(0);
    PutText(kIdentificationText);
    PutDelta(0);
    PutEndOfTrack();
    if (JoinTrack(1) != kRcOk) return kRcNoMemory;
    std::memcpy(TrackBufferAt(2).bytes, ranged.bytes, 14);  // the source's header
    FinishTrack();
    out = 2;
  }
  SelectTrackBuffer(out);
  return SaveTrack(path) ? kRcOk : kRcFileNotWritten;
}

}  // namespace

namespace {

// For General MIDI players: every program change becomes the General MIDI
// program the module plays for it (bank selects to 0), and the file says
// General MIDI System On instead of Off. Sizes stay, so offsets hold.
void ToGeneralMidiVoices(TrackBuffer* track) {
  struct Bank {
    uint8_t coarse = 0;
    uint8_t fine = 0;
  };
  Bank banks[16];
  midibytes::TrackWalker walker(track->bytes, track->size);
  midibytes::SmfEvent e;
  while (walker.Valid() && walker.Next(&e) == midibytes::SmfStep::kEvent) {
    uint8_t* data = track->bytes + e.data;
    if (e.status == 0xF0 && e.length == static_cast<int32_t>(midi::kGmSystemOff.size()) - 1 &&
        std::memcmp(data, midi::kGmSystemOff.data() + 1, e.length) == 0) {
      data[3] = 0x01;  // F0 7E 7F 09 01 F7
    }
    if (!e.IsChannel()) continue;
    Bank& bank = banks[e.Channel()];
    if (e.Kind() == 0xB0 && (data[0] == 0 || data[0] == 32)) {
      (data[0] == 0 ? bank.coarse : bank.fine) = data[1];
      data[1] = 0;
    } else if (e.Kind() == 0xC0) {
      data[0] = midibytes::NativeSound(data[0], bank.coarse, bank.fine).program;
    }
  }
}

}  // namespace

Rc WriteCapturedSmf(const uint32_t* words, size_t count, const std::string& path, uint64_t range) {
  const uint32_t usec = SongTempoMicroseconds();
  const int beats = std::max(1, RhythmFieldQuery(ReadValue(kRhythm), 12, 0));
  const std::string body = WorkDirectory() + "body_mid.dat";
  const std::vector<TimedMessage> played = PlaceRecording(words, count, usec, FirstChordTick(body));
  SelectTrackBuffer(0);
  NewTrack();
  PutDelta(0);
  PutTempo(usec);
  PutDelta(0);
  PutText(kIdentificationText);
  PutDelta(0);
  const uint8_t meter[7] = {0xFF, 0x58, 0x04, static_cast<uint8_t>(beats), 2, 24, 8};
  PutBytes(meter, 7);
  PutDelta(0);
  PutSystemExclusive(midi::kGmSystemOff.data(), midi::kGmSystemOff.size());
  PutDelta(96);
  const midi::ParameterMessage mode = midi::MakePlayMode(2);
  PutSystemExclusive(mode.bytes.data(), static_cast<int32_t>(mode.size));
  PutCoarseTuning(96, midi::CurrentRhythmTranspose());
  int64_t written = 192;
  for (const TimedMessage& e : played) {
    PutDelta(e.tick - written);
    written = e.tick;
    PutPacked(e.message, 1 + midibytes::ChannelDataLength(static_cast<uint8_t>(e.message & 0xFF)));
  }
  PutCoarseTuning(0, 0);
  PutDelta(0);
  PutEndOfTrack();
  FinishTrack();

  MergeSongChannel(body, 0, false);  // the melody
  for (int ch = 11; ch <= 15; ++ch) MergeSongChannel(body, ch, ch == 15);
  SelectTrackBuffer(0);
  CutTrack(ReadValue(kSongLength) + kLeadIn);
  if (ReadValue(kConvertGmVoices) != 0) ToGeneralMidiVoices(&TrackBufferAt(0));
  const auto from = static_cast<int32_t>(range >> 32);
  const auto to = static_cast<int32_t>(range & 0xFFFFFFFF);
  if (to > from) return SaveRangeOfBuffer0(from + kLeadIn, to + kLeadIn, kLeadIn, path);
  return SaveTrack(path) ? kRcOk : kRcFileNotWritten;
}

Rc ExportImageRange(const std::string& image_path, int32_t from, int32_t to, int32_t lead_in,
                    const std::string& path) {
  SelectTrackBuffer(0);
  if (!LoadTrack(image_path)) return kRcNoMemory;
  return SaveRangeOfBuffer0(from, to, lead_in, path);
}

// True when a file can be made beside `path` (its folder exists and takes
// files); checked before a conversion starts its work.
bool CanWriteBeside(const std::string& path) {
  const std::string probe = path + ".tmp";
  std::FILE* f = std::fopen(probe.c_str(), "wb");
  if (f == nullptr) return false;
  std::fclose(f);
  std::remove(probe.c_str());
  return true;
}

namespace {

// Plays the song and records what the module plays; the file (the whole
// song or the range packed in `range`) is written when the song has played.
Rc ConvertSmfPlayed(const char* path, uint64_t range, bool with_wav) {
  if (!CanWriteBeside(path)) return kRcFileNotWritten;
  if (with_wav) {  // the WAV conversion that follows plays the song for both
    SetPendingSmf({path, range});
    return kRcOk;
  }
  PendingSmf dropped;
  TakePendingSmf(&dropped);
  midi::StopAndWait();
  SetPointerPosition(0);
  BeginConversion(kConversionSmf, path);
  midi::SendGmOff();
  midi::SendPlayMode(2);
  platform::Sleep(1000);
  const double seconds = ReadValue(kSongLength) * (SongTempoMicroseconds() / 96.0) / 1e6;
  if (Rc rc = midi::OpenCapture(midi::CaptureWordsFor(seconds)); rc != 0) {
    EndConversion();
    return rc;
  }
  midi::StartCapture(path, range, WriteCapturedSmf);
  const Rc rc = WriteValue(kPlay, 1);
  if (rc != 0 || !midi::PlayRequested()) {
    midi::StopCapture(false);
    midi::CloseCapture();
    EndConversion();
    return rc != 0 ? rc : kRcMidiDeviceNotOpened;
  }
  return kRcOk;
}

}  // namespace

Rc ConvertSmfAll(const char* path, long flags) {
  if (path == nullptr) return kRcError;
  if (ReadValue(kSongLength) == 0) return kRcError;
  return ConvertSmfPlayed(path, 0, (flags & kSmfWithNextWav) != 0);
}

Rc ConvertSmfPart(const char* path, long flags) {
  if (path == nullptr) return kRcError;
  const int32_t length = ReadValue(kSongLength);
  if (length == 0) return kRcError;
  const SelectedRange range = ReadSelectedRange();
  if (range.start_ticks == range.end_ticks) return kRcNoRange;
  const int32_t from = std::min(range.start_ticks, range.end_ticks);
  const int32_t to = std::max(range.start_ticks, range.end_ticks);
  if (from < 0 || from >= length) return kRcNoRange;
  // A song's accompaniment exists only as the module plays it: the range is
  // cut from the recording of the whole song, every part with its state.
  if (EditingMode() == 0) {
    return ConvertSmfPlayed(
        path,
        PackSongRange(static_cast<uint32_t>(from), static_cast<uint32_t>(std::min(to, length))),
        (flags & kSmfWithNextWav) != 0);
  }
  // An opened file is its own whole: the range is cut from it as edited, in
  // its own ticks. A file made by this system carries the lead-in measure.
  if (!CanWriteBeside(path)) return kRcFileNotWritten;
  midi::OpenSmfView view;
  if (!midi::OpenSmf(&view)) return kRcError;
  const double k = view.tempo_ratio;
  const int32_t shift = view.own_marker ? kLeadIn : 0;
  auto file_ticks = [k](int32_t ticks) { return static_cast<int32_t>(ticks / k + 0.5); };
  SelectTrackBuffer(0);
  if (!LoadTrackBytes(view.image->data(), static_cast<int64_t>(view.image->size())))
    return kRcNoMemory;
  return SaveRangeOfBuffer0(file_ticks(from + shift), file_ticks(to + shift), file_ticks(kLeadIn),
                            path);
}

}  // namespace qm3
