// FileChooser: the one place a file name is asked of the user. The
// application asks through this interface; QtFileChooser runs a QFileDialog,
// and tests put in a chooser that answers by itself.
//
// Thread rules: user-interface thread only; Choose may run a modal dialog.
#pragma once
#include <QString>
#include <QWidget>

namespace sonavex::app {

struct FileRequest {
  QWidget* owner = nullptr;
  QString title;
  QString start;   // the folder, or the folder and a proposed name
  QString filter;  // Qt filter text: "name (*.ext);;..."
  QString default_suffix;
  bool saving = false;  // a save dialog: the file need not exist
};

class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // The chosen path; empty when the user cancelled.
  virtual QString Choose(const FileRequest& request) = 0;
};

class QtFileChooser : public FileChooser {
 public:
  QString Choose(const FileRequest& request) override;
};

}  // namespace sonavex::app
