// The current middleware instance.
#include "core/middleware.h"

#include "core/registration.h"
#include "midi/transport.h"

namespace qm3 {
namespace {

// The one process-wide anchor: the C interface has no handle to carry it.
MiddlewareAnchor anchor;
// A plain pointer: it stays set while the instance is destroyed, so a device
// thread a part stops in its destructor still finds the parts declared
// before it (see the order in middleware.h).
Middleware* current = nullptr;

// The parts register into the instance once it is current: their Register
// functions reach it through TheMiddleware().
void Replace(Middleware* next) {
  delete current;
  current = next;
  if (current != nullptr) RegisterParts();
}

// The play thread reads the instance until it ends: it is stopped and joined
// while the instance is still current (End has stopped it already; a test
// may not have).
void StopPlayThread() {
  if (current != nullptr) midi::StopAndWait();
}

}  // namespace

Middleware::Middleware() = default;
Middleware::~Middleware() = default;

Middleware& TheMiddleware() {
  if (current == nullptr) Replace(new Middleware());
  return *current;
}

void StartMiddleware() {
  StopPlayThread();
  Replace(new Middleware());
  anchor.ended = false;
}

void DestroyMiddleware() {
  StopPlayThread();
  Replace(nullptr);
}

MiddlewareAnchor& Anchor() {
  return anchor;
}

}  // namespace qm3
