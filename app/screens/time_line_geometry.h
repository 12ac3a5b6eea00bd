// The time line's arithmetic: the three zoom steps, ticks to pixels and
// back, snapping a mouse position to the zoom's unit, and the scroll range.
// A window shows `ticks_per_width` ticks across `width` pixels.
//
// Thread rules: pure functions; usable anywhere.
#pragma once
#include <algorithm>
#include <cstdint>

namespace sonavex::app {

constexpr long kTicksPerBeat = 96;
constexpr int kMinScale = 1;
constexpr int kMaxScale = 3;

struct TimeLineZoom {
  int beats_per_width;
  long ticks_per_width;
  long snap;  // also the scroll bar's line step
};

// A stored scale outside 1..3 is taken as the nearest one.
constexpr int ClampScale(int scale) {
  return std::clamp(scale, kMinScale, kMaxScale);
}

constexpr TimeLineZoom ZoomOf(int scale) {
  switch (ClampScale(scale)) {
    case 1:
      return {40, 40 * kTicksPerBeat, 96};
    case 2:
      return {20, 20 * kTicksPerBeat, 48};
    default:
      return {10, 10 * kTicksPerBeat, 24};
  }
}

// The pixel of `tick`, counted from tick 0 (64-bit product, truncated).
constexpr long TickToPixel(long tick, int width, long ticks_per_width) {
  if (ticks_per_width <= 0) return 0;
  return static_cast<long>(static_cast<int64_t>(tick) * width / ticks_per_width);
}

// The tick of pixel `x` counted from tick 0.
constexpr long PixelToTick(long x, int width, long ticks_per_width) {
  if (width <= 0) return 0;
  const long one = TickToPixel(1, width, ticks_per_width);
  return static_cast<long>(static_cast<int64_t>(x + one - 1) * ticks_per_width / width);
}

// `tick` rounded to the nearest multiple of `unit`, halves up; never below 0.
constexpr long SnapTick(long tick, long unit) {
  if (unit <= 0) return std::max(0L, tick);
  if (tick < 0) return 0;
  return (tick + unit / 2) / unit * unit;
}

// The largest scroll origin: 0 while the whole length fits the `shown`
// pixels of the window (all of it unless margins are kept free).
constexpr long ScrollMax(long total, int width, long ticks_per_width, int shown) {
  if (TickToPixel(total, width, ticks_per_width) < shown) return 0;
  return std::max(0L, total - PixelToTick(shown, width, ticks_per_width));
}

constexpr long ScrollMax(long total, int width, long ticks_per_width) {
  return ScrollMax(total, width, ticks_per_width, width);
}

}  // namespace sonavex::app
