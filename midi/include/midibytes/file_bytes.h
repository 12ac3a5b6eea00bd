// Reading a whole file of outside bytes with a size limit: only regular files
// are read (a FIFO or a device would block or never end), the open never
// waits for a writer, and nothing beyond the limit is ever read or stored.
//
// Thread rules: a plain function; blocks on file I/O; allocates the result.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace midibytes {

enum class FileBytes {
  kRead,        // the whole file is in the result
  kCannotOpen,  // missing, unreadable or a folder
  kNotRegular,  // a FIFO, a device, a socket
  kTooLarge,    // more bytes than the limit
  kReadError,
};

FileBytes ReadFileBytes(const std::string& path, size_t limit, std::string* out);
FileBytes ReadFileBytes(const std::string& path, size_t limit, std::vector<uint8_t>* out);

}  // namespace midibytes
