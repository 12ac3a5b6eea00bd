// Fuzzes the style bank's files: any bytes as a style, loaded when the
// module starts and then played with chords, a fill-in and an ending.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "corvane/module.h"
#include "platform/clock.h"
#include "platform/usb_endpoint.h"

namespace {

void Send(const SonavexUsbEndpoint& ep, std::vector<uint8_t> packets) {
  ep.write_out(ep.ctx, packets.data(), static_cast<int>(packets.size()));
}

// Parameter messages as code 4..7 packets (checksums precomputed).
const std::vector<uint8_t> kSelect = {0x04, 0xF0, 0x50, 0x2C, 0x04, 0x01, 0x2D, 0x13, 0x04, 0x0A,
                                      0x00, 0x00, 0x04, 0x00, 0x00, 0x02, 0x04, 0x00, 0x01, 0x02,
                                      0x04, 0x00, 0x00, 0x34, 0x05, 0xF7, 0x00, 0x00};
const std::vector<uint8_t> kFill = {0x04, 0xF0, 0x50, 0x2C, 0x04, 0x01, 0x2D, 0x13,
                                    0x04, 0x0A, 0x00, 0x0C, 0x04, 0x00, 0x00, 0x01,
                                    0x04, 0x00, 0x01, 0x00, 0x06, 0x2B, 0xF7, 0x00};
const std::vector<uint8_t> kEnding = {0x04, 0xF0, 0x50, 0x2C, 0x04, 0x01, 0x2D, 0x13,
                                      0x04, 0x0A, 0x00, 0x0E, 0x04, 0x00, 0x00, 0x01,
                                      0x04, 0x00, 0x01, 0x00, 0x06, 0x29, 0xF7, 0x00};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const auto dir =
      std::filesystem::temp_directory_path() / ("corvane-style-fuzz-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir / "styles");
  std::ofstream(dir / "styles" / "style_001_002.mid", std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<long>(size));
  platform::UseVirtualClock();
  const std::string d = dir.string();
  CorvaneModuleOptions options{};
  options.data_dir = d.c_str();
  options.sound_font = "";
  if (CorvaneModuleStart(&options) != CORVANE_MODULE_OK) return 0;
  SonavexUsbEndpoint ep{};
  if (SonavexFindUsbEndpoint(CORVANE_MODULE_ENDPOINT_NAME, &ep) == 0) {
    Send(ep, kSelect);
    Send(ep, {0x0F, 0xFA, 0, 0});
    uint8_t in[256];
    for (int clock = 0; clock < 24 * 4 * 6; ++clock) {
      if (clock == 100) Send(ep, {0x09, 0x9A, 57, 100, 0x09, 0x9A, 60, 100, 0x09, 0x9A, 64, 100});
      if (clock == 180) Send(ep, kFill);
      if (clock == 300) Send(ep, kEnding);
      Send(ep, {0x0F, 0xF8, 0, 0});
      platform::Sleep(20);
      while (ep.read_in(ep.ctx, in, sizeof in, 0) > 0) {
      }
    }
    Send(ep, {0x0F, 0xFC, 0, 0});
  }
  CorvaneModuleStop();
  return 0;
}
