// The small choice dialogs of the shell: the welcome dialog at start-up
// (CWelcomeDlg), the new-song choice behind the toolbar's new button
// (CFileNewDlg) and the about box (CAboutDlg). They only return a choice.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QDialog>
#include <QRadioButton>

namespace sonavex::app {

class CWelcomeDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CWelcomeDlg(QWidget* parent);
  void SetOpenMode(int mode);
  int GetOpenMode() const { return mode_; }
  void accept() override;

 private:
  QRadioButton* radios_[5] = {};  // in open-mode order 0..4
  int mode_ = 0;
};

class CFileNewDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CFileNewDlg(QWidget* parent);
  bool play_time = true;
  bool real_time = false;
  int exec() override;
  void accept() override;

 private:
  // Checks the radio of the flags (the constructor's defaults or the caller's).
  void ShowFlags();

  QRadioButton* play_ = nullptr;
  QRadioButton* real_ = nullptr;
};

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent);
};

}  // namespace sonavex::app
