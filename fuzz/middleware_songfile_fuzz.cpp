// Song file reader: arbitrary bytes must give a return code, never a read
// outside the input, a hang or a crash.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "song/phrase_list.h"
#include "song/song_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int rc = qm3::ReadSongFile(std::string_view(reinterpret_cast<const char*>(data), size));
  if (rc != 0 && rc != 4 && rc != 5 && rc != 16 && rc != 17) __builtin_trap();
  for (const qm3::SongPhrase& p : qm3::SongPhrases()) {
    if (p.Name().size() > 11) __builtin_trap();
  }
  return 0;
}
