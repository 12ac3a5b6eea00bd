// The lists handed to the host: the loaded catalogs, the fixed intro, ending
// and start phrase choices, and the user-added entries.
#include <array>
#include <string>

#include "core/catalog.h"
#include "core/catalog_store.h"
#include "core/result.h"
#include "platform/sjis.h"

namespace qm3 {
namespace {

// Fixed choice list from UTF-8 names, values 0..n-1, built once.
template <size_t N>
struct ChoiceTable {
  explicit ChoiceTable(const std::array<const char*, N>& utf8) {
    for (size_t i = 0; i < N; ++i) {
      names[i] = platform::Utf8ToSjis(utf8[i]);
      items[i] = QM3ChoiceData{nullptr, static_cast<int>(i), 1};
    }
    for (size_t i = 0; i < N; ++i) items[i].pszName = names[i].c_str();
    list = QM3ChoiceList{static_cast<unsigned char>(N), items.data()};
  }
  std::array<std::string, N> names;
  std::array<QM3ChoiceData, N> items;
  QM3ChoiceList list;
};

// Name of the added entry n (from 0): "追加１", "追加２", "追加３" by n mod 3.
std::string AddedName(size_t n) {
  static const std::array<std::string, 3> names = {platform::Utf8ToSjis("追加１"),
                                                   platform::Utf8ToSjis("追加２"),
                                                   platform::Utf8ToSjis("追加３")};
  return names[n % 3];
}

constexpr int kAddedNumberBase = 0x40000;

}  // namespace

const QM3RhythmGroupList* RhythmGroups() {
  return &RhythmCatalog().list;
}

const QM3MelodyList* Melodies() {
  return &MelodyCatalog().list;
}

const QM3ChoiceList* IntroChoices() {
  static ChoiceTable<5> table({"ｲﾝﾄﾛ1", "ｲﾝﾄﾛ2", "ｲﾝﾄﾛ3", "ｲﾝﾄﾛ4", "なし"});
  return &table.list;
}

const QM3ChoiceList* EndingChoices() {
  static ChoiceTable<5> table({"ｴﾝﾃﾞｨﾝｸﾞ1", "ｴﾝﾃﾞｨﾝｸﾞ2", "ｴﾝﾃﾞｨﾝｸﾞ3", "ｴﾝﾃﾞｨﾝｸﾞ4", "なし"});
  return &table.list;
}

const QM3ChoiceList* StartPhraseChoices() {
  static ChoiceTable<2> table({"A", "B"});
  return &table.list;
}

const QM3MelodyList* AddedMelodies() {
  return &AddedMelodyStore().list;
}

const QM3RhythmList* AddedRhythms() {
  return &AddedRhythmEntries().list;
}

Rc AddCatalogEntry(const char* path) {
  if (path == nullptr) return kRcError;
  const std::string p(path);
  const bool rhythm = !p.empty() && p.back() == 'y';
  try {
    if (rhythm) {
      AddedRhythmStore& store = AddedRhythmEntries();
      // The list's count is one byte: a full list takes no more entries.
      if (store.rhythms.size() >= kCatalogMaxEntries) return kRcError;
      QM3RhythmData r{};
      r.lKeyA = kAddedNumberBase + static_cast<int>(store.rhythms.size());
      store.names.push_back(AddedName(store.rhythms.size()));
      store.rhythms.push_back(r);
      store.RebuildView();
    } else {
      MelodyCatalogStore& store = AddedMelodyStore();
      if (store.melodies.size() >= kCatalogMaxEntries) return kRcError;
      MelodyStore m;
      m.name = AddedName(store.melodies.size());
      m.data.lID = kAddedNumberBase + static_cast<int>(store.melodies.size());
      store.melodies.push_back(std::move(m));
      store.RebuildView();
    }
  } catch (const std::bad_alloc&) {
    return kRcNoMemory;
  }
  return LoadCatalogs();
}

void RemoveAddedMelody() {
  MelodyCatalogStore& store = AddedMelodyStore();
  if (store.melodies.empty()) return;
  store.melodies.pop_back();
  store.RebuildView();
}

void RemoveAddedRhythm() {
  AddedRhythmStore& store = AddedRhythmEntries();
  if (store.rhythms.empty()) return;
  store.rhythms.pop_back();
  store.names.pop_back();
  store.RebuildView();
}

}  // namespace qm3
