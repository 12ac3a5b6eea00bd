// Reading song files of versions 1 to 3. Every read is bounded by the bytes
// given: a file that ends inside a section is reported as broken (17), never
// read past.
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <new>
#include <vector>

#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "core/result.h"
#include "midibytes/file_bytes.h"
#include "song/builder_content.h"
#include "song/builder_host.h"
#include "song/builder_render.h"
#include "song/phrase_list.h"
#include "song/song_file.h"
#include "song/song_file_layout.h"

namespace qm3 {
namespace {

// Longest line taken at once; a longer one continues as the next line.
constexpr size_t kLineLimit = 1023;

// Lines of the file in text mode: CR LF and LF both end a line, lines that
// begin with ';' are comments and skipped wherever they are.
class LineReader {
 public:
  explicit LineReader(std::string_view bytes) : rest_(bytes) {}

  // The next line without its line end; false at the end of the file.
  // `ended` tells whether the line had a line end.
  bool Next(std::string_view* line, bool* ended = nullptr) {
    for (;;) {
      if (rest_.empty()) return false;
      size_t n = rest_.find('\n');
      const bool has_end = n != std::string_view::npos && n < kLineLimit;
      n = has_end ? n : std::min(rest_.size(), kLineLimit);
      std::string_view text = rest_.substr(0, n);
      rest_.remove_prefix(has_end ? n + 1 : n);
      if (has_end && !text.empty() && text.back() == '\r') text.remove_suffix(1);
      if (!text.empty() && text.front() == ';') continue;
      *line = text;
      if (ended != nullptr) *ended = has_end;
      return true;
    }
  }

 private:
  std::string_view rest_;
};

// Decimal conversion as the C library does it: leading blanks, a sign,
// digits up to the first other character; nothing readable is 0. Saturates.
int32_t Decimal(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > static_cast<int64_t>(INT32_MAX) + 1) v = static_cast<int64_t>(INT32_MAX) + 1;
  }
  if (negative) v = -v;
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// The phrase count line: digits only (blanks around them allowed); -1 for
// anything else, so that a missing count is not taken as an empty song.
int32_t PhraseCount(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  if (text.empty() || text.size() > 9) return -1;
  for (char c : text)
    if (c < '0' || c > '9') return -1;
  return Decimal(text);
}

// Splits off the text before `sep`; without `sep` the whole rest.
std::string_view Field(std::string_view* text, char sep) {
  const size_t n = text->find(sep);
  std::string_view field = text->substr(0, n);
  text->remove_prefix(n == std::string_view::npos ? text->size() : n + 1);
  return field;
}

bool IsMarker(std::string_view line) {
  return !line.empty() && line.front() == '%';
}

// Groups whose identifiers hold values a file may set; screens and
// processes are never run from a file.
bool IsValueGroup(int group) {
  return (group >= kGroupPlayTime && group <= kGroupMidiOut) || group == kGroupTimeLine ||
         group == kGroupPartPane || group == kGroupMenu;
}

struct SeenDefaults {
  bool real_time_flag = false;
  bool start_phrase = false;
  bool tempo_slider = false;
  bool song_has_length = false;  // the file gives a song length above zero
};

// One "%d,%d:%d" line of the parameter section. Returns a code to remember.
Rc ApplyParameter(std::string_view line, SeenDefaults* seen) {
  const int64_t group = Decimal(Field(&line, ','));
  const int64_t index = Decimal(Field(&line, ':'));
  const int32_t value = Decimal(line);
  const int64_t id = group * 256 + index;
  if (id < 0 || id > 0xFFFF) return kRcOk;
  switch (id) {
    case kRhythm:
      WriteValue(kRhythm, value, false);
      return kRcOk;
    case kUserMelody:
      if (value < 0 || value > 60) return kRcSongFileBroken;
      WriteValue(kUserMelody, Content().MelodyIndexByNumber(kOldMelodyNumbers[value]));
      return kRcOk;
    case kMainVolume:
    case kPlay:  // a handler, not a value
      return kRcOk;
    case kSongLength: {
      // Playback and conversions run on the length: one that cannot be
      // stored leaves no song to play.
      int32_t min = 0, max = 0;
      ReadRange(kSongLength, &min, &max);
      if (value < min || value > max) return kRcSongFileBroken;
      seen->song_has_length = value > 0;
      break;
    }
    case kSongFileRealTimeFlag:
      seen->real_time_flag = true;
      WriteRealTimeSongFlag(value);
      return kRcOk;
    case kStartPhrase:
      seen->start_phrase = true;
      break;
    case kTempoSlider:
      seen->tempo_slider = true;
      break;
    default:
      break;
  }
  if (IsValueGroup(static_cast<int>(id >> 8))) WriteValue(static_cast<ControlId>(id), value, false);
  return kRcOk;
}

SongPhrase ParsePhrase(std::string_view line) {
  SongPhrase p;
  p.SetName(Field(&line, ','));
  p.length = Decimal(Field(&line, ','));
  p.kind = static_cast<int8_t>(Decimal(Field(&line, ',')));
  p.variation = static_cast<int8_t>(Decimal(Field(&line, ',')));
  p.fill_in = static_cast<int8_t>(Decimal(Field(&line, ',')));
  p.parts = Decimal(Field(&line, ','));
  return p;
}

// A real-time song names its body phrases "ﾌﾚｰｽﾞ1", a play-time song
// "ﾌﾚｰｽﾞA-1": the sixth byte tells them apart.
int32_t RealTimeFlagFromNames(const std::vector<SongPhrase>& phrases) {
  for (const SongPhrase& p : phrases) {
    if (p.kind != kPhraseBody) continue;
    const auto sixth = static_cast<unsigned char>(p.name[5]);
    return std::isalpha(sixth) ? 0 : 1;
  }
  return 0;
}

// Version line through the phrase section.
Rc ReadStructure(LineReader& in, SeenDefaults* seen) {
  std::string_view line;
  bool ended = false;
  if (!in.Next(&line, &ended)) return kRcFileNotRead;
  if (!ended ||
      (line != kSongFileVersion1 && line != kSongFileVersion2 && line != kSongFileVersion3))
    return kRcSongFileVersion;
  if (!in.Next(&line) || line != kSectionMiddle) return kRcSongFileBroken;

  Rc remembered = kRcOk;
  for (;;) {
    if (!in.Next(&line)) return kRcSongFileBroken;  // no end marker
    if (IsMarker(line)) break;
    if (Rc rc = ApplyParameter(line, seen); rc != kRcOk) remembered = rc;
  }
  if (remembered != kRcOk) return remembered;

  if (!in.Next(&line) || line != kSectionPhrases) return kRcSongFileBroken;
  if (!in.Next(&line)) return kRcSongFileBroken;
  const int32_t count = PhraseCount(line);
  // A song of some length is made of phrases; only an empty song has none.
  if (count < 0 || (count == 0 && seen->song_has_length)) {
    ClearSongPhrases();
    return kRcSongFileBroken;
  }
  std::vector<SongPhrase> phrases;
  Rc rc = kRcOk;
  try {
    for (int32_t i = 0; i < count; ++i) {
      if (!in.Next(&line) || IsMarker(line)) {
        rc = kRcSongFileBroken;  // fewer phrase lines than the count
        break;
      }
      phrases.push_back(ParsePhrase(line));
    }
  } catch (const std::bad_alloc&) {
    rc = kRcNoMemory;
  }
  // The previous song structure goes in any case.
  if (rc != kRcOk) {
    ClearSongPhrases();
    return rc;
  }
  ReplaceSongPhrases(std::move(phrases));
  if (!in.Next(&line)) return kRcSongFileBroken;  // the phrase section's end marker
  return kRcOk;
}

void ReadContents(std::string_view line) {
  const std::string_view key = Field(&line, ':');
  if (key == "RHY") {
    const int32_t a = Decimal(Field(&line, ','));
    const int32_t b = Decimal(Field(&line, ','));
    const int32_t c = Decimal(Field(&line, ','));
    WriteValue(kRhythm, Content().RhythmByKeys(a, b, c), false);
  } else if (key == "MEL") {
    WriteValue(kUserMelody, Content().MelodyIndexByNumber(Decimal(Field(&line, ','))), false);
  }
}

}  // namespace

