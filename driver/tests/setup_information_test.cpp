#include "setup_information.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

using cvusb::ParseSetupInformation;

namespace {

std::optional<cvusb::UsbDeviceId> Parse(const char* text) {
  return ParseSetupInformation(text, std::strlen(text));
}

TEST(SetupInformation, TheShippedFileNamesTheModulesInterface) {
  setenv("SONAVEX_CVUSB_INF", CVUSB_SOURCE_INF_FOR_TEST, 1);
  const auto id = cvusb::FindModuleDeviceId();
  unsetenv("SONAVEX_CVUSB_INF");
  ASSERT_TRUE(id.has_value());
  EXPECT_EQ(id->vendor, 0x2F6C);
  EXPECT_EQ(id->product, 0x0101);
  EXPECT_EQ(id->interface_number, 1);
}

TEST(SetupInformation, IdentifiersAreReadInAnyCaseAndMalformedOnesSkipped) {
  const auto id = Parse("x=usb\\vid_12ab&pid_00Cd\n");
  ASSERT_TRUE(id.has_value());
  EXPECT_EQ(id->vendor, 0x12AB);
  EXPECT_EQ(id->product, 0x00CD);
  EXPECT_EQ(id->interface_number, 0);

  const auto second = Parse("USB\\VID_12G4&PID_0001\nUSB\\VID_0001&PID_0002&MI_03");
  ASSERT_TRUE(second.has_value());
  EXPECT_EQ(second->vendor, 0x0001);
  EXPECT_EQ(second->interface_number, 3);

  EXPECT_FALSE(Parse("USB\\VID_12").has_value());  // cut short at the end
  EXPECT_FALSE(Parse("USB\\VID_1234&PID_").has_value());
  EXPECT_FALSE(Parse("USB\\VID_1234&PID_5678&MI_Z1").has_value());
  EXPECT_FALSE(ParseSetupInformation(nullptr, 10).has_value());
  setenv("SONAVEX_CVUSB_INF", "/nonexistent/usbcvmid.inf", 1);
  EXPECT_FALSE(cvusb::FindModuleDeviceId().has_value());
  unsetenv("SONAVEX_CVUSB_INF");
}

// A valid identifier at the start of a file of `size` bytes.
std::optional<cvusb::UsbDeviceId> ReadFileOfSize(size_t size) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("setup_information_test_" + std::to_string(getpid()) + ".inf");
  std::string text = "USB\\VID_2F6C&PID_0101&MI_01\n";
  text.resize(size, ';');
  std::ofstream(path, std::ios::binary) << text;
  setenv("SONAVEX_CVUSB_INF", path.c_str(), 1);
  auto id = cvusb::FindModuleDeviceId();
  unsetenv("SONAVEX_CVUSB_INF");
  std::filesystem::remove(path);
  return id;
}

TEST(SetupInformation, OnlyRegularFilesUpToTheLimitAreRead) {
  EXPECT_TRUE(ReadFileOfSize(cvusb::kMaxSetupInformationBytes).has_value());
  // One byte more and the file is refused whole, identifier and all.
  EXPECT_FALSE(ReadFileOfSize(cvusb::kMaxSetupInformationBytes + 1).has_value());
  EXPECT_FALSE(ReadFileOfSize(64 * cvusb::kMaxSetupInformationBytes).has_value());
  setenv("SONAVEX_CVUSB_INF", std::filesystem::temp_directory_path().c_str(), 1);
  EXPECT_FALSE(cvusb::FindModuleDeviceId().has_value());  // a folder
  unsetenv("SONAVEX_CVUSB_INF");
}

}  // namespace
