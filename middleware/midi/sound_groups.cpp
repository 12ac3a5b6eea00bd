// The sound group lists of process 11: both voice tables numbered into the
// host's list form (Shift-JIS names, native names padded to the module's
// 16-character display), built when the middleware initialises and freed at
// its end. Which list the host gets follows the open file's voice map.
#include <memory>
#include <string>
#include <vector>

#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "core/middleware.h"
#include "core/result.h"
#include "midi/smf_document.h"
#include "midibytes/voices.h"
#include "platform/sjis.h"
#include "qm3middle.h"

namespace qm3::midi {
namespace {

constexpr size_t kNativeNameWidth = 16;

// One voice table in list form. The texts and arrays are owned here; the
// list's pointers point into them.
struct SoundList {
  std::vector<std::string> texts;
  std::vector<std::vector<QM3SoundData>> sounds;
  std::vector<QM3SoundGroup> groups;
  QM3SoundGroupList list{};

  void Keep(std::string text) { texts.push_back(std::move(text)); }
  void Link(const std::vector<size_t>& title_index,
            const std::vector<std::vector<size_t>>& name_index) {
    groups.resize(sounds.size());
    for (size_t c = 0; c < sounds.size(); ++c) {
      for (size_t v = 0; v < sounds[c].size(); ++v) {
        sounds[c][v].pszName = texts[name_index[c][v]].c_str();
      }
      groups[c].cCount = static_cast<unsigned char>(sounds[c].size());
      groups[c].pSound = sounds[c].data();
      groups[c].pszName = texts[title_index[c]].c_str();
    }
    list.cCount = static_cast<unsigned char>(groups.size());
    list.pGroup = groups.data();
  }
};

struct SoundLists {
  SoundList native;
  SoundList general_midi;
};

}  // namespace

// Built by the first initialisation of the instance, freed at its end.
struct SoundGroupLists {
  std::unique_ptr<SoundLists> lists;
};

PartState<SoundGroupLists> MakeSoundGroupLists() {
  return MakePartState<SoundGroupLists>();
}

namespace {

std::unique_ptr<SoundLists>& Lists() {
  return TheMiddleware().sound_groups->lists;
}

// Texts first, pointers after: the text vector no longer grows then.
template <typename Categories, typename NameOf>
void Fill(SoundList* out, const Categories& categories, NameOf name_of) {
  std::vector<size_t> titles;
  std::vector<std::vector<size_t>> names;
  for (size_t c = 0; c < categories.size(); ++c) {
    titles.push_back(out->texts.size());
    out->Keep(platform::Utf8ToSjis(categories[c].title));
    names.emplace_back();
    out->sounds.emplace_back();
    const size_t count = name_of.count(categories[c]);
    for (size_t v = 0; v < count; ++v) {
      names.back().push_back(out->texts.size());
      out->Keep(name_of.name(categories[c], v));
      out->sounds.back().push_back({nullptr, static_cast<int>(c * 256 + v)});
    }
  }
  out->Link(titles, names);
}

struct NativeNames {
  static size_t count(const midibytes::NativeCategory& c) { return c.voices.size(); }
  static std::string name(const midibytes::NativeCategory& c, size_t v) {
    std::string s = platform::Utf8ToSjis(c.voices[v].name);
    if (s.size() < kNativeNameWidth) s.resize(kNativeNameWidth, ' ');
    return s;
  }
};

struct GmNames {
  static size_t count(const midibytes::GmCategory& c) { return c.names.size(); }
  static std::string name(const midibytes::GmCategory& c, size_t v) {
    return platform::Utf8ToSjis(c.names[v]);
  }
};

// Numbering the voice tables: the first initialisation builds both lists.
Rc BuildSoundLists() {
  if (Lists() != nullptr) return kRcOk;
  auto made = std::make_unique<SoundLists>();
  Fill(&made->native, midibytes::NativeVoiceMap(), NativeNames{});
  Fill(&made->general_midi, midibytes::GmVoiceMap(), GmNames{});
  Lists() = std::move(made);
  return kRcOk;
}

Rc FreeSoundLists() {
  Lists().reset();
  return kRcOk;
}

// Process 11: a = the list of the voice map in use.
Rc GetSoundGroupData(long* a, long*) {
  const std::unique_ptr<SoundLists>& lists = Lists();
  if (lists == nullptr) return kRcError;
  QM3SoundGroupList* list =
      OpenFileUsesGmVoices() ? &lists->general_midi.list : &lists->native.list;
  *a = reinterpret_cast<long>(list);
  return kRcOk;
}

}  // namespace
// Registers what this file provides; called from the one list in
// core/registration.cpp when the instance is made.
void RegisterSoundGroups() {
  RegisterInitStep(kInitVoiceTables, BuildSoundLists);
  RegisterShutdownStep(FreeSoundLists);
  RegisterProcess(kProcGetSoundGroupData, GetSoundGroupData);
}

}  // namespace qm3::midi
