#include "setup_information.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/trace.h"

namespace cvusb {
namespace {

constexpr char kFileName[] = "usbcvmid.inf";

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool MatchesAt(const char* text, size_t length, size_t at, const char* word) {
  for (size_t i = 0; word[i] != '\0'; ++i) {
    if (at + i >= length || Upper(text[at + i]) != word[i]) return false;
  }
  return true;
}

// Reads exactly `digits` hexadecimal digits at `at`.
std::optional<uint32_t> HexAt(const char* text, size_t length, size_t at, size_t digits) {
  if (at + digits > length) return std::nullopt;
  uint32_t value = 0;
  for (size_t i = 0; i < digits; ++i) {
    const char c = Upper(text[at + i]);
    uint32_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint32_t>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<uint32_t>(c - 'A' + 10);
    } else {
      return std::nullopt;
    }
    value = value << 4 | digit;
  }
  return value;
}

std::optional<UsbDeviceId> ParseIdAt(const char* text, size_t length, size_t at) {
  // USB\VID_xxxx&PID_xxxx then optionally &MI_xx
  size_t pos = at + 8;
  const auto vendor = HexAt(text, length, pos, 4);
  pos += 4;
  if (!vendor || !MatchesAt(text, length, pos, "&PID_")) return std::nullopt;
  pos += 5;
  const auto product = HexAt(text, length, pos, 4);
  pos += 4;
  if (!product) return std::nullopt;
  UsbDeviceId id{static_cast<uint16_t>(*vendor), static_cast<uint16_t>(*product), 0};
  if (MatchesAt(text, length, pos, "&MI_")) {
    const auto interface_number = HexAt(text, length, pos + 4, 2);
    if (!interface_number) return std::nullopt;
    id.interface_number = static_cast<uint8_t>(*interface_number);
  }
  return id;
}

std::filesystem::path LibraryFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&FindModuleDeviceId), &info) == 0 ||
      info.dli_fname == nullptr) {
    return {};
  }
  return std::filesystem::path(info.dli_fname).parent_path();
}

}  // namespace

std::optional<UsbDeviceId> ReadSetupInformation(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  // One byte more than the limit tells a file that is too large, even one
  // that grew after the check above.
  std::vector<char> bytes(kMaxSetupInformationBytes + 1);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) return std::nullopt;
  const auto length = static_cast<size_t>(in.gcount());
  if (length > kMaxSetupInformationBytes) {
    platform::TraceLog("cvusb: %s is larger than %zu bytes, not read as setup information",
                       path.c_str(), kMaxSetupInformationBytes);
    return std::nullopt;
  }
  return ParseSetupInformation(bytes.data(), length);
}

std::optional<UsbDeviceId> ParseSetupInformation(const char* text, size_t length) {
  if (text == nullptr) return std::nullopt;
  for (size_t at = 0; at < length; ++at) {
    if (MatchesAt(text, length, at, "USB\\VID_")) {
      if (auto id = ParseIdAt(text, length, at)) return id;
    }
  }
  return std::nullopt;
}

std::filesystem::path RegisteredSetupInformationPath() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data != nullptr && *data != '\0') return std::filesystem::path(data) / "sonavex" / kFileName;
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') {
    return std::filesystem::path(home) / ".local" / "share" / "sonavex" / kFileName;
  }
  return {};
}

std::optional<UsbDeviceId> FindModuleDeviceId() {
  if (const char* explicit_path = std::getenv("SONAVEX_CVUSB_INF")) {
    return ReadSetupInformation(explicit_path);
  }
  std::vector<std::filesystem::path> candidates;
  if (auto registered = RegisteredSetupInformationPath(); !registered.empty()) {
    candidates.push_back(registered);
  }
  if (auto folder = LibraryFolder(); !folder.empty()) candidates.push_back(folder / kFileName);
#ifdef CVUSB_SOURCE_INF
  candidates.emplace_back(CVUSB_SOURCE_INF);
#endif
  for (const auto& path : candidates) {
    if (auto id = ReadSetupInformation(path)) return id;
  }
  return std::nullopt;
}

}  // namespace cvusb
