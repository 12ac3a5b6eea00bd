// Readers of the two text catalogs. Lines longer than the line limit keep
// their first characters only; counts are clamped to what the lists can hold;
// missing or non-numeric numbers read as 0. Nothing read from the file is used
// as an index without a check.
#include <cstdio>
#include <functional>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "core/catalog.h"
#include "core/catalog_store.h"
#include "core/middle_internal.h"
#include "core/result.h"

namespace qm3 {
namespace {

// Delivers the next line (without its end of line, cut to the line limit);
// false at the end of the input.
using LineSource = std::function<bool(std::string&)>;

LineSource LinesOf(std::string_view bytes) {
  return [bytes, pos = size_t{0}](std::string& line) mutable {
    if (pos >= bytes.size()) return false;
    size_t end = bytes.find('\n', pos);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view raw = bytes.substr(pos, end - pos);
    pos = end + 1;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    line.assign(raw.substr(0, kCatalogLineLimit));
    return true;
  };
}

LineSource LinesOf(std::FILE* file) {
  return [file](std::string& line) {
    line.clear();
    int c = std::getc(file);
    if (c == EOF) return false;
    for (; c != EOF && c != '\n'; c = std::getc(file))
      if (line.size() < kCatalogLineLimit + 1) line.push_back(static_cast<char>(c));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > kCatalogLineLimit) line.resize(kCatalogLineLimit);
    return true;
  };
}

// Tokens separated by ','; an empty field is a token of its own.
std::vector<std::string_view> Tokens(std::string_view line) {
  std::vector<std::string_view> out;
  size_t pos = 0;
  while (true) {
    const size_t comma = line.find(',', pos);
    if (comma == std::string_view::npos) {
      out.push_back(line.substr(pos));
      return out;
    }
    out.push_back(line.substr(pos, comma - pos));
    pos = comma + 1;
  }
}

// Decimal integer at the start of the token (after blanks), saturated to the
// int range; anything else reads as 0.
int Number(const std::vector<std::string_view>& tokens, size_t i) {
  if (i >= tokens.size()) return 0;
  std::string_view t = tokens[i];
  size_t p = 0;
  while (p < t.size() && (t[p] == ' ' || t[p] == '\t')) ++p;
  bool negative = false;
  if (p < t.size() && (t[p] == '+' || t[p] == '-')) negative = t[p++] == '-';
  long long v = 0;
  for (; p < t.size() && t[p] >= '0' && t[p] <= '9'; ++p) {
    v = v * 10 + (t[p] - '0');
    if (v > 2147483648LL) v = 2147483648LL;
  }
  if (negative) v = -v;
  if (v > 2147483647LL) v = 2147483647LL;
  return static_cast<int>(v);
}

int Clamp(int v, int lo, int hi) {
  return v < lo ? lo : (v > hi ? hi : v);
}

bool IsComment(const std::string& line) {
  return !line.empty() && line[0] == ';';
}

// The next line that is not a comment; false at the end of the catalog (the
// end of the input or an empty line).
bool NextEntryLine(const LineSource& next, std::string& line) {
  while (next(line)) {
    if (IsComment(line)) continue;
    return !line.empty();
  }
  return false;
}

QM3RhythmData RhythmRecord(const std::vector<std::string_view>& t, int group, int index) {
  QM3RhythmData r{};
  r.lID = (group << 8) + index;
  r.lKeyA = Number(t, 1);
  r.lKeyB = Number(t, 2);
  r.lKeyC = Number(t, 3);
  r.lSetA[0] = Number(t, 4);
  r.lSetB[0] = Number(t, 5);
  r.lSetA[1] = Number(t, 6);
  r.lSetB[1] = Number(t, 7);
  r.lSetA[2] = r.lSetA[3] = 1;
  r.lSetB[2] = r.lSetB[3] = 1;
  r.lTempo = Number(t, 8);
  r.lParam1 = Number(t, 9);
  r.lBeats = Number(t, 10);
  r.cParam2 = static_cast<unsigned char>(Number(t, 11));
  r.cParam3 = static_cast<unsigned char>(Number(t, 12));
  r.cPart[0] = static_cast<unsigned char>(Number(t, 13));
  r.lParam4 = Number(t, 14);
  for (int k = 1; k < 6; ++k) r.cPart[k] = static_cast<unsigned char>(Number(t, 14 + k));
  return r;
}

void ReadRhythms(const LineSource& next, RhythmCatalogStore& store) {
  std::string line;
  while (store.groups.size() < kCatalogMaxEntries && NextEntryLine(next, line)) {
    const std::vector<std::string_view> header = Tokens(line);
    const int count = Clamp(Number(header, 1), 0, kCatalogMaxEntries);
    store.groups.emplace_back();
    RhythmGroupStore& group = store.groups.back();
    group.name.assign(header[0]);
    const int group_index = static_cast<int>(store.groups.size()) - 1;
    for (int i = 0; i < count; ++i) {
      if (!NextEntryLine(next, line)) return;
      const std::vector<std::string_view> t = Tokens(line);
      group.names.emplace_back(t[0]);
      group.rhythms.push_back(RhythmRecord(t, group_index, i));
    }
  }
}

// A count followed by that many numbers, starting at token `i`; `i` moves on.
std::vector<int> SectionList(const std::vector<std::string_view>& t, size_t& i) {
  const int count = Clamp(Number(t, i++), 0, kMelodyMaxSections);
  std::vector<int> list;
  list.reserve(static_cast<size_t>(count));
  for (int k = 0; k < count; ++k) list.push_back(Number(t, i++));
  return list;
}

void ReadMelodies(const LineSource& next, MelodyCatalogStore& store) {
  std::string line;
  while (store.melodies.size() < kCatalogMaxEntries && NextEntryLine(next, line)) {
    const std::vector<std::string_view> t = Tokens(line);
    MelodyStore m;
    m.name.assign(t[0]);
    m.data.lID = Number(t, 1);
    m.data.lBeats = Number(t, 2);
    size_t i = 3;
    m.bright = SectionList(t, i);
    m.dark = SectionList(t, i);
    store.melodies.push_back(std::move(m));
  }
}

// Runs a reader over a fresh catalog; on exhausted memory the catalog keeps
// what was read and the result is kRcNoMemory.
template <typename Store, typename Reader>
Rc Load(Store& store, const LineSource& next, Reader read) {
  Rc result = kRcOk;
  try {
    read(next, store);
  } catch (const std::bad_alloc&) {
    result = kRcNoMemory;
  }
  try {
    store.RebuildView();
  } catch (const std::bad_alloc&) {
    store = Store{};  // an empty catalog rather than a half-built view
    result = kRcNoMemory;
  }
  return result;
}

Rc LoadFile(const std::string& path, const std::function<Rc(const LineSource&)>& load) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return kRcFileNotRead;
  const Rc result = load(LinesOf(file));
  std::fclose(file);
  return result;
}

Rc LoadRhythms(const LineSource& next) {
  RhythmCatalogStore& store = RhythmCatalog();
  store = RhythmCatalogStore{};
  return Load(store, next, ReadRhythms);
}

Rc LoadMelodies(const LineSource& next) {
  MelodyCatalogStore& store = MelodyCatalog();
  store = MelodyCatalogStore{};
  return Load(store, next, ReadMelodies);
}

}  // namespace

Rc ParseRhythmCatalog(std::string_view bytes) {
  return LoadRhythms(LinesOf(bytes));
}

Rc ParseMelodyCatalog(std::string_view bytes) {
  return LoadMelodies(LinesOf(bytes));
}

Rc LoadRhythmCatalog(const std::string& path) {
  return LoadFile(path, LoadRhythms);
}

Rc LoadMelodyCatalog(const std::string& path) {
  return LoadFile(path, LoadMelodies);
}

Rc LoadCatalogs() {
  if (Rc rc = LoadRhythmCatalog(HostDirectory() + kRhythmCatalogName); rc != kRcOk) return rc;
  return LoadMelodyCatalog(HostDirectory() + kMelodyCatalogName);
}

}  // namespace qm3
