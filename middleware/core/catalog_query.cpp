// Field queries on the loaded catalogs, the default melody choice and the
// phrase data file names.
#include <cstdio>
#include <string>

#include "core/catalog.h"
#include "core/catalog_store.h"
#include "core/control_ids.h"
#include "core/middle_internal.h"

namespace qm3 {
namespace {

constexpr int32_t kLargestPhraseId = 99999999;

bool DarkMood() {
  return ReadValue(kMood) != 0;
}

const RhythmGroupStore* FindGroup(int32_t rhythm_id) {
  const auto& groups = RhythmCatalog().groups;
  if (rhythm_id < 0) return nullptr;
  const size_t g = static_cast<size_t>(rhythm_id) >> 8;
  return g < groups.size() ? &groups[g] : nullptr;
}

int32_t PartEntry(const int* values, int32_t count, int32_t part) {
  return part >= 0 && part < count ? values[part] : 0;
}

}  // namespace

const QM3RhythmData* FindRhythm(int32_t rhythm_id) {
  const RhythmGroupStore* group = FindGroup(rhythm_id);
  if (group == nullptr) return nullptr;
  const size_t index = static_cast<size_t>(rhythm_id) & 0xFF;
  return index < group->rhythms.size() ? &group->rhythms[index] : nullptr;
}

const QM3MelodyData* FindMelody(int32_t melody_index) {
  const auto& melodies = MelodyCatalog().melodies;
  if (melody_index < 0 || static_cast<size_t>(melody_index) >= melodies.size()) return nullptr;
  return &melodies[static_cast<size_t>(melody_index)].data;
}

int32_t RhythmFieldQuery(int32_t rhythm_id, int code, int32_t part) {
  if (code == kRhythmByKeys) {
    for (const RhythmGroupStore& g : RhythmCatalog().groups)
      for (const QM3RhythmData& r : g.rhythms)
        if (r.lKeyA == rhythm_id && r.lKeyB == (part & 0xFF) && r.lKeyC == (part >> 8))
          return r.lID;
    return 0;
  }
  const QM3RhythmData* r = FindRhythm(rhythm_id);
  switch (code) {
    case kRhythmTempo:
      return r ? r->lTempo : 0;
    case kRhythmSetA:
      return r ? PartEntry(r->lSetA, 4, part) : 0;
    case kRhythmSetB:
      return r ? PartEntry(r->lSetB, 4, part) : 0;
    case kRhythmGroupName:
    case kRhythmName:
      return 0;
    case kRhythmKeyB:
      return r ? r->lKeyB : 0;
    case kRhythmKeyC:
      return r ? r->lKeyC : 0;
    case kRhythmParam1:
      return r ? r->lParam1 : 0;
    case kRhythmBeats:
      return r ? r->lBeats : 0;
    case kRhythmParam2:
      return r ? r->cParam2 : 0;
    case kRhythmParam3:
      return r ? r->cParam3 : 0;
    case kRhythmPartByte:
      return r && part >= 0 && part < 6 ? r->cPart[part] : 0;
    case kRhythmParam4:
      return r ? r->lParam4 : 0;
    case kRhythmKeyA:
      return r ? r->lKeyA : 0;
    default:
      return 1;
  }
}

const char* RhythmText(int32_t rhythm_id, int code) {
  const RhythmGroupStore* group = FindGroup(rhythm_id);
  const QM3RhythmData* r = FindRhythm(rhythm_id);
  if (code == kRhythmGroupName && group != nullptr && r != nullptr) return group->name.c_str();
  if (code == kRhythmName && r != nullptr) return r->pszName;
  return "";
}

int32_t MelodyFieldQuery(int32_t melody_index, int code, int32_t k) {
  if (code == kMelodyDefault) {
    return DefaultMelodyIndex(melody_index, RhythmFieldQuery(ReadValue(kRhythm), kRhythmBeats, 0));
  }
  const QM3MelodyData* m = FindMelody(melody_index);
  const bool dark = DarkMood();
  switch (code) {
    case kMelodyName:
    case kMelodyPhraseFile:
      return 0;
    case kMelodySectionCount:
      return m ? (dark ? m->lDarkCount : m->lBrightCount) : 0;
    case kMelodySectionLength:
      if (m == nullptr) return 0;
      return dark ? PartEntry(m->plDark, m->lDarkCount, k)
                  : PartEntry(m->plBright, m->lBrightCount, k);
    case kMelodyBeats:
      return m ? m->lBeats : 0;
    case kMelodyId:
      return m ? m->lID : 0;
    default:
      return 1;
  }
}

std::string MelodyText(int32_t melody_index, int code) {
  const QM3MelodyData* m = FindMelody(melody_index);
  if (m == nullptr) return {};
  if (code == kMelodyName) return m->pszName;
  if (code == kMelodyPhraseFile)
    return PhraseFileName(m->lID, DarkMood() ? Mood::kDark : Mood::kBright);
  return {};
}

int32_t DefaultMelodyIndex(int32_t melody_id, int32_t beats) {
  const auto& melodies = MelodyCatalog().melodies;
  for (size_t i = 0; i < melodies.size(); ++i)
    if (melodies[i].data.lID == melody_id) return static_cast<int32_t>(i);
  for (size_t i = 0; i < melodies.size(); ++i)
    if (melodies[i].data.lBeats == beats) return static_cast<int32_t>(i);
  return 0;
}

int32_t DefaultMelodyForRhythm(int32_t rhythm_id) {
  const QM3RhythmData* r = FindRhythm(rhythm_id);
  if (r == nullptr) return 0;
  return DefaultMelodyIndex(r->lParam1, r->lBeats);
}

std::string PhraseFileName(int32_t melody_id, Mood mood) {
  if (melody_id < 0 || melody_id > kLargestPhraseId) {
    const auto& melodies = MelodyCatalog().melodies;
    melody_id = melodies.empty() ? 0 : melodies.front().data.lID;
    // The first melody's id may be out of range as well; the name must stay
    // eight digits.
    if (melody_id < 0 || melody_id > kLargestPhraseId) melody_id = 0;
  }
  char name[32];
  std::snprintf(name, sizeof name, mood == Mood::kDark ? "mp_%08d.dat" : "p_%08d.dat",
                static_cast<int>(melody_id));
  return name;
}

std::string PhraseFilePath(int32_t melody_index) {
  const std::string name = MelodyText(melody_index, kMelodyPhraseFile);
  return name.empty() ? name : HostDirectory() + name;
}

}  // namespace qm3
