#include "usb_transport.h"

#include "device_routes.h"
#include "platform/trace.h"
#include "usb_midi_packet.h"

namespace cvusb {
namespace {

// Another process holds the I/O lock only around one short transfer.
constexpr unsigned kIoLockWaitMs = 2000;
constexpr unsigned kIoLockRetryMs = 1;

bool SharedBetweenProcesses(DeviceRoute route) {
  return route == DeviceRoute::kHardware;
}

const char* SideName(PipeDirection direction) {
  return direction == PipeDirection::kOut ? kOutSideMutexName : kInSideMutexName;
}

}  // namespace

void UsbTransport::IoLock::lock() {
  // Both halves or neither: while another process holds the named half this
  // thread lets go of the local one and waits on the real clock, so the
  // other thread of this process never blocks on `local` behind a wait for
  // another process.
  for (unsigned waited = 0;; waited += kIoLockRetryMs) {
    local.lock();
    if (!named || !SharedBetweenProcesses(route_.load()) || named->TryLock()) return;
    local.unlock();
    if (waited >= kIoLockWaitMs) break;
    platform::NamedMutex::SleepRealClock(kIoLockRetryMs);
  }
  local.lock();
  platform::TraceLog("cvusb: I/O lock held elsewhere for %u ms, going on", kIoLockWaitMs);
}

void UsbTransport::IoLock::unlock() {
  if (named) named->Unlock();
  local.unlock();
}

bool UsbTransport::CreateIoMutex() {
  std::lock_guard guard(io_lock_.local);
  if (!io_lock_.named) io_lock_.named = std::make_unique<platform::NamedMutex>(kIoMutexName);
  return io_lock_.named->valid();
}

void UsbTransport::CloseIoMutex() {
  std::lock_guard guard(io_lock_.local);
  io_lock_.named.reset();
  ReleaseHardwareLibrary();
}

bool UsbTransport::OpenPipe(PipeDirection direction) {
  std::lock_guard guard(io_lock_);
  auto& pipe = pipes_[Index(direction)];
  if (pipe) return true;
  const DeviceRoute route = ProbeDevice();
  pipe = OpenRoutePipe(route, direction);
  if (!pipe) return false;
  route_ = route;
  pipe_open_[Index(direction)] = true;
  return true;
}

void UsbTransport::ClosePipe(PipeDirection direction) {
  std::lock_guard guard(io_lock_);
  pipe_open_[Index(direction)] = false;
  pipes_[Index(direction)].reset();
}

bool UsbTransport::IsPipeOpen(PipeDirection direction) const {
  return pipe_open_[Index(direction)].load();
}

Transfer UsbTransport::ReadPipe(uint8_t* data, int capacity) {
  std::lock_guard guard(io_lock_);
  auto& pipe = pipes_[Index(PipeDirection::kIn)];
  if (!pipe) return {TransferStatus::kGone, 0};
  return pipe->Read(data, capacity);
}

uint64_t UsbTransport::NextInputMicroseconds() {
  std::lock_guard guard(io_lock_);
  auto& pipe = pipes_[Index(PipeDirection::kIn)];
  return pipe ? pipe->NextInputMicroseconds() : 0;
}

bool UsbTransport::InputReadsCarryTimes() {
  std::lock_guard guard(io_lock_);
  auto& pipe = pipes_[Index(PipeDirection::kIn)];
  return pipe && pipe->ReadsCarryTimes();
}

Transfer UsbTransport::ReadPipeTimed(uint8_t* data, int capacity, uint64_t* sent_us) {
  std::lock_guard guard(io_lock_);
  auto& pipe = pipes_[Index(PipeDirection::kIn)];
  if (!pipe) return {TransferStatus::kGone, 0};
  return pipe->ReadTimed(data, capacity, sent_us);
}

Transfer UsbTransport::WritePipe(const uint8_t* data, int length) {
  std::lock_guard guard(io_lock_);
  auto& pipe = pipes_[Index(PipeDirection::kOut)];
  if (!pipe) return {TransferStatus::kGone, 0};
  return pipe->Write(data, length);
}

void UsbTransport::ServiceOutputPipe() {
  std::lock_guard guard(io_lock_);
  if (auto& pipe = pipes_[Index(PipeDirection::kOut)]) pipe->Service();
}

bool UsbTransport::QueueOutput(const uint8_t* data, size_t length) {
  if (!IsPipeOpen(PipeDirection::kOut)) return false;
  std::lock_guard guard(ring_lock_);
  ring_.Append(data, length);  // a message that does not fit is dropped whole
  return true;
}

bool UsbTransport::QueueSysex(uint8_t cable, const uint8_t* data, size_t length) {
  if (!IsPipeOpen(PipeDirection::kOut)) return false;
  constexpr size_t kBytesPerTransfer = kTransferBytes / kPacketSize * 3;
  std::lock_guard guard(ring_lock_);
  if (SysexPacketBytes(length) > OutputRing::kCapacity - ring_.pending()) return true;  // dropped
  uint8_t packets[kTransferBytes];
  for (size_t from = 0; from < length; from += kBytesPerTransfer) {
    const size_t count = length - from < kBytesPerTransfer ? length - from : kBytesPerTransfer;
    ring_.Append(packets, PackSysex(cable, data, length, from, count, packets));
  }
  return true;
}

size_t UsbTransport::PendingOutput() {
  std::lock_guard guard(ring_lock_);
  return ring_.pending();
}

DeviceRoute UsbTransport::CurrentOrProbedRoute() {
  std::lock_guard guard(io_lock_);
  if (pipes_[0] || pipes_[1]) return route_.load();
  return ProbeDevice();
}

bool UsbTransport::AcquireSide(PipeDirection direction) {
  std::lock_guard guard(side_lock_);
  auto& side = sides_[Index(direction)];
  if (side || holds_side_[Index(direction)].load()) return true;
  const DeviceRoute route = CurrentOrProbedRoute();
  if (route != DeviceRoute::kNone && !SharedBetweenProcesses(route)) {
    // The software module of this process: nobody else to keep out.
    holds_side_[Index(direction)] = true;
    return true;
  }
  auto mutex = std::make_unique<platform::NamedMutex>(SideName(direction));
  if (!mutex->TryLock()) return false;
  side = std::move(mutex);
  holds_side_[Index(direction)] = true;
  return true;
}

void UsbTransport::ReleaseSide(PipeDirection direction) {
  std::lock_guard guard(side_lock_);
  holds_side_[Index(direction)] = false;
  sides_[Index(direction)].reset();
}

bool UsbTransport::HoldsSide(PipeDirection direction) const {
  return holds_side_[Index(direction)].load();
}

bool UsbTransport::SideHeldElsewhere(PipeDirection direction) {
  platform::NamedMutex probe(SideName(direction));
  if (!probe.valid() || probe.TryLock()) return false;  // destructor unlocks
  return true;
}

int UsbTransport::PresentPorts() {
  const bool holds_out = HoldsSide(PipeDirection::kOut);
  const bool holds_in = HoldsSide(PipeDirection::kIn);
  if (holds_out || holds_in) {
    if (holds_out && !IsPipeOpen(PipeDirection::kOut)) return 0;
    if (holds_in && !IsPipeOpen(PipeDirection::kIn)) return 0;
    return 2;
  }
  // The device is probed first: finding out whether another process holds a
  // side takes that side's lock for a moment, and an open elsewhere must not
  // meet it in the common case.
  {
    std::lock_guard guard(io_lock_);
    if (ProbeDevice() != DeviceRoute::kNone) return 2;
  }
  return SideHeldElsewhere(PipeDirection::kIn) || SideHeldElsewhere(PipeDirection::kOut) ? 2 : 0;
}

UsbTransport& Transport() {
  static UsbTransport transport;
  return transport;
}

}  // namespace cvusb
