// Loopback ports: outputs that record, inputs that are fed by InjectLoopbackInput.
#include "platform/loopback.h"

#include <algorithm>
#include <string>

#include "builtin_ports.h"
#include "platform/clock.h"

namespace platform {
namespace {

class LoopbackOut : public BuiltinOutPort {
 public:
  using BuiltinOutPort::BuiltinOutPort;

  std::vector<LoopbackMessage> Messages(bool take) {
    std::lock_guard lock(mu_);
    std::vector<LoopbackMessage> out;
    if (take) {
      out.swap(messages_);
    } else {
      out = messages_;
    }
    return out;
  }
  void SetObserver(LoopbackObserver fn, void* ctx) {
    std::lock_guard lock(mu_);
    observer_ = fn;
    observer_ctx_ = ctx;
  }

 protected:
  MMRESULT Emit(const uint8_t* bytes, size_t n) override {
    const uint64_t now = GetMicroseconds();
    LoopbackObserver fn;
    void* ctx;
    {
      std::lock_guard lock(mu_);
      messages_.push_back({now, std::vector<uint8_t>(bytes, bytes + n)});
      fn = observer_;
      ctx = observer_ctx_;
    }
    if (fn != nullptr) fn(ctx, now, bytes, n);
    return MMSYSERR_NOERROR;
  }

 private:
  std::mutex mu_;
  std::vector<LoopbackMessage> messages_;
  LoopbackObserver observer_ = nullptr;
  void* observer_ctx_ = nullptr;
};

class LoopbackIn : public BuiltinInPort {
 public:
  using BuiltinInPort::BuiltinInPort;
};

struct Registry {
  std::mutex mu;
  std::vector<std::shared_ptr<LoopbackOut>> outs;
  std::vector<std::shared_ptr<LoopbackIn>> ins;
};

Registry& Reg() {
  static Registry r;
  return r;
}

template <typename T>
std::shared_ptr<T> Find(std::vector<std::shared_ptr<T>>& v, const char* name) {
  if (name == nullptr) return nullptr;
  for (auto& p : v) {
    if (p->name() == name) return p;
  }
  return nullptr;
}

template <typename T>
void Remove(std::vector<std::shared_ptr<T>>& v, const char* name) {
  if (name == nullptr) return;
  v.erase(std::remove_if(v.begin(), v.end(), [&](auto& p) { return p->name() == name; }), v.end());
}

}  // namespace

int CreateLoopbackOutput(const char* name) {
  Registry& r = Reg();
  std::lock_guard lock(r.mu);
  if (name == nullptr || Find(r.outs, name)) return -1;
  r.outs.push_back(std::make_shared<LoopbackOut>(name));
  return 0;
}

int CreateLoopbackInput(const char* name) {
  Registry& r = Reg();
  std::lock_guard lock(r.mu);
  if (name == nullptr || Find(r.ins, name)) return -1;
  r.ins.push_back(std::make_shared<LoopbackIn>(name));
  return 0;
}

void RemoveLoopbackOutput(const char* name) {
  std::lock_guard lock(Reg().mu);
  Remove(Reg().outs, name);
}

void RemoveLoopbackInput(const char* name) {
  std::lock_guard lock(Reg().mu);
  Remove(Reg().ins, name);
}

void RemoveAllLoopbackPorts() {
  std::lock_guard lock(Reg().mu);
  Reg().outs.clear();
  Reg().ins.clear();
}

std::vector<LoopbackMessage> PeekLoopbackOutput(const char* name) {
  std::shared_ptr<LoopbackOut> p;
  {
    std::lock_guard lock(Reg().mu);
    p = Find(Reg().outs, name);
  }
  return p ? p->Messages(false) : std::vector<LoopbackMessage>{};
}

std::vector<LoopbackMessage> TakeLoopbackOutput(const char* name) {
  std::shared_ptr<LoopbackOut> p;
  {
    std::lock_guard lock(Reg().mu);
    p = Find(Reg().outs, name);
  }
  return p ? p->Messages(true) : std::vector<LoopbackMessage>{};
}

void SetLoopbackObserver(const char* name, LoopbackObserver fn, void* ctx) {
  std::shared_ptr<LoopbackOut> p;
  {
    std::lock_guard lock(Reg().mu);
    p = Find(Reg().outs, name);
  }
  if (p) p->SetObserver(fn, ctx);
}

int InjectLoopbackInput(const char* name, const uint8_t* bytes, size_t n) {
  std::shared_ptr<LoopbackIn> p;
  {
    std::lock_guard lock(Reg().mu);
    p = Find(Reg().ins, name);
  }
  if (!p || (bytes == nullptr && n > 0)) return -1;
  p->Feed(bytes, n, GetMicroseconds());
  return 0;
}

void AppendLoopbackOutPorts(std::vector<std::shared_ptr<OutPort>>& out) {
  std::lock_guard lock(Reg().mu);
  out.insert(out.end(), Reg().outs.begin(), Reg().outs.end());
}

void AppendLoopbackInPorts(std::vector<std::shared_ptr<InPort>>& out) {
  std::lock_guard lock(Reg().mu);
  out.insert(out.end(), Reg().ins.begin(), Reg().ins.end());
}

}  // namespace platform
