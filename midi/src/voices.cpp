#include "midibytes/voices.h"

namespace midibytes {
namespace {

constexpr int kFirstKitProgram = 112;

// The entry at an index of a table, nullptr outside it: both maps look
// their categories and voices up through it.
template <typename T>
const T* EntryAt(std::span<const T> table, int index) {
  if (index < 0 || index >= static_cast<int>(table.size())) return nullptr;
  return &table[static_cast<size_t>(index)];
}

const NativeVoice* NativeAt(int category, int position) {
  const NativeCategory* c = EntryAt(NativeVoiceMap(), category);
  return c != nullptr ? EntryAt(c->voices, position) : nullptr;
}

// Every native voice outside the drum kits, with its identifier, in map order.
template <typename Visit>
void ForEachMelodicVoice(Visit visit) {
  const auto map = NativeVoiceMap();
  for (int c = 0; c < static_cast<int>(map.size()); ++c) {
    if (c == kNativeDrumCategory) continue;
    const auto voices = map[static_cast<size_t>(c)].voices;
    for (int p = 0; p < static_cast<int>(voices.size()); ++p) {
      visit(c * 256 + p, voices[static_cast<size_t>(p)]);
    }
  }
}

// The identifier itself when it names a voice of the native map, else the
// nearest lower one that does (0 when there is none).
int32_t NativeAtOrBelow(int32_t id) {
  if (id < 0) return 0;
  const auto map = NativeVoiceMap();
  int category = VoiceCategory(id);
  int position = id & 0xFF;
  if (category >= static_cast<int>(map.size())) {
    category = static_cast<int>(map.size()) - 1;
    position = 255;
  }
  const int count = static_cast<int>(map[static_cast<size_t>(category)].voices.size());
  if (position >= count) position = count - 1;
  return category * 256 + position;
}

// Native voice of a melodic (program, fine): the exact voice; else the same
// program in bank 0; else the nearest lower fine of the program; else a
// voice the module plays with that General MIDI program; else 0.
int32_t NativeMelodic(uint8_t program, uint8_t fine) {
  int32_t exact = -1, bank0 = -1, lower = -1, same_sound = -1;
  int lower_fine = -1;
  ForEachMelodicVoice([&](int32_t id, const NativeVoice& v) {
    if (v.gm_sound == program && same_sound < 0) same_sound = id;
    if (v.program != program) return;
    if (v.fine == fine) exact = id;
    if (v.fine == 0) bank0 = id;
    if (v.fine < fine && v.fine > lower_fine) {
      lower_fine = v.fine;
      lower = id;
    }
  });
  for (int32_t id : {exact, bank0, lower, same_sound}) {
    if (id >= 0) return id;
  }
  return 0;
}

// Native drum kit of a program: the kit at that program, else the nearest
// lower kit program, else the first kit.
int32_t NativeKit(uint8_t program) {
  const auto kits = NativeVoiceMap()[kNativeDrumCategory].voices;
  int best = 0;
  for (int p = 0; p < static_cast<int>(kits.size()); ++p) {
    if (kits[static_cast<size_t>(p)].program <= program &&
        kits[static_cast<size_t>(p)].program >= kits[static_cast<size_t>(best)].program) {
      best = p;
    }
  }
  return kNativeDrumCategory * 256 + best;
}

}  // namespace

int DrumCategory(VoiceMap map) {
  return map == VoiceMap::kGeneralMidi ? kGmDrumCategory : kNativeDrumCategory;
}

bool IsVoice(VoiceMap map, int32_t id) {
  return VoiceName(map, id) != nullptr;
}

const char* VoiceName(VoiceMap map, int32_t id) {
  if (id < 0 || id > 0xFFFF) return nullptr;
  const int category = VoiceCategory(id);
  const int position = id & 0xFF;
  if (map == VoiceMap::kNative) {
    const NativeVoice* v = NativeAt(category, position);
    return v != nullptr ? v->name : nullptr;
  }
  const GmCategory* c = EntryAt(GmVoiceMap(), category);
  const char* const* name = c != nullptr ? EntryAt(c->names, position) : nullptr;
  return name != nullptr ? *name : nullptr;
}

VoiceMessages VoiceToMessages(VoiceMap map, bool drum_part, int32_t id) {
  VoiceMessages m;
  if (map == VoiceMap::kGeneralMidi) {
    if (drum_part) {
      int position = id & 0xFF;
      if (position >= static_cast<int>(sizeof kGmKitPrograms)) position = sizeof kGmKitPrograms - 1;
      m.program = kGmKitPrograms[position];
    } else {
      m.program = static_cast<uint8_t>(((id / 256) * 8 + (id & 7)) % 128);
    }
    return m;
  }
  const int32_t at = NativeAtOrBelow(id);
  const NativeVoice* v = NativeAt(VoiceCategory(at), at & 0xFF);
  m.bank_select = true;
  m.bank = v->bank;
  m.fine = v->fine;
  m.program = v->program;
  return m;
}

int32_t MessagesToVoice(VoiceMap map, bool drum_part, uint8_t bank, uint8_t fine, uint8_t program) {
  program &= 0x7F;
  if (map == VoiceMap::kGeneralMidi) {
    if (drum_part) {
      const uint8_t cleared = program & 0xF8;
      int position = -1;
      for (int i = 0; i < static_cast<int>(sizeof kGmKitPrograms) && position < 0; ++i) {
        if (kGmKitPrograms[i] == program) position = i;
      }
      for (int i = 0; i < static_cast<int>(sizeof kGmKitPrograms) && position < 0; ++i) {
        if (kGmKitPrograms[i] == cleared) position = i;
      }
      return kGmStandardKit + (position < 0 ? 0 : position);
    }
    return (program & 7) + ((program / 8) & 15) * 256;
  }
  const int combined = (bank & 0x7F) * 128 + (fine & 0x7F);
  if (combined / 16 > 7) return NativeKit(program);
  return NativeMelodic(program, static_cast<uint8_t>(combined & 0x70));
}

SoundChoice NativeSound(uint8_t program, uint8_t bank, uint8_t fine) {
  program &= 0x7F;
  if (bank >= 1) {
    if (program < kFirstKitProgram) return {true, 0};
    // Kit programs without a kit of their own play the standard kit.
    for (const NativeVoice& kit : NativeVoiceMap()[kNativeDrumCategory].voices) {
      if (kit.program == program) return {true, kit.gm_sound};
    }
    return {true, 0};
  }
  // The exact voice; else the nearest lower bank of the same program; else
  // the lowest bank of the program; else the General MIDI program of the
  // same number.
  const NativeVoice* best = nullptr;
  const NativeVoice* lowest = nullptr;
  ForEachMelodicVoice([&](int32_t, const NativeVoice& v) {
    if (v.program != program) return;
    if (lowest == nullptr || v.fine < lowest->fine) lowest = &v;
    if (v.fine <= fine && (best == nullptr || v.fine > best->fine)) best = &v;
  });
  if (best == nullptr) best = lowest;
  return {false, best != nullptr ? best->gm_sound : program};
}

}  // namespace midibytes
