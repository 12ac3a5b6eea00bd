#include "platform/message_box.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace platform {
namespace {

// The plug-in's one entry point: returns the button chosen, or 0 when it
// could not show the box (the caller falls back to the terminal).
using DialogEntry = int (*)(const char* text, const char* caption, unsigned type,
                            const char* details);
constexpr char kDialogPlugin[] = "libsonavex-dialogs.so";
constexpr char kDialogEntry[] = "SonavexDialogMessageBox";

bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

std::string PlatformFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&TerminalMessageBoxAnswer), &info) == 0 ||
      info.dli_fname == nullptr) {
    return {};
  }
  const std::string file = info.dli_fname;
  const size_t slash = file.rfind('/');
  return slash == std::string::npos ? std::string(".") : file.substr(0, slash);
}

int ShowOnDesktop(const char* text, const char* caption, unsigned type, const char* details) {
  const std::string folder = PlatformFolder();
  if (folder.empty()) return 0;
  for (const std::string& path :
       {folder + "/" + kDialogPlugin, folder + "/sonavex/" + kDialogPlugin}) {
    void* plugin = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (plugin == nullptr) continue;
    int answer = 0;
    if (auto entry = reinterpret_cast<DialogEntry>(dlsym(plugin, kDialogEntry))) {
      answer = entry(text, caption, type, details);
    }
    // Left loaded: a toolkit does not expect to be unloaded.
    if (answer != 0) return answer;
  }
  return 0;
}

// "\r" (and "\r\n") break lines as in a Windows box.
std::string Lines(const char* text) {
  std::string out;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '\r') {
      out += '\n';
      if (p[1] == '\n') ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

bool IsError(unsigned type) {
  const unsigned icon = type & 0xF0;
  return icon == MB_ICONERROR || icon == MB_ICONWARNING;
}

int ShowOnTerminal(const char* text, const char* caption, unsigned type,
                   const MessageBoxOptions& options) {
  std::FILE* out = IsError(type) ? stderr : stdout;
  std::fprintf(out, "[%s] %s\n", caption != nullptr ? caption : "", Lines(text).c_str());
  if (options.details != nullptr && *options.details != '\0') {
    std::fprintf(out, "  %s\n", Lines(options.details).c_str());
  }
  if ((type & 0x0F) != MB_YESNO) {
    std::fflush(out);
    return IDOK;
  }
  if (options.assume_yes) {
    std::fprintf(out, "(yes/no) yes\n");
    std::fflush(out);
    return IDYES;
  }
  std::fprintf(out, "(yes/no) ");
  std::fflush(out);
  char line[256];
  const bool got = std::fgets(line, sizeof line, stdin) != nullptr;
  return TerminalMessageBoxAnswer(type, got ? line : nullptr);
}

}  // namespace

int TerminalMessageBoxAnswer(unsigned type, const char* input_line) {
  if ((type & 0x0F) != MB_YESNO) return IDOK;
  if (input_line == nullptr) return IDNO;
  std::string word = input_line;
  while (!word.empty() && (word.back() == '\n' || word.back() == '\r' || word.back() == ' ')) {
    word.pop_back();
  }
  size_t start = word.find_first_not_of(' ');
  word = start == std::string::npos ? std::string() : word.substr(start);
  for (char& c : word) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return word == "y" || word == "yes" || word == "\xE3\x81\xAF\xE3\x81\x84" ? IDYES : IDNO;
}

int MessageBox(const char* text, const char* caption, unsigned type,
               const MessageBoxOptions& options) {
  if (text == nullptr) text = "";
  if (!options.assume_yes && HasDisplay()) {
    if (const int answer =
            ShowOnDesktop(text, caption != nullptr ? caption : "", type, options.details);
        answer != 0) {
      return answer;
    }
  }
  return ShowOnTerminal(text, caption, type, options);
}

}  // namespace platform
