// The driver as the system uses it: the platform layer loads libcvusb from
// the driver list, the software sound module serves the endpoint in this
// process, and everything runs on the virtual clock.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "corvane/module.h"
#include "midibytes/module_parameter.h"
#include "platform/clock.h"
#include "platform/drivers.h"
#include "platform/mmsystem.h"

using namespace platform;

namespace {

struct Received {
  UINT message;
  DWORD_PTR param1;
  DWORD_PTR param2;
};

std::mutex g_mu;
std::vector<Received> g_received;

void InputCallback(HMIDI, UINT message, DWORD_PTR, DWORD_PTR param1, DWORD_PTR param2) {
  std::lock_guard lock(g_mu);
  g_received.push_back({message, param1, param2});
}

std::vector<Received> TakeReceived() {
  std::lock_guard lock(g_mu);
  std::vector<Received> out;
  out.swap(g_received);
  return out;
}

int OutPort(const char* name) {
  for (UINT i = 0; i < midiOutGetNumDevs(); ++i) {
    MIDIOUTCAPS caps{};
    if (midiOutGetDevCaps(i, &caps, sizeof caps) == 0 && std::strcmp(caps.szPname, name) == 0) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

int InPort(const char* name) {
  for (UINT i = 0; i < midiInGetNumDevs(); ++i) {
    MIDIINCAPS caps{};
    if (midiInGetDevCaps(i, &caps, sizeof caps) == 0 && std::strcmp(caps.szPname, name) == 0) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

// The module's parameter message: address, value, checksum.
std::vector<char> ParameterMessage(uint32_t address, std::vector<uint8_t> value) {
  const auto m =
      midibytes::BuildParameter(address, value.data(), static_cast<int>(value.size() / 2));
  return std::vector<char>(m.bytes.begin(), m.bytes.begin() + static_cast<long>(m.size));
}

class EndToEnd : public testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/cvusb-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    setenv("XDG_RUNTIME_DIR", dir, 1);
    unsetenv("SONAVEX_MODULE_SOCKET");
    setenv("SONAVEX_CVUSB_INF", "/nonexistent/usbcvmid.inf", 1);
    setenv("SONAVEX_DRIVERS", CVUSB_LIBRARY, 1);
    UseVirtualClock();
    CorvaneModuleOptions options{};
    options.sound_font = "";  // a silent module: the wire is what is tested
    ASSERT_EQ(CorvaneModuleStart(&options), CORVANE_MODULE_OK);
    ReloadDrivers();
  }
  void TearDown() override {
    ReloadDrivers();
    CorvaneModuleStop();
    unsetenv("SONAVEX_DRIVERS");
    UseRealClock();
  }
};

TEST_F(EndToEnd, ANoteReachesTheModuleAndItsClockReachesTheInputWithTimeStamps) {
  const int out = OutPort("Corvane USB MIDI OUT 1");
  const int in = InPort("Corvane USB MIDI IN 1");
  ASSERT_GE(out, 0);
  ASSERT_GE(in, 0);
  EXPECT_GE(OutPort("Corvane USB MIDI OUT 2"), 0);

  HMIDIIN input = nullptr;
  ASSERT_EQ(midiInOpen(&input, static_cast<UINT>(in), reinterpret_cast<DWORD_PTR>(&InputCallback),
                       0, CALLBACK_FUNCTION),
            MMSYSERR_NOERROR);
  ASSERT_EQ(midiInStart(input), MMSYSERR_NOERROR);
  HMIDIOUT output = nullptr;
  ASSERT_EQ(midiOutOpen(&output, static_cast<UINT>(out), 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
  TakeReceived();

  // A chord note on channel 11 reaches the module, which plays it back on
  // its MIDI OUT as the hardware does.
  const uint32_t sent_at = GetTickCount();
  ASSERT_EQ(midiOutShortMsg(output, 0x643C9A), MMSYSERR_NOERROR);
  Sleep(100);
  std::vector<Received> received = TakeReceived();
  ASSERT_FALSE(received.empty());
  EXPECT_EQ(received[0].message, MIM_DATA);
  EXPECT_EQ(received[0].param1, 0x643C9Au);
  EXPECT_GE(received[0].param2, 1u);
  EXPECT_LE(received[0].param2, GetTickCount());
  EXPECT_LE(GetTickCount() - sent_at, 100u + 1u);

  // As clock master (run switch 0) after Start the module sends 24 clocks
  // per beat at 120 per minute; their stamps are 20 or 21 ms apart on
  // average, within the reader's polling step.
  std::vector<char> run = ParameterMessage(0x00400000, {0, 0});
  MIDIHDR header{};
  header.lpData = run.data();
  header.dwBufferLength = static_cast<DWORD>(run.size());
  ASSERT_EQ(midiOutPrepareHeader(output, &header, sizeof header), MMSYSERR_NOERROR);
  ASSERT_EQ(midiOutLongMsg(output, &header, sizeof header), MMSYSERR_NOERROR);
  ASSERT_EQ(midiOutShortMsg(output, 0xFA), MMSYSERR_NOERROR);
  Sleep(1000);
  ASSERT_EQ(midiOutShortMsg(output, 0xFC), MMSYSERR_NOERROR);
  Sleep(100);
  std::vector<DWORD_PTR> stamps;
  for (const Received& r : TakeReceived()) {
    if (r.message == MIM_DATA && r.param1 == 0xF8) stamps.push_back(r.param2);
  }
  ASSERT_GE(stamps.size(), 46u);
  ASSERT_LE(stamps.size(), 50u);
  for (size_t i = 1; i < stamps.size(); ++i) {
    EXPECT_GE(stamps[i], stamps[i - 1]);
    EXPECT_LE(stamps[i] - stamps[i - 1], 24u) << i;
  }
  const double average = double(stamps.back() - stamps.front()) / double(stamps.size() - 1);
  EXPECT_NEAR(average, 20.83, 0.5);

  midiOutUnprepareHeader(output, &header, sizeof header);
  EXPECT_EQ(midiOutClose(output), MMSYSERR_NOERROR);
  EXPECT_EQ(midiInStop(input), MMSYSERR_NOERROR);
  EXPECT_EQ(midiInClose(input), MMSYSERR_NOERROR);
}

}  // namespace
