#include "sound_module.h"

#include <algorithm>

#include "platform/clock.h"

namespace corvane {
namespace {

constexpr size_t kPullLimit = size_t{1} << 16;
constexpr uint64_t kReadPollUs = 1000;  // how often a waiting reader looks again

}  // namespace

SoundModule::~SoundModule() {
  Close();
}

bool SoundModule::Open(const std::string& data_dir, const std::string& sound_font,
                       int render_cores) {
  Close();
  const uint64_t now = platform::GetMicroseconds();
  // The audio lock is never taken inside the engine lock (renderers hold the
  // audio lock when they pull from the engine).
  if (!audio_.Open(sound_font, render_cores, now, kPullLimit)) return false;
  std::lock_guard lock(engine_mu_);
  bank_ = StyleBank{};
  if (!data_dir.empty()) bank_.Load(data_dir);
  engine_ = std::make_unique<ModuleEngine>(bank_);
  engine_->PowerOn(now);
  open_ = true;
  return true;
}

void SoundModule::Close() {
  {
    std::lock_guard lock(engine_mu_);
    open_ = false;
    engine_.reset();
  }
  audio_.Close();
}

int SoundModule::WriteOut(const uint8_t* data, int len) {
  const uint64_t now = platform::GetMicroseconds();
  std::lock_guard lock(engine_mu_);
  if (!engine_) return -1;
  if (data == nullptr || len <= 0) return 0;
  engine_->Receive(now, data, static_cast<size_t>(len));
  return len;
}

int SoundModule::ReadIn(uint8_t* data, int capacity, unsigned timeout_ms) {
  const uint64_t deadline = platform::GetMicroseconds() + uint64_t{timeout_ms} * 1000;
  const size_t max_packets = capacity > 0 ? static_cast<size_t>(capacity) / 4 : 0;
  for (;;) {
    const uint64_t now = platform::GetMicroseconds();
    uint64_t wake = deadline;
    {
      std::lock_guard lock(engine_mu_);
      if (!engine_) return -1;
      if (data == nullptr || max_packets == 0) return 0;
      engine_->AdvanceTo(now);
      const size_t n = engine_->TakeInPackets(now, data, max_packets);
      if (n > 0) return static_cast<int>(4 * n);
      if (const auto next = engine_->NextWake()) wake = std::min(wake, *next);
    }
    if (now >= deadline) return 0;
    platform::SleepUntilMicroseconds(std::clamp(wake, now + 1, now + kReadPollUs));
  }
}

int SoundModule::ReadInTimed(uint8_t* data, int capacity, uint64_t* sent_us) {
  const uint64_t now = platform::GetMicroseconds();
  std::lock_guard lock(engine_mu_);
  if (!engine_) return -1;
  if (data == nullptr || sent_us == nullptr || capacity < 4) return 0;
  engine_->AdvanceTo(now);
  return static_cast<int>(
      4 * engine_->TakeInPackets(now, data, static_cast<size_t>(capacity) / 4, sent_us));
}

uint64_t SoundModule::NextInMicroseconds() {
  std::lock_guard lock(engine_mu_);
  if (!engine_) return 0;  // gone: let the reader find out at once
  return engine_->NextSend().value_or(~uint64_t{0});
}

void SoundModule::PullCommands(uint64_t now_us, std::vector<SynthCommand>& out) {
  std::lock_guard lock(engine_mu_);
  if (!engine_) return;
  engine_->AdvanceTo(now_us);
  CommandQueue& q = engine_->commands();
  while (!q.empty()) {
    out.push_back(q.Front());
    q.Pop();
  }
}

uint32_t SoundModule::RenderAudio(uint64_t from_us, int16_t* out, uint32_t frames) {
  if (out == nullptr || !open_) return 0;
  return audio_.Render(from_us, out, frames, *this);
}

void SoundModule::RenderLive(float* left, float* right, int frames) {
  if (!open_) return;
  audio_.RenderLive(left, right, frames, *this);
}

}  // namespace corvane
