#include "platform/usb_endpoint.h"

#include <map>
#include <mutex>
#include <string>

namespace {

std::mutex g_mu;
std::map<std::string, SonavexUsbEndpoint>& Endpoints() {
  static std::map<std::string, SonavexUsbEndpoint> endpoints;
  return endpoints;
}

}  // namespace

extern "C" int SonavexRegisterUsbEndpoint(const char* name, const SonavexUsbEndpoint* endpoint) {
  if (name == nullptr || endpoint == nullptr) return -1;
  std::lock_guard lock(g_mu);
  return Endpoints().try_emplace(name, *endpoint).second ? 0 : -1;
}

extern "C" void SonavexUnregisterUsbEndpoint(const char* name) {
  if (name == nullptr) return;
  std::lock_guard lock(g_mu);
  Endpoints().erase(name);
}

extern "C" int SonavexFindUsbEndpoint(const char* name, SonavexUsbEndpoint* out) {
  if (name == nullptr || out == nullptr) return -1;
  std::lock_guard lock(g_mu);
  auto it = Endpoints().find(name);
  if (it == Endpoints().end()) return -1;
  *out = it->second;
  return 0;
}
