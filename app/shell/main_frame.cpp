#include "shell/main_frame.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include "shell/command_table.h"

namespace sonavex::app {
namespace {

constexpr long kVersionWithExitSeparator = 100;

}  // namespace

CMainFrame::CMainFrame(CommandHost* host, long dll_version) : host_(host) {
  setObjectName(QStringLiteral("CMainFrame"));
  setProperty("forwardKeys", true);
  setWindowIcon(QIcon(QStringLiteral(":/icons/sonavex.svg")));
  for (const CommandInfo& c : Commands()) MakeAction(c.id);

  QMenuBar* bar = menuBar();
  file_menu_ = bar->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
  QMenu* create = file_menu_->addMenu(QStringLiteral("新規作成(&N)"));
  create->addAction(action(ID_FILE_NEW_PLAY));
  create->addAction(action(ID_FILE_NEW_REAL));
  file_menu_->addAction(action(ID_FILE_BGM_OPEN));
  file_menu_->addAction(action(ID_FILE_BGM_SAVE));
  file_menu_->addAction(action(ID_FILE_BGM_SAVE_AS));
  file_menu_->addSeparator();
  QMenu* all = file_menu_->addMenu(QStringLiteral("全体を変換(&R)"));
  all->addAction(action(ID_FILE_CONVALL_SMF));
  all->addAction(action(ID_FILE_CONVALL_AUDIO));
  QMenu* part = file_menu_->addMenu(QStringLiteral("選択範囲を変換(&P)"));
  part->addAction(action(ID_FILE_CONVSEL_SMF));
  part->addAction(action(ID_FILE_CONVSEL_AUDIO));
  // Position 7: the separator above the exit item; an old middleware has
  // none of what it separates.
  QAction* exit_separator = file_menu_->addSeparator();
  recent_anchor_ = file_menu_->addSeparator();
  file_menu_->addAction(action(ID_APP_EXIT));
  if (dll_version <= kVersionWithExitSeparator) file_menu_->removeAction(exit_separator);

  QMenu* edit = bar->addMenu(QStringLiteral("編集(&E)"));
  edit->addAction(action(ID_EDIT_UNDO));
  edit->addAction(action(ID_EDIT_REDO));
  edit->addSeparator();
  edit->addAction(action(ID_EDIT_REEDIT));
  QMenu* sync = bar->addMenu(QStringLiteral("同期調整(&S)"));
  // One method of the two: shown as radio items.
  auto* methods = new QActionGroup(this);
  methods->addAction(action(ID_SYNCHRO_POINT));
  methods->addAction(action(ID_SYNCHRO_TEMPO));
  sync->addActions(methods->actions());
  QMenu* setup = bar->addMenu(QStringLiteral("設定(&O)"));
  setup->addAction(action(ID_SETUP_TIME));
  setup->addAction(action(ID_SETUP_DEVICE));
  setup->addAction(action(ID_SETUP_PRECOUNT));
  QMenu* help = bar->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
  help->addAction(action(ID_HELP_SEARCH));
  help->addAction(action(ID_HELP_USAGE));
  help->addSeparator();
  help->addAction(action(ID_APP_ABOUT));
  for (QMenu* menu : {file_menu_, create, all, part, edit, sync, setup, help}) {
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::RefreshCommandStates);
  }

  QToolBar* tools = addToolBar(QStringLiteral("ツールバー"));
  tools->setObjectName(QStringLiteral("toolbar"));
  tools->setMovable(false);
  tools->setIconSize(QSize(22, 22));
  for (int id : ToolbarCommands()) {
    if (id == 0) {
      tools->addSeparator();
    } else {
      tools->addAction(action(id));
    }
  }
  // Pane switching.
  auto* next = new QAction(this);
  next->setShortcut(Qt::Key_F6);
  connect(next, &QAction::triggered, this, [this] { focusNextChild(); });
  auto* previous = new QAction(this);
  previous->setShortcut(Qt::ShiftModifier | Qt::Key_F6);
  connect(previous, &QAction::triggered, this, [this] { focusPreviousChild(); });
  addActions({next, previous});
  statusBar()->showMessage(QStringLiteral("レディ"));
}

QAction* CMainFrame::MakeAction(int id) {
  const CommandInfo* info = FindCommand(id);
  auto* a = new QAction(QString::fromUtf8(info->text), this);
  a->setObjectName(QStringLiteral("command%1").arg(id));
  a->setData(id);
  a->setCheckable(info->checkable);
  a->setToolTip(QString::fromUtf8(info->tip));
  a->setStatusTip(QString::fromUtf8(info->tip));
  if (info->icon != nullptr) a->setIcon(QIcon(QString::fromUtf8(info->icon)));
  a->setShortcuts(QList<QKeySequence>(info->keys.begin(), info->keys.end()));
  a->setShortcutContext(Qt::WindowShortcut);
  // A checkable item shows the middleware's value; the click itself must not
  // flip it.
  connect(a, &QAction::triggered, this, [this, id] {
    host_->OnCommand(id);
    RefreshCommandStates();
  });
  addAction(a);
  actions_[id] = a;
  return a;
}

QAction* CMainFrame::action(int id) const {
  const auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

void CMainFrame::RefreshCommandStates() {
  for (const auto& [id, a] : actions_) {
    bool enabled = false, checked = false;
    if (!host_->CommandState(id, &enabled, &checked)) continue;
    a->setEnabled(enabled);
    if (a->isCheckable()) a->setChecked(checked);
  }
}

void CMainFrame::SetRecentFiles(const QStringList& files) {
  for (QAction* a : recent_actions_) {
    file_menu_->removeAction(a);
    a->deleteLater();
  }
  recent_actions_.clear();
  for (int i = 0; i < files.size(); ++i) {
    auto* a =
        new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(files[i]).fileName()), this);
    a->setStatusTip(files[i]);
    const QString file = files[i];
    connect(a, &QAction::triggered, this, [this, file] { host_->OnRecentFile(file); });
    file_menu_->insertAction(recent_anchor_, a);
    recent_actions_ << a;
  }
  recent_anchor_->setVisible(!files.isEmpty());
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (host_->OnClose()) {
    event->accept();
  } else {
    event->ignore();
  }
}

void CMainFrame::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange) host_->OnActivate(isActiveWindow());
  if (event->type() == QEvent::WindowStateChange) host_->OnMinimize(isMinimized());
  QMainWindow::changeEvent(event);
}

}  // namespace sonavex::app
