// The steps of the driver setup tool: find the driver's setup information
// file, register it and the driver for the user, and the udev rule that lets
// the logged-in user reach the module's USB interface.
//
// Thread rules: plain functions; they read the environment and block on
// file I/O.
#pragma once
#include <filesystem>
#include <string>

#include "setup_information.h"

namespace sonavex::drvsetup {

inline constexpr char kSetupInformationName[] = "usbcvmid.inf";
inline constexpr char kDriverLibraryName[] = "libcvusb.so";
inline constexpr char kUdevRuleName[] = "70-sonavex-cvusb.rules";

struct SetupSource {
  std::filesystem::path setup_information;  // usbcvmid.inf
  std::filesystem::path driver;             // libcvusb.so beside it
  cvusb::UsbDeviceId device;                // what the file binds
};

// usbcvmid.inf in `current_folder` when it is there (update media), else the
// installed one in `program_folder`; its folder must hold the driver library
// too, and the file must name the module's USB identifiers.
bool FindSetupSource(const std::filesystem::path& current_folder,
                     const std::filesystem::path& program_folder, SetupSource& out,
                     std::string& error);

// Copies the file to cvusb::RegisteredSetupInformationPath() (left alone when
// it already holds the same bytes).
bool RegisterSetupInformation(const std::filesystem::path& setup_information, std::string& error);

// Names `driver` in the driver list `registry_file` ([Drivers] midi,
// midi1..midi9): an entry that already names a library of the same file name
// is replaced and any further such entry removed, else the first free key is
// taken. Other drivers stay as they are.
bool RegisterDriver(const std::filesystem::path& driver, const std::string& registry_file,
                    std::string& error);

// The udev rule for the module: its USB device node goes to the logged-in
// user (the uaccess tag).
std::string UdevRuleText(const cvusb::UsbDeviceId& device);

// $SONAVEX_UDEV_RULES_DIR, else /etc/udev/rules.d.
std::filesystem::path UdevRulesFolder();

// Whether the same rule is in force already (UdevRulesFolder or the system's
// packaged rules folders).
bool UdevRuleInstalled(const std::string& text);

// Writes the rule into UdevRulesFolder() and asks udev to reload its rules.
bool WriteUdevRule(const std::string& text, std::string& error);

// Runs `program --install-udev-rule setup_information` with administrator
// rights through pkexec (which asks the user to authenticate).
bool WriteUdevRuleAsAdministrator(const std::filesystem::path& program,
                                  const std::filesystem::path& setup_information,
                                  std::string& error);

}  // namespace sonavex::drvsetup
