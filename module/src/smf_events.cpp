#include "smf_events.h"

#include <algorithm>

#include "midibytes/merged_reader.h"
#include "midibytes/smf_file.h"

namespace corvane {
namespace {

// Caps what a file can make the module hold.
constexpr size_t kMaxEvents = 200000;
constexpr uint64_t kMaxTick = 96u * 4 * 10000;  // ten thousand measures
constexpr size_t kMaxTracks = 256;

}  // namespace

std::optional<SmfFile> ReadSmf(const uint8_t* data, size_t size) {
  using namespace midibytes;
  if (data == nullptr || size > static_cast<size_t>(kMaxImageSize)) return std::nullopt;
  SmfHeader header;
  if (!ReadHeader(data, static_cast<int64_t>(size), &header) || header.at != 0) {
    return std::nullopt;
  }
  const uint32_t division = header.division;
  if (division == 0 || header.frame_based()) return std::nullopt;
  std::vector<TrackChunk> tracks;
  if (!ListTracks(data, static_cast<int64_t>(size), header, ChunkPolicy::kLenient, kMaxTracks,
                  &tracks) ||
      tracks.empty()) {
    return std::nullopt;
  }
  // Broken tracks end where they break; the others go on.
  MergedReader reader;
  reader.Open(data, tracks);
  SmfFile file;
  MergedEvent m;
  for (MergedStep step; (step = reader.Next(&m)) != MergedStep::kEnd;) {
    if (step != MergedStep::kEvent) continue;
    const midibytes::SmfEvent& e = m.event;
    if (static_cast<uint64_t>(e.time) > kMaxTick * division / kTicksPerQuarter) break;
    if (e.status == 0xF0 || e.status == 0xF7) continue;  // system exclusive in a style is not used
    const auto scaled =
        static_cast<uint32_t>(static_cast<uint64_t>(e.time) * kTicksPerQuarter / division);
    file.end_tick = std::max(file.end_tick, scaled);
    if (e.IsEndOfTrack()) continue;
    if (file.events.size() >= kMaxEvents) break;
    SmfEvent out;
    out.tick = scaled;
    out.status = e.status;
    if (e.status == 0xFF) {
      out.data1 = e.type;
      out.text.assign(reinterpret_cast<const char*>(data + e.data), static_cast<size_t>(e.length));
    } else {
      out.data1 = data[e.data];
      out.data2 = e.length == 2 ? data[e.data + 1] : 0;
    }
    file.events.push_back(std::move(out));
  }
  return file;
}

}  // namespace corvane
