// corvane-module: the software sound module as its own process, reached by
// drivers in other processes through its local socket.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "corvane/module.h"
#include "platform/program_folder.h"
#include "platform/usb_endpoint.h"
#include "socket_bridge.h"

namespace {

void OnSignal(int) {
  corvane::RequestBridgeStop();
}

void Usage() {
  std::fprintf(stderr,
               "usage: corvane-module [--data-dir DIR] [--soundfont FILE] [--live]"
               " [--socket PATH]\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::string data_dir, sound_font, socket_path = corvane::DefaultSocketPath();
  bool have_font = false;
  CorvaneModuleOptions options{};
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--data-dir" && has_value) {
      data_dir = argv[++i];
    } else if (arg == "--soundfont" && has_value) {
      sound_font = argv[++i];
      have_font = true;
    } else if (arg == "--socket" && has_value) {
      socket_path = argv[++i];
    } else if (arg == "--live") {
      options.live_output = 1;
    } else {
      Usage();
      return 2;
    }
  }
  // An installed module finds its style bank beside itself.
  if (data_dir.empty() && std::getenv("SONAVEX_DATA_DIR") == nullptr) {
    data_dir = platform::ProgramFolder();
  }
  if (!data_dir.empty()) options.data_dir = data_dir.c_str();
  if (have_font) options.sound_font = sound_font.c_str();
  const int started = CorvaneModuleStart(&options);
  if (started != CORVANE_MODULE_OK) {
    std::fprintf(stderr, "corvane-module: cannot start (%d)\n", started);
    return 1;
  }
  SonavexUsbEndpoint endpoint{};
  if (SonavexFindUsbEndpoint(CORVANE_MODULE_ENDPOINT_NAME, &endpoint) != 0) {
    CorvaneModuleStop();
    return 1;
  }
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  std::fprintf(stderr, "corvane-module: listening on %s\n", socket_path.c_str());
  const bool ok = corvane::RunSocketBridge(socket_path, endpoint);
  CorvaneModuleStop();
  if (!ok) {
    std::fprintf(stderr, "corvane-module: cannot listen on %s\n", socket_path.c_str());
    return 1;
  }
  return 0;
}
