#include "style_player.h"

#include <algorithm>
#include <utility>

namespace corvane {
namespace {

constexpr uint8_t kVolumeController = 7;
// The style's part volume sounds as expression, so that the host's channel
// volume (its part mutes) and the style's own levels multiply.
constexpr uint8_t kExpressionController = 11;
constexpr uint32_t kTicksPerBeat = 96;

uint8_t PartChannel(int part) {
  return static_cast<uint8_t>(kFirstPartChannel + part);
}

// Each pass of a looping pattern is played a little differently: up to 3
// velocity steps either way, drawn from the measure count and the note, so
// repeats are not identical and the same song still plays the same.
int PassVariation(uint32_t measure_count, const PatternNote& n) {
  uint32_t h =
      measure_count * 0x9E3779B1u ^ (static_cast<uint32_t>(n.part) << 24 |
                                     static_cast<uint32_t>(n.key) << 16 | (n.tick & 0xFFFF));
  h ^= h >> 16;
  h *= 0x85EBCA6Bu;
  h ^= h >> 13;
  h *= 0xC2B2AE35u;
  h ^= h >> 16;
  return static_cast<int>(h % 7) - 3;
}

}  // namespace

uint32_t StylePlayer::MeasureTicks() const {
  return style_ != nullptr ? style_->MeasureTicks() : 4 * kTicksPerBeat;
}

void StylePlayer::SetStyle(const Style* style, StyleSink& sink) {
  ReleaseAll(sink);
  style_ = style;
  playing_ = Playing{};
}

void StylePlayer::SetVariation(int index) {
  if (index >= 0 && index <= 3) main_ = index;
}

void StylePlayer::RequestIntro(int number) {
  if (number >= 0 && number <= 2 && !finished_) pending_intro_ = number;
}

void StylePlayer::RequestEnding(int number) {
  if (number < 1 || number > 2 || !running_ || finished_) return;
  if (playing_.section != nullptr && playing_.kind == SectionKind::kEnding) return;
  pending_ending_ = number;
}

void StylePlayer::RequestFill(int number, StyleSink& sink) {
  if (number < 0 || number > 2 || finished_) return;
  if (number == 0) {  // end of fill-in: a playing one ends at its bar line anyway
    pending_fill_ = 0;
    return;
  }
  if (playing_.section != nullptr && playing_.kind == SectionKind::kEnding) return;
  const uint32_t measure = MeasureTicks();
  const uint32_t into = position_ % measure;
  // Early enough in a main measure, the fill-in starts at once and plays the
  // rest of that measure; later, it waits for the next bar line.
  if (running_ && playing_.section != nullptr && playing_.kind == SectionKind::kMain && into > 0 &&
      into + kTicksPerBeat < measure) {
    pending_fill_ = 0;
    Begin(SectionKind::kFill, number, into, sink);
    return;
  }
  pending_fill_ = number;
}

void StylePlayer::SetChord(const Chord& chord) {
  chord_ = chord;
}

void StylePlayer::Start() {
  running_ = true;
  finished_ = false;
  position_ = 0;
  playing_ = Playing{};
}

void StylePlayer::Stop(StyleSink& sink) {
  ReleaseAll(sink);
  running_ = false;
  finished_ = false;
  playing_ = Playing{};
  pending_intro_ = pending_fill_ = pending_ending_ = 0;
}

void StylePlayer::Tick(StyleSink& sink) {
  if (!running_) return;
  if (position_ % MeasureTicks() == 0) OnBarLine(sink);
  if (chord_ != sounding_chord_) {
    ReleaseMoved(sink);
    sounding_chord_ = chord_;
  }
  for (size_t i = 0; i < sounding_count_;) {
    if (sounding_[i].end <= position_) {
      Release(i, sink);
    } else {
      ++i;
    }
  }
  if (playing_.section != nullptr && playing_.offset < playing_.end) {
    const Section& s = *playing_.section;
    while (playing_.next_control < s.controls.size() &&
           s.controls[playing_.next_control].tick <= playing_.offset) {
      PlayControl(s.controls[playing_.next_control++], sink);
    }
    while (playing_.next_note < s.notes.size() &&
           s.notes[playing_.next_note].tick <= playing_.offset) {
      const PatternNote& n = s.notes[playing_.next_note++];
      if (n.tick == playing_.offset) PlayNote(n, sink);
    }
    ++playing_.offset;
  }
  ++position_;
}

bool StylePlayer::TickMaySend(uint32_t ahead) const {
  if (!running_) return false;
  const uint32_t position = position_ + ahead;
  if (position % MeasureTicks() == 0 || chord_ != sounding_chord_) return true;
  for (size_t i = 0; i < sounding_count_; ++i) {
    if (sounding_[i].end <= position) return true;
  }
  if (playing_.section == nullptr || playing_.offset >= playing_.end) return false;
  const uint32_t offset = playing_.offset + ahead;
  if (offset >= playing_.end) return false;  // the section ends quietly until the bar line
  const Section& s = *playing_.section;
  return (playing_.next_control < s.controls.size() &&
          s.controls[playing_.next_control].tick <= offset) ||
         (playing_.next_note < s.notes.size() && s.notes[playing_.next_note].tick <= offset);
}

void StylePlayer::OnBarLine(StyleSink& sink) {
  if (finished_) return;
  const bool done = playing_.section == nullptr || playing_.offset >= playing_.end;
  if (playing_.section != nullptr && playing_.kind == SectionKind::kEnding) {
    if (done) Finish(sink);
    return;
  }
  if (playing_.section != nullptr && playing_.kind == SectionKind::kIntro && !done) return;
  if (pending_ending_ != 0) {
    const int n = std::exchange(pending_ending_, 0);
    pending_fill_ = pending_intro_ = 0;
    if (style_ == nullptr || style_->Find(SectionKind::kEnding, n) == nullptr) {
      Finish(sink);  // a style without endings stops at the bar line
      return;
    }
    Begin(SectionKind::kEnding, n, 0, sink);
    return;
  }
  if (pending_fill_ != 0) {
    Begin(SectionKind::kFill, std::exchange(pending_fill_, 0), 0, sink);
    return;
  }
  if (pending_intro_ != 0) {
    const int n = std::exchange(pending_intro_, 0);
    if (style_ != nullptr && style_->Find(SectionKind::kIntro, n) != nullptr) {
      Begin(SectionKind::kIntro, n, 0, sink);
      return;
    }
  }
  if (!done && playing_.kind == SectionKind::kMain && playing_.number == main_ + 1) return;
  Begin(SectionKind::kMain, main_ + 1, 0, sink);
}

void StylePlayer::Begin(SectionKind kind, int number, uint32_t offset, StyleSink& sink) {
  ReleaseAll(sink);
  playing_ = Playing{};
  const Section* s = style_ != nullptr ? style_->Find(kind, number) : nullptr;
  if (s == nullptr) return;
  playing_.section = s;
  playing_.kind = kind;
  playing_.number = number;
  playing_.offset = offset;
  // A fill-in lasts one measure, also when it falls back to a longer main.
  playing_.end = kind == SectionKind::kFill ? std::min(s->length, MeasureTicks()) : s->length;
  // Voices and levels set before the entry point still apply.
  while (playing_.next_control < s->controls.size() &&
         s->controls[playing_.next_control].tick < offset) {
    PlayControl(s->controls[playing_.next_control++], sink);
  }
  while (playing_.next_note < s->notes.size() && s->notes[playing_.next_note].tick < offset) {
    ++playing_.next_note;
  }
}

void StylePlayer::Finish(StyleSink& sink) {
  ReleaseAll(sink);
  playing_ = Playing{};
  finished_ = true;
}

void StylePlayer::PlayControl(const PatternControl& c, StyleSink& sink) {
  const uint8_t channel = PartChannel(c.part);
  if (c.kind == 0xC0) {
    sink.OnStyleMessage(static_cast<uint8_t>(0xC0 | channel), c.data1, 0);
    return;
  }
  const uint8_t controller = c.data1 == kVolumeController ? kExpressionController : c.data1;
  sink.OnStyleMessage(static_cast<uint8_t>(0xB0 | channel), controller, c.data2);
}

void StylePlayer::PlayNote(const PatternNote& n, StyleSink& sink) {
  const Section& s = *playing_.section;
  const PartSetting& part = s.parts[n.part];
  const Chord current = chord_.value_or(s.source);
  const auto key =
      static_cast<uint8_t>(MoveNote(n.key, part.rule, s.source, current, part.low, part.high));
  // The same key sounding again on a part is ended first, so one note-off
  // never has to end two notes.
  for (size_t i = 0; i < sounding_count_; ++i) {
    if (sounding_[i].part == n.part && sounding_[i].key == key) {
      Release(i, sink);
      break;
    }
  }
  if (sounding_count_ == sounding_.size()) Release(0, sink);
  // A fill-in entered late still ends at its section's end.
  const uint32_t left = playing_.end - playing_.offset;
  sounding_[sounding_count_++] = Sounding{n.part, key, position_ + std::min(n.length, left)};
  const int velocity =
      std::clamp(n.velocity + PassVariation(position_ / MeasureTicks(), n), 1, 127);
  sink.OnStyleMessage(static_cast<uint8_t>(0x90 | PartChannel(n.part)), key,
                      static_cast<uint8_t>(velocity));
}

void StylePlayer::Release(size_t index, StyleSink& sink) {
  const Sounding s = sounding_[index];
  sounding_[index] = sounding_[--sounding_count_];
  sink.OnStyleMessage(static_cast<uint8_t>(0x80 | PartChannel(s.part)), s.key, 0);
}

void StylePlayer::ReleaseAll(StyleSink& sink) {
  while (sounding_count_ > 0) Release(sounding_count_ - 1, sink);
}

void StylePlayer::ReleaseMoved(StyleSink& sink) {
  const Section* s = playing_.section;
  for (size_t i = 0; i < sounding_count_;) {
    const PartRule rule = s != nullptr ? s->parts[sounding_[i].part].rule : PartRule::kChord;
    if (rule != PartRule::kFixed) {
      Release(i, sink);
    } else {
      ++i;
    }
  }
}

}  // namespace corvane
