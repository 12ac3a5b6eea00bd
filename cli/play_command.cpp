#include <cstdio>
#include <filesystem>

#include "commands.h"
#include "output_check.h"
#include "platform/system_audio.h"
#include "progress.h"
#include "qm3middle_ids.h"

namespace sonavex::cli {
namespace {

// The pointer as time code (or the chosen format) and measure:beat. Reading
// the pointer display value afterwards acknowledges the position, so the
// middleware posts the next one.
std::string PointerText(HostSession& s, long* ticks) {
  long b = 0;
  s.Process(QM3_PROC_POINTER_POS, ticks, &b);
  s.Get(QM3_ID_POINTER_TICKS);
  s.Get(QM3_ID_PART_POINTER_TICKS);
  long t = *ticks, frames = 0;
  s.Process(QM3_PROC_TICK_TO_TIME, &t, &frames);
  long m = *ticks, measure = 0;
  s.Process(QM3_PROC_TICK2MEAS, &m, &measure);
  long i = *ticks, in_measure = 0;
  s.Process(QM3_PROC_TICK_IN_MEAS, &i, &in_measure);
  char text[64];
  std::snprintf(text, sizeof text, "%03ld:%ld", measure + 1, in_measure / 96 + 1);
  return s.Show(QM3_ID_START_TIME, frames) + "  " + text;
}

// True when `port` leads to the in-process software module while that module
// has no sound card to play to: the song would play in silence.
bool SilentPort(const HostSession& s, const std::string& name) {
  return s.module_running() && !s.module_audible() && name.rfind("Corvane USB MIDI OUT", 0) == 0;
}

}  // namespace

int RunPlay(const PlayOptions& o) {
  const std::string ext = std::filesystem::path(o.file).extension().string();
  const bool midi = ext == ".mid" || ext == ".midi" || ext == ".rmi" || ext == ".smf";
  if (ext != ".bgm" && !midi) {
    std::fprintf(stderr, "error: %s: give a song file (.bgm) or a MIDI file (.mid)\n",
                 o.file.c_str());
    return kExitUsage;
  }
  if (!CheckSongFile(o.file)) return kExitUsage;
  // Without a sound card the software module would play in silence: unless a
  // port is chosen, only a hardware module can play the song.
  const bool audio = platform::SystemAudioAvailable();
  SessionOptions so;
  so.virtual_clock = false;
  so.live_audio = audio;
  so.module_sound = audio;
  so.start_module = audio || o.port >= 0;
  HostSession s(so);
  if (int rc = s.Open(); rc != 0) return Report(s, rc, "start");
  if (!so.start_module && !s.module_found()) {
    std::fprintf(stderr, "error: no sound card found; use --port or convert --wav\n");
    return kExitFailure;
  }
  if (!ApplyTimeOptions(s, o.time)) return kExitUsage;
  const std::vector<std::string> ports = s.Ports();
  if (o.port >= 0) {
    if (o.port >= static_cast<int>(ports.size())) {
      std::fprintf(
          stderr, "error: --port %d: no such port; %s (see: sonavex-cli list ports)\n", o.port,
          ports.empty() ? "there are no MIDI output ports"
                        : ("the ports are 0 to " + std::to_string(ports.size() - 1)).c_str());
      return kExitUsage;
    }
    if (s.Set(QM3_ID_MIDI_OUT_DEVICE, o.port) != 0) return Report(s, 13, "--port");
  }
  const long selected = s.Get(QM3_ID_MIDI_OUT_DEVICE);
  const std::string port_name =
      selected >= 0 && selected < static_cast<long>(ports.size()) ? ports[selected] : "";
  if (o.port < 0 && !s.module_found()) return Report(s, 9, "play");
  if (int rc = s.FileProcess(QM3_PROC_OPEN_FILE, o.file); rc != 0) {
    return Report(s, rc, "open " + o.file);
  }
  s.NoteSkippedFiles();
  s.SetProcess(QM3_PROC_CHANGE_WINDOW,
               QM3_ID_SCREEN(midi ? QM3_SCREEN_SMF_EDIT : QM3_SCREEN_SONG_EDIT), 0);
  if (SilentPort(s, port_name)) {
    std::fprintf(stderr,
                 "note: port %ld (%s) makes no sound here: the software sound module found no "
                 "sound card\n",
                 selected, port_name.c_str());
  }
  if (int rc = s.Set(QM3_ID_PLAY, 1); rc != 0) return Report(s, rc, "play");
  const long length = s.Get(QM3_ID_SONG_LENGTH);
  Progress position("play", StyleFor(o.quiet, stderr));
  for (;;) {
    bool stopped = false;
    for (long id : s.WaitAndDrain(50)) {
      if (id == QM3_ID_PROCESS(QM3_PROC_POINTER_POS)) {
        long ticks = 0;
        const std::string text = PointerText(s, &ticks);
        position.Update(length > 0 ? ticks * 100 / length : 0, text);
      }
      if (id == QM3_ID_STOP) stopped = true;
    }
    long playing = 0, b = 0;
    s.Process(QM3_PROC_PLAYING_NOW, &playing, &b);
    if (stopped || playing == 0) break;
  }
  return kExitOk;
}

}  // namespace sonavex::cli
