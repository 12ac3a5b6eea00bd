#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "midi_test_util.h"
#include "platform/drivers.h"
#include "platform/mmddk.h"
#include "platform/profile.h"

namespace platform {
namespace {

using testing::Recorder;

// Loads the test driver through SONAVEX_DRIVERS and keeps its own reference
// to the library so that the driver's log outlives the layer's unloading.
class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lib_ = dlopen(SONAVEX_TEST_DRIVER, RTLD_NOW);
    ASSERT_NE(lib_, nullptr) << dlerror();
    log_ = reinterpret_cast<const char* (*)()>(dlsym(lib_, "TestDriverLog"));
    send_input_ = reinterpret_cast<int (*)(DWORD, DWORD)>(dlsym(lib_, "TestDriverSendInput"));
    ASSERT_NE(log_, nullptr);
    setenv("SONAVEX_DRIVERS", "/nonexistent/driver.so:" SONAVEX_TEST_DRIVER, 1);
    ReloadDrivers();
    log_();
  }
  void TearDown() override {
    unsetenv("SONAVEX_DRIVERS");
    ReloadDrivers();
    if (lib_ != nullptr) dlclose(lib_);
  }
  std::string Log() { return log_(); }

  void* lib_ = nullptr;
  const char* (*log_)() = nullptr;
  int (*send_input_)(DWORD, DWORD) = nullptr;
};

TEST_F(DriverTest, LoadsInTheWindowsOrderAndListsDriverPortsFirst) {
  ASSERT_GE(midiOutGetNumDevs(), 1u);
  EXPECT_EQ(Log(),
            "DRV_LOAD(0);DRV_ENABLE(0);DRV_OPEN(0);MODM_INIT;MODM_GETNUMDEVS;MIDM_INIT;"
            "MIDM_GETNUMDEVS;");
  MIDIOUTCAPS out{};
  ASSERT_EQ(midiOutGetDevCaps(0, &out, sizeof out), MMSYSERR_NOERROR);
  EXPECT_STREQ(out.szPname, "Test Driver OUT 1");
  EXPECT_EQ(out.wTechnology, MOD_SYNTH);
  MIDIINCAPS in{};
  ASSERT_EQ(midiInGetDevCaps(0, &in, sizeof in), MMSYSERR_NOERROR);
  EXPECT_STREQ(in.szPname, "\x83\x65\x83\x58\x83\x67 IN");  // Shift-JIS
  EXPECT_EQ(midiInGetDevCaps(1, &in, sizeof in) == MMSYSERR_NOERROR,
            midiInGetNumDevs() > 1);  // only one port from the driver

  ReloadDrivers();
  EXPECT_EQ(Log(), "MODM_EXIT;MIDM_EXIT;DRV_CLOSE(1234);DRV_DISABLE(1234);DRV_FREE(1234);");
}

TEST_F(DriverTest, OpenDescriptionClientValueAndCallbacksReachTheDriver) {
  Recorder rec;
  HMIDIOUT h = nullptr;
  ASSERT_EQ(midiOutOpen(&h, 0, rec.fn(), rec.self(), CALLBACK_FUNCTION), MMSYSERR_NOERROR);
  ASSERT_EQ(midiOutShortMsg(h, 0x643C90), MMSYSERR_NOERROR);
  char sysex[6] = {char(0xF0), 1, 2, 3, 4, char(0xF7)};
  MIDIHDR hdr{};
  hdr.lpData = sysex;
  hdr.dwBufferLength = sizeof sysex;
  EXPECT_EQ(midiOutLongMsg(h, &hdr, sizeof hdr), MIDIERR_UNPREPARED);  // checked by the layer
  ASSERT_EQ(midiOutPrepareHeader(h, &hdr, sizeof hdr), MMSYSERR_NOERROR);
  EXPECT_EQ(hdr.dwFlags, MHDR_PREPARED);  // done by the layer: the driver declines
  ASSERT_EQ(midiOutLongMsg(h, &hdr, sizeof hdr), MMSYSERR_NOERROR);
  ASSERT_EQ(midiOutReset(h), MMSYSERR_NOERROR);
  ASSERT_EQ(midiOutClose(h), MMSYSERR_NOERROR);
  Log();  // the load messages
  const auto calls = rec.Take();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].msg, MOM_OPEN);
  EXPECT_EQ(calls[1].msg, MOM_DONE);
  EXPECT_EQ(calls[1].p1, DWORD_PTR(&hdr));
  EXPECT_EQ(calls[2].msg, MOM_CLOSE);

  ASSERT_EQ(midiOutOpen(&h, 0, rec.fn(), rec.self(), CALLBACK_FUNCTION), MMSYSERR_NOERROR);
  midiOutShortMsg(h, 0x90);
  midiOutClose(h);
  EXPECT_EQ(Log(), "MODM_OPEN(30000);MODM_DATA(c0ffee,90);MODM_CLOSE(c0ffee);");
}

TEST_F(DriverTest, DriverInputReachesTheClientWithItsHandle) {
  Recorder rec;
  HMIDIIN h = nullptr;
  ASSERT_EQ(midiInOpen(&h, 0, rec.fn(), rec.self(), CALLBACK_FUNCTION), MMSYSERR_NOERROR);
  ASSERT_EQ(midiInStart(h), MMSYSERR_NOERROR);
  ASSERT_EQ(send_input_(0x643C90, 42), 1);
  ASSERT_EQ(midiInClose(h), MMSYSERR_NOERROR);
  EXPECT_EQ(rec.Messages(), (std::vector<UINT>{MIM_OPEN, MIM_DATA, MIM_CLOSE}));
  const auto data = rec.Take()[1];
  EXPECT_EQ(data.p1, 0x643C90u);
  EXPECT_EQ(data.p2, 42u);
}

TEST(DriverRegistryTest, EnvironmentOverridesTheRegistryFile) {
  const std::string dir = ::testing::TempDir() + "drivers_cfg_" + std::to_string(getpid());
  setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
  unsetenv("SONAVEX_DRIVERS");
  EXPECT_EQ(DriverRegistryPath(), dir + "/sonavex/drivers.ini");
  EXPECT_TRUE(ConfiguredDriverPaths().empty());
  std::system(("mkdir -p " + dir + "/sonavex").c_str());
  const std::string ini = DriverRegistryPath();
  WritePrivateProfileString("Drivers", "midi1", "/b.so", ini.c_str());
  WritePrivateProfileString("Drivers", "midi", "/a.so", ini.c_str());
  EXPECT_EQ(ConfiguredDriverPaths(), (std::vector<std::string>{"/a.so", "/b.so"}));
  setenv("SONAVEX_DRIVERS", ":/x.so::/y.so", 1);
  EXPECT_EQ(ConfiguredDriverPaths(), (std::vector<std::string>{"/x.so", "/y.so"}));
  setenv("SONAVEX_DRIVERS", "", 1);
  EXPECT_TRUE(ConfiguredDriverPaths().empty());
  unsetenv("SONAVEX_DRIVERS");
  unsetenv("XDG_CONFIG_HOME");
  std::system(("rm -rf " + dir).c_str());
}

}  // namespace
}  // namespace platform
