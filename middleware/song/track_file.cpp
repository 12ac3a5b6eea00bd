// Loading and saving whole track images.
#include <cstdio>
#include <cstring>
#include <vector>

#include "midibytes/file_bytes.h"
#include "song/track_buffer.h"

namespace qm3 {

bool LoadTrackBytes(const uint8_t* bytes, int64_t count) {
  if (count < 0 || count > kTrackBufferSize) return false;
  TrackBuffer& b = TrackBufferAt(CurrentTrackBuffer());
  if (count > 0) std::memmove(b.bytes, bytes, static_cast<size_t>(count));
  b.size = static_cast<int32_t>(count);
  return true;
}

bool LoadTrack(const std::string& path) {
  // Regular files only (a FIFO would block the open); a file larger than a
  // buffer is refused before a byte is read.
  std::vector<uint8_t> bytes;
  if (midibytes::ReadFileBytes(path, kTrackBufferSize, &bytes) != midibytes::FileBytes::kRead) {
    return false;
  }
  return LoadTrackBytes(bytes.data(), static_cast<int64_t>(bytes.size()));
}

bool SaveTrack(const std::string& path) {
  const TrackBuffer& b = CurrentTrack();
  const std::string temporary = path + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) return false;
  const size_t written = std::fwrite(b.bytes, 1, static_cast<size_t>(b.size), file);
  const bool closed = std::fclose(file) == 0;
  if (written != static_cast<size_t>(b.size) || !closed ||
      std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace qm3
