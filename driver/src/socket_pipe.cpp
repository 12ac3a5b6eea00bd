// Pipes to the software sound module running as its own program: one
// stream connection per pipe to the module's local socket. The bytes a
// connection writes are bulk OUT; what the module writes is bulk IN, in
// whole packets, to every connection (an output connection discards it).
#include <errno.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "device_routes.h"
#include "usb_midi_packet.h"

namespace cvusb {
namespace {

constexpr size_t kTransferBytes = 32;

int Connect(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof(address.sun_path)) return -1;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return -1;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool IsGoneError(int error) {
  return error == EPIPE || error == ECONNRESET || error == ENOTCONN || error == EBADF;
}

class SocketPipe : public Pipe {
 public:
  explicit SocketPipe(int fd) : fd_(fd) {}
  ~SocketPipe() override { ::close(fd_); }

  // Never waits: bytes the socket cannot take now are kept and sent first
  // next time, so no packet is ever cut in the stream.
  Transfer Write(const uint8_t* data, int length) override {
    const TransferStatus flushed = Flush();
    if (flushed != TransferStatus::kDone) return {flushed, 0};
    if (unsent_ > 0) return {TransferStatus::kTransient, 0};
    int written = 0;
    const TransferStatus status = Send(data, length, written);
    if (status != TransferStatus::kDone) return {status, written};
    const int rest = length - written;
    if (rest > static_cast<int>(sizeof(unsent_bytes_))) return {TransferStatus::kTransient, 0};
    std::memcpy(unsent_bytes_, data + written, static_cast<size_t>(rest));
    unsent_ = rest;
    return {TransferStatus::kDone, length};
  }

  Transfer Read(uint8_t* data, int capacity) override {
    if (capacity < static_cast<int>(kPacketSize)) return {TransferStatus::kDone, 0};
    std::memcpy(data, carry_, carried_);
    int have = carried_;
    carried_ = 0;
    const ssize_t n = ::recv(fd_, data + have, static_cast<size_t>(capacity - have), MSG_DONTWAIT);
    if (n == 0) return {TransferStatus::kGone, 0};
    if (n < 0) {
      if (errno == EINTR) return {TransferStatus::kTransient, 0};
      if (errno != EAGAIN && errno != EWOULDBLOCK) {
        return {IsGoneError(errno) ? TransferStatus::kGone : TransferStatus::kOther, 0};
      }
    } else {
      have += static_cast<int>(n);
    }
    // Keep a packet that arrived in part for the next read.
    const int whole = have - have % static_cast<int>(kPacketSize);
    carried_ = have - whole;
    std::memcpy(carry_, data + whole, carried_);
    return {TransferStatus::kDone, whole};
  }

  void Service() override {
    Flush();
    uint8_t scratch[256];
    while (::recv(fd_, scratch, sizeof(scratch), MSG_DONTWAIT) > 0) {
    }
  }

 private:
  // Sends what the socket takes now; kDone with `written` possibly short.
  TransferStatus Send(const uint8_t* data, int length, int& written) {
    written = 0;
    while (written < length) {
      const ssize_t n = ::send(fd_, data + written, static_cast<size_t>(length - written),
                               MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n > 0) {
        written += static_cast<int>(n);
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        return TransferStatus::kDone;
      } else {
        return n < 0 && !IsGoneError(errno) ? TransferStatus::kOther : TransferStatus::kGone;
      }
    }
    return TransferStatus::kDone;
  }

  TransferStatus Flush() {
    if (unsent_ == 0) return TransferStatus::kDone;
    int written = 0;
    const TransferStatus status = Send(unsent_bytes_, unsent_, written);
    std::memmove(unsent_bytes_, unsent_bytes_ + written, static_cast<size_t>(unsent_ - written));
    unsent_ -= written;
    return status;
  }

  int fd_;
  uint8_t carry_[kPacketSize] = {};
  int carried_ = 0;
  uint8_t unsent_bytes_[kTransferBytes] = {};
  int unsent_ = 0;
};

}  // namespace

std::string ModuleSocketPath() {
  const char* explicit_path = std::getenv("SONAVEX_MODULE_SOCKET");
  if (explicit_path != nullptr && *explicit_path != '\0') return explicit_path;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string dir = runtime != nullptr && *runtime != '\0' ? runtime : "/tmp";
  return dir + "/corvane-module-" + std::to_string(::getuid()) + ".sock";
}

bool ProbeModuleSocket() {
  const int fd = Connect(ModuleSocketPath());
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

std::unique_ptr<Pipe> OpenSocketPipe(PipeDirection) {
  const int fd = Connect(ModuleSocketPath());
  if (fd < 0) return nullptr;
  return std::make_unique<SocketPipe>(fd);
}

}  // namespace cvusb
