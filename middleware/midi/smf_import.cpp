#include "midi/smf_import.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "midibytes/merged_reader.h"
#include "midibytes/number.h"
#include "midibytes/smf_file.h"
#include "midibytes/track_walker.h"
#include "midibytes/track_writer.h"

namespace qm3::midi {
namespace {

using midibytes::SmfEvent;
using midibytes::SmfStep;
using midibytes::TrackWalker;

constexpr uint8_t kGmOffBody[] = {0x7E, 0x7F, 0x09, 0x02, 0xF7};
constexpr uint8_t kGsResetBody[] = {0x41, 0x00, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};

bool IsSoundingNote(const SmfEvent& e, const uint8_t* bytes) {
  return e.Kind() == 0x90 && e.length == 2 && bytes[e.data + 1] != 0;
}

bool IsSysEx(const SmfEvent& e) {
  return e.status == 0xF0;
}

bool IsGmOn(const SmfEvent& e, const uint8_t* b) {
  return IsSysEx(e) && e.length == 5 && b[e.data] == 0x7E && b[e.data + 2] == 0x09 &&
         b[e.data + 3] == 0x01 && b[e.data + 4] == 0xF7;
}

bool IsGmOff(const SmfEvent& e, const uint8_t* b) {
  return IsSysEx(e) && e.length == sizeof kGmOffBody &&
         std::memcmp(b + e.data, kGmOffBody, sizeof kGmOffBody) == 0;
}

// F0 41 dd 42 12 40 00 7F 00 41 F7, any device byte dd.
bool IsGsReset(const SmfEvent& e, const uint8_t* b) {
  if (!IsSysEx(e) || e.length != sizeof kGsResetBody) return false;
  for (int i = 0; i < static_cast<int>(sizeof kGsResetBody); ++i) {
    if (i != 1 && b[e.data + i] != kGsResetBody[i]) return false;
  }
  return true;
}

// F0 41 dd 42 12 40 1b 15 vv cs F7: the GS block b uses the rhythm part.
// Returns the channel of block b, or -1.
int GsRhythmChannel(const SmfEvent& e, const uint8_t* b) {
  if (!IsSysEx(e) || e.length != 10) return -1;
  const uint8_t* d = b + e.data;
  if (d[0] != 0x41 || d[2] != 0x42 || d[3] != 0x12 || d[4] != 0x40 || (d[5] & 0xF0) != 0x10 ||
      d[6] != 0x15 || d[9] != 0xF7) {
    return -1;
  }
  const int block = d[5] & 0x0F;
  if (block == 0) return 9;
  return block <= 9 ? block - 1 : block;
}

bool IsMarker(const SmfEvent& e, const uint8_t* b) {
  constexpr size_t n = sizeof kOwnMarker - 1;
  return e.status == 0xFF && e.type == 0x01 && e.length == static_cast<int32_t>(n) &&
         std::memcmp(b + e.data, kOwnMarker, n) == 0;
}

// The first track of an image, for the scans that read it up to its end.
TrackWalker FirstTrack(const uint8_t* image, size_t size) {
  const auto n = static_cast<int32_t>(std::min<size_t>(size, midibytes::kMaxImageSize));
  return TrackWalker(image, n);
}

// Where a part lookup ends: at the first sounding note at or after a tick,
// taking in whatever else happens at that note's tick (merged tracks put a
// later track's settings after an earlier track's note at the same tick).
class StopAtNote {
 public:
  explicit StopAtNote(int64_t from) : from_(from) {}
  bool Reached(const SmfEvent& e, const uint8_t* bytes) {
    if (note_tick_ >= 0) return e.time > note_tick_;
    if (IsSoundingNote(e, bytes) && e.time >= from_) note_tick_ = e.time;
    return false;
  }

