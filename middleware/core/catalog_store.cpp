// The catalog storage and the rebuild of the C views over it.
#include "core/catalog_store.h"

#include <algorithm>

#include "core/catalog.h"
#include "core/middleware.h"

namespace qm3 {
namespace {

unsigned char CountByte(size_t n) {
  return static_cast<unsigned char>(std::min<size_t>(n, kCatalogMaxEntries));
}

}  // namespace

void RhythmCatalogStore::RebuildView() {
  view.clear();
  view.reserve(groups.size());
  for (RhythmGroupStore& g : groups) {
    for (size_t i = 0; i < g.rhythms.size(); ++i) g.rhythms[i].pszName = g.names[i].c_str();
    view.push_back(QM3RhythmGroup{CountByte(g.rhythms.size()),
                                  g.rhythms.empty() ? nullptr : g.rhythms.data(), g.name.c_str()});
  }
  list.cCount = CountByte(view.size());
  list.pGroup = view.empty() ? nullptr : view.data();
}

void MelodyCatalogStore::RebuildView() {
  view.clear();
  view.reserve(melodies.size());
  for (MelodyStore& m : melodies) {
    m.data.pszName = m.name.c_str();
    m.data.lBrightCount = static_cast<int>(m.bright.size());
    m.data.plBright = m.bright.empty() ? nullptr : m.bright.data();
    m.data.lDarkCount = static_cast<int>(m.dark.size());
    m.data.plDark = m.dark.empty() ? nullptr : m.dark.data();
    view.push_back(m.data);
  }
  list.cCount = CountByte(view.size());
  list.pMelody = view.empty() ? nullptr : view.data();
}

void AddedRhythmStore::RebuildView() {
  for (size_t i = 0; i < rhythms.size(); ++i) rhythms[i].pszName = names[i].c_str();
  list.cCount = CountByte(rhythms.size());
  list.pRhythm = rhythms.empty() ? nullptr : rhythms.data();
}

// The four stores live in the middleware instance: a fresh instance starts
// with empty catalogs, and the C views die with it.
struct CatalogStores {
  RhythmCatalogStore rhythms;
  MelodyCatalogStore melodies;
  MelodyCatalogStore added_melodies;
  AddedRhythmStore added_rhythms;
};

PartState<CatalogStores> MakeCatalogStores() {
  return MakePartState<CatalogStores>();
}

RhythmCatalogStore& RhythmCatalog() {
  return TheMiddleware().catalogs->rhythms;
}

MelodyCatalogStore& MelodyCatalog() {
  return TheMiddleware().catalogs->melodies;
}

MelodyCatalogStore& AddedMelodyStore() {
  return TheMiddleware().catalogs->added_melodies;
}

AddedRhythmStore& AddedRhythmEntries() {
  return TheMiddleware().catalogs->added_rhythms;
}

}  // namespace qm3
