#include "shell/skipped_files_note.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "shell/message_box.h"
#include "shell/trace.h"

namespace sonavex::app {
namespace {

// A damaged content folder can name dozens of files: the note stays
// readable and says how many more there are.
constexpr qsizetype kListedFiles = 10;

QString FileLines(const QStringList& files) {
  QStringList lines = files.mid(0, kListedFiles);
  if (files.size() > kListedFiles)
    lines << QStringLiteral("ほか %1 ﾌｧｲﾙ").arg(files.size() - kListedFiles);
  return lines.join(QLatin1Char('\n'));
}

}  // namespace

QString CSkippedFilesNote::Header() {
  return QStringLiteral("次のﾌｧｲﾙを読み込めませんでした。ｿﾝｸﾞのこの部分は鳴りません。");
}

bool CSkippedFilesNote::Show() {
  QStringList files;
  if (!mgr_->GetSkippedFiles(&files)) {
    TraceLog("読み込めなかったﾌｧｲﾙの一覧を取得できません\n");
    return false;
  }
  QStringList fresh;
  for (const QString& file : files) {
    if (!named_.contains(file)) fresh << file;
  }
  if (fresh.isEmpty()) return true;
  named_ << fresh;
  if (unattended_) {
    for (const QString& file : fresh)
      std::fprintf(stderr, "Sonavex note: %s could not be read\n", file.toUtf8().constData());
    return true;
  }
  if (box_ == nullptr) {
    shown_.clear();
    box_ = new QMessageBox(QMessageBox::Warning, CMessageBox::Caption(), Header(), QMessageBox::Ok,
                           owner_);
    box_->setObjectName(QStringLiteral("skippedFiles"));
    box_->setWindowModality(Qt::NonModal);
    box_->setAttribute(Qt::WA_DeleteOnClose);
    box_->setAttribute(Qt::WA_ShowWithoutActivating);
  }
  shown_ << fresh;
  box_->setInformativeText(FileLines(shown_));
  // A live run keeps the keyboard: where the window system activates the
  // note anyway, the window that had it gets it back.
  const QPointer<QWidget> active = QApplication::activeWindow();
  box_->show();
  box_->raise();
  if (active != nullptr && active != box_) {
    QTimer::singleShot(0, active, [active] {
      if (active != nullptr) active->activateWindow();
    });
  }
  return true;
}

}  // namespace sonavex::app
