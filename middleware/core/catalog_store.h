// Storage behind the catalog lists: the strings and arrays the C views of
// qm3middle.h point into. Internal to the catalog component.
//
// Thread rules: host thread only; rebuilding a view allocates.
#pragma once
#include <string>
#include <vector>

#include "qm3middle.h"

namespace qm3 {

struct RhythmGroupStore {
  std::string name;
  std::vector<std::string> names;      // one per rhythm
  std::vector<QM3RhythmData> rhythms;  // pszName set by the view rebuild
};

struct RhythmCatalogStore {
  std::vector<RhythmGroupStore> groups;
  std::vector<QM3RhythmGroup> view;
  QM3RhythmGroupList list{};
  // Points every C field at the storage; call after each change.
  void RebuildView();
};

struct MelodyStore {
  std::string name;
  QM3MelodyData data{};  // pointers set by the view rebuild
  std::vector<int> bright;
  std::vector<int> dark;
};

struct MelodyCatalogStore {
  std::vector<MelodyStore> melodies;
  std::vector<QM3MelodyData> view;
  QM3MelodyList list{};
  void RebuildView();
};

struct AddedRhythmStore {
  std::vector<std::string> names;
  std::vector<QM3RhythmData> rhythms;
  QM3RhythmList list{};
  void RebuildView();
};

RhythmCatalogStore& RhythmCatalog();
MelodyCatalogStore& MelodyCatalog();
MelodyCatalogStore& AddedMelodyStore();
AddedRhythmStore& AddedRhythmEntries();

}  // namespace qm3
