// The private-profile calls over ini::Document: whole-file read, edit, and
// an atomic rewrite through a temporary file.
#include "platform/profile.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>

#include "ini_document.h"

namespace platform {
namespace {

std::mutex g_file_mu;

ini::Document Load(const char* file_name) {
  std::ifstream in(file_name, std::ios::binary);
  if (!in) return {};
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return ini::Parse(bytes.str());
}

bool Store(const ini::Document& doc, const char* file_name) {
  const std::string tmp = std::string(file_name) + ".tmp" + std::to_string(::getpid());
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << ini::Serialize(doc);
    out.flush();
    if (!out) {
      std::remove(tmp.c_str());
      return false;
    }
  }
  if (std::rename(tmp.c_str(), file_name) != 0) {
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

// Strips one pair of matching quotes, as the reading call does.
std::string Unquote(std::string v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    return v.substr(1, v.size() - 2);
  }
  return v;
}

uint32_t CopyValue(const std::string& value, char* out, uint32_t size) {
  const uint32_t n = static_cast<uint32_t>(std::min<size_t>(value.size(), size - 1));
  std::memcpy(out, value.data(), n);
  out[n] = '\0';
  return n;
}

// Names each followed by a zero, and a final zero.
uint32_t CopyList(const std::vector<std::string>& names, char* out, uint32_t size) {
  if (size < 2) {
    out[0] = '\0';
    return 0;
  }
  uint32_t pos = 0;
  for (const std::string& name : names) {
    if (pos + name.size() + 1 > size - 1) {
      // Truncated: as much of this name as fits, then the two zeros.
      const uint32_t room = size - 2 - pos;
      std::memcpy(out + pos, name.data(), room);
      out[size - 2] = '\0';
      out[size - 1] = '\0';
      return size - 2;
    }
    std::memcpy(out + pos, name.data(), name.size());
    pos += static_cast<uint32_t>(name.size());
    out[pos++] = '\0';
  }
  out[pos] = '\0';
  return pos;
}

}  // namespace

uint32_t GetPrivateProfileString(const char* section, const char* key, const char* default_value,
                                 char* out, uint32_t size, const char* file_name) {
  if (out == nullptr || size == 0) return 0;
  ini::Document doc;
  if (file_name != nullptr) {
    std::lock_guard lock(g_file_mu);
    doc = Load(file_name);
  }
  if (section == nullptr) return CopyList(ini::SectionNames(doc), out, size);
  if (key == nullptr) return CopyList(ini::KeyNames(doc, section), out, size);
  if (auto v = ini::Find(doc, section, key)) return CopyValue(Unquote(*v), out, size);
  std::string def = default_value != nullptr ? default_value : "";
  while (!def.empty() && def.back() == ' ') def.pop_back();
  return CopyValue(def, out, size);
}

uint32_t GetPrivateProfileInt(const char* section, const char* key, int default_value,
                              const char* file_name) {
  if (section == nullptr || key == nullptr || file_name == nullptr) {
    return static_cast<uint32_t>(default_value);
  }
  std::optional<std::string> v;
  {
    std::lock_guard lock(g_file_mu);
    v = ini::Find(Load(file_name), section, key);
  }
  if (!v) return static_cast<uint32_t>(default_value);
  const std::string text = Unquote(*v);
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  uint32_t n = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    n = n * 10 + static_cast<uint32_t>(text[i] - '0');  // wraps like the 32-bit original
  }
  return negative ? 0u - n : n;
}

bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* file_name) {
  if (section == nullptr || file_name == nullptr) return false;
  // A line break would split the entry and plant lines of its own in the file.
  for (const char* text : {section, key, value}) {
    if (text != nullptr && std::strpbrk(text, "\r\n") != nullptr) return false;
  }
  if (key != nullptr && std::strchr(key, '=') != nullptr) return false;
  std::lock_guard lock(g_file_mu);
  ini::Document doc = Load(file_name);
  if (key == nullptr) {
    ini::RemoveSection(doc, section);
  } else if (value == nullptr) {
    ini::RemoveKey(doc, section, key);
  } else {
    ini::Set(doc, section, key, value);
  }
  return Store(doc, file_name);
}

}  // namespace platform
