// Fuzzes the module's bulk OUT pipe: any bytes, cut into writes at any
// points and spread over virtual time, must neither crash the module nor
// leave its IN pipe or audio broken.
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

// A one-measure style (rhythm keys 1 and 2) with a chord part, a bass and a
// drum note, and a fill-in, so that the fuzzer can reach the style engine.
const uint8_t kStyle[] = {
    'M',  'T',  'h',  'd',  0,    0,   0,    6,    0,    0,    0,    1,    0,    96,   'M', 'T',
    'r',  'k',  0,    0,    0,    73,  0x00, 0xFF, 0x06, 0x06, 'M',  'a',  'i',  'n',  ' ', '1',
    0x00, 0xFF, 0x01, 0x0B, 'c',  'h', 'o',  'r',  'd',  '=',  'C',  ' ',  'm',  'a',  'j', 0x00,
    0x9B, 60,   90,   0x00, 0x9E, 36,  90,   0x00, 0x9F, 38,   90,   0x60, 0x8B, 60,   0,   0x00,
    0x8E, 36,   0,    0x00, 0x8F, 38,  0,    0x82, 0x20, 0xFF, 0x06, 0x06, 'F',  'i',  'l', 'l',
    ' ',  '1',  0x00, 0x9F, 40,   90,  0x30, 0x8F, 40,   0,    0x82, 0x50, 0xFF, 0x2F, 0x00};

std::string DataDir() {
  static const std::string dir = [] {
    const auto d = std::filesystem::temp_directory_path() /
                   ("corvane-packets-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(d / "styles");
    std::ofstream(d / "styles" / "style_001_002.mid", std::ios::binary)
        .write(reinterpret_cast<const char*>(kStyle), sizeof kStyle);
    return d.string();
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::UseVirtualClock();
  const std::string dir = DataDir();
  CorvaneModuleOptions options{};
  options.data_dir = dir.c_str();
  options.sound_font = "";
  if (CorvaneModuleStart(&options) != CORVANE_MODULE_OK) return 0;
  SonavexUsbEndpoint ep{};
  if (SonavexFindUsbEndpoint(CORVANE_MODULE_ENDPOINT_NAME, &ep) == 0) {
    // Each write is led by one byte: its length (low 5 bits) and how far
    // the clock moves after it (high 3 bits, in steps of 2 ms).
    size_t i = 0;
    uint8_t in[256];
    while (i < size) {
      const uint8_t lead = data[i++];
      const size_t len = std::min<size_t>(lead & 0x1F, size - i);
      ep.write_out(ep.ctx, data + i, static_cast<int>(len));
      i += len;
      platform::Sleep(static_cast<uint32_t>(lead >> 5) * 2);
      while (ep.read_in(ep.ctx, in, sizeof in, 0) > 0) {
      }
    }
    platform::Sleep(100);
    while (ep.read_in(ep.ctx, in, sizeof in, 0) > 0) {
    }
    std::vector<int16_t> audio(2 * 4410);
    CorvaneModuleRenderAudio(0, audio.data(), 4410);
  }
  CorvaneModuleStop();
  return 0;
}
