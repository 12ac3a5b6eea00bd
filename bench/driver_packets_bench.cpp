// The driver's per-byte work: parsing a full 32-byte read into the input
// ports, and packing and queuing a short message and a system-exclusive
// block, against copying the same bytes as the reference.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "input_port.h"
#include "io_threads.h"
#include "platform/usb_endpoint.h"
#include "usb_midi_packet.h"
#include "usb_transport.h"

using namespace platform;

namespace {

// Eight packets as the module sends them while playing: notes and clocks.
const uint8_t kRead[32] = {0x09, 0x90, 0x3C, 0x64, 0x0F, 0xF8, 0x00, 0x00, 0x09, 0x90, 0x40,
                           0x64, 0x19, 0x90, 0x43, 0x64, 0x0F, 0xF8, 0x00, 0x00, 0x08, 0x80,
                           0x3C, 0x00, 0x08, 0x80, 0x40, 0x00, 0x18, 0x80, 0x43, 0x00};

void BM_ReferenceCopyRead(benchmark::State& state) {
  uint8_t out[32];
  for (auto _ : state) {
    std::memcpy(out, kRead, sizeof(out));
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 32);
}
BENCHMARK(BM_ReferenceCopyRead);

void BM_ParseRead(benchmark::State& state) {
  cvusb::InputPort ports[2];
  for (auto& port : ports) {
    port.started = true;  // callback type 0: delivered without a call
    port.start_tick = 1;
  }
  for (auto _ : state) {
    cvusb::ForEachPacket(kRead, sizeof(kRead), [&](uint8_t cable, const uint8_t* b, int n) {
      for (int i = 0; i < n; ++i) cvusb::ParseInputByte(ports[cable & 1], b[i], 10);
    });
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 32);
}
BENCHMARK(BM_ParseRead);

void BM_PackShortMessage(benchmark::State& state) {
  uint8_t out[12];
  uint32_t message = 0x643C90;
  for (auto _ : state) {
    benchmark::DoNotOptimize(cvusb::PackShortMessage(0, message, out));
    message ^= 0x010000;
  }
}
BENCHMARK(BM_PackShortMessage);

// Queue and drain through the ring into an endpoint that takes everything.
int Accept(void*, const uint8_t*, int len) {
  return len;
}
int Nothing(void*, uint8_t*, int, unsigned) {
  return 0;
}

void BM_QueueAndDrainSysex(benchmark::State& state) {
  SonavexUsbEndpoint endpoint{nullptr, &Accept, &Nothing, nullptr, nullptr};
  SonavexRegisterUsbEndpoint("corvane-usb-0", &endpoint);
  auto& transport = cvusb::Transport();
  transport.OpenPipe(cvusb::PipeDirection::kOut);
  std::vector<uint8_t> block(static_cast<size_t>(state.range(0)), 0x11);
  block.front() = 0xF0;
  block.back() = 0xF7;
  for (auto _ : state) {
    transport.QueueSysex(0, block.data(), block.size());
    cvusb::DrainOutputRing();
  }
  transport.ClosePipe(cvusb::PipeDirection::kOut);
  SonavexUnregisterUsbEndpoint("corvane-usb-0");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_QueueAndDrainSysex)->Arg(11)->Arg(256);

}  // namespace

BENCHMARK_MAIN();
