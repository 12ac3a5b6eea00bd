// A live run on the real clock: 30 s of main variation 1 at 120 BPM on the
// software sound module (silent: the wire is what is measured), reached
// through the cvusb driver, with the module as clock master. Reports when
// the run sent each melody message against the module's clock grid (the
// ideal time of the clock that triggered it, anchored at the median clock
// offset), as p50/p90/p99/max; the reference, measured in the same run, is
// the arrival of the module's clocks themselves on the same grid.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "core/control_ids.h"
#include "core/core_state.h"
#include "core/middle_internal.h"
#include "corvane/module.h"
#include "midi/live_run.h"
#include "platform/clock.h"
#include "platform/drivers.h"
#include "platform/host_window.h"
#include "qm3middle.h"

namespace {

using namespace qm3;

constexpr int kRunTempo = 120;
constexpr double kClockUs = 2500000.0 / kRunTempo;
constexpr uint32_t kRunMs = 30000;

struct Log {
  std::mutex mu;
  std::vector<double> clocks;                     // arrival, by clock number
  std::vector<std::pair<uint64_t, double>> sent;  // (clock, time) of melody messages
};

void OnClock(void* c, uint64_t n, uint64_t us) {
  auto* log = static_cast<Log*>(c);
  std::lock_guard lock(log->mu);
  if (n == log->clocks.size()) log->clocks.push_back(static_cast<double>(us));
}

void OnSent(void* c, uint64_t n, uint64_t us, uint32_t message) {
  const uint32_t status = message & 0xFF;
  if ((status & 0xE0) != 0x80 || (status & 0x0F) != 0) return;  // note on/off, channel 1
  auto* log = static_cast<Log*>(c);
  std::lock_guard lock(log->mu);
  // What the start sends before the module's first clock is the lead-in,
  // not driven by a clock.
  if (log->clocks.empty()) return;
  log->sent.emplace_back(n, static_cast<double>(us));
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5))];
}

void Report(benchmark::State& state, const char* prefix, const std::vector<double>& errors) {
  const std::string p = prefix;
  state.counters[p + "_p50_us"] = Percentile(errors, 0.50);
  state.counters[p + "_p90_us"] = Percentile(errors, 0.90);
  state.counters[p + "_p99_us"] = Percentile(errors, 0.99);
  state.counters[p + "_max_us"] = Percentile(errors, 1.0);
}

void BM_LiveRunMelodyAgainstModuleClock(benchmark::State& state) {
  namespace fs = std::filesystem;
  const fs::path runtime = fs::temp_directory_path() / "sonavex-live-bench";
  fs::create_directories(runtime);
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  setenv("SONAVEX_CVUSB_INF", "/nonexistent/usbcvmid.inf", 1);
  setenv("SONAVEX_DRIVERS", CVUSB_LIBRARY, 1);
  CorvaneModuleOptions options{};
  options.data_dir = SONAVEX_DATA_DIR;
  options.sound_font = "";
  if (CorvaneModuleStart(&options) != CORVANE_MODULE_OK) {
    state.SkipWithError("the software module did not start");
    return;
  }
  platform::ReloadDrivers();
  const long window = platform::CreateHostWindow();
  const long message = static_cast<long>(platform::RegisterWindowMessage("QM3MIDDLE"));
  SetHostDirectory(std::string(SONAVEX_DATA_DIR) + "/");
  Log log;
  for (auto _ : state) {
    if (QM3MiddleInit(window, message) != 0 ||
        QM3SetValue(0x8000 + kProcChangeWindow, 0, 0x4204, 0) != 0) {
      state.SkipWithError("no module ports");
      break;
    }
    QM3SetValue(qm3::kTempo, 0, kRunTempo, 0);
    midi::LiveObserver observer;
    observer.context = &log;
    observer.clock = OnClock;
    observer.sent = OnSent;
    midi::SetLiveRunObserver(observer);
    QM3SetValue(VariationButton(1), 0, 1, 0);
    const uint32_t end = platform::GetTickCount() + kRunMs;
    platform::Msg m;
    while (platform::GetTickCount() < end) {
      platform::Sleep(20);
      while (platform::PeekMessage(window, &m)) {
      }
    }
    QM3SetValue(kStop, 0, 0, 0);
    midi::SetLiveRunObserver({});
  }
  QM3SetValue(0x8000 + kProcEnd, 0, 0, 0);
  platform::DestroyHostWindow(window);
  CorvaneModuleStop();
  platform::ReloadDrivers();

  // The grid: clock i at anchor + i * period, the anchor being the median
  // offset of the clocks' arrivals.
  std::vector<double> offsets;
  for (size_t i = 0; i < log.clocks.size(); ++i) offsets.push_back(log.clocks[i] - i * kClockUs);
  const double anchor = Percentile(offsets, 0.5);
  std::vector<double> clock_errors, melody_errors;
  for (double o : offsets) clock_errors.push_back(std::abs(o - anchor));
  for (const auto& [n, us] : log.sent) melody_errors.push_back(us - (anchor + n * kClockUs));
  for (double& e : melody_errors) e = std::abs(e);
  Report(state, "melody", melody_errors);
  Report(state, "clock_ref", clock_errors);
  state.counters["clocks"] = static_cast<double>(log.clocks.size());
  state.counters["melody_messages"] = static_cast<double>(log.sent.size());
  state.counters["clocks_per_beat"] =
      log.clocks.size() > 1
          ? (log.clocks.size() - 1) / ((log.clocks.back() - log.clocks.front()) / 500000.0)
          : 0;
}
BENCHMARK(BM_LiveRunMelodyAgainstModuleClock)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
