// The module's C interface: starts the sound module and registers its USB
// endpoint and audio device with the platform layer.
#include <fluidsynth.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

#include "corvane/module.h"
#include "platform/audio_source.h"
#include "platform/system_audio.h"
#include "platform/usb_endpoint.h"
#include "sound_module.h"

namespace {

corvane::SoundModule& Module() {
  static corvane::SoundModule module;
  return module;
}

std::mutex g_control_mu;
bool g_running = false;
fluid_audio_driver_t* g_live = nullptr;

int WriteOut(void* ctx, const uint8_t* data, int len) {
  return static_cast<corvane::SoundModule*>(ctx)->WriteOut(data, len);
}

int ReadIn(void* ctx, uint8_t* data, int capacity, unsigned timeout_ms) {
  return static_cast<corvane::SoundModule*>(ctx)->ReadIn(data, capacity, timeout_ms);
}

int ReadInTimed(void* ctx, uint8_t* data, int capacity, uint64_t* sent_us) {
  return static_cast<corvane::SoundModule*>(ctx)->ReadInTimed(data, capacity, sent_us);
}

uint64_t NextIn(void* ctx) {
  return static_cast<corvane::SoundModule*>(ctx)->NextInMicroseconds();
}

uint32_t RenderSource(void* ctx, uint64_t from_us, int16_t* out, uint32_t frames) {
  return static_cast<corvane::SoundModule*>(ctx)->RenderAudio(from_us, out, frames);
}

int LiveCallback(void* ctx, int len, int, float**, int nout, float** out) {
  if (nout >= 2 && out[0] != nullptr && out[1] != nullptr) {
    static_cast<corvane::SoundModule*>(ctx)->RenderLive(out[0], out[1], len);
  }
  return FLUID_OK;
}

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr ? v : "";
}

// The SoundFont to use, "" for none, or nothing when none can be found.
bool ChooseSoundFont(const CorvaneModuleOptions& o, std::string& path) {
  if (o.sound_font != nullptr) {
    path = o.sound_font;
    return path.empty() || std::filesystem::is_regular_file(path);
  }
  for (const std::string& candidate :
       {Env("SONAVEX_SOUNDFONT"), std::string("/usr/share/sounds/sf2/FluidR3_GM.sf2"),
        std::string("/usr/share/sounds/sf2/TimGM6mb.sf2")}) {
    if (!candidate.empty() && std::filesystem::is_regular_file(candidate)) {
      path = candidate;
      return true;
    }
  }
  return false;
}

// Synthesis threads: an export renders long stretches, which a second core
// shortens; live periods are too short to share.
int ChooseRenderCores(const CorvaneModuleOptions& o) {
  constexpr int kMaxCores = 2;
  int cores = o.render_cores;
  if (cores <= 0) cores = std::atoi(Env("SONAVEX_RENDER_CORES").c_str());
  if (cores <= 0) {
    const unsigned machine = std::thread::hardware_concurrency();
    cores = o.live_output == 0 && machine >= 2 ? kMaxCores : 1;
  }
  return std::clamp(cores, 1, kMaxCores);
}

void StopLocked() {
  if (!g_running) return;
  if (g_live != nullptr) {
    delete_fluid_audio_driver(g_live);
    g_live = nullptr;
  }
  platform::UnregisterAudioSource(CORVANE_MODULE_AUDIO_NAME);
  SonavexUnregisterUsbEndpoint(CORVANE_MODULE_ENDPOINT_NAME);
  Module().Close();
  g_running = false;
}

}  // namespace

extern "C" int CorvaneModuleStart(const CorvaneModuleOptions* options) {
  try {
    std::lock_guard lock(g_control_mu);
    if (g_running) return CORVANE_MODULE_ALREADY_RUNNING;
    const CorvaneModuleOptions o = options != nullptr ? *options : CorvaneModuleOptions{};
    std::string sound_font;
    if (!ChooseSoundFont(o, sound_font)) return CORVANE_MODULE_NO_SOUNDFONT;
    const std::string data_dir = o.data_dir != nullptr ? o.data_dir : Env("SONAVEX_DATA_DIR");
    corvane::SoundModule& m = Module();
    if (!m.Open(data_dir, sound_font, ChooseRenderCores(o))) return CORVANE_MODULE_NO_SOUNDFONT;

    const SonavexUsbEndpoint endpoint{&m, WriteOut, ReadIn, NextIn, ReadInTimed};
    if (SonavexRegisterUsbEndpoint(CORVANE_MODULE_ENDPOINT_NAME, &endpoint) != 0) {
      m.Close();
      return CORVANE_MODULE_ENDPOINT_TAKEN;
    }
    platform::WAVEFORMATEX format{};
    format.wFormatTag = platform::WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = CORVANE_MODULE_SAMPLE_RATE;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = CORVANE_MODULE_SAMPLE_RATE * 4;
    platform::AudioSourceOps ops;
    ops.ctx = &m;
    ops.render = RenderSource;
    ops.lookahead_frames = corvane::kRenderLookaheadFrames;
    if (platform::RegisterAudioSource(CORVANE_MODULE_AUDIO_NAME, format, ops) != 0) {
      SonavexUnregisterUsbEndpoint(CORVANE_MODULE_ENDPOINT_NAME);
      m.Close();
      return CORVANE_MODULE_ENDPOINT_TAKEN;
    }
    g_running = true;
    if (o.live_output != 0) {
      fluid_settings_t* settings = m.synth().settings();
      if (settings != nullptr) {
        fluid_settings_setstr(settings, "audio.driver", "alsa");
        platform::QuietSystemAudioMessages();  // no card is reported as a result
        g_live = new_fluid_audio_driver2(settings, LiveCallback, &m);
      }
      if (g_live == nullptr) {
        StopLocked();
        return CORVANE_MODULE_LIVE_FAILED;
      }
    }
    return CORVANE_MODULE_OK;
  } catch (...) {
    return CORVANE_MODULE_SYNTH_FAILED;
  }
}

extern "C" void CorvaneModuleStop(void) {
  try {
    std::lock_guard lock(g_control_mu);
    StopLocked();
  } catch (...) {
  }
}

extern "C" int CorvaneModuleIsRunning(void) {
  try {
    std::lock_guard lock(g_control_mu);
    return g_running ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

extern "C" uint32_t CorvaneModuleRenderAudio(uint64_t from_us, int16_t* out, uint32_t frames) {
  try {
    return Module().RenderAudio(from_us, out, frames);
  } catch (...) {
    return 0;
  }
}
