// The song's phrase list and the selected phrase (module-level state).
#include "song/phrase_list.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "core/middleware.h"

namespace qm3 {

struct PhraseListStore {
  PhraseListState state;
  std::vector<QM3SongPhrase> published;
  QM3PhraseList view{};
  // The list's part of the undo snapshot.
  PhraseListState undo_copy;
};

PartState<PhraseListStore> MakePhraseListStore() {
  return MakePartState<PhraseListStore>();
}

namespace {

PhraseListStore& Store() {
  return *TheMiddleware().phrases;
}

bool IsSjisLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

}  // namespace

void SongPhrase::SetName(std::string_view sjis) {
  size_t n = 0;
  while (n < sjis.size() && sjis[n] != '\0') {
    const size_t step = IsSjisLeadByte(static_cast<unsigned char>(sjis[n])) ? 2 : 1;
    if (n + step > static_cast<size_t>(kPhraseNameSize - 1)) break;
    n += step;
  }
  n = std::min(n, sjis.size());
  std::memset(name, 0, sizeof name);
  std::memcpy(name, sjis.data(), n);
}

std::string_view SongPhrase::Name() const {
  return std::string_view(name, strnlen(name, sizeof name));
}

bool SongPhrase::operator==(const SongPhrase& other) const {
  return Name() == other.Name() && length == other.length && kind == other.kind &&
         variation == other.variation && fill_in == other.fill_in && parts == other.parts;
}

const std::vector<SongPhrase>& SongPhrases() {
  return Store().state.phrases;
}

void ReplaceSongPhrases(std::vector<SongPhrase> phrases) {
  Store().state.phrases = std::move(phrases);
  Store().state.selected = -1;
}

void ClearSongPhrases() {
  ReplaceSongPhrases({});
}

SongPhrase* MutableSongPhrase(int index) {
  auto& phrases = Store().state.phrases;
  if (index < 0 || static_cast<size_t>(index) >= phrases.size()) return nullptr;
  return &phrases[static_cast<size_t>(index)];
}

void SwapSongPhrases(PhraseListState& other) {
  std::swap(Store().state, other);
}

int64_t SongPhraseBeats() {
  int64_t beats = 0;
  for (const SongPhrase& p : SongPhrases()) beats += p.length;
  return beats;
}

int SelectedPhrase() {
  return Store().state.selected;
}

void SetSelectedPhrase(int index) {
  const auto count = static_cast<int>(SongPhrases().size());
  Store().state.selected = (index >= 0 && index < count) ? index : -1;
}

const QM3PhraseList* PublishSongPhrases() {
  PhraseListStore& store = Store();
  store.published.clear();
  store.published.reserve(store.state.phrases.size());
  for (const SongPhrase& p : store.state.phrases) {
    QM3SongPhrase c{};
    std::memcpy(c.szName, p.name, sizeof c.szName);
    c.szName[sizeof c.szName - 1] = '\0';
    c.nLength = p.length;
    c.cKind = p.kind;
    c.cVariation = p.variation;
    c.cFillIn = p.fill_in;
    c.nParts = p.parts;
    store.published.push_back(c);
  }
  store.view.nCount = static_cast<int>(store.published.size());
  store.view.pPhrases = store.published.empty() ? nullptr : store.published.data();
  return &store.view;
}

namespace {

// The phrase list joins the undo snapshot: an edit of a phrase's variation,
// fill-in or parts is undone together with the values.
PhraseListState& UndoCopy() {
  return Store().undo_copy;
}

bool TakePhraseSnapshot() {
  try {
    UndoCopy() = Store().state;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void SwapPhraseSnapshot() {
  SwapSongPhrases(UndoCopy());
}

void ReleasePhraseSnapshot() {
  UndoCopy() = PhraseListState{};
}

// Process 1 (the song's time-line data): a = the phrase list.
Rc GetSongTimeLineData(long* a, long* /*b*/) {
  *a = reinterpret_cast<long>(PublishSongPhrases());
  return kRcOk;
}

}  // namespace

// Registers what this file provides; called from the one list in
// core/registration.cpp when the instance is made.
void RegisterPhraseList() {
  RegisterProcess(kProcGetSongTimeLineData, GetSongTimeLineData);
  RegisterUndoParticipant({TakePhraseSnapshot, SwapPhraseSnapshot, ReleasePhraseSnapshot});
}

}  // namespace qm3
