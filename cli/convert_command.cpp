#include <cstdio>
#include <filesystem>
#include <utility>

#include "commands.h"
#include "exit_codes.h"
#include "interrupt.h"
#include "output_check.h"
#include "progress.h"
#include "qm3middle_ids.h"
#include "time_text.h"

namespace sonavex::cli {
namespace {

// Cancels the conversion in progress after a signal: the middleware stops
// the play and throws away what it had written beside the target.
int Interrupted(HostSession& s, int signal, const char* what) {
  s.Set(QM3_ID_CONVERT_CANCEL, 1);
  s.Drain();
  std::fprintf(stderr, "interrupted: the conversion to %s was cancelled; nothing was written\n",
               what);
  return ExitInterrupted(signal);
}

// Starts conversion process `number` and follows its progress to 100.
int Convert(HostSession& s, const InterruptWatch& interrupt, int number, long flags,
            const std::string& out, const char* what, bool quiet, bool cut = false) {
  if (int rc = s.FileProcess(number, out, flags); rc != 0) {
    return Report(s, rc, std::string("convert to ") + what);
  }
  if (cut) {  // a range of an opened MIDI file is cut from it at once
    std::printf("wrote %s\n", out.c_str());
    return 0;
  }
  // The song plays in full; allow its length plus a margin on the clock.
  const long seconds = s.Get(QM3_ID_SONG_LENGTH) / 96 + 120;
  Progress progress(what, StyleFor(quiet, stderr));
  for (long waited = 0; waited < seconds * 1000; waited += 500) {
    s.Wait(500);
    s.Drain();
    if (const int signal = interrupt.Requested()) {
      progress.Finish();
      return Interrupted(s, signal, what);
    }
    int rc = 0;
    const long percent = s.Get(QM3_ID_CONVERT_PROGRESS, &rc);
    progress.Update(percent);
    if (rc != 0) {
      progress.Finish();
      return Report(s, rc, std::string("convert to ") + what);
    }
    if (percent >= 100) {
      progress.Finish();
      if (!std::filesystem::exists(out)) {
        std::fprintf(stderr, "error: %s was not written\n", out.c_str());
        return 1;
      }
      std::printf("wrote %s\n", out.c_str());
      return 0;
    }
  }
  s.Set(QM3_ID_CONVERT_CANCEL, 1);
  progress.Finish();
  std::fprintf(stderr, "error: the conversion to %s did not finish\n", what);
  return 1;
}

}  // namespace

int RunConvert(const ConvertOptions& o) {
  if (o.smf.empty() && o.wav.empty()) {
    std::fprintf(stderr, "error: give --smf FILE and/or --wav FILE\n");
    return kExitUsage;
  }
  const std::string ext = std::filesystem::path(o.song).extension().string();
  const bool midi = ext == ".mid" || ext == ".midi" || ext == ".rmi" || ext == ".smf";
  if (midi && !o.smf.empty() && o.range_from.empty() && o.range_to.empty()) {
    std::fprintf(stderr,
                 "error: --smf of a MIDI file needs a --range (edit -o saves a whole file)\n");
    return kExitUsage;
  }
  if ((!o.smf.empty() && !CheckOutputFile("--smf", o.smf)) ||
      (!o.wav.empty() && !CheckOutputFile("--wav", o.wav))) {
    return kExitUsage;
  }
  if (!CheckSongFile(o.song)) return kExitUsage;
  // An SMF alone is what the module plays, not how it sounds: no SoundFont
  // is loaded and nothing is synthesized.
  SessionOptions so;
  so.module_sound = !o.wav.empty();
  // Declared before the session, so the session ends (and gives its work
  // folder back) while a signal is still only recorded.
  InterruptWatch interrupt;
  HostSession s(so);
  if (int rc = s.Open(); rc != 0) return Report(s, rc, "start");
  if (int rc = s.FileProcess(QM3_PROC_OPEN_FILE, o.song); rc != 0) {
    return Report(s, rc, "open " + o.song);
  }
  s.NoteSkippedFiles();
  if (const int signal = interrupt.Requested()) {
    std::fprintf(stderr, "interrupted: nothing was converted\n");
    return ExitInterrupted(signal);
  }
  s.SetProcess(QM3_PROC_CHANGE_WINDOW,
               QM3_ID_SCREEN(midi ? QM3_SCREEN_SMF_EDIT : QM3_SCREEN_SONG_EDIT), 0);
  const bool range = !o.range_from.empty() || !o.range_to.empty();
  if (o.gm_voices) s.Set(QM3_ID_CONVERT_GM_VOICES, 1);
  if (range) {
    if (!ApplyTimeOptions(s, o.time)) return 2;
    long from = 0, to = 0;
    for (const auto& [text, value] :
         {std::pair{&o.range_from, &from}, std::pair{&o.range_to, &to}}) {
      const std::string reason = CheckTimeText(*text, o.time);
      if (!reason.empty() || s.Parse(QM3_ID_START_TIME, *text, value) != 0) {
        std::fprintf(stderr, "error: --range: \"%s\" is %s\n", text->c_str(),
                     reason.empty() ? "not a time" : reason.c_str());
        return 2;
      }
    }
    const long song_start = s.Get(QM3_ID_START_TIME), song_end = s.Get(QM3_ID_END_TIME);
    if (to <= from) {
      std::fprintf(stderr, "error: --range: the end %s must lie after the start %s\n",
                   o.range_to.c_str(), o.range_from.c_str());
      return 2;
    }
    if (from < song_start || to > song_end) {
      std::fprintf(stderr, "error: --range: the song plays from %s to %s; give a range inside it\n",
                   s.Show(QM3_ID_START_TIME, song_start).c_str(),
                   s.Show(QM3_ID_START_TIME, song_end).c_str());
      return 2;
    }
    long a = from, b = 0, c = to, d = 0;
    s.Process(QM3_PROC_TIME_TO_TICK, &a, &b);
    s.Process(QM3_PROC_TIME_TO_TICK, &c, &d);
    if (int rc = s.SetProcess(QM3_PROC_POINTER_POS, b, d); rc != 0) return Report(s, rc, "--range");
    long x = 0, y = 0;
    s.Process(QM3_PROC_POINTER_POS, &x, &y);  // the range handshake
    s.Process(QM3_PROC_POINTER_POS, &x, &y);
  }
  // A song's SMF and WAV come from one play: the SMF conversion only names
  // its file, and the WAV conversion records both.
  const bool together = !o.smf.empty() && !o.wav.empty() && !midi;
  const int smf_process = range ? QM3_PROC_CONVERT_SMF_PART : QM3_PROC_CONVERT_SMF_ALL;
  if (together) {
    if (int rc = s.FileProcess(smf_process, o.smf, QM3_SMF_WITH_NEXT_WAV); rc != 0) {
      return Report(s, rc, "convert to SMF");
    }
  } else if (!o.smf.empty()) {
    if (int rc = Convert(s, interrupt, smf_process, 0, o.smf, "SMF", o.quiet, midi)) return rc;
  }
  if (!o.wav.empty()) {
    const long flags = o.keep_tail ? QM3_WAV_KEEP_RELEASE_TAIL : 0;
    if (int rc = Convert(s, interrupt, range ? QM3_PROC_CONVERT_WAV_PART : QM3_PROC_CONVERT_WAV_ALL,
                         flags, o.wav, together ? "SMF and WAV" : "WAV", o.quiet)) {
      // The SMF need not share the WAV's failure (no audio from a hardware
      // module, a full disk): it is made in a play of its own.
      if (together && interrupt.Requested() == 0) {
        Convert(s, interrupt, smf_process, 0, o.smf, "SMF", o.quiet);
      }
      return rc;
    }
    if (together) std::printf("wrote %s\n", o.smf.c_str());
  }
  return 0;
}

}  // namespace sonavex::cli
