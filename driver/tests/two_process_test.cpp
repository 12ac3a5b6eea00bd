// Each direction of the device belongs to one process at a time: a second
// process's open answers MMSYSERR_ALLOCATED until the first closes.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "driver_fixture.h"
#include "fake_endpoint.h"

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
    static char dir[] = "/tmp/cvusb-two-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    setenv("SONAVEX_TEST_RUNTIME_DIR", dir, 1);
    IsolateDriverEnvironment();
  }
  void SetUp() override { ASSERT_EQ(DriverProc(0, nullptr, DRV_LOAD, 0, 0), 1); }
  void TearDown() override { DriverProc(0, nullptr, DRV_FREE, 0, 0); }

  FakeEndpoint endpoint_;
};

TEST_F(TwoProcesses, AnOutputPortHeldElsewhereAnswersAllocatedUntilItCloses) {
  PortHolder holder("out");
  ASSERT_EQ(holder.ReadLine(), "open 0");
  EXPECT_EQ(OpenOutputPort(0, false), MMSYSERR_ALLOCATED);
  EXPECT_EQ(OpenOutputPort(1, false), MMSYSERR_ALLOCATED);  // the whole side
  // The other direction is free, and the ports still count as present.
  MIDIOUTCAPSW caps{};
  EXPECT_EQ(modMessage(1, MODM_GETDEVCAPS, 0, reinterpret_cast<DWORD_PTR>(&caps), sizeof(caps)),
            MMSYSERR_NOERROR);
  EXPECT_EQ(OpenInputPort(0, false), MMSYSERR_NOERROR);
  EXPECT_EQ(midMessage(0, MIDM_CLOSE, 0, 0, 0), MMSYSERR_NOERROR);

  holder.Release();
  EXPECT_EQ(holder.ReadLine(), "closed 0");
  EXPECT_EQ(holder.Wait(), 0);
  EXPECT_EQ(OpenOutputPort(0, false), MMSYSERR_NOERROR);
  EXPECT_EQ(modMessage(0, MODM_CLOSE, 0, 0, 0), MMSYSERR_NOERROR);
}

TEST_F(TwoProcesses, AnInputPortHeldElsewhereAnswersAllocatedUntilItCloses) {
  PortHolder holder("in");
  ASSERT_EQ(holder.ReadLine(), "open 0");
  EXPECT_EQ(OpenInputPort(1, false), MMSYSERR_ALLOCATED);
  holder.Release();
  EXPECT_EQ(holder.ReadLine(), "closed 0");
  holder.Wait();
  EXPECT_EQ(OpenInputPort(1, false), MMSYSERR_NOERROR);
  EXPECT_EQ(midMessage(1, MIDM_CLOSE, 0, 0, 0), MMSYSERR_NOERROR);
}

TEST_F(TwoProcesses, AHolderThatDiesReleasesTheSide) {
  {
    PortHolder holder("out");
    ASSERT_EQ(holder.ReadLine(), "open 0");
    EXPECT_EQ(OpenOutputPort(0, false), MMSYSERR_ALLOCATED);
  }  // closing its stdin ends it; a killed process would release the same way
  EXPECT_EQ(OpenOutputPort(0, false), MMSYSERR_NOERROR);
  EXPECT_EQ(modMessage(0, MODM_CLOSE, 0, 0, 0), MMSYSERR_NOERROR);
}

}  // namespace
