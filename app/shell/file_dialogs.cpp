#include "shell/file_dialogs.h"

#include <QFileInfo>

#include "shell/message_box.h"
#include "shell/trace.h"

namespace sonavex::app {
namespace {

struct TypeInfo {
  const char* filter;  // Qt filter text
  const char* extension;
  const char* initial;
};

TypeInfo InfoOf(FileType type) {
  switch (type) {
    case FileType::kSong:
      return {"ｿﾝｸﾞ ﾌｧｲﾙ (*.bgm)", "bgm", "*.bgm"};
    case FileType::kSmf:
      return {"SMF ﾌｧｲﾙ (*.mid)", "mid", "*.mid"};
    case FileType::kContent:
      return {"SINGLANE ﾌｧｲﾙ (*.mof)", "mof", "*.mof"};
    case FileType::kRhythm:
      return {"ﾘｽﾞﾑ ﾌｧｲﾙ (*.rhy)", "rhy", "*.rhy"};
    case FileType::kMelody:
      return {"ﾒﾛﾃﾞｨ ﾌｧｲﾙ (*.mel)", "mel", "*.mel"};
    case FileType::kAudio:
      return {"ｵｰﾃﾞｨｵ ﾌｧｲﾙ (*.wav)", "wav", "*.wav"};
    case FileType::kEditable:
      return {
          "BGM関連 (*.bgm *.mid *.mof);;ｿﾝｸﾞ ﾌｧｲﾙ (*.bgm);;SMF ﾌｧｲﾙ (*.mid);;SINGLANE ﾌｧｲﾙ "
          "(*.mof)",
          "", ""};
    case FileType::kAll:
      return {"すべてのﾌｧｲﾙ (*)", "", ""};
  }
  return {"", "", ""};
}

}  // namespace

QString ExtensionOf(const QString& path) {
  const QString name = QFileInfo(path).fileName();
  const int dot = name.lastIndexOf(QLatin1Char('.'));
  return dot < 0 ? QString() : name.mid(dot + 1).toLower();
}

bool ExtensionFits(FileType type, const QString& extension) {
  const QString ext = extension.toLower();
  if (type == FileType::kAll) return true;
  if (type == FileType::kEditable)
    return ext == QLatin1String("bgm") || ext == QLatin1String("mid") ||
           ext == QLatin1String("mof");
  return ext == QLatin1String(InfoOf(type).extension);
}

Folder FolderOf(FileType type, bool saving) {
  switch (type) {
    case FileType::kSong:
      return saving ? Folder::kDefault : Folder::kSong;
    case FileType::kSmf:
      return saving ? Folder::kDefault : Folder::kSmf;
    case FileType::kContent:
      return saving ? Folder::kDefault : Folder::kContent;
    case FileType::kRhythm:
    case FileType::kMelody:
      return Folder::kRhythmMelody;
    case FileType::kAudio:
      return Folder::kAudio;
    default:
      return Folder::kDefault;
  }
}

bool OpenFileDlg(const FileDialogContext& ctx, FileType type, bool saving, QString* file,
                 const QString& start_name) {
  const TypeInfo info = InfoOf(type);
  const Folder folder = FolderOf(type, saving);
  QString start = ctx.settings->folder(folder);
  const QString initial = !start_name.isEmpty() ? start_name : QString::fromUtf8(info.initial);
  if (!initial.isEmpty() && !initial.startsWith(QLatin1Char('*')))
    start = start + QLatin1Char('/') + QFileInfo(initial).fileName();
  for (;;) {
    FileRequest request;
    request.owner = ctx.owner;
    request.title = saving ? QStringLiteral("名前を付けて保存") : QStringLiteral("開く");
    request.start = start;
    request.filter = QString::fromUtf8(info.filter);
    request.default_suffix = QString::fromUtf8(info.extension);
    request.saving = saving;
    QString chosen;
    if (ctx.control_window) ctx.control_window(false);
    {
      CModalCounter::Scope modal(ctx.modals);
      chosen = ctx.chooser->Choose(request);
    }
    if (ctx.control_window) ctx.control_window(true);
    if (chosen.isEmpty()) {
      TraceLog("ﾌｧｲﾙ選択がｷｬﾝｾﾙされました");
      return false;
    }
    if (!ExtensionFits(type, ExtensionOf(chosen))) {
      ctx.messages->ShowMessageOk(QStringLiteral("E\\不正なﾌｧｲﾙが指定されました"));
      start = chosen;
      continue;
    }
    ctx.settings->SetFolder(folder, QFileInfo(chosen).absolutePath());
    *file = chosen;
    return true;
  }
}

}  // namespace sonavex::app
