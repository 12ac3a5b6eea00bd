#include "ini_document.h"

#include <cstddef>

namespace platform::ini {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

// "[name]" (blanks around allowed): the name, else nullopt.
std::optional<std::string_view> SectionHeader(std::string_view line) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[') return std::nullopt;
  const size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

struct KeyLine {
  std::string_view key;
  std::string_view value;
};

std::optional<KeyLine> ParseKeyLine(std::string_view line) {
  const std::string_view t = Trim(line);
  if (t.empty() || t.front() == ';' || t.front() == '[') return std::nullopt;
  const size_t eq = t.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return KeyLine{Trim(t.substr(0, eq)), Trim(t.substr(eq + 1))};
}

// Line range [begin, end) of the first section with this name: begin is
// the header line.
struct Range {
  size_t begin;
  size_t end;
};

std::optional<Range> FindSection(const Document& doc, std::string_view section) {
  for (size_t i = 0; i < doc.lines.size(); ++i) {
    auto name = SectionHeader(doc.lines[i]);
    if (!name || !SameName(*name, section)) continue;
    size_t end = i + 1;
    while (end < doc.lines.size() && !SectionHeader(doc.lines[end])) ++end;
    return Range{i, end};
  }
  return std::nullopt;
}

std::optional<size_t> FindKeyLine(const Document& doc, const Range& r, std::string_view key) {
  for (size_t i = r.begin + 1; i < r.end; ++i) {
    auto kl = ParseKeyLine(doc.lines[i]);
    if (kl && SameName(kl->key, key)) return i;
  }
  return std::nullopt;
}

}  // namespace

Document Parse(std::string_view bytes) {
  Document doc;
  if (!bytes.empty() && bytes.find("\r\n") == std::string_view::npos &&
      bytes.find('\n') != std::string_view::npos) {
    doc.newline = "\n";
  }
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t nl = bytes.find('\n', pos);
    if (nl == std::string_view::npos) nl = bytes.size();
    std::string_view line = bytes.substr(pos, nl - pos);
    // Every trailing CR goes (blank anyway), so a rewrite reads back the same.
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    doc.lines.emplace_back(line);
    pos = nl + 1;
  }
  return doc;
}

std::string Serialize(const Document& doc) {
  std::string out;
  for (const std::string& line : doc.lines) {
    out += line;
    out += doc.newline;
  }
  return out;
}

std::optional<std::string> Find(const Document& doc, std::string_view section,
                                std::string_view key) {
  auto r = FindSection(doc, section);
  if (!r) return std::nullopt;
  auto i = FindKeyLine(doc, *r, key);
  if (!i) return std::nullopt;
  return std::string(ParseKeyLine(doc.lines[*i])->value);
}

std::vector<std::string> SectionNames(const Document& doc) {
  std::vector<std::string> names;
  for (const std::string& line : doc.lines) {
    if (auto name = SectionHeader(line)) names.emplace_back(*name);
  }
  return names;
}

std::vector<std::string> KeyNames(const Document& doc, std::string_view section) {
  std::vector<std::string> names;
  auto r = FindSection(doc, section);
  if (!r) return names;
  for (size_t i = r->begin + 1; i < r->end; ++i) {
    if (auto kl = ParseKeyLine(doc.lines[i])) names.emplace_back(kl->key);
  }
  return names;
}

void Set(Document& doc, std::string_view section, std::string_view key, std::string_view value) {
  std::string line = std::string(key) + "=" + std::string(value);
  auto r = FindSection(doc, section);
  if (!r) {
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about
    // chained operator+ on strings at -O2 and above.
    std::string header;
    header.reserve(section.size() + 2);
    header += '[';
    header.append(section);
    header += ']';
    doc.lines.push_back(std::move(header));
    doc.lines.push_back(std::move(line));
    return;
  }
  if (auto i = FindKeyLine(doc, *r, key)) {
    doc.lines[*i] = std::move(line);
    return;
  }
  // After the section's last non-blank line, so blank separators stay put.
  size_t at = r->end;
  while (at > r->begin + 1 && Trim(doc.lines[at - 1]).empty()) --at;
  doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

void RemoveKey(Document& doc, std::string_view section, std::string_view key) {
  auto r = FindSection(doc, section);
  if (!r) return;
  if (auto i = FindKeyLine(doc, *r, key)) {
    doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(*i));
  }
}

void RemoveSection(Document& doc, std::string_view section) {
  while (auto r = FindSection(doc, section)) {
    doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(r->begin),
                    doc.lines.begin() + static_cast<std::ptrdiff_t>(r->end));
  }
}

}  // namespace platform::ini
