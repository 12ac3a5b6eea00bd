#include <cstdio>
#include <filesystem>

#include "commands.h"
#include "core/control_ids.h"
#include "platform/sjis.h"

namespace sonavex::cli {
namespace {

using namespace qm3;

// The pointer as time code (or the chosen format) and measure:beat.
void ShowPointer(HostSession& s) {
  long ticks = 0, b = 0;
  s.Process(kProcPointerPos, &ticks, &b);
  long t = ticks, frames = 0;
  s.Process(kProcTickToTime, &t, &frames);
  long m = ticks, measure = 0;
  s.Process(kProcTick2Meas, &m, &measure);
  long i = ticks, in_measure = 0;
  s.Process(kProcTickInMeas, &i, &in_measure);
  std::fprintf(stderr, "\r%s  %03ld:%ld ", s.Show(kStartTime, frames).c_str(), measure + 1,
               in_measure / 96 + 1);
}

}  // namespace

int RunPlay(const PlayOptions& o) {
  if (std::filesystem::path(o.file).extension() != ".bgm") {
    std::fprintf(stderr, "error: %s: only song files (.bgm) play from the command line\n",
                 o.file.c_str());
    return 2;
  }
  SessionOptions so;
  so.virtual_clock = false;
  so.live_audio = o.port < 0;
  HostSession s(so);
  if (int rc = s.Open(); rc != 0) return Report(s, rc, "start");
  if (!ApplyTimeOptions(s, o.time)) return 2;
  if (o.port >= 0 && s.Set(kMidiOutDevice, o.port) != 0) return Report(s, 13, "--port");
  const std::string path = platform::Utf8ToSjis(o.file);
  if (int rc = s.SetProcess(kProcOpenFile, 0, reinterpret_cast<long>(path.c_str())); rc != 0) {
    return Report(s, rc, "open " + o.file);
  }
  s.SetProcess(kProcChangeWindow, 0x4205, 0);
  if (int rc = s.Set(kPlay, 1); rc != 0) return Report(s, rc, "play");
  for (;;) {
    s.Wait(50);
    bool stopped = false;
    for (long id : s.Drain()) {
      if (id == 0x8003) ShowPointer(s);
      if (id == kStop) stopped = true;
    }
    long playing = 0, b = 0;
    s.Process(kProcPlayingNow, &playing, &b);
    if (stopped || playing == 0) break;
  }
  std::fputc('\n', stderr);
  return 0;
}

}  // namespace sonavex::cli
