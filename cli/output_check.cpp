#include "output_check.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace sonavex::cli {

namespace fs = std::filesystem;

std::string OutputFileProblem(const std::string& path) {
  if (path.empty()) return "no file name given";
  std::error_code ec;
  const fs::path target(path);
  if (fs::is_directory(target, ec)) return "is a folder, not a file name";
  const fs::path parent = target.has_parent_path() ? target.parent_path() : fs::path(".");
  if (!fs::exists(parent, ec)) return "the folder " + parent.string() + " does not exist";
  if (!fs::is_directory(parent, ec)) return parent.string() + " is not a folder";
  // The file is written to a temporary name in its folder and renamed.
  if (::access(parent.c_str(), W_OK | X_OK) != 0) {
    return "the folder " + parent.string() + " is not writable";
  }
  if (fs::exists(target, ec) && ::access(target.c_str(), W_OK) != 0) {
    return "the file exists and is not writable";
  }
  return "";
}

bool CheckOutputFile(const std::string& option, const std::string& path) {
  const std::string problem = OutputFileProblem(path);
  if (problem.empty()) return true;
  std::fprintf(stderr, "error: %s %s: %s\n", option.c_str(), path.c_str(), problem.c_str());
  return false;
}

bool CheckSongFile(const std::string& path) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);  // looks without opening
  if (!fs::exists(status) || fs::is_regular_file(status)) return true;
  std::fprintf(stderr, "error: %s: %s\n", path.c_str(),
               fs::is_directory(status)
                   ? "is a folder, not a song file"
                   : "is not a regular file (a pipe or a device is no song file)");
  return false;
}

}  // namespace sonavex::cli
