// Helpers shared by the MIDI tests: a loopback fixture on the virtual clock,
// a recorder for callbacks and a builder of stream buffers.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "platform/clock.h"
#include "platform/loopback.h"
#include "platform/mmsystem.h"

namespace platform::testing {

struct Callback {
  UINT msg;
  DWORD_PTR p1;
  DWORD_PTR p2;
  uint64_t time_us;
  bool operator==(const Callback&) const = default;
};

// Collects callbacks; pass Recorder::Fn with the recorder as instance.
struct Recorder {
  std::mutex mu;
  std::vector<Callback> calls;

  static void Record(UINT msg, DWORD_PTR instance, DWORD_PTR p1, DWORD_PTR p2) {
    auto* r = reinterpret_cast<Recorder*>(instance);
    std::lock_guard lock(r->mu);
    r->calls.push_back({msg, p1, p2, GetMicroseconds()});
  }
  // Callbacks are called with their device's own handle type.
  static void Fn(HMIDI, UINT msg, DWORD_PTR instance, DWORD_PTR p1, DWORD_PTR p2) {
    Record(msg, instance, p1, p2);
  }
  static void WaveFn(HWAVEIN, UINT msg, DWORD_PTR instance, DWORD_PTR p1, DWORD_PTR p2) {
    Record(msg, instance, p1, p2);
  }
  DWORD_PTR fn() const { return reinterpret_cast<DWORD_PTR>(&Fn); }
  DWORD_PTR wave_fn() const { return reinterpret_cast<DWORD_PTR>(&WaveFn); }
  DWORD_PTR self() { return reinterpret_cast<DWORD_PTR>(this); }
  std::vector<Callback> Take() {
    std::lock_guard lock(mu);
    auto out = std::move(calls);
    calls.clear();
    return out;
  }
  std::vector<UINT> Messages() {
    std::lock_guard lock(mu);
    std::vector<UINT> m;
    for (auto& c : calls) m.push_back(c.msg);
    return m;
  }
};

// The device number of a port by name, or -1.
inline int OutIdOf(const char* name) {
  for (UINT i = 0; i < midiOutGetNumDevs(); ++i) {
    MIDIOUTCAPS caps{};
    if (midiOutGetDevCaps(i, &caps, sizeof caps) == 0 && std::strcmp(caps.szPname, name) == 0) {
      return int(i);
    }
  }
  return -1;
}

inline int InIdOf(const char* name) {
  for (UINT i = 0; i < midiInGetNumDevs(); ++i) {
    MIDIINCAPS caps{};
    if (midiInGetDevCaps(i, &caps, sizeof caps) == 0 && std::strcmp(caps.szPname, name) == 0) {
      return int(i);
    }
  }
  return -1;
}

// Stream events as they lie in a stream buffer.
class StreamBuffer {
 public:
  StreamBuffer& Short(DWORD delta, DWORD msg, DWORD flags = 0) {
    return Word(delta).Word(0).Word((DWORD(MEVT_SHORTMSG) << 24) | msg | flags);
  }
  StreamBuffer& Tempo(DWORD delta, DWORD us_per_quarter) {
    return Word(delta).Word(0).Word((DWORD(MEVT_TEMPO) << 24) | us_per_quarter);
  }
  StreamBuffer& Nop(DWORD delta, DWORD flags = 0) {
    return Word(delta).Word(0).Word((DWORD(MEVT_NOP) << 24) | flags);
  }
  StreamBuffer& Long(DWORD delta, const std::vector<uint8_t>& bytes) {
    Word(delta).Word(0).Word((DWORD(MEVT_LONGMSG) << 24) | DWORD(bytes.size()));
    data_.insert(data_.end(), bytes.begin(), bytes.end());
    while (data_.size() % 4 != 0) data_.push_back(0xEE);  // padding must never be sent
    return *this;
  }
  // A header over the bytes, ready for midiOutPrepareHeader (made once; add
  // no events after the first call).
  MIDIHDR* Header() {
    if (hdr_.lpData != nullptr) return &hdr_;
    hdr_.lpData = reinterpret_cast<LPSTR>(data_.data());
    hdr_.dwBufferLength = hdr_.dwBytesRecorded = DWORD(data_.size());
    return &hdr_;
  }

 private:
  StreamBuffer& Word(DWORD w) {
    uint8_t b[4];
    std::memcpy(b, &w, 4);
    data_.insert(data_.end(), b, b + 4);
    return *this;
  }
  std::vector<uint8_t> data_;
  MIDIHDR hdr_{};
};

// Virtual clock and a fresh pair of loopback ports "Loop A" for each test.
class LoopbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseVirtualClock();
    RemoveAllLoopbackPorts();
    ASSERT_EQ(CreateLoopbackOutput("Loop A"), 0);
    ASSERT_EQ(CreateLoopbackInput("Loop A"), 0);
    out_id_ = UINT(OutIdOf("Loop A"));
    in_id_ = UINT(InIdOf("Loop A"));
  }
  void TearDown() override {
    RemoveAllLoopbackPorts();
    UseRealClock();
  }
  std::vector<LoopbackMessage> Sent() { return TakeLoopbackOutput("Loop A"); }

  UINT out_id_ = 0;
  UINT in_id_ = 0;
};

}  // namespace platform::testing
