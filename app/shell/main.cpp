// sonavex: the desktop application.
//   sonavex [FILE]                 start (FILE: a .bgm, .mid or .mof to open)
//   sonavex --no-module            use the hardware only (no software module)
//   sonavex --no-sound             the software module runs silent
//   sonavex --screenshot DIR       write a picture of every view into DIR
//   sonavex --quit-when-shown      end as soon as the main window shows
#include <QApplication>
#include <QCommandLineParser>
#include <QFont>
#include <QFontDatabase>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "shell/screenshot.h"
#include "shell/sonavex_app.h"

namespace {

// A Japanese face from the system for every widget.
void UseJapaneseFont() {
  const QStringList families = QFontDatabase::families();
  for (const char* name : {"Noto Sans CJK JP", "Noto Sans JP", "IPAGothic", "VL Gothic"}) {
    if (families.contains(QString::fromUtf8(name))) {
      QFont font(QString::fromUtf8(name));
      font.setPointSize(10);
      QApplication::setFont(font);
      return;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
      Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Sonavex"));
  UseJapaneseFont();

  QCommandLineParser parser;
  parser.addHelpOption();
  const QCommandLineOption no_module(QStringLiteral("no-module"),
                                     QStringLiteral("Use the hardware sound module only."));
  const QCommandLineOption no_sound(QStringLiteral("no-sound"),
                                    QStringLiteral("Run the software module silent."));
  const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                      QStringLiteral("Write a PNG of every view into DIR."),
                                      QStringLiteral("DIR"));
  const QCommandLineOption quit_shown(QStringLiteral("quit-when-shown"),
                                      QStringLiteral("End once the main window shows."));
  const QCommandLineOption settings(QStringLiteral("settings"),
                                    QStringLiteral("Use FILE as the settings file."),
                                    QStringLiteral("FILE"));
  parser.addOptions({no_module, no_sound, screenshot, quit_shown, settings});
  parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A file to open."));
  parser.process(application);

  sonavex::app::StartOptions options;
  if (!parser.positionalArguments().isEmpty()) options.file = parser.positionalArguments().first();
  options.link.start_module = !parser.isSet(no_module);
  options.link.module_sound = !parser.isSet(no_sound) && !parser.isSet(screenshot);
  options.link.live_audio = options.link.module_sound;
  options.settings_path = parser.value(settings);
  const bool tour = parser.isSet(screenshot);
  if (tour || parser.isSet(quit_shown)) {
    options.single_instance = false;
    options.welcome = false;
  }
  options.unattended = tour;
  options.stop_after_show = parser.isSet(quit_shown);

  sonavex::app::CSonavexApp app(options);
  QObject::connect(&app, &sonavex::app::CSonavexApp::Finished, &application, &QApplication::quit);
  const auto start = app.InitInstance();
  if (start == sonavex::app::CSonavexApp::Start::kHandedOver) return 0;
  if (start == sonavex::app::CSonavexApp::Start::kFailed) return 1;
  if (tour) {
    const int written = sonavex::app::TakeScreenshots(&app, parser.value(screenshot));
    std::printf("%d pictures\n", written);
    return written > 0 ? 0 : 1;
  }
  // Timing start-up alone: the shut-down of the middleware and the module
  // is not part of it.
  if (parser.isSet(quit_shown)) std::_Exit(0);
  QApplication::setQuitOnLastWindowClosed(false);
  return QApplication::exec();
}
