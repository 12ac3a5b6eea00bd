// The current middleware instance.
#include "core/middleware.h"

namespace qm3 {
namespace {

// The one process-wide anchor: the C interface has no handle to carry it.
MiddlewareAnchor anchor;
std::unique_ptr<Middleware> current;

}  // namespace

Middleware::Middleware() = default;
Middleware::~Middleware() = default;

Middleware& TheMiddleware() {
  if (!current) current = std::make_unique<Middleware>();
  return *current;
}

void StartMiddleware() {
  current.reset();
  current = std::make_unique<Middleware>();
  anchor.ended = false;
}

void DestroyMiddleware() {
  current.reset();
}

MiddlewareAnchor& Anchor() {
  return anchor;
}

}  // namespace qm3
