#include "io_threads.h"

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <system_error>

#include "driver_state.h"
#include "input_port.h"
#include "platform/clock.h"
#include "platform/trace.h"
#include "usb_midi_packet.h"
#include "usb_transport.h"

namespace cvusb {
namespace {

constexpr uint32_t kWriterCycleMs = 10;
// The reader looks at the input pipe every 2 ms; on the virtual clock it
// skips the looks that cannot find anything, but at most this long, and it
// still reads on that 2 ms grid so the time stamps stay what they were.
constexpr uint64_t kReadStepUs = 2000;
constexpr uint64_t kMaxReaderIdleUs = 50 * kReadStepUs;
// On the virtual clock an idle writer of the in-process module (which takes
// every byte as it is sent) waits this long between cycles.
constexpr uint64_t kIdleWriterWaitUs = 1000000;
constexpr uint64_t kNotWaiting = ~uint64_t{0};
// When every open input takes batches (MIDI_IO_BATCHED) on the virtual
// clock, the reader looks this often, still on its 2 ms grid.
constexpr uint64_t kBatchLookUs = 500 * kReadStepUs;
// Packets read but not yet handed over (their look is still to come).
constexpr size_t kHeldPackets = 256;
constexpr uint32_t kStopWaitMs = 500;
constexpr uint32_t kClosedPipeRestMs = 1000;
constexpr uint32_t kInputStartSettleMs = 100;
// Consecutive transient write failures after which a chunk is given up.
constexpr int kTransientWriteLimit = 50;

struct ThreadControl {
  std::mutex lock;
  int references = 0;
  platform::Thread thread;
  std::atomic<bool> run{false};
  std::atomic<bool> alive{false};
  // Set when bytes went to the device or the thread should stop: a reader
  // waiting for input looks again.
  platform::Event wake{platform::EventReset::kAutomatic};
  // The reader's look it waits for (kNotWaiting: none): a write wakes it
  // only when the device now has data before then.
  std::atomic<uint64_t> waiting_until{kNotWaiting};
};

void StopControl(ThreadControl& control, bool force);

// The batched reader's packets with the time of the look that would have
// read each, and the phase of its 2 ms grid. Guarded by `lock`, which the
// reader and client threads (catching up before a stop) take for one read
// and hand-over; never held across a clock wait.
struct BatchedReads {
  struct Held {
    uint8_t bytes[4];
    uint64_t look_us;
  };
  std::mutex lock;
  std::atomic<bool> active{false};  // the reader is in batched looks
  uint64_t grid_phase = 0;          // looks fall on multiples of kReadStepUs plus this
  Held held[kHeldPackets];
  size_t held_count = 0;
};

struct Threads {
  Threads() {
    // Constructed after what the threads use, so destroyed before it.
    Transport();
    Driver();
  }
  ~Threads() {
    StopControl(writer, true);
    StopControl(reader, true);
  }
  ThreadControl writer;
  ThreadControl reader;
  BatchedReads batched;
};

Threads& AllThreads() {
  static Threads threads;
  return threads;
}

ThreadControl& ControlFor(PipeDirection direction) {
  return direction == PipeDirection::kOut ? AllThreads().writer : AllThreads().reader;
}

void RaisePriority() {
  // Time-critical when the system allows it; ordinary priority otherwise.
  sched_param param{};
  param.sched_priority = sched_get_priority_max(SCHED_FIFO);
  pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

// Gives up the time slice after a pass, as the threads always did. On the
// virtual clock the 1 ms sleeps already let every other thread run, and a
// yield there would let time jump past this thread's next poll.
void YieldAfterPass() {
  if (platform::CurrentClock() == platform::ClockKind::kReal) platform::Yield();
}

int g_transient_writes = 0;  // writer thread only (and tests that drain by hand)

void WriterMain(ThreadControl* control) {
  RaisePriority();
  UsbTransport& transport = Transport();
  while (control->run.load() || transport.PendingOutput() > 0) {
    const uint64_t noted = platform::GetMicroseconds();
    DrainOutputRing();
    transport.ServiceOutputPipe();
    // One wait to the end of the cycle (a tick count 11 ms on), where the
    // millisecond steps it replaces ended too. On the virtual clock with the
    // in-process module nothing waits in the ring: the writer rests until
    // it is stopped.
    if (platform::CurrentClock() == platform::ClockKind::kVirtual &&
        transport.route() == DeviceRoute::kInProcess && transport.PendingOutput() == 0) {
      control->wake.WaitUntilMicroseconds(noted + kIdleWriterWaitUs);
    } else {
      platform::SleepUntilMicroseconds(noted + (kWriterCycleMs + 1) * 1000);
    }
    YieldAfterPass();
  }
  control->alive = false;
}

// Rests while the input pipe is closed, in short steps so that a stop is
// seen at once.
void RestWhilePipeClosed(ThreadControl* control) {
  for (uint32_t rested = 0; rested < kClosedPipeRestMs && control->run.load(); ++rested) {
    platform::Sleep(1);
  }
}

// The first look of the reader's grid at or after `us`.
uint64_t LookAtOrAfter(uint64_t us, uint64_t phase) {
  return us + (phase % kReadStepUs + kReadStepUs - us % kReadStepUs) % kReadStepUs;
}

// Hands over the held packets whose look is before `upto_us` (or at it,
// when `inclusive`), each stamped with its look's tick count.
void HandOverHeld(BatchedReads& b, uint64_t upto_us, bool inclusive) {
  size_t n = 0;
  while (n < b.held_count &&
         (b.held[n].look_us < upto_us || (inclusive && b.held[n].look_us == upto_us))) {
    DispatchInputPackets(b.held[n].bytes, 4, static_cast<uint32_t>(b.held[n].look_us / 1000));
    ++n;
  }
  std::copy(b.held + n, b.held + b.held_count, b.held);
  b.held_count -= n;
}

// Reads every packet the device has sent by now, with the look that would
// have found it, and hands over those due by `upto_us`. Caller holds b.lock.
void ReadBatch(BatchedReads& b, uint64_t upto_us, bool inclusive) {
  UsbTransport& transport = Transport();
  for (;;) {
    HandOverHeld(b, upto_us, inclusive);
    const size_t room = std::min<size_t>(kHeldPackets - b.held_count, kTransferBytes / 4);
    if (room == 0) break;
    uint8_t data[kTransferBytes];
    uint64_t sent[kTransferBytes / 4];
    const Transfer read = transport.ReadPipeTimed(data, static_cast<int>(room * 4), sent);
    if (read.status != TransferStatus::kDone || read.bytes <= 0) break;
    const size_t packets = static_cast<size_t>(read.bytes) / 4;
    for (size_t i = 0; i < packets; ++i) {
      BatchedReads::Held& h = b.held[b.held_count++];
      std::copy(data + 4 * i, data + 4 * i + 4, h.bytes);
      h.look_us = LookAtOrAfter(sent[i], b.grid_phase);
    }
    if (packets < room) break;
  }
  HandOverHeld(b, upto_us, inclusive);
}

// True when the reader may look in batches: the virtual clock, a device
// that tells when it sent each packet, and only clients that take batches.
bool MayReadInBatches() {
  if (platform::CurrentClock() != platform::ClockKind::kVirtual) return false;
  bool any = false;
  for (InputPort& port : Driver().inputs) {
    if (!port.in_use.load()) continue;
    if (!port.batched.load()) return false;
    any = true;
  }
  return any && Transport().InputReadsCarryTimes();
}

// One batched look at `now_us` (on the grid), then a rest until the next
// one or until woken (a port opened, stopped or closed); the reader then
// goes on from its next grid point.
void BatchedLook(ThreadControl* control, BatchedReads& b, uint64_t now_us) {
  {
    std::lock_guard guard(b.lock);
    b.grid_phase = now_us % kReadStepUs;
    b.active = true;
    ReadBatch(b, now_us, true);
  }
  const bool woken = control->wake.WaitUntilMicroseconds(now_us + kBatchLookUs);
  if (woken && control->run.load()) {
    platform::SleepUntilMicroseconds(LookAtOrAfter(platform::GetMicroseconds(), now_us));
  }
}

// On the virtual clock: waits until the reader's next look at `next_us`, or
// later when the device says nothing can arrive before then, always landing
// on the reader's 2 ms grid and on a 1 ms step, as the polling loop did. A
// write to the device (which may be echoed at once) makes it look again.
void WaitForNextLook(ThreadControl* control, uint64_t next_us) {
  UsbTransport& transport = Transport();
  for (;;) {
    if (!control->run.load()) return;
    const uint64_t due = transport.NextInputMicroseconds();
    if (due <= next_us) break;
    const uint64_t steps =
        std::min(kMaxReaderIdleUs, due - next_us + kReadStepUs - 1) / kReadStepUs;
    const uint64_t target = next_us + steps * kReadStepUs;
    control->waiting_until.store(target);
    const bool woken = control->wake.WaitUntilMicroseconds(target - 1000);
    control->waiting_until.store(kNotWaiting);
    if (!woken) {
      next_us = target;
      break;
    }
    const uint64_t now = platform::GetMicroseconds();
    if (now > next_us) next_us += (now - next_us + kReadStepUs - 1) / kReadStepUs * kReadStepUs;
  }
  if (platform::GetMicroseconds() + 1000 < next_us)
    platform::SleepUntilMicroseconds(next_us - 1000);
  platform::SleepUntilMicroseconds(next_us);
}

void ReaderMain(ThreadControl* control) {
  RaisePriority();
  UsbTransport& transport = Transport();
  uint8_t buffer[kTransferBytes];
  const bool virtual_clock = platform::CurrentClock() == platform::ClockKind::kVirtual;
  BatchedReads& batched = AllThreads().batched;
  while (control->run.load()) {
    const uint64_t pass_us = platform::GetMicroseconds();
    if (virtual_clock && MayReadInBatches()) {
      BatchedLook(control, batched, pass_us);
      continue;
    }
    if (batched.active.load()) {
      // Back to looking every 2 ms: what a batch held is due by now.
      std::lock_guard guard(batched.lock);
      batched.active = false;
      HandOverHeld(batched, pass_us, true);
    }
    const uint32_t deadline = platform::GetTickCount() + 1;
    for (;;) {
      if (!transport.IsPipeOpen(PipeDirection::kIn)) {
        RestWhilePipeClosed(control);
        break;
      }
      const Transfer read = transport.ReadPipe(buffer, static_cast<int>(sizeof(buffer)));
      if (read.status == TransferStatus::kGone || read.status == TransferStatus::kOther) {
        if (read.status == TransferStatus::kOther) platform::TraceLog("cvusb: input read failed");
        transport.ClosePipe(PipeDirection::kIn);
        break;
      }
      const uint32_t read_time = platform::GetTickCount();
      DispatchInputPackets(buffer, static_cast<size_t>(read.bytes), read_time);
      if (read.bytes != static_cast<int>(sizeof(buffer))) break;
    }
    if (virtual_clock && platform::GetMicroseconds() < pass_us + kReadStepUs &&
        transport.IsPipeOpen(PipeDirection::kIn)) {
      WaitForNextLook(control, pass_us + kReadStepUs);
      continue;
    }
    while (static_cast<int32_t>(platform::GetTickCount() - deadline) <= 0 && control->run.load()) {
      platform::Sleep(1);
    }
    YieldAfterPass();
  }
  {
    // What a batch still held was for ports that have stopped.
    std::lock_guard guard(batched.lock);
    batched.active = false;
    batched.held_count = 0;
  }
  control->alive = false;
}

}  // namespace

void CatchUpBatchedReads() {
  BatchedReads& b = AllThreads().batched;
  if (!b.active.load()) return;
  std::lock_guard guard(b.lock);
  if (b.active.load()) ReadBatch(b, platform::GetMicroseconds(), false);
}

void InputPortsChanged() {
  AllThreads().reader.wake.Set();
}

void WakeReader() {
  if (AllThreads().batched.active.load()) return;  // it reads what was sent by its next batch
  ThreadControl& reader = AllThreads().reader;
  const uint64_t until = reader.waiting_until.load();
  // Data due within the look it waits for is read then anyway.
  if (until != kNotWaiting) {
    const uint64_t due = Transport().NextInputMicroseconds();
    if (due >= until || until - due < kReadStepUs) return;
  }
  reader.wake.Set();
}

void DrainOutputRing() {
  UsbTransport& transport = Transport();
  std::lock_guard guard(transport.ring_lock());
  OutputRing& ring = transport.ring();
  while (ring.pending() > 0) {
    if (transport.IsPipeOpen(PipeDirection::kOut)) {
      uint8_t chunk[kTransferBytes];
      const size_t count = ring.Peek(chunk, sizeof(chunk));
      const Transfer write = transport.WritePipe(chunk, static_cast<int>(count));
      switch (write.status) {
        case TransferStatus::kDone:
          g_transient_writes = 0;
          ring.Consume(count);
          break;
        case TransferStatus::kTransient:
          if (++g_transient_writes < kTransientWriteLimit) return;  // again next cycle
          platform::TraceLog("cvusb: output pipe stays busy, %zu bytes dropped", count);
          g_transient_writes = 0;
          ring.Consume(count);
          break;
        case TransferStatus::kGone:
          transport.ClosePipe(PipeDirection::kOut);
          break;
        case TransferStatus::kOther:
          platform::TraceLog("cvusb: output write failed, %zu bytes dropped", count);
          ring.Consume(count);
          break;
      }
    }
    if (!transport.IsPipeOpen(PipeDirection::kOut)) ring.Clear();
  }
}

void DispatchInputPackets(const uint8_t* data, size_t length, uint32_t read_time) {
  InputPort* locked = nullptr;
  std::unique_lock<std::recursive_mutex> guard;
  ForEachPacket(data, length, [&](uint8_t cable, const uint8_t* bytes, int count) {
    if (count == 0) return;
    InputPort& port = Driver().inputs[cable];
    if (&port != locked) {
      // Consecutive packets of one cable are parsed under one holding.
      if (guard.owns_lock()) guard.unlock();
      guard = std::unique_lock<std::recursive_mutex>(port.lock);
      locked = &port;
    }
    for (int i = 0; i < count; ++i) ParseInputByte(port, bytes[i], read_time);
  });
}

bool StartThread(PipeDirection direction) {
  ThreadControl& control = ControlFor(direction);
  {
    std::lock_guard guard(control.lock);
    if (!control.alive.load()) {
      if (control.thread.Joinable()) control.thread.Join();
      control.run = true;
      control.alive = true;
      try {
        auto* body = direction == PipeDirection::kOut ? WriterMain : ReaderMain;
        control.thread = platform::Thread([body, &control] { body(&control); });
      } catch (const std::system_error&) {
        control.run = false;
        control.alive = false;
        return false;
      }
    }
    ++control.references;
  }
  if (direction == PipeDirection::kIn) platform::Sleep(kInputStartSettleMs);
  return true;
}

namespace {

void StopControl(ThreadControl& control, bool force) {
  std::unique_lock guard(control.lock);
  if (control.references > 0) --control.references;
  if (force) control.references = 0;
  if (control.references > 0 || !control.thread.Joinable()) return;
  control.run = false;
  control.wake.Set();
  guard.unlock();
  for (uint32_t waited = 0; waited < kStopWaitMs && control.alive.load(); ++waited) {
    platform::Sleep(1);
  }
  guard.lock();
  if (!control.thread.Joinable()) return;
  if (control.alive.load()) {
    // Forgotten, not joined: it ends when its transfer does.
    platform::TraceLog("cvusb: a transfer thread did not stop within %u ms", kStopWaitMs);
    new platform::Thread(std::move(control.thread));
  } else {
    control.thread.Join();
  }
}

}  // namespace

void StopThread(PipeDirection direction) {
  StopControl(ControlFor(direction), false);
}

void StopAllThreads() {
  StopControl(ControlFor(PipeDirection::kOut), true);
  StopControl(ControlFor(PipeDirection::kIn), true);
}

bool ThreadRunning(PipeDirection direction) {
  return ControlFor(direction).alive.load();
}

}  // namespace cvusb
