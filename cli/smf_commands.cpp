// parts and edit: a Standard MIDI File's 16 parts as the middleware shows
// them, and part edits saved to a new file.
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "commands.h"
#include "output_check.h"
#include "platform/sjis.h"
#include "qm3middle.h"
#include "qm3middle_ids.h"
#include "text_match.h"

namespace sonavex::cli {
namespace {

struct Voice {
  long id;
  std::string name;  // UTF-8, display padding removed
};

// The voices of the list the open file uses (process 11).
std::vector<Voice> Voices(HostSession& s) {
  std::vector<Voice> voices;
  long list = 0;
  long unused = 0;
  if (s.Process(QM3_PROC_GET_SOUND_GROUP_DATA, &list, &unused) != 0 || list == 0) return voices;
  const auto* groups = reinterpret_cast<const QM3SoundGroupList*>(list);
  for (int g = 0; g < groups->cCount; ++g) {
    const QM3SoundGroup& group = groups->pGroup[g];
    for (int v = 0; v < group.cCount; ++v) {
      std::string name = platform::SjisToUtf8(group.pSound[v].pszName);
      while (!name.empty() && name.back() == ' ') name.pop_back();
      voices.push_back({group.pSound[v].lID, name});
    }
  }
  return voices;
}

std::string VoiceName(const std::vector<Voice>& voices, long id) {
  for (const Voice& v : voices) {
    if (v.id == id) return v.name;
  }
  return "?";
}

// A voice by identifier (decimal or 0x hex) or by name; -1 when none.
long FindVoice(const std::vector<Voice>& voices, const std::string& text) {
  char* end = nullptr;
  const long id = std::strtol(text.c_str(), &end, 0);
  if (!text.empty() && end != nullptr && *end == '\0') {
    for (const Voice& v : voices) {
      if (v.id == id) return id;
    }
    return -1;
  }
  for (const Voice& v : voices) {
    if (SameName(text, v.name)) return v.id;
  }
  return -1;
}

bool IsMidiFile(const std::string& path) {
  const std::string ext = std::filesystem::path(path).extension().string();
  return ext == ".mid" || ext == ".midi" || ext == ".rmi" || ext == ".smf";
}

int OpenMidi(HostSession& s, const std::string& file) {
  if (std::filesystem::path(file).extension() == ".mof") {
    std::fprintf(stderr,
                 "error: %s: SINGLANE content needs the maker's closed conversion libraries, "
                 "which do not exist on this platform\n",
                 file.c_str());
    return kExitFailure;
  }
  if (!IsMidiFile(file)) {
    std::fprintf(stderr, "error: %s: give a Standard MIDI File (.mid, .midi, .rmi)\n",
                 file.c_str());
    return kExitUsage;
  }
  if (int rc = s.Open(); rc != 0 && rc != 9 && rc != 10) return Report(s, rc, "start");
  if (int rc = s.FileProcess(QM3_PROC_OPEN_FILE, file); rc != 0) {
    return Report(s, rc, "open " + file);
  }
  s.SetProcess(QM3_PROC_CHANGE_WINDOW, QM3_ID_SCREEN(QM3_SCREEN_SMF_EDIT), 0);
  return kExitOk;
}

void PrintParts(HostSession& s) {
  const std::vector<Voice> voices = Voices(s);
  std::printf("%-4s %-7s %-4s %-6s %-18s %6s %4s\n", "part", "channel", "play", "voice", "name",
              "volume", "pan");
  for (int p = 1; p <= QM3_PART_COUNT; ++p) {
    const long sound = s.Get(QM3_ID_PART_SOUND(p));
    std::printf("%-4d %-7d %-4s 0x%04lx %-18s %6ld %4ld\n", p, p,
                s.Get(QM3_ID_PART_PLAY(p)) != 0 ? "on" : "off", sound,
                VoiceName(voices, sound).c_str(), s.Get(QM3_ID_PART_VOLUME(p)),
                s.Get(QM3_ID_PART_PAN(p)));
  }
}

}  // namespace

int RunParts(const std::string& file) {
  SessionOptions so;
  so.start_module = false;
  so.module_sound = false;
  HostSession s(so);
  if (int rc = OpenMidi(s, file); rc != kExitOk) return rc;
  PrintParts(s);
  return kExitOk;
}

int RunEdit(const EditOptions& o) {
  if (!CheckOutputFile("-o", o.out)) return kExitUsage;
  SessionOptions so;
  so.start_module = false;
  so.module_sound = false;
  HostSession s(so);
  if (int rc = OpenMidi(s, o.file); rc != kExitOk) return rc;
  const std::vector<Voice> voices = Voices(s);
  int part = 0;
  for (size_t i = 0; i < o.steps.size(); ++i) {
    const std::string& word = o.steps[i];
    const bool has_value = i + 1 < o.steps.size();
    auto value = [&](long min, long max, long* out) {
      char* end = nullptr;
      *out = has_value ? std::strtol(o.steps[i + 1].c_str(), &end, 10) : -1;
      return has_value && end != nullptr && *end == '\0' && *out >= min && *out <= max;
    };
    long v = 0;
    if (word == "--part") {
      if (!value(1, QM3_PART_COUNT, &v)) {
        std::fprintf(stderr, "error: --part takes a part 1 to 16\n");
        return kExitUsage;
      }
      part = static_cast<int>(v);
      ++i;
      continue;
    }
    if (part == 0) {
      std::fprintf(stderr, "error: %s: say which part first (--part N)\n", word.c_str());
      return kExitUsage;
    }
    long id = 0;
    if (word == "--voice") {
      v = has_value ? FindVoice(voices, o.steps[i + 1]) : -1;
      if (v < 0) {
        std::fprintf(stderr, "error: --voice %s: no such voice in the file's voice map\n",
                     has_value ? o.steps[i + 1].c_str() : "");
        return kExitUsage;
      }
      id = QM3_ID_PART_SOUND(part);
      ++i;
    } else if (word == "--volume" || word == "--pan") {
      if (!value(0, 127, &v)) {
        std::fprintf(stderr, "error: %s takes a value 0 to 127\n", word.c_str());
        return kExitUsage;
      }
      id = word == "--volume" ? QM3_ID_PART_VOLUME(part) : QM3_ID_PART_PAN(part);
      ++i;
    } else if (word == "--mute" || word == "--unmute") {
      id = QM3_ID_PART_PLAY(part);
      v = word == "--mute" ? 0 : 1;
      std::fprintf(stderr, "note: part %d %s while played here; a file does not keep it\n", part,
                   v == 0 ? "is silent" : "plays");
    } else {
      std::fprintf(stderr, "error: %s: not an edit (--voice, --volume, --pan, --mute, --unmute)\n",
                   word.c_str());
      return kExitUsage;
    }
    if (int rc = s.Set(id, v); rc != 0) return Report(s, rc, "part " + std::to_string(part));
  }
  if (int rc = s.FileProcess(QM3_PROC_SAVE_AS_FILE, o.out); rc != 0) {
    return Report(s, rc, "save " + o.out);
  }
  PrintParts(s);
  std::printf("wrote %s\n", o.out.c_str());
  return kExitOk;
}

}  // namespace sonavex::cli
