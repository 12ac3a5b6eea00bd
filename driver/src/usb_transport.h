// The USB transport of this process: the output and input pipes of the
// sound module's device, the I/O lock that serialises every pipe operation,
// the side locks that keep each direction of the device to one client, and
// the output ring the writer thread drains.
//
// Locks fit the route. Only hardware is really shared between processes, so
// only on the hardware route do the I/O lock and the side locks reach across
// processes (named mutexes); the software module in this process or behind
// its socket belongs to this process alone and takes process-local locks.
// A cross-process wait is on the real clock and never happens while this
// process's I/O lock is held: a thread blocked on that lock would stop the
// virtual clock for as long as another process holds the device.
//
// Thread rules: every function may be called from any thread. Pipe
// operations take the I/O lock (short, never held while waiting);
// QueueOutput takes the ring lock, which the writer holds for one drain.
// Opening pipes and probing allocate; transfers and queuing do not.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

#include "output_ring.h"
#include "pipe.h"
#include "platform/named_mutex.h"

namespace cvusb {

inline constexpr char kIoMutexName[] = "Global\\CorvaneUsbMidiusbiomtx";
inline constexpr char kOutSideMutexName[] = "Global\\CorvaneUsbMidiOutMutex";
inline constexpr char kInSideMutexName[] = "Global\\CorvaneUsbMidiInMutex";
inline constexpr size_t kTransferBytes = 32;  // one pipe read or write: 8 packets

class UsbTransport {
 public:
  // The I/O lock's cross-process half; false when it cannot be created (the
  // device then counts as unavailable).
  bool CreateIoMutex();
  void CloseIoMutex();

  // Opens the pipe when it is not open; true when it is open afterwards.
  bool OpenPipe(PipeDirection direction);
  void ClosePipe(PipeDirection direction);
  bool IsPipeOpen(PipeDirection direction) const;
  DeviceRoute route() const { return route_.load(); }

  // One transfer under the I/O lock; a closed pipe fails at once (kGone).
  Transfer ReadPipe(uint8_t* data, int capacity);
  Transfer WritePipe(const uint8_t* data, int length);
  // The input pipe's Pipe::NextInputMicroseconds (0 when closed or unknown).
  uint64_t NextInputMicroseconds();
  // The input pipe's Pipe::ReadsCarryTimes and ReadTimed, under the I/O lock.
  bool InputReadsCarryTimes();
  Transfer ReadPipeTimed(uint8_t* data, int capacity, uint64_t* sent_us);
  void ServiceOutputPipe();

  // Appends packets to the output ring; false only when the output pipe is
  // closed. A message that does not fit is dropped and still succeeds.
  bool QueueOutput(const uint8_t* data, size_t length);
  // Packs a system-exclusive block and appends its packets 32 bytes at a
  // time under one holding of the ring lock, so that a block goes out whole
  // or, when the ring cannot take all of it, not at all.
  bool QueueSysex(uint8_t cable, const uint8_t* data, size_t length);
  size_t PendingOutput();
  std::mutex& ring_lock() { return ring_lock_; }
  OutputRing& ring() { return ring_; }  // under ring_lock()

  // The side locks. Acquire fails when another process holds the side of a
  // hardware device; on the software module's routes the side is this
  // process's own.
  bool AcquireSide(PipeDirection direction);
  void ReleaseSide(PipeDirection direction);
  bool HoldsSide(PipeDirection direction) const;

  // 2 when the device's ports are there (or in use by another process),
  // else 0.
  int PresentPorts();

 private:
  // Process-local always; with the named half too while the open route is
  // the hardware. Waiting for the named half happens with `local` released.
  class IoLock {
   public:
    explicit IoLock(const std::atomic<DeviceRoute>& route) : route_(route) {}
    void lock();
    void unlock();
    std::mutex local;
    std::unique_ptr<platform::NamedMutex> named;  // guarded by `local`

   private:
    const std::atomic<DeviceRoute>& route_;
  };

  static int Index(PipeDirection direction) { return direction == PipeDirection::kOut ? 0 : 1; }
  bool SideHeldElsewhere(PipeDirection direction);
  DeviceRoute CurrentOrProbedRoute();

  std::atomic<DeviceRoute> route_{DeviceRoute::kNone};
  IoLock io_lock_{route_};
  std::unique_ptr<Pipe> pipes_[2];  // guarded by io_lock_
  std::atomic<bool> pipe_open_[2] = {false, false};

  std::mutex side_lock_;
  std::unique_ptr<platform::NamedMutex> sides_[2];  // hardware: held while set
  std::atomic<bool> holds_side_[2] = {false, false};

  std::mutex ring_lock_;
  OutputRing ring_;
};

UsbTransport& Transport();

}  // namespace cvusb
