#include "fake_endpoint.h"

#include "device_routes.h"
#include "platform/clock.h"

FakeEndpoint::FakeEndpoint(bool tells_next_input, bool reads_with_times) {
  SonavexUsbEndpoint endpoint{this, &WriteOut, &ReadIn, tells_next_input ? &NextIn : nullptr,
                              reads_with_times ? &ReadInTimed : nullptr};
  SonavexRegisterUsbEndpoint(cvusb::kEndpointName, &endpoint);
}

FakeEndpoint::~FakeEndpoint() {
  SonavexUnregisterUsbEndpoint(cvusb::kEndpointName);
}

std::vector<uint8_t> FakeEndpoint::TakeWritten() {
  std::lock_guard lock(mu_);
  std::vector<uint8_t> out;
  out.swap(written_);
  return out;
}

void FakeEndpoint::QueueLocked(uint64_t at_us, const uint8_t* data, size_t len) {
  input_.insert(input_.end(), data, data + len);
  for (size_t i = 0; i + 4 <= len; i += 4) input_times_.push_back(at_us);
}

void FakeEndpoint::QueueInput(const std::vector<uint8_t>& bytes) {
  std::lock_guard lock(mu_);
  QueueLocked(platform::GetMicroseconds(), bytes.data(), bytes.size());
}

void FakeEndpoint::ScheduleInput(uint64_t at_us, const std::vector<uint8_t>& bytes) {
  std::lock_guard lock(mu_);
  scheduled_.emplace(at_us, bytes);
}

void FakeEndpoint::TakeDueLocked(uint64_t now_us) {
  while (!scheduled_.empty() && scheduled_.begin()->first <= now_us) {
    const auto& bytes = scheduled_.begin()->second;
    QueueLocked(scheduled_.begin()->first, bytes.data(), bytes.size());
    scheduled_.erase(scheduled_.begin());
  }
}

uint64_t FakeEndpoint::NextIn(void* ctx) {
  auto* self = static_cast<FakeEndpoint*>(ctx);
  std::lock_guard lock(self->mu_);
  if (!self->input_.empty()) return 1;
  return self->scheduled_.empty() ? ~uint64_t{0} : self->scheduled_.begin()->first;
}

int FakeEndpoint::WriteOut(void* ctx, const uint8_t* data, int len) {
  auto* self = static_cast<FakeEndpoint*>(ctx);
  if (self->gone_) return -1;
  std::lock_guard lock(self->mu_);
  self->written_.insert(self->written_.end(), data, data + len);
  if (self->echo_) {
    // Input sent before the echo comes before it, as on a real device.
    self->TakeDueLocked(platform::GetMicroseconds());
    self->QueueLocked(platform::GetMicroseconds(), data, static_cast<size_t>(len));
  }
  return len;
}

int FakeEndpoint::ReadIn(void* ctx, uint8_t* data, int capacity, unsigned) {
  return ReadInTimed(ctx, data, capacity, nullptr);
}

// Hands out whole packets; with `sent_us`, also when each was sent (a packet
// whose time is unknown stays queued).
int FakeEndpoint::ReadInTimed(void* ctx, uint8_t* data, int capacity, uint64_t* sent_us) {
  auto* self = static_cast<FakeEndpoint*>(ctx);
  ++self->reads_;
  if (self->gone_) return -1;
  std::lock_guard lock(self->mu_);
  self->TakeDueLocked(platform::GetMicroseconds());
  int n = 0;
  while (n + 4 <= capacity && self->input_.size() >= 4 &&
         (sent_us == nullptr || !self->input_times_.empty())) {
    if (!self->input_times_.empty()) {
      if (sent_us != nullptr) sent_us[n / 4] = self->input_times_.front();
      self->input_times_.pop_front();
    }
    for (int i = 0; i < 4; ++i) {
      data[n++] = self->input_.front();
      self->input_.pop_front();
    }
  }
  return n;
}
