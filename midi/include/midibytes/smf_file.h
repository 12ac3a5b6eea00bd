// The outer structure of a Standard MIDI File: where the file starts inside
// an image (bare, after a 128-byte prefix, or inside a RIFF "RMID" chunk),
// its header chunk, and its track chunks with every length checked against
// the bytes present. Offsets are int32_t: images are at most 2 GiB - 1.
//
// Thread rules: pure functions over caller bytes; ListTracks and WrapRmid
// allocate their results.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace midibytes {

inline constexpr int32_t kPrefixSize = 128;      // bytes some files carry before "MThd"
inline constexpr int32_t kHeaderChunkSize = 14;  // "MThd", length 6, three 16-bit fields
inline constexpr int32_t kChunkHeadSize = 8;     // tag and 32-bit length
inline constexpr int32_t kMaxImageSize = 0x7FFFFFFF;

bool HasTag(const uint8_t* bytes, int64_t size, int64_t at, const char* tag);

struct SmfHeader {
  int32_t at = 0;       // offset of "MThd" in the image
  uint32_t length = 0;  // header chunk length as declared
  uint16_t format = 0;
  uint16_t track_count = 0;
  uint16_t division = 0;
  int32_t first_chunk = 0;  // offset just after the header chunk

  bool frame_based() const { return (division & 0x8000) != 0; }
};

// Reads the header chunk found at 0 or after a 128-byte prefix. False when
// there is no "MThd", its length is below 6, or the chunk runs past `size`.
bool ReadHeader(const uint8_t* bytes, int64_t size, SmfHeader* header);

enum class Container {
  kPlain,    // not RIFF: the image is the file (or not a file at all)
  kRmid,     // RIFF "RMID": the "data" chunk holds the file
  kBadRiff,  // RIFF without a usable "RMID" data chunk
};

// Finds the Standard MIDI File of an image: the "data" chunk of a RIFF
// "RMID" image, otherwise the image itself.
Container Unwrap(const uint8_t* image, size_t size, const uint8_t** smf, size_t* smf_size);

// Wraps file bytes as RIFF "RMID" with one "data" chunk (padded to even).
std::vector<uint8_t> WrapRmid(const std::vector<uint8_t>& smf);

struct TrackChunk {
  int32_t data = 0;      // offset of the first event
  int32_t length = 0;    // usable bytes from `data`
  bool clipped = false;  // declared longer than the file (lenient only)
};

enum class ChunkPolicy {
  // Exactly the declared number of chunks, each "MTrk" and inside the file.
  kStrict,
  // Every "MTrk" chunk present, whatever the header says: other chunks are
  // skipped and a length past the end is cut to the end.
  kLenient,
};

// Track chunks after the header, at most `max_tracks`. False (strict) when
// the chunks do not match the header, or when more than `max_tracks` exist.
bool ListTracks(const uint8_t* bytes, int64_t size, const SmfHeader& header, ChunkPolicy policy,
                size_t max_tracks, std::vector<TrackChunk>* tracks);

}  // namespace midibytes
