#include "shell/help.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "client/host_link.h"
#include "shell/trace.h"

namespace sonavex::app {

QString HelpFile(HelpPage page) {
  const char* name = page == HelpPage::kContents ? "index.html"
                     : page == HelpPage::kIndex  ? "search.html"
                                                 : "usage.html";
  const QString path =
      CHostLink::ProgramFolder() + QStringLiteral("/help/") + QString::fromUtf8(name);
  return QFileInfo::exists(path) ? path : QString();
}

bool OpenHelp(HelpPage page) {
  const QString file = HelpFile(page);
  if (file.isEmpty()) {
    TraceLog("ﾍﾙﾌﾟﾌｧｲﾙが見つかりません");
    return false;
  }
  return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

}  // namespace sonavex::app
