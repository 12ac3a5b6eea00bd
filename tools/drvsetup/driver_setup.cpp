#include "driver_setup.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/profile.h"

namespace sonavex::drvsetup {
namespace {

namespace fs = std::filesystem;

constexpr int kDriverKeys = 10;  // midi, midi1 ... midi9

std::string DriverKey(int i) {
  return i == 0 ? "midi" : "midi" + std::to_string(i);
}

std::string ReadSmallFile(const fs::path& path, bool& ok) {
  std::ifstream in(path, std::ios::binary);
  ok = static_cast<bool>(in);
  if (!ok) return {};
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ok = !in.bad();
  return text;
}

bool SameContent(const fs::path& path, const std::string& text) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return false;
  bool ok = false;
  return ReadSmallFile(path, ok) == text && ok;
}

// Written under a temporary name and renamed into place.
bool WriteFileAtomically(const fs::path& path, const std::string& text, std::string& error) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  const fs::path temporary = path.string() + ".new-" + std::to_string(getpid());
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
      fs::remove(temporary, ec);
      error = "cannot write " + path.string();
      return false;
    }
  }
  fs::permissions(temporary,
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                      fs::perms::others_read,
                  ec);
  fs::rename(temporary, path, ec);
  if (ec) {
    fs::remove(temporary, ec);
    error = "cannot write " + path.string();
    return false;
  }
  return true;
}

std::string Hex4(uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04x", value);
  return text;
}

// Runs a program and waits for it; true when it exited with 0.
bool Run(const char* const argv[]) {
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    execvp(argv[0], const_cast<char* const*>(argv));
    _exit(127);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

bool FindSetupSource(const fs::path& current_folder, const fs::path& program_folder,
                     SetupSource& out, std::string& error) {
  std::error_code ec;
  fs::path file = current_folder / kSetupInformationName;
  if (!fs::is_regular_file(file, ec)) file = program_folder / kSetupInformationName;
  if (!fs::is_regular_file(file, ec)) {
    error = std::string("no ") + kSetupInformationName + " in " + current_folder.string() + " or " +
            program_folder.string();
    return false;
  }
  const auto device = cvusb::ReadSetupInformation(file);
  if (!device) {
    error = file.string() + " names no USB device (USB\\VID_xxxx&PID_xxxx)";
    return false;
  }
  const fs::path driver = file.parent_path() / kDriverLibraryName;
  if (!fs::is_regular_file(driver, ec)) {
    error = std::string("no ") + kDriverLibraryName + " beside " + file.string();
    return false;
  }
  out.setup_information = fs::absolute(file, ec);
  out.driver = fs::absolute(driver, ec);
  out.device = *device;
  return true;
}

bool RegisterSetupInformation(const fs::path& setup_information, std::string& error) {
  const fs::path target = cvusb::RegisteredSetupInformationPath();
  if (target.empty()) {
    error = "neither XDG_DATA_HOME nor HOME is set";
    return false;
  }
  bool ok = false;
  const std::string text = ReadSmallFile(setup_information, ok);
  if (!ok) {
    error = "cannot read " + setup_information.string();
    return false;
  }
  if (SameContent(target, text)) return true;
  return WriteFileAtomically(target, text, error);
}

bool RegisterDriver(const fs::path& driver, const std::string& registry_file, std::string& error) {
  const std::string name = driver.filename().string();
  const std::string path = driver.string();
  const char* file = registry_file.c_str();
  int ours = -1;
  int free_key = -1;
  for (int i = 0; i < kDriverKeys; ++i) {
    char value[4096];
    const std::string key = DriverKey(i);
    if (platform::GetPrivateProfileString("Drivers", key.c_str(), "", value, sizeof value, file) ==
        0) {
      if (free_key < 0) free_key = i;
      continue;
    }
    if (fs::path(value).filename() != name) continue;
    if (ours < 0) {
      ours = i;
      if (value == path) continue;
      if (!platform::WritePrivateProfileString("Drivers", key.c_str(), path.c_str(), file)) break;
    } else if (!platform::WritePrivateProfileString("Drivers", key.c_str(), nullptr, file)) {
      break;
    }
  }
  if (ours < 0) {
    if (free_key < 0) {
      error = "the driver list " + registry_file + " has no free entry";
      return false;
    }
    std::error_code ec;
    fs::create_directories(fs::path(registry_file).parent_path(), ec);
    if (!platform::WritePrivateProfileString("Drivers", DriverKey(free_key).c_str(), path.c_str(),
                                             file)) {
      error = "cannot write the driver list " + registry_file;
      return false;
    }
    return true;
  }
  char check[4096];
  platform::GetPrivateProfileString("Drivers", DriverKey(ours).c_str(), "", check, sizeof check,
                                    file);
  if (path != check) {
    error = "cannot write the driver list " + registry_file;
    return false;
  }
  return true;
}

std::string UdevRuleText(const cvusb::UsbDeviceId& device) {
  return "# Sonavex: the logged-in user may use the Corvane USB MIDI module (cvusb driver).\n"
         "SUBSYSTEM==\"usb\", ENV{DEVTYPE}==\"usb_device\", ATTR{idVendor}==\"" +
         Hex4(device.vendor) + "\", ATTR{idProduct}==\"" + Hex4(device.product) +
         "\", TAG+=\"uaccess\"\n";
}

fs::path UdevRulesFolder() {
  const char* folder = std::getenv("SONAVEX_UDEV_RULES_DIR");
  if (folder != nullptr && *folder != '\0') return folder;
  return "/etc/udev/rules.d";
}

bool UdevRuleInstalled(const std::string& text) {
  for (const fs::path& folder :
       {UdevRulesFolder(), fs::path("/usr/lib/udev/rules.d"), fs::path("/lib/udev/rules.d")}) {
    if (SameContent(folder / kUdevRuleName, text)) return true;
  }
  return false;
}

bool WriteUdevRule(const std::string& text, std::string& error) {
  if (!WriteFileAtomically(UdevRulesFolder() / kUdevRuleName, text, error)) return false;
  // Without udev (a container) the rule simply waits for the next boot.
  const char* reload[] = {"udevadm", "control", "--reload-rules", nullptr};
  const char* trigger[] = {"udevadm", "trigger", "--subsystem-match=usb", nullptr};
  if (Run(reload)) Run(trigger);
  return true;
}

bool WriteUdevRuleAsAdministrator(const fs::path& program, const fs::path& setup_information,
                                  std::string& error) {
  const std::string self = program.string();
  const std::string inf = setup_information.string();
  const char* argv[] = {"pkexec", self.c_str(), "--install-udev-rule", inf.c_str(), nullptr};
  if (Run(argv)) return true;
  error = "the udev rule could not be installed with administrator rights (pkexec)";
  return false;
}

}  // namespace sonavex::drvsetup
