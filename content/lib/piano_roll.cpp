#include "piano_roll.h"

#include <algorithm>

namespace content {
namespace {

constexpr int kTicksPerPixel = 4;
constexpr uint32_t kBackground = 0xFAFAF6;
constexpr uint32_t kMeasureLine = 0xDDDDDD;
constexpr uint32_t kSectionLine = 0x303030;

uint32_t ChannelColour(int channel) {
  switch (channel) {
    case 1:
      return 0xD03030;  // melody
    case 11:
      return 0x8080C0;  // chords
    case 12:
      return 0x2E8B57;  // accompaniment 1
    case 13:
      return 0x4682B4;  // accompaniment 2
    case 14:
      return 0xDAA520;  // accompaniment 3
    case 15:
      return 0x8B4513;  // bass
    default:
      return 0x202020;  // drums
  }
}

// Louder notes are drawn in fuller colour, softer ones fade to the paper.
uint32_t ByVelocity(uint32_t rgb, int velocity) {
  const int v = std::clamp(velocity, 1, 127);
  uint32_t out = 0;
  for (int shift : {16, 8, 0}) {
    const int c = static_cast<int>((rgb >> shift) & 0xFF);
    const int paper = static_cast<int>((kBackground >> shift) & 0xFF);
    out |= static_cast<uint32_t>(paper + (c - paper) * (24 + v) / 151) << shift;
  }
  return out;
}

// A lane under the roll: each onset as a stem as tall as its velocity.
constexpr int kVelocityLane = 48;

void VelocityStem(RgbImage& image, int lane_top, const ReadNote& n) {
  const int height = std::clamp(n.velocity, 0, 127) * (kVelocityLane - 2) / 127;
  image.Fill(static_cast<int>(n.start / kTicksPerPixel), lane_top + kVelocityLane - height, 1,
             height, ChannelColour(n.channel));
}

void MeasureLines(RgbImage& image, uint32_t end_tick, int beats) {
  const uint32_t measure = static_cast<uint32_t>(beats * 96);
  for (uint32_t t = 0; t <= end_tick; t += measure)
    image.Fill(static_cast<int>(t / kTicksPerPixel), 0, 1, image.height, kMeasureLine);
}

}  // namespace

std::string RollProblem(const ReadTrack& track, int beats) {
  if (track.end_tick > kLongestRollTicks) {
    return "lasts " + std::to_string(track.end_tick) + " ticks, longer than any song (" +
           std::to_string(kLongestRollTicks) + ")";
  }
  if (beats <= 0 || beats > 16) return "has " + std::to_string(beats) + " beats to the measure";
  return "";
}

RgbImage MelodyRoll(const ReadTrack& track, int beats) {
  constexpr int kLow = 45, kHigh = 86, kRow = 5;
  const int lane_top = (kHigh - kLow + 1) * kRow + 4;
  RgbImage image(static_cast<int>(track.end_tick / kTicksPerPixel) + 1, lane_top + kVelocityLane,
                 kBackground);
  MeasureLines(image, track.end_tick, beats);
  // C rows shaded so octaves can be read.
  for (int key = kLow; key <= kHigh; ++key)
    if (key % 12 == 0) image.Fill(0, (kHigh - key) * kRow, image.width, kRow, 0xF0F0E0);
  for (const auto& n : track.notes) {
    if (n.key < kLow || n.key > kHigh) continue;
    image.Fill(static_cast<int>(n.start / kTicksPerPixel), (kHigh - n.key) * kRow + 1,
               std::max(1, static_cast<int>(n.length / kTicksPerPixel) - 1), kRow - 1,
               ByVelocity(ChannelColour(n.channel), n.velocity));
    if (n.channel == 1) VelocityStem(image, lane_top, n);
  }
  image.Fill(0, lane_top - 2, image.width, 1, 0xAAAAAA);
  return image;
}

RgbImage StyleRoll(const ReadTrack& track, int beats) {
  constexpr int kLow = 24, kHigh = 96, kRow = 3;
  constexpr int kDrumLow = 35, kDrumHigh = 81, kDrumRow = 3, kGap = 8;
  const int drum_top = (kHigh - kLow + 1) * kRow + kGap;
  const int lane_top = drum_top + (kDrumHigh - kDrumLow + 1) * kDrumRow + 4;
  RgbImage image(static_cast<int>(track.end_tick / kTicksPerPixel) + 1,
                 lane_top + 2 * kVelocityLane + 4, kBackground);
  image.Fill(0, lane_top - 2, image.width, 1, 0xAAAAAA);
  MeasureLines(image, track.end_tick, beats);
  image.Fill(0, drum_top - kGap / 2, image.width, 1, 0xAAAAAA);
  for (const auto& m : track.metas)
    if (m.type == 0x06)
      image.Fill(static_cast<int>(m.tick / kTicksPerPixel), 0, 2, image.height, kSectionLine);
  for (const auto& n : track.notes) {
    const int x = static_cast<int>(n.start / kTicksPerPixel);
    const int w = std::max(2, static_cast<int>(n.length / kTicksPerPixel) - 1);
    if (n.channel == 16) {
      if (n.key < kDrumLow || n.key > kDrumHigh) continue;
      image.Fill(x, drum_top + (kDrumHigh - n.key) * kDrumRow, 3, kDrumRow,
                 ByVelocity(ChannelColour(16), n.velocity));
      // Drum velocities in the lower lane, the tuned parts' above it.
      VelocityStem(image, lane_top + kVelocityLane + 4, n);
    } else if (n.key >= kLow && n.key <= kHigh) {
      image.Fill(x, (kHigh - n.key) * kRow, w, kRow,
                 ByVelocity(ChannelColour(n.channel), n.velocity));
      VelocityStem(image, lane_top, n);
    }
  }
  return image;
}

}  // namespace content
