// A USB endpoint registered in-process under the module's name, standing in
// for the sound module: it records the bulk OUT bytes, serves queued bulk IN
// bytes, and can be unplugged.
#pragma once
#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <vector>

#include "platform/usb_endpoint.h"

class FakeEndpoint {
 public:
  // Registers; a device that tells its next input lets the reader wait for
  // it, one that reads with times lets it read in batches.
  explicit FakeEndpoint(bool tells_next_input = false, bool reads_with_times = false);
  ~FakeEndpoint();  // unregisters
  FakeEndpoint(const FakeEndpoint&) = delete;
  FakeEndpoint& operator=(const FakeEndpoint&) = delete;

  std::vector<uint8_t> TakeWritten();
  void QueueInput(const std::vector<uint8_t>& bytes);
  // Input that becomes readable at `at_us` of the platform clock.
  void ScheduleInput(uint64_t at_us, const std::vector<uint8_t>& bytes);
  // Every later write comes back at once as input (a device's echo).
  void EchoWrites() { echo_ = true; }
  // Every later transfer fails as if the device were gone.
  void Unplug() { gone_ = true; }
  void Replug() { gone_ = false; }
  int reads() const { return reads_.load(); }

 private:
  static int WriteOut(void* ctx, const uint8_t* data, int len);
  static int ReadIn(void* ctx, uint8_t* data, int capacity, unsigned timeout_ms);
  static uint64_t NextIn(void* ctx);
  static int ReadInTimed(void* ctx, uint8_t* data, int capacity, uint64_t* sent_us);
  void QueueLocked(uint64_t at_us, const uint8_t* data, size_t len);
  void TakeDueLocked(uint64_t now_us);

  std::mutex mu_;
  std::vector<uint8_t> written_;
  std::deque<uint8_t> input_;
  std::deque<uint64_t> input_times_;  // when each packet of input_ was sent
  std::multimap<uint64_t, std::vector<uint8_t>> scheduled_;
  std::atomic<bool> echo_{false};
  std::atomic<bool> gone_{false};
  std::atomic<int> reads_{0};
};
