// drvsetup: registers the cvusb driver for the user, so that the platform
// layer loads it and it finds the sound module, and with the user's consent
// installs the udev rule that lets the logged-in user open the module.
//
//   drvsetup                       asks, then sets up
//   drvsetup --yes                 answers every question Yes (scripts, tests)
//   drvsetup --print-udev-rule INF writes the rule for INF's device to stdout
//   drvsetup --install-udev-rule INF
//                                  (as root, through pkexec) installs the rule
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "driver_setup.h"
#include "platform/drivers.h"
#include "platform/message_box.h"
#include "platform/program_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace sonavex;

constexpr char kCaption[] = "SETUP MIDI DRIVER";

// Kernels before 3.0 lack the USB and udev features the driver relies on.
bool SuitablePlatform() {
  utsname name{};
  if (uname(&name) != 0 || std::strcmp(name.sysname, "Linux") != 0) return false;
  return std::atoi(name.release) >= 3;
}

bool DeviceOf(const char* inf, cvusb::UsbDeviceId& device) {
  const auto id = cvusb::ReadSetupInformation(inf);
  if (!id) {
    std::fprintf(stderr, "drvsetup: %s names no USB device\n", inf);
    return false;
  }
  device = *id;
  return true;
}

// The udev step: nothing to do when the rule is in force; otherwise asks,
// then writes it directly when we may, else through pkexec.
bool SetUpDeviceAccess(const drvsetup::SetupSource& source, bool assume_yes, std::string& note,
                       std::string& error) {
  const std::string rule = drvsetup::UdevRuleText(source.device);
  if (drvsetup::UdevRuleInstalled(rule)) return true;
  const platform::MessageBoxOptions question{
      "This installs a udev rule and needs administrator rights.", assume_yes};
  if (platform::MessageBox("Let the logged-in user use the USB MIDI module?", kCaption,
                           platform::MB_YESNO | platform::MB_ICONQUESTION,
                           question) != platform::IDYES) {
    note = "The USB access rule was not installed: only the administrator can reach the module.";
    return true;
  }
  const fs::path folder = drvsetup::UdevRulesFolder();
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (access(folder.c_str(), W_OK) == 0) {
    return drvsetup::WriteUdevRule(rule, error);
  }
  return drvsetup::WriteUdevRuleAsAdministrator(fs::path(platform::ProgramFolder()) / "drvsetup",
                                                source.setup_information, error);
}

int SetUp(bool assume_yes) {
  const platform::MessageBoxOptions plain{nullptr, assume_yes};
  if (!SuitablePlatform()) {
    platform::MessageBox("Can not install to this version of Windows.", "SETUP",
                         platform::MB_OK | platform::MB_ICONERROR, plain);
    return 1;
  }
  if (platform::MessageBox("Install USB Driver.", kCaption,
                           platform::MB_YESNO | platform::MB_ICONINFORMATION,
                           plain) != platform::IDYES) {
    return 0;
  }
  std::string error;
  std::string note;
  drvsetup::SetupSource source;
  std::error_code ec;
  const bool ok = drvsetup::FindSetupSource(fs::current_path(ec),
                                            fs::path(platform::ProgramFolder()), source, error) &&
                  drvsetup::RegisterSetupInformation(source.setup_information, error) &&
                  drvsetup::RegisterDriver(source.driver, platform::DriverRegistryPath(), error) &&
                  SetUpDeviceAccess(source, assume_yes, note, error);
  if (!ok) {
    const platform::MessageBoxOptions failed{error.c_str(), assume_yes};
    platform::MessageBox("SETUP Error.", kCaption, platform::MB_OK | platform::MB_ICONERROR,
                         failed);
    return 1;
  }
  const platform::MessageBoxOptions done{note.empty() ? nullptr : note.c_str(), assume_yes};
  platform::MessageBox("SETUP Completed.", kCaption, platform::MB_OK | platform::MB_ICONINFORMATION,
                       done);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--print-udev-rule") == 0) {
    cvusb::UsbDeviceId device;
    if (!DeviceOf(argv[2], device)) return 1;
    std::fputs(drvsetup::UdevRuleText(device).c_str(), stdout);
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "--install-udev-rule") == 0) {
    cvusb::UsbDeviceId device;
    if (!DeviceOf(argv[2], device)) return 1;
    std::string error;
    if (!drvsetup::WriteUdevRule(drvsetup::UdevRuleText(device), error)) {
      std::fprintf(stderr, "drvsetup: %s\n", error.c_str());
      return 1;
    }
    return 0;
  }
  if (argc == 1 || (argc == 2 && std::strcmp(argv[1], "--yes") == 0)) return SetUp(argc == 2);
  std::fprintf(stderr,
               "usage: drvsetup [--yes]\n"
               "       drvsetup --print-udev-rule FILE.inf\n");
  return 2;
}
