// The synth commands the module's engine produces, waiting in time order for
// the audio timeline. A fixed ring: a full ring drops its oldest command, so
// a module nobody listens to keeps bounded memory.
//
// Thread rules: not locked; the module's engine lock guards it. Never
// allocates after construction.
#pragma once
#include <cstddef>
#include <vector>

#include "synth.h"

namespace corvane {

class CommandQueue {
 public:
  explicit CommandQueue(size_t capacity) : ring_(capacity) {}

  void Push(const SynthCommand& c) {
    if (count_ == ring_.size()) Pop();
    ring_[(head_ + count_) % ring_.size()] = c;
    ++count_;
  }
  bool empty() const { return count_ == 0; }
  size_t size() const { return count_; }
  const SynthCommand& Front() const { return ring_[head_]; }
  void Pop() {
    head_ = (head_ + 1) % ring_.size();
    --count_;
  }
  void Clear() { head_ = count_ = 0; }

 private:
  std::vector<SynthCommand> ring_;
  size_t head_ = 0;
  size_t count_ = 0;
};

}  // namespace corvane
