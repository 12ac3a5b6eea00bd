#include "fake_endpoint.h"

#include "device_routes.h"

FakeEndpoint::FakeEndpoint() {
  SonavexUsbEndpoint endpoint{this, &WriteOut, &ReadIn};
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

int FakeEndpoint::WriteOut(void* ctx, const uint8_t* data, int len) {
  auto* self = static_cast<FakeEndpoint*>(ctx);
  if (self->gone_) return -1;
  std::lock_guard lock(self->mu_);
  self->written_.insert(self->written_.end(), data, data + len);
  return len;
}

int FakeEndpoint::ReadIn(void* ctx, uint8_t* data, int capacity, unsigned) {
  auto* self = static_cast<FakeEndpoint*>(ctx);
  ++self->reads_;
  if (self->gone_) return -1;
  std::lock_guard lock(self->mu_);
  int n = 0;
  while (n + 4 <= capacity && self->input_.size() >= 4) {
    for (int i = 0; i < 4; ++i) {
      data[n++] = self->input_.front();
      self->input_.pop_front();
    }
  }
  return n;
}
