#include "fake_endpoint.h"

#include "device_routes.h"
#include "platform/clock.h"

FakeEndpoint::FakeEndpoint(bool tells_next_input) {
  SonavexUsbEndpoint endpoint{this, &WriteOut, &ReadIn, tells_next_input ? &NextIn : nullptr};
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

void FakeEndpoint::QueueInput(const std::vector<uint8_t>& bytes) {
  std::lock_guard lock(mu_);
  input_.insert(input_.end(), bytes.begin(), bytes.end());
}

void FakeEndpoint::ScheduleInput(uint64_t at_us, const std::vector<uint8_t>& bytes) {
  std::lock_guard lock(mu_);
  scheduled_.emplace(at_us, bytes);
}

void FakeEndpoint::TakeDueLocked(uint64_t now_us) {
  while (!scheduled_.empty() && scheduled_.begin()->first <= now_us) {
    const auto& bytes = scheduled_.begin()->second;
    input_.insert(input_.end(), bytes.begin(), bytes.end());
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
  if (self->echo_) self->input_.insert(self->input_.end(), data, data + len);
  return len;
}

int FakeEndpoint::ReadIn(void* ctx, uint8_t* data, int capacity, unsigned) {
  auto* self = static_cast<FakeEndpoint*>(ctx);
  ++self->reads_;
  if (self->gone_) return -1;
  std::lock_guard lock(self->mu_);
  self->TakeDueLocked(platform::GetMicroseconds());
  int n = 0;
  while (n + 4 <= capacity && self->input_.size() >= 4) {
    for (int i = 0; i < 4; ++i) {
      data[n++] = self->input_.front();
      self->input_.pop_front();
    }
  }
  return n;
}