Rc ReadSongFile(std::string_view bytes) {
  LineReader in(bytes);
  SeenDefaults seen;
  try {
    if (Rc rc = ReadStructure(in, &seen); rc != kRcOk) return rc;
    if (!seen.real_time_flag) WriteRealTimeSongFlag(RealTimeFlagFromNames(SongPhrases()));
    if (!seen.start_phrase) WriteValue(kStartPhrase, 0, false);
    if (!seen.tempo_slider) WriteValue(kTempoSlider, 3, false);

    std::string_view line;
    if (!in.Next(&line) || line != kSectionContents) return kRcOk;
    for (;;) {
      if (!in.Next(&line)) return kRcSongFileBroken;  // no end marker
      if (IsMarker(line)) return kRcOk;
      ReadContents(line);
    }
  } catch (const std::bad_alloc&) {
    return kRcNoMemory;
  }
}

Rc OpenSongFile(const std::string& path) {
  WriteValue(kEditingMode, 0);
  std::string bytes;
  switch (midibytes::ReadFileBytes(path, kSongFileLimit, &bytes)) {
    case midibytes::FileBytes::kRead:
      break;
    case midibytes::FileBytes::kTooLarge:
      return kRcSongFileBroken;
    default:  // missing, a FIFO or a device, a read error
      return kRcFileNotRead;
  }
  const Rc rc = ReadSongFile(bytes);
  MarkSongDataStale();
  if (rc != kRcOk) return rc;
  WriteRange(kPointerTicks, 0, ReadValue(kSongLength));
  // Playback and conversions read the rendered data as it is on disk, so the
  // opened song is rendered now rather than on first use.
  return ReadValue(kSongLength) != 0 ? RenderSongNow() : kRcOk;
}

}  // namespace qm3
