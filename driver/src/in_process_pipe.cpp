// Pipes to a device that lives in this process and registered its bulk
// pipes with the platform's endpoint registry.
#include "device_routes.h"
#include "platform/usb_endpoint.h"

namespace cvusb {
namespace {

class InProcessPipe : public Pipe {
 public:
  explicit InProcessPipe(const SonavexUsbEndpoint& endpoint) : endpoint_(endpoint) {}

  Transfer Write(const uint8_t* data, int length) override {
    if (endpoint_.write_out == nullptr) return {TransferStatus::kGone, 0};
    const int written = endpoint_.write_out(endpoint_.ctx, data, length);
    if (written < 0) return {TransferStatus::kGone, 0};
    if (written < length) return {TransferStatus::kOther, written};
    return {TransferStatus::kDone, written};
  }

  Transfer Read(uint8_t* data, int capacity) override {
    if (endpoint_.read_in == nullptr) return {TransferStatus::kGone, 0};
    // A zero time-out: the reader waits on the platform clock itself.
    const int read = endpoint_.read_in(endpoint_.ctx, data, capacity, 0);
    if (read < 0) return {TransferStatus::kGone, 0};
    return {TransferStatus::kDone, read > capacity ? capacity : read};
  }

  bool ReadsCarryTimes() override { return endpoint_.read_in_timed != nullptr; }

  Transfer ReadTimed(uint8_t* data, int capacity, uint64_t* sent_us) override {
    if (endpoint_.read_in_timed == nullptr) return {TransferStatus::kOther, 0};
    const int read = endpoint_.read_in_timed(endpoint_.ctx, data, capacity, sent_us);
    if (read < 0) return {TransferStatus::kGone, 0};
    return {TransferStatus::kDone, read > capacity ? capacity : read};
  }

  uint64_t NextInputMicroseconds() override {
    return endpoint_.next_in_us != nullptr ? endpoint_.next_in_us(endpoint_.ctx) : 0;
  }

 private:
  SonavexUsbEndpoint endpoint_;
};

}  // namespace

bool ProbeInProcessEndpoint() {
  SonavexUsbEndpoint endpoint{};
  return SonavexFindUsbEndpoint(kEndpointName, &endpoint) == 0;
}

std::unique_ptr<Pipe> OpenInProcessPipe(PipeDirection) {
  SonavexUsbEndpoint endpoint{};
  if (SonavexFindUsbEndpoint(kEndpointName, &endpoint) != 0) return nullptr;
  return std::make_unique<InProcessPipe>(endpoint);
}

}  // namespace cvusb
