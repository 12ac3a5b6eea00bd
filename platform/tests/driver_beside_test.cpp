#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/drivers.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// Each case starts with SONAVEX_DRIVERS unset and a fresh program folder.
class DriverBesideTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("driver_beside_" + std::to_string(getpid()));
    fs::create_directories(folder_);
    unsetenv("SONAVEX_DRIVERS");
  }
  void TearDown() override {
    unsetenv("SONAVEX_DRIVERS");
    fs::remove_all(folder_);
  }
  static std::string Configured() {
    const char* value = std::getenv("SONAVEX_DRIVERS");
    return value == nullptr ? std::string() : std::string(value);
  }

  fs::path folder_;
};

TEST_F(DriverBesideTest, TheDriverBesideTheProgramComesFirst) {
  std::ofstream(folder_ / "libcvusb.so") << "x";
  PointAtDriverBeside(folder_.string());
  EXPECT_EQ(Configured(), (folder_ / "libcvusb.so").string());
}

TEST_F(DriverBesideTest, WithoutOneBesideTheBuildsDriverIsUsedIfBuilt) {
  PointAtDriverBeside(folder_.string());
  const std::string built = SONAVEX_BUILT_DRIVER;
  EXPECT_EQ(Configured(), !built.empty() && fs::exists(built) ? built : std::string());
}

TEST_F(DriverBesideTest, AConfiguredListIsLeftAlone) {
  std::ofstream(folder_ / "libcvusb.so") << "x";
  setenv("SONAVEX_DRIVERS", "/chosen/driver.so", 1);
  PointAtDriverBeside(folder_.string());
  EXPECT_EQ(Configured(), "/chosen/driver.so");
}

}  // namespace
}  // namespace platform
