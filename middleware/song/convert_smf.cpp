#include "song/convert_smf.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/catalog.h"
#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "midi/input_capture.h"
#include "midi/module_messages.h"
#include "midi/module_sender.h"
#include "midi/transport.h"
#include "platform/clock.h"
#include "song/conversion.h"
#include "song/smf_reader.h"
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

uint32_t TempoMicroseconds() {
  const double bpm = ReadValue(kTempo) * 0.0001;
  return bpm > 0 ? static_cast<uint32_t>(std::floor(60000000.0 / bpm + 0.5)) : 500000;
}

// Exchanges channels 10 and 16 of every channel event of the current buffer.
void SwapDrumChannel() {
  TrackBuffer& t = TrackBufferAt(CurrentTrackBuffer());
  SmfTrackReader reader(t.bytes, t.size);
  if (!reader.Valid()) return;
  SmfEvent e;
  while (reader.Next(&e) == SmfStep::kEvent) {
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
  if (ChannelTrack(1, channel) != kTrackOk) return false;
  if (swap_drums) SwapDrumChannel();
  SelectTrackBuffer(1);
  if (MergeTracks(0, 2) != kTrackOk) return false;
  CopyTrack(1, 0);
  return true;
}

}  // namespace

bool HasIdentificationText(const uint8_t* image, int32_t size) {
  SmfTrackReader reader(image, size);
  if (!reader.Valid()) return false;
  const int32_t n = static_cast<int32_t>(std::strlen(kIdentificationText));
  SmfEvent e;
  while (reader.Next(&e) == SmfStep::kEvent) {
    if (e.IsChannel() && e.Kind() == 0x90 && image[e.data + 1] != 0) return false;
    if (e.status == 0xFF && e.type == 0x01 && e.length == n &&
        std::memcmp(image + e.data, kIdentificationText, n) == 0) {
      return true;
    }
  }
  return false;
}

int WriteCapturedSmf(const uint32_t* words, size_t count, const std::string& path, int) {
  const uint32_t usec = TempoMicroseconds();
  const int beats = std::max(1, RhythmFieldQuery(ReadValue(kRhythm), 12, 0));
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
  // The chord notes the module echoes anchor the recording: the first one
  // lands 8 ticks before the song's first beat.
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
  const double shift =
      anchored ? std::max(0.0, std::floor(t0 * q - kLeadIn + 192 + 0.5)) + 8 : 192 + 8;
  double written = shift;
  for (size_t i = 0; i + 1 < count; i += 2) {
    uint32_t msg = words[i + 1];
    uint8_t status = static_cast<uint8_t>(msg & 0xFF);
    if (status < 0x80 || status >= 0xF0) continue;
    const int ch = status & 0x0F;
    if (ch == 9 || ch == 10) continue;
    if (ch == 15) status = static_cast<uint8_t>((status & 0xF0) | 9);
    msg = (msg & 0xFFFF00) | status;
    const double delta = std::max(0.0, std::floor(words[i] * q - written + 0.5));
    written += delta;
    PutDelta(static_cast<int64_t>(delta));
    PutPacked(msg, 1 + SmfChannelDataLength(status));
  }
  PutCoarseTuning(0, 0);
  PutDelta(0);
  PutEndOfTrack();
  FinishTrack();

  const std::string body = WorkDirectory() + "body_mid.dat";
  MergeSongChannel(body, 0, false);  // the melody
  for (int ch = 11; ch <= 15; ++ch) MergeSongChannel(body, ch, ch == 15);
  SelectTrackBuffer(0);
  CutTrack(ReadValue(kSongLength) + kLeadIn);
  return SaveTrack(path) ? 0 : 11;
}

int ExportImageRange(const std::string& image_path, int32_t from, int32_t to, int32_t lead_in,
                     const std::string& path) {
  SelectTrackBuffer(0);
  if (!LoadTrack(image_path)) return 4;
  SelectTrackBuffer(1);
  if (RangeTrack(0, from, to, lead_in) != kTrackOk) return 5;
  const TrackBuffer& ranged = TrackBufferAt(1);
  int out = 1;
  if (!HasIdentificationText(ranged.bytes, ranged.size)) {
    SelectTrackBuffer(2);
    NewTrack();
    PutDelta(0);
    PutText(kIdentificationText);
    PutDelta(0);
    PutEndOfTrack();
    if (JoinTrack(1) != kTrackOk) return 4;
    std::memcpy(TrackBufferAt(2).bytes, ranged.bytes, 14);  // the source's header
    FinishTrack();
    out = 2;
  }
  SelectTrackBuffer(out);
  return SaveTrack(path) ? 0 : 11;
}

int ConvertSmfAll(const char* path) {
  if (path == nullptr) return 1;
  if (ReadValue(kSongLength) == 0) return 1;
  midi::StopAndWait();
  SetPointerPosition(0);
  BeginConversion(kConversionSmf, path);
  midi::SendGmOff();
  midi::SendPlayMode(2);
  platform::Sleep(1000);
  if (int rc = midi::OpenCapture(); rc != 0) {
    EndConversion();
    return rc;
  }
  midi::StartCapture(path, 0, WriteCapturedSmf);
  const int rc = WriteValue(kPlay, 1);
  if (rc != 0 || !midi::PlayRequested()) {
    midi::StopCapture(false);
    midi::CloseCapture();
    EndConversion();
    return rc != 0 ? rc : kResultPlayFailed;
  }
  return 0;
}

int ConvertSmfPart(const char* path) {
  if (path == nullptr) return 1;
  if (ReadValue(kSongLength) == 0) return 1;
  const SelectedRange range = ReadSelectedRange();
  if (range.start_ticks == range.end_ticks) return 18;
  // Song ticks count from the song's first beat, after its count-in measure.
  // A file made by this system carries the lead-in measure too.
  const bool song = EditingMode() == 0;
  const std::string image = song ? WorkDirectory() + "body_mid.dat" : CurrentFileName();
  bool identified = song;
  if (!song) {
    SelectTrackBuffer(0);
    if (!LoadTrack(image)) return 4;
    identified = HasIdentificationText(CurrentTrack().bytes, CurrentTrack().size);
  }
  const int32_t shift = identified ? kLeadIn : 0;
  return ExportImageRange(image, range.start_ticks + shift, range.end_ticks + shift, kLeadIn, path);
}

}  // namespace qm3
