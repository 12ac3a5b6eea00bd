// A bulk pipe of the sound module's USB device, whichever way it is reached
// (in-process endpoint, the module's local socket, or hardware through
// libusb), and the three outcomes of a transfer that is not done.
//
// Thread rules: a pipe is used by one thread at a time (the transport holds
// the I/O lock around every call). Transfers never block for long: a read
// returns what is there now, so every wait stays on the platform clock.
#pragma once
#include <cstdint>
#include <memory>

namespace cvusb {

enum class PipeDirection { kOut, kIn };  // host to device ("PIPE00"), device to host ("PIPE01")

enum class TransferStatus {
  kDone,       // `bytes` moved (a read may move 0: nothing there yet)
  kTransient,  // busy or interrupted: try again later
  kGone,       // the device or its endpoint disappeared: close the pipe
  kOther,      // an unexpected error: trace it and go on
};

struct Transfer {
  TransferStatus status = TransferStatus::kDone;
  int bytes = 0;
};

class Pipe {
 public:
  virtual ~Pipe() = default;
  // Writes all of data or reports why not.
  virtual Transfer Write(const uint8_t* data, int length) = 0;
  // Reads up to `capacity` bytes that are available now, in whole packets.
  virtual Transfer Read(uint8_t* data, int capacity) = 0;
  // Called by the writer on every cycle; lets a pipe discard what its device
  // sends on a connection that only carries output.
  virtual void Service() {}
  // The earliest platform-clock time (microseconds) at which Read may find
  // data unless something is written first; 0 when the pipe cannot tell
  // (the reader then polls).
  virtual uint64_t NextInputMicroseconds() { return 0; }
  // True when ReadTimed works: the device tells when it sent each packet.
  virtual bool ReadsCarryTimes() { return false; }
  // Like Read, and the clock time each packet was sent at into sent_us[i].
  virtual Transfer ReadTimed(uint8_t* /*data*/, int /*capacity*/, uint64_t* /*sent_us*/) {
    return {TransferStatus::kOther, 0};
  }
};

// Where the device was found.
enum class DeviceRoute { kNone, kInProcess, kModuleSocket, kHardware };

}  // namespace cvusb
