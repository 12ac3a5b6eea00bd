#include <cstdio>

#include "catalog_view.h"
#include "commands.h"
#include "output_check.h"
#include "platform/sjis.h"
#include "qm3middle.h"
#include "qm3middle_ids.h"

namespace sonavex::cli {
namespace {

// Pads UTF-8 text to `width` columns (every code point one column: the
// phrase names are ASCII and half-width kana).
std::string Pad(const std::string& text, size_t width) {
  size_t columns = 0;
  for (unsigned char c : text) columns += (c & 0xC0) != 0x80;
  return columns >= width ? text : text + std::string(width - columns, ' ');
}

}  // namespace

void PrintSongTable(HostSession& s) {
  long a = 0, b = 0;
  if (s.Process(QM3_PROC_GET_SONG_TIME_LINE_DATA, &a, &b) != 0 || a == 0) return;
  const auto* list = reinterpret_cast<const QM3PhraseList*>(a);
  long one = 1, measure_ticks = 0;
  s.Process(QM3_PROC_MEAS2TICK, &one, &measure_ticks);
  const long beats_per_measure = measure_ticks >= 96 ? measure_ticks / 96 : 4;
  std::printf("%-3s %-14s %-8s %-9s %-8s %s\n", "#", "phrase", "measures", "variation", "fill-in",
              "parts");
  for (int i = 0; i < list->nCount; ++i) {
    const QM3SongPhrase& p = list->pPhrases[i];
    const char* fill = p.cFillIn == 0 ? "1" : p.cFillIn == 1 ? "2" : "-";
    std::printf("%-3d %s %-8ld %-9d %-8s %02x\n", i + 1,
                Pad(platform::SjisToUtf8(p.szName), 14).c_str(), p.nLength / beats_per_measure,
                p.cKind == 2 ? p.cVariation + 1 : 0, p.cKind == 2 ? fill : "-", p.nParts);
  }
  const CatalogView catalog(s);
  const long rhythm = s.Get(QM3_ID_RHYTHM);
  const long melody = s.Get(QM3_ID_USER_MELODY);
  for (const RhythmEntry& r : catalog.rhythms()) {
    if (r.id == rhythm) std::printf("rhythm: %s", r.name.c_str());
  }
  if (melody >= 0 && melody < static_cast<long>(catalog.melodies().size())) {
    std::printf("   melody: %s", catalog.melodies()[melody].name.c_str());
  }
  std::printf("\n");
  const long tempo = s.Get(QM3_ID_EDIT_TEMPO);  // 1/100 beats per minute
  std::printf("tempo: %ld.%02ld BPM   start: %s   end: %s   length: %ld ticks\n", tempo / 100,
              tempo % 100, s.Show(QM3_ID_START_TIME, s.Get(QM3_ID_START_TIME)).c_str(),
              s.Show(QM3_ID_END_TIME, s.Get(QM3_ID_END_TIME)).c_str(), s.Get(QM3_ID_SONG_LENGTH));
}

int RunCompose(const SongOptions& options, const std::string& out) {
  if (!CheckOutputFile("--out", out)) return kExitUsage;
  // Composing plays nothing: the module need not load its sounds.
  SessionOptions so;
  so.module_sound = false;
  HostSession s(so);
  if (int rc = s.Open(); rc != 0) return Report(s, rc, "start");
  // As a host does: the new-song menu item, then the play-time screen.
  if (int rc = s.Set(QM3_ID_MENU_NEW_PLAY_TIME_SONG, 1); rc != 0) return Report(s, rc, "new song");
  if (int rc = s.SetProcess(QM3_PROC_CHANGE_WINDOW, QM3_ID_SCREEN(QM3_SCREEN_PLAY_TIME), 0);
      rc != 0) {
    return Report(s, rc, "play-time window");
  }
  if (int rc = ApplySongOptions(s, options); rc != 0) return rc;
  if (int rc = s.Set(QM3_ID_CREATE_SONG_BUTTON, 1); rc != 0) return Report(s, rc, "compose");
  s.NoteSkippedFiles();
  s.SetProcess(QM3_PROC_CHANGE_WINDOW, QM3_ID_SCREEN(QM3_SCREEN_SONG_EDIT), 0);
  PrintSongTable(s);
  if (int rc = s.FileProcess(QM3_PROC_SAVE_AS_FILE, out); rc != 0) {
    return Report(s, rc, "save " + out);
  }
  std::printf("wrote %s\n", out.c_str());
  return 0;
}

}  // namespace sonavex::cli
