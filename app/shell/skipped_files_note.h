// CSkippedFilesNote: names to the user the content files the middleware
// could not read for a song's render or a live run. The middleware plays
// silence in their place and announces them (process 48); this note says
// which files to look at. It sits over the main window without blocking or
// taking the keyboard, so a live run in the real-time dialog goes on under
// it, and it stays after that dialog has closed. Each file is named once per
// session; files announced while the note is open join it.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include "client/midi_mgr.h"

namespace sonavex::app {

class CSkippedFilesNote {
 public:
  explicit CSkippedFilesNote(CMIDIMgr* mgr) : mgr_(mgr) {}

  // The window the note is shown over (null: none).
  void SetOwner(QWidget* owner) { owner_ = owner; }
  // Unattended (the picture tour): the files go to standard error instead.
  void SetUnattended(bool unattended) { unattended_ = unattended; }

  // Reads the middleware's list and names the files not named before; false
  // when the list could not be read.
  bool Show();

  // The note while it is open, else null.
  QMessageBox* box() const { return box_; }
  // The header line of the note.
  static QString Header();

 private:
  CMIDIMgr* mgr_;
  QWidget* owner_ = nullptr;
  bool unattended_ = false;
  QStringList named_;  // every file named this session
  QStringList shown_;  // the files in the open note
  QPointer<QMessageBox> box_;
};

}  // namespace sonavex::app
