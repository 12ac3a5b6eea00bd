#include "audio_timeline.h"

#include <algorithm>
#include <cstring>

#include "platform/clock.h"

namespace corvane {
namespace {

constexpr uint64_t kHistoryFrames = 8 * 44100 / kBlockFrames * kBlockFrames;
// A listener that starts further ahead than this skips the silence between
// instead of having it rendered.
constexpr uint64_t kMaxGapFrames = 2 * 44100;
// The sound card is brought back to the clock when it falls this far behind.
constexpr uint64_t kLiveSlackFrames = 8192;

uint64_t BlockStart(uint64_t frame) {
  return frame / kBlockFrames * kBlockFrames;
}

}  // namespace

uint64_t FrameAt(uint64_t us) {
  return (us * kSampleRate + 999999) / 1000000;
}

bool AudioTimeline::Open(const std::string& sound_font, int render_cores, uint64_t now_us,
                         size_t max_commands) {
  std::lock_guard lock(mu_);
  if (!synth_.Open(sound_font, render_cores)) return false;
  history_.assign(kHistoryFrames * 2, 0);
  cursor_ = history_start_ = BlockStart(now_us * kSampleRate / 1000000);
  pending_.clear();
  pending_.reserve(max_commands);
  pending_pos_ = 0;
  live_started_ = false;
  return true;
}

void AudioTimeline::Close() {
  std::lock_guard lock(mu_);
  synth_.Close();
  history_.clear();
  history_.shrink_to_fit();
  pending_.clear();
  pending_pos_ = 0;
}

void AudioTimeline::Pull(CommandSource& source) {
  if (pending_pos_ > 0) {
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(pending_pos_));
    pending_pos_ = 0;
  }
  source.PullCommands(platform::GetMicroseconds(), pending_);
}

// Applies the commands whose nearest block start is `frame` or earlier.
void AudioTimeline::ApplyDue(uint64_t frame, bool skip_notes) {
  while (pending_pos_ < pending_.size() &&
         pending_[pending_pos_].frame < frame + kBlockFrames / 2) {
    synth_.Apply(pending_[pending_pos_++], skip_notes);
  }
}

int16_t* AudioTimeline::Slot(uint64_t frame) {
  return &history_[(frame % kHistoryFrames) * 2];
}

bool AudioTimeline::Held(uint64_t frame) const {
  return frame < cursor_ && frame >= history_start_ && frame + kHistoryFrames > cursor_;
}

void AudioTimeline::RenderUntil(uint64_t frame) {
  while (cursor_ < frame) {
    ApplyDue(cursor_, false);
    // The blocks before the next command's (within the ring) go in one call.
    const uint64_t ring_left = kHistoryFrames - cursor_ % kHistoryFrames;
    uint64_t run = kBlockFrames;
    while (cursor_ + run < frame && run < ring_left && run < kMaxRunFrames &&
           !(pending_pos_ < pending_.size() &&
             pending_[pending_pos_].frame < cursor_ + run + kBlockFrames / 2)) {
      run += kBlockFrames;
    }
    synth_.Render(Slot(cursor_), static_cast<uint32_t>(run));
    cursor_ += run;
  }
}

void AudioTimeline::SkipTo(uint64_t frame) {
  const uint64_t to = BlockStart(frame);
  if (to <= cursor_) return;
  ApplyDue(to, true);
  cursor_ = history_start_ = to;
}

uint32_t AudioTimeline::Render(uint64_t from_us, int16_t* out, uint32_t frames,
                               CommandSource& source) {
  std::lock_guard lock(mu_);
  if (history_.empty()) return 0;
  const uint64_t first = (from_us * kSampleRate + 500000) / 1000000;
  const uint64_t end = first + frames;
  Pull(source);
  if (first > cursor_ + kMaxGapFrames) SkipTo(first);
  RenderUntil(end);
  for (uint64_t f = first; f < end; ++f) {
    int16_t* dst = out + (f - first) * 2;
    if (Held(f)) {
      std::memcpy(dst, Slot(f), 2 * sizeof(int16_t));
    } else {
      dst[0] = dst[1] = 0;
    }
  }
  return frames;
}

void AudioTimeline::RenderLive(float* left, float* right, int frames, CommandSource& source) {
  std::lock_guard lock(mu_);
  if (history_.empty() || frames <= 0) return;
  Pull(source);
  const uint64_t now_frame = platform::GetMicroseconds() * kSampleRate / 1000000;
  if (!live_started_ || live_frame_ + kLiveSlackFrames < now_frame) {
    live_frame_ = BlockStart(now_frame);
    live_started_ = true;
  }
  if (live_frame_ > cursor_ + kMaxGapFrames) SkipTo(live_frame_);
  const uint64_t end = live_frame_ + static_cast<uint64_t>(frames);
  RenderUntil(end);
  for (int i = 0; i < frames; ++i) {
    const uint64_t f = live_frame_ + static_cast<uint64_t>(i);
    const bool held = Held(f);
    left[i] = held ? Slot(f)[0] / 32768.0f : 0.0f;
    right[i] = held ? Slot(f)[1] / 32768.0f : 0.0f;
  }
  live_frame_ = end;
}

}  // namespace corvane
