#include "shell/file_chooser.h"

#include <QFileDialog>

namespace sonavex::app {

QString QtFileChooser::Choose(const FileRequest& request) {
  QFileDialog dialog(request.owner, request.title, request.start, request.filter);
  dialog.setObjectName(QStringLiteral("SonavexFileDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setAcceptMode(request.saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (!request.default_suffix.isEmpty()) dialog.setDefaultSuffix(request.default_suffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().first();
}

}  // namespace sonavex::app
