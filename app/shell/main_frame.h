// CMainFrame: the main window: menu bar, accelerators and toolbar built from
// the command table, status bar, and the main form in the middle. Enabled and
// checked states come from the shell on every refresh (a menu opening, a
// command, a notification); closing asks the shell.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QAction>
#include <QMainWindow>
#include <map>

namespace sonavex::app {

class CommandHost {
 public:
  virtual ~CommandHost() = default;
  virtual void OnCommand(int id) = 0;
  // The command's state as the middleware has it; false when unknown.
  virtual bool CommandState(int id, bool* enabled, bool* checked) = 0;
  // The window is asked to close; true lets it.
  virtual bool OnClose() = 0;
  virtual void OnActivate(bool active) = 0;
  virtual void OnMinimize(bool minimized) = 0;
  virtual void OnRecentFile(const QString& file) = 0;
};

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  CMainFrame(CommandHost* host, long dll_version);

  QAction* action(int id) const;
  // Reads every command's enabled and checked state again.
  void RefreshCommandStates();
  void SetRecentFiles(const QStringList& files);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QAction* MakeAction(int id);
  QMenu* file_menu_ = nullptr;
  QAction* recent_anchor_ = nullptr;
  QList<QAction*> recent_actions_;
  CommandHost* host_;
  std::map<int, QAction*> actions_;
};

}  // namespace sonavex::app
