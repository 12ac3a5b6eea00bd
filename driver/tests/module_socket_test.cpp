// The route to a sound module running as its own program: pipes are stream
// connections to its local socket. Packets cut across reads are put back
// together, and a module that goes away closes the pipe.
#include <gtest/gtest.h>
#include <linux/sockios.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <string>

#include "driver_fixture.h"
#include "io_threads.h"
#include "usb_transport.h"

using namespace platform;
using Bytes = std::vector<uint8_t>;

namespace {

// Listens where the driver looks for the module and keeps every connection.
class FakeModuleSocket {
 public:
  FakeModuleSocket() {
    char dir[] = "/tmp/cvusb-sock-XXXXXX";
    if (mkdtemp(dir) == nullptr) return;
    path_ = std::string(dir) + "/module.sock";
    setenv("SONAVEX_MODULE_SOCKET", path_.c_str(), 1);
    listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", path_.c_str());
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    listen(listener_, 8);
  }
  ~FakeModuleSocket() {
    Drop();
    close(listener_);
    unlink(path_.c_str());
    unsetenv("SONAVEX_MODULE_SOCKET");
  }
  void AcceptAll() {
    for (int fd; (fd = accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK)) >= 0;) {
      clients_.push_back(fd);
    }
  }
  // Everything the clients wrote so far.
  Bytes Received() {
    AcceptAll();
    Bytes out;
    uint8_t buffer[256];
    for (int fd : clients_) {
      for (ssize_t n; (n = recv(fd, buffer, sizeof(buffer), MSG_DONTWAIT)) > 0;) {
        out.insert(out.end(), buffer, buffer + n);
      }
    }
    return out;
  }
  // Bulk IN to every client, as the module sends it.
  void Send(const Bytes& bytes) {
    AcceptAll();
    for (int fd : clients_) send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  }
  // True when every client has read all that was sent to it (the bytes
  // still queued on a local stream socket are the peer's unread ones).
  bool AllRead() {
    for (int fd : clients_) {
      int queued = 0;
      if (ioctl(fd, SIOCOUTQ, &queued) != 0 || queued != 0) return false;
    }
    return true;
  }
  void Drop() {
    for (int fd : clients_) close(fd);
    clients_.clear();
  }

 private:
  std::string path_;
  int listener_ = -1;
  std::vector<int> clients_;
};

class ModuleSocket : public testing::Test {
 protected:
  static void SetUpTestSuite() { IsolateDriverEnvironment(); }
  // On the virtual clock: the fake module answers inside this process (the
  // socket holds what was sent at once), so no wait is for another process.
  void SetUp() override {
    UseVirtualClock();
    ASSERT_EQ(DriverProc(0, nullptr, DRV_LOAD, 0, 0), 1);
    TakeCallbackEvents();
  }
  void TearDown() override {
    DriverProc(0, nullptr, DRV_FREE, 0, 0);
    UseRealClock();
  }

  FakeModuleSocket module_;
};

TEST_F(ModuleSocket, OutputReachesTheModuleWhenNoEndpointIsInProcess) {
  ASSERT_EQ(OpenOutputPort(1), MMSYSERR_NOERROR);
  EXPECT_EQ(cvusb::Transport().route(), cvusb::DeviceRoute::kModuleSocket);
  EXPECT_EQ(modMessage(1, MODM_DATA, 0, 0x0005C0, 0), MMSYSERR_NOERROR);
  cvusb::DrainOutputRing();
  Bytes received;
  EXPECT_TRUE(WaitFor([&] {
    const Bytes more = module_.Received();
    received.insert(received.end(), more.begin(), more.end());
    return received.size() >= 8;
  }));
  EXPECT_EQ(received, (Bytes{0x1F, 0xC0, 0, 0, 0x1F, 0x05, 0, 0}));
  EXPECT_EQ(modMessage(1, MODM_CLOSE, 0, 0, 0), MMSYSERR_NOERROR);
}

TEST_F(ModuleSocket, PacketsSplitAcrossReadsArriveWholeAndAClosedModuleClosesThePipe) {
  ASSERT_EQ(OpenInputPort(0), MMSYSERR_NOERROR);
  ASSERT_EQ(midMessage(0, MIDM_START, 0, 0, 0), MMSYSERR_NOERROR);
  TakeCallbackEvents();
  module_.Send({0x09, 0x90});
  // The reader has taken the half packet before the rest is sent.
  ASSERT_TRUE(WaitFor([&] { return module_.AllRead(); }));
  module_.Send({0x3C, 0x64});
  std::vector<CallbackEvent> events;
  EXPECT_TRUE(WaitFor([&] {
    for (const auto& e : TakeCallbackEvents()) events.push_back(e);
    return !events.empty();
  }));
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].message, MIM_DATA);
  EXPECT_EQ(events[0].param1, 0x643C90u);

  module_.Drop();
  EXPECT_TRUE(WaitFor([] { return !cvusb::Transport().IsPipeOpen(cvusb::PipeDirection::kIn); }));
  EXPECT_EQ(midMessage(0, MIDM_STOP, 0, 0, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(midMessage(0, MIDM_CLOSE, 0, 0, 0), MMSYSERR_NOERROR);
}

}  // namespace
