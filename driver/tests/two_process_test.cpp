// Two processes at once: each with its own software module shares nothing
// with the other; a hardware side held elsewhere is refused.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "driver_fixture.h"
#include "fake_endpoint.h"
#include "platform/named_mutex.h"
#include "usb_transport.h"

using namespace platform;

namespace {

// The port holder program, spoken to through its stdin and stdout.
class PortHolder {
 public:
  explicit PortHolder(const char* direction) {
    int to_child[2];
    int from_child[2];
    if (pipe(to_child) != 0 || pipe(from_child) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(to_child[0], 0);
      dup2(from_child[1], 1);
      close(to_child[1]);
      close(from_child[0]);
      execl(PORT_HOLDER_PATH, PORT_HOLDER_PATH, direction, static_cast<char*>(nullptr));
      _exit(127);
    }
    close(to_child[0]);
    close(from_child[1]);
    to_ = fdopen(to_child[1], "w");
    from_ = fdopen(from_child[0], "r");
  }
  ~PortHolder() {
    if (to_ != nullptr) fclose(to_);
    if (from_ != nullptr) fclose(from_);
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
  }
  std::string ReadLine() {
    char line[64] = {};
    if (from_ == nullptr || fgets(line, sizeof(line), from_) == nullptr) return "";
    std::string text(line);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }
  void Release() {
    fputs("close\n", to_);
    fflush(to_);
  }
  int Wait() {
    int status = -1;
    if (pid_ > 0) waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
  }

 private:
  pid_t pid_ = -1;
  FILE* to_ = nullptr;
  FILE* from_ = nullptr;
};

class TwoProcesses : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    // A fresh template each time: a repeated run starts the suite again.
    char dir[] = "/tmp/cvusb-two-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    setenv("SONAVEX_TEST_RUNTIME_DIR", dir, 1);
    IsolateDriverEnvironment();
  }
  void SetUp() override { ASSERT_EQ(DriverProc(0, nullptr, DRV_LOAD, 0, 0), 1); }
  void TearDown() override { DriverProc(0, nullptr, DRV_FREE, 0, 0); }

  FakeEndpoint endpoint_;
};

// Each process has its own software module: nothing is shared, so a port
// held by another process's driver never keeps this one out.
TEST_F(TwoProcesses, EachProcessWithItsOwnSoftwareModuleOpensBothSides) {
  PortHolder out_holder("out");
  ASSERT_EQ(out_holder.ReadLine(), "open 0");
  PortHolder in_holder("in");
  ASSERT_EQ(in_holder.ReadLine(), "open 0");
  EXPECT_EQ(OpenOutputPort(0, false), MMSYSERR_NOERROR);
  EXPECT_EQ(OpenInputPort(0, false), MMSYSERR_NOERROR);
  EXPECT_EQ(modMessage(0, MODM_DATA, 0, 0x643C90, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(modMessage(0, MODM_CLOSE, 0, 0, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(midMessage(0, MIDM_CLOSE, 0, 0, 0), MMSYSERR_NOERROR);
  out_holder.Release();
  in_holder.Release();
  EXPECT_EQ(out_holder.ReadLine(), "closed 0");
  EXPECT_EQ(in_holder.ReadLine(), "closed 0");
  EXPECT_EQ(out_holder.Wait(), 0);
  EXPECT_EQ(in_holder.Wait(), 0);
}

// The lock files a hardware user elsewhere holds do not reach the software
// module of this process: sends and reads go on, on the virtual clock too,
// where waiting for them once stopped time for good.
TEST_F(TwoProcesses, HardwareLocksHeldElsewhereDoNotStopTheSoftwareModule) {
  NamedMutex io(cvusb::kIoMutexName);
  NamedMutex out_side(cvusb::kOutSideMutexName);
  NamedMutex in_side(cvusb::kInSideMutexName);
  ASSERT_TRUE(io.TryLock() && out_side.TryLock() && in_side.TryLock());
  UseVirtualClock();
  ASSERT_EQ(OpenOutputPort(0, false), MMSYSERR_NOERROR);
  ASSERT_EQ(OpenInputPort(0, false), MMSYSERR_NOERROR);
  ASSERT_EQ(midMessage(0, MIDM_START, 0, 0, 0), MMSYSERR_NOERROR);
  ASSERT_EQ(modMessage(0, MODM_DATA, 0, 0xFC, 0), MMSYSERR_NOERROR);
  std::vector<uint8_t> seen;
  EXPECT_TRUE(WaitFor([&] {
    const std::vector<uint8_t> more = endpoint_.TakeWritten();
    seen.insert(seen.end(), more.begin(), more.end());
    return !seen.empty();
  }));
  EXPECT_EQ(seen, (std::vector<uint8_t>{0x0F, 0xFC, 0, 0}));
  EXPECT_EQ(modMessage(0, MODM_CLOSE, 0, 0, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(midMessage(0, MIDM_RESET, 0, 0, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(midMessage(0, MIDM_CLOSE, 0, 0, 0), MMSYSERR_NOERROR);
  UseRealClock();
}

// Without the software module, a side that another process holds means the
// hardware is in use there: the ports are present, an open is refused.
TEST(TwoProcessesHardware, ASideHeldElsewhereIsRefusedWhileTheOtherSideOpens) {
  IsolateDriverEnvironment();
  ASSERT_EQ(DriverProc(0, nullptr, DRV_LOAD, 0, 0), 1);
  {
    NamedMutex out_side(cvusb::kOutSideMutexName);
    ASSERT_TRUE(out_side.TryLock());
    MIDIOUTCAPSW caps{};
    EXPECT_EQ(modMessage(1, MODM_GETDEVCAPS, 0, reinterpret_cast<DWORD_PTR>(&caps), sizeof(caps)),
              MMSYSERR_NOERROR);
    EXPECT_EQ(OpenOutputPort(0, false), MMSYSERR_ALLOCATED);
    EXPECT_EQ(OpenInputPort(0, false), MMSYSERR_NODRIVER);  // free, but no device answers
  }
  DriverProc(0, nullptr, DRV_FREE, 0, 0);
}

}  // namespace
