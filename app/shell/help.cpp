#include "shell/help.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

#include "client/host_link.h"
#include "shell/trace.h"

namespace sonavex::app {

namespace {

struct PageInfo {
  const char* file;
  const char* anchor;  // empty for the whole page
};

PageInfo InfoOf(HelpPage page) {
  switch (page) {
    case HelpPage::kContents:
      return {"index.html", ""};
    case HelpPage::kIndex:
      return {"search.html", ""};
    case HelpPage::kUsage:
      return {"usage.html", ""};
    case HelpPage::kPlaytimeSong:
      return {"making-a-song.html", "playtime"};
    case HelpPage::kRealtimeSong:
      return {"making-a-song.html", "realtime"};
  }
  return {"index.html", ""};
}

}  // namespace

QString HelpFile(HelpPage page) {
  const QString path =
      CHostLink::ProgramFolder() + QStringLiteral("/help/") + QString::fromUtf8(InfoOf(page).file);
  return QFileInfo::exists(path) ? path : QString();
}

QUrl HelpUrl(HelpPage page) {
  const QString file = HelpFile(page);
  if (file.isEmpty()) return {};
  QUrl url = QUrl::fromLocalFile(file);
  const char* anchor = InfoOf(page).anchor;
  if (*anchor != '\0') url.setFragment(QString::fromUtf8(anchor));
  return url;
}

bool OpenHelp(HelpPage page) {
  const QUrl url = HelpUrl(page);
  if (url.isEmpty()) {
    TraceLog("ﾍﾙﾌﾟﾌｧｲﾙが見つかりません");
    return false;
  }
  return QDesktopServices::openUrl(url);
}

void AddHelpKey(QWidget* window, HelpPage page) {
  for (const QKeySequence& keys :
       {QKeySequence(Qt::Key_F1), QKeySequence(Qt::ShiftModifier | Qt::Key_F1)}) {
    auto* shortcut = new QShortcut(keys, window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window, [page] { OpenHelp(page); });
  }
}

}  // namespace sonavex::app
