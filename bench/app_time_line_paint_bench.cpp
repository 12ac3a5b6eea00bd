// Cost of a full repaint of the song-edit screen's time line with a
// 60-minute song, at each zoom, under the offscreen platform. Each repaint
// goes through the widget's own paint event into the window's backing store,
// as a scroll or a redraw notification does. The reference is a plain widget
// of the same size filling its background, repainted the same way in the
// same run; items per second is frames per second.
//
// The program lives beside the content library (the middleware finds it
// there) and starts the application without sound.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "qm3middle_ids.h"
#include "screens/song_edit_screen.h"
#include "shell/sonavex_app.h"

namespace {

using sonavex::app::CSngeditDlg;
using sonavex::app::CSngWnd;
using sonavex::app::CSonavexApp;

constexpr long kSongSeconds = 60 * 60;
constexpr long kFramesPerSecond = 30;  // the default time base

struct Fixture {
  CSonavexApp* app = nullptr;
  CSngWnd* line = nullptr;
};

CSngWnd* SongLine(CSonavexApp* app) {
  auto* screen = qobject_cast<CSngeditDlg*>(app->view()->center());
  return screen == nullptr ? nullptr : screen->sng_wnd();
}

// The screen opened again at `scale`, scrolled to the middle of the song,
// where the rulers' conversions walk a long way in.
CSngWnd* ShowAtScale(CSonavexApp* app, int scale) {
  app->settings().scale = scale;
  app->ChangeSngedit();
  CSngWnd* line = SongLine(app);
  if (line == nullptr) return nullptr;
  QScrollBar* bar = line->horizontalScrollBar();
  bar->setValue((bar->minimum() + bar->maximum()) / 2);
  QApplication::processEvents();
  return line;
}

void BM_TimeLineFullRepaint(benchmark::State& state, Fixture* f) {
  CSngWnd* line = ShowAtScale(f->app, static_cast<int>(state.range(0)));
  if (line == nullptr) {
    state.SkipWithError("no song-edit screen");
    return;
  }
  QWidget* port = line->viewport();
  for (auto _ : state) port->repaint();
  state.SetItemsProcessed(state.iterations());
  state.counters["width"] = port->width();
  state.counters["height"] = port->height();
  state.counters["phrases"] = static_cast<double>(line->phrases().phrases().size());
}

// The same size and the same repaint path, with nothing but the background.
void BM_ReferenceEmptyWidgetRepaint(benchmark::State& state, Fixture* f) {
  CSngWnd* line = ShowAtScale(f->app, 1);
  if (line == nullptr) {
    state.SkipWithError("no song-edit screen");
    return;
  }
  QWidget* port = line->viewport();
  QWidget plain(line);
  plain.setAutoFillBackground(true);
  plain.setGeometry(port->geometry());
  plain.show();
  QApplication::processEvents();
  for (auto _ : state) plain.repaint();
  state.SetItemsProcessed(state.iterations());
}

// A song is at most 999 measures: an hour of it needs a slow rhythm at the
// tempo slider's slowest step (72 beats a minute × 0.67, about 720 measures).
bool MakeLongSong(CSonavexApp* app) {
  app->mgr().SetMIDIValue(QM3_ID_MENU_NEW_PLAY_TIME_SONG, 1);
  sonavex::app::CRhythmTree rhythms = app->data().rhythm_tree();
  const long ballad =
      rhythms.GetSelNumFromRhythm(QStringLiteral("Ballad"), QStringLiteral("Piano Ballad"));
  if (ballad < 0 || !app->mgr().SetMIDIValue(QM3_ID_RHYTHM, ballad) ||
      !app->mgr().SetMIDIValue(QM3_ID_TEMPO_SLIDER, 0)) {
    return false;
  }
  app->mgr().SetValue(QM3_ID_START_TIME, QM3_CMD_VALUE, 0, 0);
  app->mgr().SetValue(QM3_ID_END_TIME, QM3_CMD_VALUE, kSongSeconds * kFramesPerSecond, 0);
  app->mgr().SetMIDIValue(QM3_ID_CREATE_SONG_BUTTON, 1);
  return app->ChangeSngedit() && SongLine(app) != nullptr && SongLine(app)->total_ticks() > 0;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // A private home: the settings and the single-run files stay out of the
  // user's.
  QTemporaryDir home;
  qputenv("HOME", home.path().toLocal8Bit());
  qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
  qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit());
  int qt_argc = 1;
  QApplication application(qt_argc, argv);

  sonavex::app::StartOptions options;
  options.single_instance = false;
  options.welcome = false;
  options.unattended = true;
  options.link.module_sound = false;
  options.link.live_audio = false;
  auto app = std::make_unique<CSonavexApp>(options);
  if (app->InitInstance() != CSonavexApp::Start::kRunning) {
    std::fprintf(stderr, "the application did not start\n");
    return 1;
  }
  app->frame()->resize(1280, 720);
  app->frame()->show();
  if (!MakeLongSong(app.get())) {
    std::fprintf(stderr, "the 60-minute song was not made\n");
    return 1;
  }
  Fixture fixture{app.get(), SongLine(app.get())};
  QString end, tempo;
  app->mgr().GetMIDIValueStr(QM3_ID_EDIT_END_TIME, &end);
  app->mgr().GetMIDIValueStr(QM3_ID_EDIT_TEMPO, &tempo);
  std::printf("song: ends at %s, tempo %s, %ld ticks, %zu phrases\n", qPrintable(end.trimmed()),
              qPrintable(tempo.trimmed()), fixture.line->total_ticks(),
              fixture.line->phrases().phrases().size());

  benchmark::RegisterBenchmark("BM_TimeLineFullRepaint", BM_TimeLineFullRepaint, &fixture)
      ->DenseRange(1, 3)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("BM_ReferenceEmptyWidgetRepaint", BM_ReferenceEmptyWidgetRepaint,
                               &fixture)
      ->Unit(benchmark::kMicrosecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
