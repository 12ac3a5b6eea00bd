/* The software sound module: the sound module's twin on the wire. It serves
 * USB-MIDI packets on the in-process endpoint "corvane-usb-0", plays styles on
 * channels 12-16, sounds every channel through FluidSynth and offers its audio
 * as the wave-input device "Corvane USB Audio".
 *
 * Thread rules: Start and Stop from one controlling thread, never from a
 * device thread. CorvaneModuleRenderAudio is the audio device's render
 * function: it may run on a device thread, takes the module's locks briefly
 * and never waits. No call throws; errors are return values. */
#ifndef CORVANE_MODULE_H
#define CORVANE_MODULE_H

#include <stdint.h>

#if defined(CORVANE_MODULE_BUILD)
#define CORVANE_MODULE_API __attribute__((visibility("default")))
#else
#define CORVANE_MODULE_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Name of the in-process USB endpoint (platform/usb_endpoint.h). */
#define CORVANE_MODULE_ENDPOINT_NAME "corvane-usb-0"
/* Name of the audio input device (platform/audio_source.h). */
#define CORVANE_MODULE_AUDIO_NAME "Corvane USB Audio"
#define CORVANE_MODULE_SAMPLE_RATE 44100

enum CorvaneModuleResult {
  CORVANE_MODULE_OK = 0,
  CORVANE_MODULE_ALREADY_RUNNING = -1,
  CORVANE_MODULE_NO_SOUNDFONT = -2,   /* the SoundFont is missing or unreadable */
  CORVANE_MODULE_SYNTH_FAILED = -3,   /* FluidSynth could not be set up */
  CORVANE_MODULE_ENDPOINT_TAKEN = -4, /* another device holds the endpoint name */
  CORVANE_MODULE_LIVE_FAILED = -5     /* live output asked for but no sound card */
};

typedef struct CorvaneModuleOptions {
  /* Folder with styles/style_%03d_%03d.mid; NULL: $SONAVEX_DATA_DIR. */
  const char* data_dir;
  /* SoundFont file. NULL: $SONAVEX_SOUNDFONT, else the larger General MIDI
   * SoundFont in /usr/share/sounds/sf2, else the small one. An empty string
   * runs the module without sound (the wire behaves the same). */
  const char* sound_font;
  /* Non-zero: also play to the sound card (real clock only). */
  int live_output;
  /* Threads that share the synthesis of each stretch of audio (the samples
   * are the same for any number). 0: $SONAVEX_RENDER_CORES, else two on a
   * machine with two cores or more when nothing plays live (exports), else
   * one (live playback renders short periods, where a second thread costs
   * more than it gives). */
  int render_cores;
} CorvaneModuleOptions;

/* Starts the module and registers its endpoint and audio device. A NULL
 * options pointer means all defaults. */
CORVANE_MODULE_API int CorvaneModuleStart(const CorvaneModuleOptions* options);

/* Unregisters the faces, silences and frees everything. Safe when stopped. */
CORVANE_MODULE_API void CorvaneModuleStop(void);

/* Non-zero while the module runs. */
CORVANE_MODULE_API int CorvaneModuleIsRunning(void);

/* The audio device's render function: fills `frames` interleaved stereo
 * 16-bit frames for the clock interval starting at `from_us` (platform clock
 * microseconds). Call it once the clock has passed the interval's end.
 * Returns the frames written (0 when the module is stopped). */
CORVANE_MODULE_API uint32_t CorvaneModuleRenderAudio(uint64_t from_us, int16_t* out,
                                                     uint32_t frames);

#ifdef __cplusplus
}
#endif

#endif /* CORVANE_MODULE_H */
