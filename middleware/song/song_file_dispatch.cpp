// Opener and saver tables, and processes 17 (open) and 21 (save).
#include "song/song_file_dispatch.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "core/middleware.h"
#include "core/result.h"
#include "song/song_file.h"

namespace qm3 {
namespace {

std::string Lowercase(std::string_view text) {
  std::string s(text);
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

}  // namespace

// Who opens which extension and saves in which editing mode; filled by
// registration when the instance is made.
struct FileHandlers {
  std::map<std::string, FileOpenFn> openers;
  std::map<int, FileSaveFn> savers;
};

PartState<FileHandlers> MakeFileHandlers() {
  return MakePartState<FileHandlers>();
}

namespace {

std::map<std::string, FileOpenFn>& Openers() {
  return TheMiddleware().files->openers;
}

std::map<int, FileSaveFn>& Savers() {
  return TheMiddleware().files->savers;
}

// Process 17: b = the file name. Waits for the hardware first so the sound
// module is ready for what the file sets up.
Rc OpenFile(long*, long* b) {
  const char* name = reinterpret_cast<const char*>(*b);
  if (name == nullptr) return kRcError;
  WaitHardwareReady();
  const std::string path = name;
  const Rc rc = OpenFileByExtension(path);
  if (rc == kRcOk) {
    SetCurrentFileName(path);
    SetSaved(true);
  }
  return rc;
}

// Process 21: saves to the current file name.
Rc SaveFile(long*, long*) {
  const Rc rc = SaveFileByMode(CurrentFileName());
  if (rc == kRcOk) SetSaved(true);
  return rc;
}

}  // namespace

void RegisterFileOpener(std::string_view extension, FileOpenFn fn) {
  Openers()[Lowercase(extension)] = fn;
}

void RegisterFileSaver(int editing_mode, FileSaveFn fn) {
  Savers()[editing_mode] = fn;
}

Rc OpenFileByExtension(const std::string& path) {
  const size_t dot = path.rfind('.');
  const size_t slash = path.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return kRcUnsupportedFile;
  auto it = Openers().find(Lowercase(std::string_view(path).substr(dot + 1)));
  if (it == Openers().end() || it->second == nullptr) return kRcUnsupportedFile;
  return it->second(path);
}

Rc SaveFileByMode(const std::string& path) {
  auto it = Savers().find(EditingMode());
  if (it == Savers().end() || it->second == nullptr) return kRcUnsupportedFile;
  return it->second(path);
}

// Registers what this file provides; called from the one list in
// core/registration.cpp when the instance is made.
void RegisterSongFileDispatch() {
  RegisterProcess(kProcOpenFile, OpenFile);
  RegisterProcess(kProcSaveFile, SaveFile);
  RegisterFileOpener("bgm", OpenSongFile);
  RegisterFileSaver(0, SaveSongFile);
}

}  // namespace qm3
