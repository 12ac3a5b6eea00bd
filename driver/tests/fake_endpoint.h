// A USB endpoint registered in-process under the module's name, standing in
// for the sound module: it records the bulk OUT bytes, serves queued bulk IN
// bytes, and can be unplugged.
#pragma once
#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/usb_endpoint.h"

class FakeEndpoint {
 public:
  FakeEndpoint();   // registers
  ~FakeEndpoint();  // unregisters
  FakeEndpoint(const FakeEndpoint&) = delete;
  FakeEndpoint& operator=(const FakeEndpoint&) = delete;

  std::vector<uint8_t> TakeWritten();
  void QueueInput(const std::vector<uint8_t>& bytes);
  // Every later transfer fails as if the device were gone.
  void Unplug() { gone_ = true; }
  void Replug() { gone_ = false; }
  int reads() const { return reads_.load(); }

 private:
  static int WriteOut(void* ctx, const uint8_t* data, int len);
  static int ReadIn(void* ctx, uint8_t* data, int capacity, unsigned timeout_ms);

  std::mutex mu_;
  std::vector<uint8_t> written_;
  std::deque<uint8_t> input_;
  std::atomic<bool> gone_{false};
  std::atomic<int> reads_{0};
};
