#include "smf_writer.h"

#include <algorithm>
#include <cmath>

#include "midibytes/track_writer.h"

namespace content {
namespace {

bool IsNoteOff(const TrackEvent& e) {
  return (e.status & 0xF0) == 0x80 || ((e.status & 0xF0) == 0x90 && e.data2 == 0);
}

// Within one tick: meta events first (signature, tempo, markers), then
// note-offs, then everything else, so a section marker precedes its notes and
// a repeated key is released before it strikes again.
int TickRank(const TrackEvent& e) {
  if (e.status == 0xFF) return 0;
  if (IsNoteOff(e)) return 1;
  return 2;
}

}  // namespace

void TrackBuilder::Note(uint32_t tick, uint32_t length, int channel, int key, int velocity) {
  const uint8_t ch = static_cast<uint8_t>((channel - 1) & 0x0F);
  const uint8_t k = static_cast<uint8_t>(std::clamp(key, 0, 127));
  const uint8_t v = static_cast<uint8_t>(std::clamp(velocity, 1, 127));
  events_.push_back({tick, static_cast<uint8_t>(0x90 | ch), k, v, 0, {}});
  events_.push_back({tick + length, static_cast<uint8_t>(0x90 | ch), k, 0, 0, {}});
}

void TrackBuilder::Control(uint32_t tick, int channel, int controller, int value) {
  events_.push_back({tick,
                     static_cast<uint8_t>(0xB0 | ((channel - 1) & 0x0F)),
                     static_cast<uint8_t>(controller & 0x7F),
                     static_cast<uint8_t>(value & 0x7F),
                     0,
                     {}});
}

void TrackBuilder::Program(uint32_t tick, int channel, int program) {
  events_.push_back({tick,
                     static_cast<uint8_t>(0xC0 | ((channel - 1) & 0x0F)),
                     static_cast<uint8_t>(program & 0x7F),
                     0,
                     0,
                     {}});
}

void TrackBuilder::Tempo(uint32_t tick, double bpm) {
  const uint32_t usec = static_cast<uint32_t>(std::floor(60000000.0 / bpm + 0.5));
  events_.push_back({tick,
                     0xFF,
                     0,
                     0,
                     0x51,
                     {static_cast<uint8_t>(usec >> 16), static_cast<uint8_t>(usec >> 8),
                      static_cast<uint8_t>(usec)}});
}

void TrackBuilder::TimeSignature(uint32_t tick, int beats, int denominator) {
  uint8_t power = 0;
  while ((1 << power) < denominator) ++power;
  events_.push_back({tick, 0xFF, 0, 0, 0x58, {static_cast<uint8_t>(beats), power, 24, 8}});
}

void TrackBuilder::Text(uint32_t tick, uint8_t meta_type, const std::string& text) {
  events_.push_back({tick, 0xFF, 0, 0, meta_type, {text.begin(), text.end()}});
}

std::vector<uint8_t> TrackBuilder::ToSmf() const {
  std::vector<size_t> order(events_.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [this](size_t a, size_t b) {
    const TrackEvent& ea = events_[a];
    const TrackEvent& eb = events_[b];
    if (ea.tick != eb.tick) return ea.tick < eb.tick;
    return TickRank(ea) < TickRank(eb);
  });

  midibytes::TrackWriter track;
  for (size_t index : order) {
    const TrackEvent& e = events_[index];
    if (e.status == 0xFF) {
      track.Meta(e.tick, e.meta_type, e.payload.data(), static_cast<uint32_t>(e.payload.size()));
    } else {
      track.Channel(e.tick, e.status, e.data1, e.data2);
    }
  }
  track.End(end_tick_);
  return midibytes::AssembleFile(0, kTicksPerBeat, {track.bytes()});
}

}  // namespace content
