// QM3MiddleInit: the call counting that lets a host go on without the sound
// module, the output port list, the hardware-ready wait, the directories and
// the lock.
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "core_test_host.h"

namespace qm3 {
namespace {

TEST(InitCountingTest, NotFoundThreeTimesThenTheQuestionThenGoOn) {
  EXPECT_EQ(CountedInitResult(kRcOk, 0, false), 9);
  EXPECT_EQ(CountedInitResult(kRcOk, 1, false), 9);
  EXPECT_EQ(CountedInitResult(kRcOk, 2, false), 9);
  EXPECT_EQ(CountedInitResult(kRcOk, 3, false), 10);
  EXPECT_EQ(CountedInitResult(kRcOk, 4, false), 0);
  EXPECT_EQ(CountedInitResult(kRcOk, 40, false), 0);
  // With the module the first calls succeed; the fourth still asks.
  EXPECT_EQ(CountedInitResult(kRcOk, 0, true), 0);
  EXPECT_EQ(CountedInitResult(kRcOk, 3, true), 10);
  // A failing step's code wins.
  EXPECT_EQ(CountedInitResult(kRcAudioDeviceNotOpened, 3, true), 12);
  EXPECT_EQ(CountedInitResult(kRcAudioDeviceNotOpened, 9, false), 12);
}

// Three ports; the second cannot be queried; the module is the third.
const char* const kPortNames[] = {"Synth A", nullptr, "Corvane USB MIDI OUT 1"};
unsigned FakeCount() {
  return 3;
}
Rc FakeName(unsigned device, char* name32) {
  if (device >= 3 || kPortNames[device] == nullptr) return kRcError;
  std::strncpy(name32, kPortNames[device], 31);
  return kRcOk;
}
unsigned g_opened_device = 99;
Rc FakeOpen(unsigned device) {
  g_opened_device = device;
  return kRcOk;
}
// Two ports carry the module's name: the last one listed is its port.
const char* const kTwinNames[] = {"Synth A", "Corvane USB MIDI OUT 1", "Synth B",
                                  "Corvane USB MIDI OUT 1"};
unsigned TwinCount() {
  return 4;
}
Rc TwinName(unsigned device, char* name32) {
  if (device >= 4) return kRcError;
  std::strncpy(name32, kTwinNames[device], 31);
  return kRcOk;
}
unsigned ManyPorts() {
  return 1000;
}
Rc EveryName(unsigned, char* name32) {
  std::memset(name32, 'x', 32);  // not terminated: cut to 31
  return kRcOk;
}

// A host directory with empty content catalogs, so that the first call's
// catalog step succeeds.
class InitTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    previous_ = RegisterModulePortFound(FakeOpen);
    g_opened_device = 99;
    saved_host_ = HostDirectory();
    dir_ = std::filesystem::temp_directory_path() / ("core_init_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
    std::ofstream(dir_ / "QM3RHY.toc") << "";
    std::ofstream(dir_ / "QM3MEL.toc") << "";
    SetHostDirectory(dir_.string());
  }
  void TearDown() override {
    SetPortEnumeratorForTest({});
    RegisterModulePortFound(previous_);
    SetHostDirectory(saved_host_);
    std::filesystem::remove_all(dir_);
    CoreTest::TearDown();
  }
  ModulePortFoundFn previous_ = nullptr;
  std::filesystem::path dir_;
  std::string saved_host_;
};

TEST_F(InitTest, PortListAndTheModulesPort) {
  SetPortEnumeratorForTest({FakeCount, FakeName});
  WriteRange(kMainVolume, 0, 10);
  const int rc = QM3MiddleInit(hwnd_, message_);
  ASSERT_EQ(rc, 0);
  long a = 0;
  long b = 0;
  ASSERT_EQ(QM3GetValue(ProcessId(kProcGetOutDevice), 0, &a, &b), 0);
  const auto* list = reinterpret_cast<const QM3OutDeviceList*>(a);
  ASSERT_EQ(list->nCount, 2);
  EXPECT_STREQ(list->aDevice[0].szName, "Synth A");
  EXPECT_EQ(list->aDevice[1].nDeviceId, 2);
  EXPECT_EQ(ReadValue(kMidiOutDevice), 1);  // list position, not device number
  EXPECT_EQ(g_opened_device, 2u);
  EXPECT_TRUE(ModuleFound());
  EXPECT_TRUE(HardwareFound());

  // The hardware-ready wait: 2.5 s of virtual time in 100 ms steps.
  const uint32_t before = platform::GetTickCount();
  WaitHardwareReady();
  const uint32_t waited = platform::GetTickCount() - before;
  EXPECT_GE(waited, 2500u);
  EXPECT_LE(waited, 2600u);
  WaitHardwareReady();  // the deadline is cleared
  EXPECT_EQ(platform::GetTickCount() - before, waited);
}

TEST_F(InitTest, OfTwoPortsNamedLikeTheModuleTheLastWins) {
  SetPortEnumeratorForTest({TwinCount, TwinName});
  ASSERT_EQ(QM3MiddleInit(hwnd_, message_), 0);
  EXPECT_EQ(g_opened_device, 3u);
  EXPECT_EQ(ReadValue(kMidiOutDevice), 3);
  EXPECT_TRUE(HardwareFound());
}

TEST_F(InitTest, AtMost32PortsAndNamesAlwaysTerminated) {
  SetPortEnumeratorForTest({ManyPorts, EveryName});
  const int rc = QM3MiddleInit(hwnd_, message_);
  ASSERT_EQ(rc, 9);
  const QM3OutDeviceList& list = OutputDeviceList();
  ASSERT_EQ(list.nCount, QM3_MAX_OUT_DEVICES);
  for (const QM3OutDevice& d : list.aDevice) EXPECT_EQ(std::strlen(d.szName), 31u);
  EXPECT_FALSE(ModuleFound());
}

TEST_F(InitTest, WithoutTheModuleTheFifthCallGoesOn) {
  int results[5];
  for (int& r : results) r = QM3MiddleInit(hwnd_, message_);
  EXPECT_EQ(results[0], 9);
  EXPECT_EQ(results[1], 9);
  EXPECT_EQ(results[2], 9);
  EXPECT_EQ(results[3], 10);
  EXPECT_EQ(results[4], 0);
  EXPECT_FALSE(HardwareFound());
}

TEST_F(InitTest, CatalogFailureIsNotCounted) {
  std::filesystem::remove(dir_ / "QM3RHY.toc");
  const int failed = QM3MiddleInit(hwnd_, message_);
  EXPECT_NE(failed, 0);
  EXPECT_NE(failed, 9);
  std::ofstream(dir_ / "QM3RHY.toc") << "";
  for (int i = 0; i < 3; ++i) EXPECT_EQ(QM3MiddleInit(hwnd_, message_), 9) << i;
  EXPECT_EQ(QM3MiddleInit(hwnd_, message_), 10);
}

TEST_F(InitTest, LaterCallsKeepTheTable) {
  WriteValue(kMainVolume, 3, false);
  const int first = QM3MiddleInit(hwnd_, message_);
  ASSERT_EQ(first, 9);
  WriteValue(kMainVolume, 4, false);
  QM3MiddleInit(hwnd_, message_);
  EXPECT_EQ(ReadValue(kMainVolume), 4);
}

TEST_F(InitTest, HostAndWorkDirectories) {
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  ASSERT_GT(n, 0);
  std::string path(exe, static_cast<size_t>(n));
  const std::string dir = path.substr(0, path.rfind('/') + 1);
  SetHostDirectory("/nonexistent/place");
  EXPECT_EQ(HostDirectory(), "/nonexistent/place/");
  // Not writable: the per-user cache folder instead.
  EXPECT_NE(WorkDirectory(), HostDirectory());
  EXPECT_NE(WorkDirectory().find("/sonavex/work/"), std::string::npos);
  EXPECT_EQ(access(WorkDirectory().c_str(), W_OK), 0);
  SetHostDirectory(dir);
  // This instance's own folder below the host folder.
  EXPECT_EQ(WorkDirectory().rfind(dir + "work/", 0), 0u);
  EXPECT_EQ(access(WorkDirectory().c_str(), W_OK), 0);
  // An installed copy's folder is left as the package laid it out.
  std::ofstream(dir_ / "install-manifest.txt") << "sonavex-install-manifest 1\n";
  SetHostDirectory(dir_.string());
  EXPECT_EQ(WorkDirectory().find(dir_.string()), std::string::npos) << WorkDirectory();
  EXPECT_NE(WorkDirectory().find("/sonavex/work/"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "work"));
}

TEST_F(InitTest, LockGuardWorksWithAndWithoutTheLock) {
  { MiddleLockGuard no_lock_yet; }
  QM3MiddleInit(hwnd_, message_);
  { MiddleLockGuard held; }
  long a = 0;
  long b = 0;
  EXPECT_EQ(QM3SetValue(ProcessId(kProcEnd), 0, a, b), 0);
  { MiddleLockGuard after_end; }
}

TEST_F(InitTest, CallsAfterTheEndAreRefusedUntilTheNextInit) {
  QM3MiddleInit(0, 0);  // with or without the module
  const long fresh_volume = Get(kMainVolume);
  ASSERT_EQ(QM3SetValue(kMainVolume, 0, fresh_volume + 2, 0), 0);
  long a = 0, b = 0;
  ASSERT_EQ(QM3SetValue(ProcessId(kProcEnd), 0, a, b), 0);
  EXPECT_EQ(QM3SetValue(kMainVolume, 0, 3, 0), QM3_RC_NOT_INITIALISED);
  a = -1;
  EXPECT_EQ(QM3GetValue(kMainVolume, 0, &a, &b), QM3_RC_NOT_INITIALISED);
  EXPECT_EQ(a, -1) << "a refused read leaves the results alone";
  char text[256] = "untouched";
  EXPECT_EQ(QM3GetValueStr(kMainVolume, 5, text), QM3_RC_NOT_INITIALISED);
  EXPECT_STREQ(text, "untouched");
  EXPECT_EQ(QM3GetStrValue(kMainVolume, "5", &a), QM3_RC_NOT_INITIALISED);
  EXPECT_EQ(QM3GetValueFunc(kProcGetDllVersion, &a, &b), QM3_RC_NOT_INITIALISED);
  EXPECT_EQ(QM3SetValue(ProcessId(kProcEnd), 0, a, b), QM3_RC_NOT_INITIALISED);
  // Initialised again, the calls answer from a fresh state: End freed the
  // run before, and the refused write changed nothing.
  QM3MiddleInit(0, 0);
  EXPECT_EQ(Get(kMainVolume), fresh_volume);
}

}  // namespace
}  // namespace qm3
