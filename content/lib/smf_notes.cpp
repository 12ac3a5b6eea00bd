#include "smf_notes.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>

#include "midibytes/file_bytes.h"
#include "midibytes/number.h"
#include "midibytes/smf_file.h"
#include "midibytes/track_walker.h"

namespace content {
namespace {

constexpr int64_t kLongestTrackTicks = INT32_MAX;
constexpr char kTooLong[] = "track longer than any phrase or style";

SmfReadResult Fail(const std::string& why) {
  return {std::nullopt, why};
}

const char* WhyStopped(midibytes::WalkStop stop) {
  switch (stop) {
    case midibytes::WalkStop::kBadNumber:
      return "bad delta time";
    case midibytes::WalkStop::kMissingEvent:
      return "event missing";
    case midibytes::WalkStop::kNoRunningStatus:
      return "running status without a status";
    case midibytes::WalkStop::kBadDataByte:
      return "bad data byte";
    case midibytes::WalkStop::kLengthPastEnd:
      return "bad meta or system exclusive length";
    case midibytes::WalkStop::kSystemMessage:
      return "unexpected system message";
    case midibytes::WalkStop::kNone:
    case midibytes::WalkStop::kEndOfData:
      break;
  }
  return "no end of track";
}

}  // namespace

SmfReadResult ReadSmf(const std::vector<uint8_t>& bytes) {
  using midibytes::HasTag;
  const auto size = static_cast<int64_t>(bytes.size());
  if (!HasTag(bytes.data(), size, 0, "MThd") || size < midibytes::kHeaderChunkSize)
    return Fail("no MThd header");
  midibytes::SmfHeader header;
  if (!midibytes::ReadHeader(bytes.data(), size, &header)) return Fail("bad header length");
  ReadTrack track;
  track.division = header.division;
  const int64_t chunk = header.first_chunk;
  if (!HasTag(bytes.data(), size, chunk, "MTrk") || size - chunk < 8) return Fail("no MTrk chunk");
  const uint32_t track_length = midibytes::LoadBe32(bytes.data() + chunk + 4);
  if (track_length > size - chunk - 8) return Fail("track longer than file");

  const auto first = static_cast<int32_t>(chunk + 8);
  midibytes::TrackWalker walker(bytes.data(), first + static_cast<int32_t>(track_length), first);
  std::array<std::array<int, 128>, 16> held_since{};
  std::array<std::array<int, 128>, 16> held_velocity{};
  for (auto& row : held_since) row.fill(-1);
  midibytes::SmfEvent e;
  midibytes::SmfStep step;
  while ((step = walker.Next(&e)) == midibytes::SmfStep::kEvent) {
    // Ticks are kept in 32 bits and a held note's start in an int.
    if (e.time > kLongestTrackTicks) return Fail(kTooLong);
    const auto now = static_cast<uint32_t>(e.time);
    if (e.status == 0xFF) {
      track.metas.push_back(
          {now, e.type, std::string(bytes.begin() + e.data, bytes.begin() + e.data + e.length)});
      continue;
    }
    if (!e.IsChannel()) continue;  // system exclusive
    const int kind = e.Kind();
    const int channel = e.Channel();
    const uint8_t d1 = bytes[e.data];
    const uint8_t d2 = e.length == 2 ? bytes[e.data + 1] : 0;
    if (kind == 0x90 && d2 > 0) {
      if (held_since[channel][d1] >= 0) {
        // Re-struck without release: close the previous note here.
        track.notes.push_back({static_cast<uint32_t>(held_since[channel][d1]),
                               now - static_cast<uint32_t>(held_since[channel][d1]), channel + 1,
                               d1, held_velocity[channel][d1]});
      }
      held_since[channel][d1] = static_cast<int>(now);
      held_velocity[channel][d1] = d2;
    } else if (kind == 0x80 || kind == 0x90) {
      if (held_since[channel][d1] < 0) {
        ++track.unpaired_note_offs;
      } else {
        const uint32_t start = static_cast<uint32_t>(held_since[channel][d1]);
        track.notes.push_back({start, now - start, channel + 1, d1, held_velocity[channel][d1]});
        held_since[channel][d1] = -1;
      }
    } else if (kind == 0xB0 || kind == 0xC0) {
      track.controls.push_back({now, channel + 1, kind, d1, d2});
    }
  }
  if (step != midibytes::SmfStep::kEnd) return Fail(WhyStopped(walker.stop()));
  if (e.time > kLongestTrackTicks) return Fail(kTooLong);
  track.end_tick = static_cast<uint32_t>(e.time);
  for (auto& row : held_since)
    for (int since : row)
      if (since >= 0) ++track.notes_left_sounding;
  std::stable_sort(track.notes.begin(), track.notes.end(),
                   [](const ReadNote& a, const ReadNote& b) { return a.start < b.start; });
  return {std::move(track), ""};
}

SmfReadResult ReadSmfFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  switch (midibytes::ReadFileBytes(path, kLargestContentFile, &bytes)) {
    case midibytes::FileBytes::kRead:
      return ReadSmf(bytes);
    case midibytes::FileBytes::kNotRegular:
      return Fail("not a regular file: " + path);
    case midibytes::FileBytes::kTooLarge:
      return Fail("larger than any phrase or style file: " + path);
    default:
      return Fail("cannot open " + path);
  }
}

}  // namespace content
