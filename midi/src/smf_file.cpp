#include "midibytes/smf_file.h"

#include <cstring>

#include "midibytes/number.h"

namespace midibytes {

bool HasTag(const uint8_t* bytes, int64_t size, int64_t at, const char* tag) {
  if (at < 0 || at + 4 > size) return false;
  return std::memcmp(bytes + at, tag, 4) == 0;
}

bool ReadHeader(const uint8_t* bytes, int64_t size, SmfHeader* header) {
  if (size > kMaxImageSize) return false;
  int64_t at = 0;
  if (!HasTag(bytes, size, at, "MThd")) {
    at = kPrefixSize;
    if (!HasTag(bytes, size, at, "MThd")) return false;
  }
  if (at + kHeaderChunkSize > size) return false;
  const uint32_t length = LoadBe32(bytes + at + 4);
  if (length < 6 || length > size - at - kChunkHeadSize) return false;
  header->at = static_cast<int32_t>(at);
  header->length = length;
  header->format = LoadBe16(bytes + at + 8);
  header->track_count = LoadBe16(bytes + at + 10);
  header->division = LoadBe16(bytes + at + 12);
  header->first_chunk = static_cast<int32_t>(at + kChunkHeadSize + length);
  return true;
}

Container Unwrap(const uint8_t* image, size_t size, const uint8_t** smf, size_t* smf_size) {
  *smf = image;
  *smf_size = size;
  if (size < 4 || std::memcmp(image, "RIFF", 4) != 0) return Container::kPlain;
  if (size < 12 || std::memcmp(image + 8, "RMID", 4) != 0) return Container::kBadRiff;
  size_t pos = 12;
  while (size - pos >= 8) {
    const uint32_t chunk = LoadLe32(image + pos + 4);
    if (std::memcmp(image + pos, "data", 4) == 0) {
      if (chunk > size - pos - 8) return Container::kBadRiff;
      *smf = image + pos + 8;
      *smf_size = chunk;
      return Container::kRmid;
    }
    const uint64_t next = uint64_t{pos} + 8 + chunk + (chunk & 1);
    if (next > size) return Container::kBadRiff;
    pos = static_cast<size_t>(next);
  }
  return Container::kBadRiff;
}

std::vector<uint8_t> WrapRmid(const std::vector<uint8_t>& smf) {
  const uint32_t data = static_cast<uint32_t>(smf.size());
  const uint32_t padded = data + (data & 1);
  std::vector<uint8_t> out = {'R', 'I', 'F', 'F', 0,   0,   0,   0,
                              'R', 'M', 'I', 'D', 'd', 'a', 't', 'a'};
  const uint32_t riff = 4 + 8 + padded;
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(riff >> (8 * i));
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(data >> (8 * i)));
  out.insert(out.end(), smf.begin(), smf.end());
  if (data & 1) out.push_back(0);
  return out;
}

bool ListTracks(const uint8_t* bytes, int64_t size, const SmfHeader& header, ChunkPolicy policy,
                size_t max_tracks, std::vector<TrackChunk>* tracks) {
  tracks->clear();
  int64_t pos = header.first_chunk;
  if (policy == ChunkPolicy::kStrict) {
    if (header.track_count > max_tracks) return false;
    for (int i = 0; i < header.track_count; ++i) {
      if (!HasTag(bytes, size, pos, "MTrk") || size - pos < kChunkHeadSize) return false;
      const uint32_t length = LoadBe32(bytes + pos + 4);
      if (length > size - pos - kChunkHeadSize) return false;
      tracks->push_back({static_cast<int32_t>(pos + kChunkHeadSize), static_cast<int32_t>(length)});
      pos += kChunkHeadSize + length;
    }
    return true;
  }
  while (size - pos >= kChunkHeadSize) {
    const bool is_track = HasTag(bytes, size, pos, "MTrk");
    const uint32_t declared = LoadBe32(bytes + pos + 4);
    pos += kChunkHeadSize;
    const int64_t usable = declared < size - pos ? int64_t{declared} : size - pos;
    if (is_track) {
      if (tracks->size() >= max_tracks) return false;
      tracks->push_back(
          {static_cast<int32_t>(pos), static_cast<int32_t>(usable), usable < declared});
    }
    pos += usable;
  }
  return true;
}

}  // namespace midibytes
