#include "driver_setup.h"

#include <gtest/gtest.h>

#include "install_test_folder.h"
#include "platform/profile.h"
#include "setup_information.h"

namespace sonavex::drvsetup {
namespace {

namespace fs = std::filesystem;
using install::ReadFile;
using install::ScopedEnv;
using install::TempFolder;
using install::WriteFile;

constexpr char kInf[] = "[Corvane]\n%DeviceDesc%=CvUsbMidi.Install,USB\\VID_2F6C&PID_0101&MI_01\n";

std::string Driver(const std::string& file, const std::string& key) {
  char value[512];
  platform::GetPrivateProfileString("Drivers", key.c_str(), "", value, sizeof value, file.c_str());
  return value;
}

TEST(DriverSetupTest, TheCurrentFolderWinsOverTheInstalledFiles) {
  TempFolder dir("drvsetup_source");
  const fs::path media = dir.path() / "media";
  const fs::path installed = dir.path() / "installed";
  for (const fs::path& p : {media, installed}) {
    WriteFile(p / kSetupInformationName, kInf);
    WriteFile(p / kDriverLibraryName, "ELF");
  }
  SetupSource source;
  std::string error;
  ASSERT_TRUE(FindSetupSource(media, installed, source, error)) << error;
  EXPECT_EQ(source.setup_information, media / kSetupInformationName);
  EXPECT_EQ(source.driver, media / kDriverLibraryName);
  EXPECT_EQ(source.device.vendor, 0x2F6C);
  EXPECT_EQ(source.device.product, 0x0101);

  ASSERT_TRUE(FindSetupSource(dir.path() / "elsewhere", installed, source, error)) << error;
  EXPECT_EQ(source.driver, installed / kDriverLibraryName);
}

TEST(DriverSetupTest, SourcesThatCannotBindTheModuleAreRefusedWithTheReason) {
  TempFolder dir("drvsetup_bad_source");
  SetupSource source;
  std::string error;
  EXPECT_FALSE(FindSetupSource(dir.path(), dir.path(), source, error));
  EXPECT_NE(error.find("no usbcvmid.inf"), std::string::npos) << error;

  WriteFile(dir.path() / kSetupInformationName, "[Corvane]\nUSB\\VID_2F6C&PID_01\n");
  WriteFile(dir.path() / kDriverLibraryName, "ELF");
  EXPECT_FALSE(FindSetupSource(dir.path(), dir.path(), source, error));
  EXPECT_NE(error.find("names no USB device"), std::string::npos) << error;
  // A good identifier in a file far larger than any setup information: the
  // same reader as the driver's refuses it whole.
  std::string huge = kInf;
  huge.resize(cvusb::kMaxSetupInformationBytes + 1, ';');
  WriteFile(dir.path() / kSetupInformationName, huge);
  EXPECT_FALSE(FindSetupSource(dir.path(), dir.path(), source, error));
  EXPECT_NE(error.find("names no USB device"), std::string::npos) << error;

  WriteFile(dir.path() / kSetupInformationName, kInf);
  fs::remove(dir.path() / kDriverLibraryName);
  EXPECT_FALSE(FindSetupSource(dir.path(), dir.path(), source, error));
  EXPECT_NE(error.find("no libcvusb.so beside"), std::string::npos) << error;
}

TEST(DriverSetupTest, RegisteringTwiceKeepsOneEntryAndOtherDriversStay) {
  TempFolder dir("drvsetup_registry");
  const std::string registry = (dir.path() / "config/sonavex/drivers.ini").string();
  std::string error;
  ASSERT_TRUE(RegisterDriver("/opt/a/libcvusb.so", registry, error)) << error;
  ASSERT_TRUE(RegisterDriver("/opt/a/libcvusb.so", registry, error)) << error;
  EXPECT_EQ(Driver(registry, "midi"), "/opt/a/libcvusb.so");
  EXPECT_EQ(Driver(registry, "midi1"), "");

  // Another driver in the first key, and a stale second copy of ours: ours is
  // moved to the new place once, the stale copy goes, the other stays.
  platform::WritePrivateProfileString("Drivers", "midi", "/usr/lib/other.so", registry.c_str());
  platform::WritePrivateProfileString("Drivers", "midi3", "/old/libcvusb.so", registry.c_str());
  platform::WritePrivateProfileString("Drivers", "midi5", "/older/libcvusb.so", registry.c_str());
  ASSERT_TRUE(RegisterDriver("/opt/b/libcvusb.so", registry, error)) << error;
  EXPECT_EQ(Driver(registry, "midi"), "/usr/lib/other.so");
  EXPECT_EQ(Driver(registry, "midi3"), "/opt/b/libcvusb.so");
  EXPECT_EQ(Driver(registry, "midi5"), "");
}

TEST(DriverSetupTest, AFullDriverListIsAnError) {
  TempFolder dir("drvsetup_full");
  const std::string registry = (dir.path() / "drivers.ini").string();
  for (int i = 0; i <= 9; ++i) {
    const std::string key = i == 0 ? "midi" : "midi" + std::to_string(i);
    platform::WritePrivateProfileString("Drivers", key.c_str(), "/x/other.so", registry.c_str());
  }
  std::string error;
  EXPECT_FALSE(RegisterDriver("/opt/a/libcvusb.so", registry, error));
  EXPECT_NE(error.find("no free entry"), std::string::npos) << error;
}

TEST(DriverSetupTest, TheSetupInformationGoesToTheUsersStoreOnce) {
  TempFolder dir("drvsetup_store");
  ScopedEnv data("XDG_DATA_HOME", (dir.path() / "data").string());
  WriteFile(dir.path() / kSetupInformationName, kInf);
  std::string error;
  ASSERT_TRUE(RegisterSetupInformation(dir.path() / kSetupInformationName, error)) << error;
  const fs::path stored = dir.path() / "data/sonavex/usbcvmid.inf";
  EXPECT_EQ(ReadFile(stored), kInf);
  EXPECT_EQ(cvusb::RegisteredSetupInformationPath(), stored);
  const auto first = fs::last_write_time(stored);
  ASSERT_TRUE(RegisterSetupInformation(dir.path() / kSetupInformationName, error)) << error;
  EXPECT_EQ(fs::last_write_time(stored), first);
}

TEST(DriverSetupTest, TheUdevRuleGivesTheModulesDeviceToTheSeatUser) {
  const std::string rule = UdevRuleText({0x2F6C, 0x0101, 1});
  EXPECT_NE(rule.find("SUBSYSTEM==\"usb\""), std::string::npos);
  EXPECT_NE(rule.find("ATTR{idVendor}==\"2f6c\""), std::string::npos);
  EXPECT_NE(rule.find("ATTR{idProduct}==\"0101\""), std::string::npos);
  EXPECT_NE(rule.find("TAG+=\"uaccess\""), std::string::npos);

  TempFolder dir("drvsetup_udev");
  ScopedEnv rules("SONAVEX_UDEV_RULES_DIR", dir.path().string());
  EXPECT_FALSE(UdevRuleInstalled(rule));
  std::string error;
  ASSERT_TRUE(WriteUdevRule(rule, error)) << error;
  EXPECT_EQ(ReadFile(dir.path() / kUdevRuleName), rule);
  EXPECT_TRUE(UdevRuleInstalled(rule));
  EXPECT_FALSE(UdevRuleInstalled(UdevRuleText({0x2F6C, 0x0102, 1})));
}

}  // namespace
}  // namespace sonavex::drvsetup
