#include "install_manifest.h"

#include <fstream>
#include <set>

namespace sonavex::install {
namespace {

constexpr std::string_view kHeader = "sonavex-install-manifest 1";

struct RoleName {
  FileRole role;
  std::string_view name;
};
constexpr RoleName kRoles[] = {{FileRole::kProgram, "program"},
                               {FileRole::kLibrary, "library"},
                               {FileRole::kDriver, "driver"}};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// A relative path of plain parts; printable bytes only.
bool PlainRelativePath(std::string_view path) {
  if (path.empty() || path.front() == '/' || path.back() == '/') return false;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string_view::npos) slash = path.size();
    const std::string_view part = path.substr(start, slash - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = slash + 1;
  }
  for (unsigned char c : path) {
    if (c < 0x20 || c == 0x7F) return false;
  }
  return true;
}

std::string_view FileName(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool Fail(std::string& error, size_t line, const std::string& why) {
  error = "line " + std::to_string(line) + ": " + why;
  return false;
}

}  // namespace

bool ParseManifest(std::string_view text, Manifest& out, std::string& error) {
  Manifest manifest;
  std::set<std::string, std::less<>> names;
  bool header_seen = false;
  size_t line_number = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = Trim(text.substr(start, end - start));
    start = end + 1;
    ++line_number;
    if (line.empty() || line.front() == '#') continue;
    if (!header_seen) {
      if (line != kHeader) return Fail(error, line_number, "not a Sonavex install manifest");
      header_seen = true;
      continue;
    }
    const size_t space = line.find_first_of(" \t");
    if (space == std::string_view::npos) return Fail(error, line_number, "an entry without a path");
    const std::string_view word = line.substr(0, space);
    const std::string_view value = Trim(line.substr(space + 1));
    if (word == "version") {
      manifest.version = std::string(value);
      continue;
    }
    const RoleName* role = nullptr;
    for (const RoleName& r : kRoles) {
      if (r.name == word) role = &r;
    }
    if (role == nullptr)
      return Fail(error, line_number, "unknown entry \"" + std::string(word) + "\"");
    if (!PlainRelativePath(value)) {
      return Fail(error, line_number,
                  "\"" + std::string(value) + "\" is not a path inside the prefix");
    }
    if (!names.insert(std::string(FileName(value))).second) {
      return Fail(error, line_number,
                  "a second file named \"" + std::string(FileName(value)) + "\"");
    }
    manifest.entries.push_back({role->role, std::string(value)});
  }
  if (!header_seen) return Fail(error, line_number, "empty, not a Sonavex install manifest");
  bool has_program = false;
  for (const ManifestEntry& e : manifest.entries) has_program |= e.role == FileRole::kProgram;
  if (!has_program) return Fail(error, line_number, "no program listed");
  out = std::move(manifest);
  return true;
}

bool ReadManifest(const std::filesystem::path& file, Manifest& out, std::string& error) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    error = "cannot be read";
    return false;
  }
  std::string text(kManifestMaxBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(in.gcount()));
  if (text.size() > kManifestMaxBytes) {
    error = "larger than any manifest";
    return false;
  }
  return ParseManifest(text, out, error);
}

}  // namespace sonavex::install
