// Which reader opens a file (by its extension) and which writer saves the
// current material (by the editing mode), for processes 17 and 21. Song
// files register here; Standard MIDI and content files add their own.
//
// Thread rules: register at load time; dispatch on the host thread.
#pragma once
#include <string>
#include <string_view>

#include "core/result.h"

namespace qm3 {

using FileOpenFn = Rc (*)(const std::string& path);
using FileSaveFn = Rc (*)(const std::string& path);

// `extension` without the dot, compared without regard to case.
void RegisterFileOpener(std::string_view extension, FileOpenFn fn);
// `editing_mode` as in 0x0501: 0 song, 1 SMF, 2 content.
void RegisterFileSaver(int editing_mode, FileSaveFn fn);

// Opens `path` with the opener of its extension; kRcUnsupportedFile when there
// is none.
Rc OpenFileByExtension(const std::string& path);
// Saves to `path` with the saver of the current editing mode; kRcUnsupportedFile
// when none.
Rc SaveFileByMode(const std::string& path);

}  // namespace qm3