 private:
  int64_t from_;
  int64_t note_tick_ = -1;
};

int64_t RoundHalfUp(double x) {
  if (!(x > -9.0e18)) return std::numeric_limits<int64_t>::min();
  if (!(x < 9.0e18)) return std::numeric_limits<int64_t>::max();
  return static_cast<int64_t>(std::floor(x + 0.5));
}

struct ChannelUse {
  bool program = false;
  bool volume = false;
  bool pan = false;
};

// Copies one event of a merged track into the writer, running status
// resolved; end-of-track events are left for the caller.
void CopyEvent(const SmfEvent& e, const uint8_t* b, midibytes::TrackWriter* w) {
  if (e.IsChannel()) {
    w->Channel(e.time, e.status, b[e.data], e.length > 1 ? b[e.data + 1] : 0);
  } else if (e.status == 0xFF) {
    w->Meta(e.time, e.type, b + e.data, static_cast<uint32_t>(e.length));
  } else {
    w->SysEx(e.time, e.status, b + e.data, static_cast<uint32_t>(e.length));
  }
}

Rc Normalise(const uint8_t* bytes, size_t size, std::vector<uint8_t>* out) {
  const uint8_t* smf = nullptr;
  size_t smf_size = 0;
  if (midibytes::Unwrap(bytes, size, &smf, &smf_size) == midibytes::Container::kBadRiff) {
    return kRcUnsupportedFile;
  }
  if (smf_size > static_cast<size_t>(midibytes::kMaxImageSize)) return kRcFileNotRead;
  const auto n = static_cast<int64_t>(smf_size);
  const bool tagged = midibytes::HasTag(smf, n, 0, "MThd") ||
                      midibytes::HasTag(smf, n, midibytes::kPrefixSize, "MThd");
  if (!tagged) return kRcUnsupportedFile;
  midibytes::SmfHeader header;
  if (!midibytes::ReadHeader(smf, n, &header)) return kRcFileNotRead;
  std::vector<midibytes::TrackChunk> tracks;
  if (!midibytes::ListTracks(smf, n, header, midibytes::ChunkPolicy::kLenient, kMaxImportTracks,
                             &tracks)) {
    return kRcFileNotRead;
  }
  if (tracks.empty()) return kRcUnsupportedFile;
  for (const midibytes::TrackChunk& t : tracks) {
    if (t.clipped) return kRcFileNotRead;  // declared longer than the file
  }

  // First pass: what each channel already has, and that every track reads.
  std::array<ChannelUse, 16> use{};
  midibytes::MergedReader reader;
  reader.Open(smf, tracks);
  midibytes::MergedEvent m;
  for (midibytes::MergedStep step; (step = reader.Next(&m)) != midibytes::MergedStep::kEnd;) {
    if (step == midibytes::MergedStep::kBroken) {
      // A track that simply stops after a whole event lacks only its end.
      if (reader.first_break() != midibytes::WalkStop::kEndOfData) return kRcFileNotRead;
      continue;
    }
    const SmfEvent& e = m.event;
    if (!e.IsChannel()) continue;
    ChannelUse& u = use[e.Channel()];
    if (e.Kind() == 0xC0) u.program = true;
    if (e.Kind() == 0xB0 && smf[e.data] == 7) u.volume = true;
    if (e.Kind() == 0xB0 && smf[e.data] == 10) u.pan = true;
  }

  midibytes::TrackWriter w;
  for (uint8_t ch = 0; ch < 16; ++ch) {
    const auto cc = static_cast<uint8_t>(0xB0 | ch);
    if (!use[ch].program) {
      w.Channel(0, cc, 0, 0);
      w.Channel(0, cc, 32, 0);
      w.Channel(0, static_cast<uint8_t>(0xC0 | ch), 0);
    }
    if (!use[ch].volume) w.Channel(0, cc, 7, 100);
    if (!use[ch].pan) w.Channel(0, cc, 10, 64);
  }
  int64_t end_time = 0;
  reader.Rewind();
  for (midibytes::MergedStep step; (step = reader.Next(&m)) != midibytes::MergedStep::kEnd;) {
    if (step != midibytes::MergedStep::kEvent) continue;
    end_time = std::max(end_time, m.event.time);
    if (!m.event.IsEndOfTrack()) CopyEvent(m.event, smf, &w);
  }
  w.End(end_time);

  const std::vector<uint8_t>& body = w.bytes();
  if (body.size() > static_cast<size_t>(midibytes::kMaxImageSize) - 64) return kRcFileNotRead;
  out->clear();
  out->reserve(22 + body.size());
  out->insert(out->end(), {'M', 'T', 'h', 'd', 0, 0, 0, 6});
  midibytes::AppendBe16(*out, header.format);
  midibytes::AppendBe16(*out, 1);
  midibytes::AppendBe16(*out, header.division);
  out->insert(out->end(), {'M', 'T', 'r', 'k'});
  midibytes::AppendBe32(*out, static_cast<uint32_t>(body.size()));
  out->insert(out->end(), body.begin(), body.end());
  return kRcOk;
}

Rc Convert(const uint8_t* image, size_t size, ConvertedSmf* out) {
  *out = ConvertedSmf{};
  if (size > static_cast<size_t>(midibytes::kMaxImageSize)) return kRcFileNotRead;
  const auto n = static_cast<int64_t>(size);
  int64_t at = 0;
  if (!midibytes::HasTag(image, n, 0, "MThd")) {
    at = midibytes::kPrefixSize;
    if (!midibytes::HasTag(image, n, at, "MThd")) return kRcUnsupportedFile;
  }
  midibytes::SmfHeader header;
  if (!midibytes::ReadHeader(image, n, &header)) return kRcFileNotRead;
  if (header.frame_based()) return kRcUnsupportedFile;
  if (header.division == 0) return kRcFileNotRead;
  if (header.format > 1 || (header.format == 1 && header.track_count != 1)) {
    return kRcUnsupportedFile;
  }
  TrackWalker marker_scan = FirstTrack(image, size);
  if (!marker_scan.Valid()) return kRcUnsupportedFile;
  SmfEvent e;
  for (SmfStep s; (s = marker_scan.Next(&e)) == SmfStep::kEvent;) {
    if (IsSoundingNote(e, image)) break;
    if (IsMarker(e, image)) {
      out->own_marker = true;
      break;
    }
  }

  out->division = header.division;
  out->tempo_ratio = 96.0 / header.division;
  const int64_t start = out->own_marker ? -4 * int64_t{header.division} : 0;
  auto converted = [&](int64_t file_tick) {
    return std::max<int64_t>(0, RoundHalfUp(static_cast<double>(file_tick) * out->tempo_ratio));
  };

  TrackWalker walker = FirstTrack(image, size);
  walker = TrackWalker(image, walker.limit(), walker.position(), start);
  bool noted = false;
  int64_t last_note_tick = 0;
  for (SmfStep s;;) {
    s = walker.Next(&e);
    if (s == SmfStep::kTruncated) {
      if (walker.stop() != midibytes::WalkStop::kEndOfData) return kRcFileNotRead;
      break;
    }
    const int64_t tick = converted(e.time);
    out->length_ticks = std::max(out->length_ticks, tick);
    if (s == SmfStep::kEnd) break;
    if (e.status == 0xFF && e.type == 0x51 && e.length == 3) {
      const uint32_t usec =
          (uint32_t{image[e.data]} << 16) | (uint32_t{image[e.data + 1]} << 8) | image[e.data + 2];
      if (usec != 0) {
        const int64_t tempo = RoundHalfUp(600000000000.0 / usec);
        out->tempos.push_back({static_cast<int32_t>(std::min<int64_t>(tick, INT32_MAX)),
                               static_cast<int32_t>(std::min<int64_t>(tempo, INT32_MAX))});
      }
    } else if (!noted && e.status == 0xFF && e.type == 0x58 && e.length == 4 &&
               image[e.data] == 3 && image[e.data + 1] == 2) {
      out->beats_per_measure = 3;
    } else if (IsSoundingNote(e, image)) {
      noted = true;
      midibytes::AppendNumber(out->time_line, tick - last_note_tick);
      out->time_line.push_back(static_cast<uint8_t>(e.Channel()));
      out->time_line.push_back(image[e.data + 1] & 0x7F);
      last_note_tick = tick;
      if (out->time_line.size() > kMaxEventListBytes) return kRcSongTooLong;
    }
  }
  return kRcOk;
}

}  // namespace

Rc NormaliseSmf(const uint8_t* bytes, size_t size, std::vector<uint8_t>* out) {
  try {
    return Normalise(bytes, size, out);
  } catch (const std::bad_alloc&) {
    out->clear();
    return kRcNoMemory;
  }
}

Rc ConvertSmf(const uint8_t* image, size_t size, ConvertedSmf* out) {
  try {
    return Convert(image, size, out);
  } catch (const std::bad_alloc&) {
    *out = ConvertedSmf{};
    return kRcNoMemory;
  }
}

int DetectSoundSet(const uint8_t* image, size_t size) {
  int set = kSoundSetNative;
  TrackWalker walker = FirstTrack(image, size);
  SmfEvent e;
  while (walker.Valid() && walker.Next(&e) == SmfStep::kEvent) {
    if (IsSoundingNote(e, image)) break;
    if (IsGmOn(e, image)) set = kSoundSetGeneralMidi;
    if (IsGsReset(e, image)) set = kSoundSetGs;
  }
  return set;
}

DrumScan ScanDrumParts(const uint8_t* image, size_t size) {
  DrumScan scan;
  bool gs = false;
  TrackWalker walker = FirstTrack(image, size);
  SmfEvent e;
  while (walker.Valid() && walker.Next(&e) == SmfStep::kEvent) {
    if (IsGsReset(e, image)) gs = true;
    if (IsGmOff(e, image)) scan.gm_system_off = true;
    if (const int ch = gs ? GsRhythmChannel(e, image) : -1; ch >= 0) scan.drums[ch] = true;
  }
  scan.drums[9] = true;
  return scan;
}

std::array<PartSettings, 16> PartSettingsAt(const uint8_t* image, size_t size, int64_t file_tick) {
  std::array<PartSettings, 16> parts{};
  TrackWalker walker = FirstTrack(image, size);
  SmfEvent e;
  StopAtNote stop(file_tick);
  while (walker.Valid() && walker.Next(&e) == SmfStep::kEvent && !stop.Reached(e, image)) {
    if (!e.IsChannel()) continue;
    PartSettings& p = parts[e.Channel()];
    const uint8_t d1 = image[e.data];
    if (e.Kind() == 0xC0) p.program = d1;
    if (e.Kind() != 0xB0) continue;
    const uint8_t d2 = image[e.data + 1];
    if (d1 == 0) p.bank = d2;
    if (d1 == 32) p.fine = d2;
    if (d1 == 7) p.volume = d2;
    if (d1 == 10) p.pan = d2;
  }
  return parts;
}

bool RewritePartEvent(std::vector<uint8_t>* image, int channel, uint8_t kind, int controller,
                      int64_t file_tick, uint8_t value) {
  const uint8_t* b = image->data();
  const auto status = static_cast<uint8_t>(kind | (channel & 0x0F));
  int32_t at = -1;
  TrackWalker walker = FirstTrack(b, image->size());
  SmfEvent e;
  StopAtNote stop(file_tick);
  while (walker.Valid() && walker.Next(&e) == SmfStep::kEvent && !stop.Reached(e, b)) {
    if (e.status != status) continue;
    if (kind == 0xB0 && b[e.data] == controller) at = e.data + 1;
    if (kind == 0xC0) at = e.data;
  }
  if (at < 0) return false;
  (*image)[at] = value & 0x7F;
  return true;
}

}  // namespace qm3::midi
