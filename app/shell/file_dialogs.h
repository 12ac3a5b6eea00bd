// The application's file dialogs by type (song, SMF, karaoke content, rhythm,
// melody, audio, every editable kind, every file): filter, required
// extension and remembered folder. A chosen file with the wrong extension is
// refused with a message and the dialog opens again.
//
// Thread rules: user-interface thread only; runs modal dialogs.
#pragma once
#include <QString>
#include <QWidget>
#include <functional>

#include "shell/app_settings.h"
#include "shell/file_chooser.h"

namespace sonavex::app {

class CMessageBox;
class CModalCounter;

enum class FileType { kSong = 1, kSmf, kContent, kRhythm, kMelody, kAudio, kEditable, kAll };

// The extension (lower case, no dot) after the last dot of `path`'s file
// name; empty when there is none.
QString ExtensionOf(const QString& path);
// Whether `extension` fits `type` (compared without regard to case).
bool ExtensionFits(FileType type, const QString& extension);
// The settings folder a type reads and writes back.
Folder FolderOf(FileType type, bool saving);

struct FileDialogContext {
  QWidget* owner;
  CAppSettings* settings;
  CMessageBox* messages;
  CModalCounter* modals;
  FileChooser* chooser;
  // Called with false before the request opens and true after it closed
  // (the transport window steps aside meanwhile); may be empty.
  std::function<void(bool shown)> control_window;
};

// Runs the dialog; on OK `*file` is the chosen path and the folder setting
// is updated. `folder` overrides the type's folder when given.
bool OpenFileDlg(const FileDialogContext& ctx, FileType type, bool saving, QString* file,
                 const QString& start_name = QString());

}  // namespace sonavex::app
