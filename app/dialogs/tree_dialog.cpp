#include "dialogs/tree_dialog.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMenuBar>
#include <QToolTip>
#include <QVBoxLayout>

#include "client/sjis_text.h"
#include "shell/trace.h"
#include "shell/window_util.h"

namespace sonavex::app {
namespace {

enum ItemKind : int { kGroupItem = 0, kEntryItem = 1 };
constexpr int kKindRole = Qt::UserRole;
constexpr int kIndexRole = Qt::UserRole + 1;

QString Line(const char* label, const QString& value) {
  return QString::fromUtf8(label) + value + QLatin1Char(']');
}

}  // namespace

CTreeDlg::CTreeDlg(CMIDIMgr* mgr, const CMIDIData* data, MessageSink* messages, int mode,
                   QWidget* parent)
    : QDialog(parent), mgr_(mgr), data_(data), messages_(messages), mode_(mode) {
  setObjectName(QStringLiteral("CTreeDlg"));
  setWindowTitle(mode == kMelodies ? QStringLiteral("メロディーの追加と削除")
                                   : QStringLiteral("リズムの追加と削除"));
  setSizeGripEnabled(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  tree_ = new QTreeWidget(this);
  tree_->setObjectName(QStringLiteral("dataTree"));
  tree_->setHeaderHidden(true);
  tree_->setRootIsDecorated(mode != kMelodies);
  tree_->setIndentation(tree_->indentation() + 4);
  tree_->setIconSize(QSize(16, 16));
  tree_->setContextMenuPolicy(Qt::CustomContextMenu);
  tree_->viewport()->installEventFilter(this);
  tree_->setMinimumSize(300, 220);
  layout->addWidget(tree_);

  auto* bar = new QMenuBar(this);
  commands_ = bar->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
  QAction* add = commands_->addAction(QStringLiteral("追加(&A)"), this, &CTreeDlg::OnFileAdd);
  add->setShortcut(QKeySequence(Qt::Key_Insert));
  QAction* del = commands_->addAction(QStringLiteral("削除(&D)"), this, &CTreeDlg::OnFileDel);
  del->setShortcut(QKeySequence(Qt::Key_Delete));
  commands_->addSeparator();
  QAction* close = commands_->addAction(QStringLiteral("閉じる(&C)"), this, &QDialog::reject);
  close->setShortcut(QKeySequence(Qt::AltModifier | Qt::Key_F4));
  for (QAction* action : {add, del, close}) addAction(action);
  auto* popup = new QAction(this);
  popup->setShortcut(QKeySequence(Qt::ShiftModifier | Qt::Key_F10));
  connect(popup, &QAction::triggered, this, [this] {
    const QTreeWidgetItem* item = tree_->currentItem();
    const QRect at = item != nullptr ? tree_->visualItemRect(item) : QRect();
    OnMenuPopup(tree_->viewport()->mapToGlobal(at.isValid() ? at.bottomLeft() : QPoint(0, 0)));
  });
  addAction(popup);
  layout->setMenuBar(bar);
  connect(tree_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { OnMenuPopup(tree_->viewport()->mapToGlobal(at)); });
  RefreshTree();
}

int CTreeDlg::exec() {
  MoveWindowCenter(this);
  return QDialog::exec();
}

bool CTreeDlg::ReadEntries(std::vector<Entry>* entries) {
  entries->clear();
  if (mode_ == kMelodies) {
    const QM3MelodyList* list = nullptr;
    if (!mgr_->GetDelMelodyData(&list)) return false;
    if (list == nullptr || (list->cCount > 0 && list->pMelody == nullptr)) return false;
    for (int i = 0; i < list->cCount; ++i) {
      const QM3MelodyData& m = list->pMelody[i];
      entries->push_back({FromMiddleText(m.pszName), m.lID, 0});
    }
    return true;
  }
  const QM3RhythmList* list = nullptr;
  if (!mgr_->GetDelRhythmData(&list)) return false;
  if (list == nullptr || (list->cCount > 0 && list->pRhythm == nullptr)) return false;
  for (int i = 0; i < list->cCount; ++i) {
    const QM3RhythmData& r = list->pRhythm[i];
    // An added rhythm is known by its song-file reference until the
    // catalog gives it a place in a group.
    entries->push_back({FromMiddleText(r.pszName), r.lID != 0 ? r.lID : r.lKeyA, r.lTempo});
  }
  return true;
}

QString CTreeDlg::GroupOf(const Entry& entry) const {
  for (const CRhythmGroup& group : data_->rhythm_tree().groups()) {
    for (const CRhythm& rhythm : group.entries()) {
      if (rhythm.number == entry.number && rhythm.name == entry.name) return group.name();
    }
  }
  return {};
}

bool CTreeDlg::RefreshTree() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  tree_->clear();
  std::vector<Entry> entries;
  const bool read = ReadEntries(&entries);
  const QIcon group_icon = QIcon(QStringLiteral(":/icons/group.svg"));
  const QIcon entry_icon = QIcon(QStringLiteral(":/icons/entry.svg"));
  for (size_t i = 0; i < entries.size(); ++i) {
    QTreeWidgetItem* parent = nullptr;
    if (mode_ == kRhythms) {
      const QString group = GroupOf(entries[i]);
      if (!group.isEmpty()) {
        const QList<QTreeWidgetItem*> found = tree_->findItems(group, Qt::MatchExactly);
        parent = found.isEmpty() ? new QTreeWidgetItem(tree_, {group}) : found.first();
        parent->setIcon(0, group_icon);
        parent->setData(0, kKindRole, kGroupItem);
        parent->setExpanded(true);
      }
    }
    auto* item = parent != nullptr ? new QTreeWidgetItem(parent, {entries[i].name})
                                   : new QTreeWidgetItem(tree_, {entries[i].name});
    item->setIcon(0, entry_icon);
    item->setData(0, kKindRole, kEntryItem);
    item->setData(0, kIndexRole, static_cast<int>(i));
  }
  QApplication::restoreOverrideCursor();
  if (!read) TraceLog("CTreeDlg::RefreshTree 追加済みﾃﾞｰﾀの取得に失敗\n");
  return read;
}

void CTreeDlg::OnFileAdd() {
  if (add_) add_(mode_);
  RefreshTree();
}

void CTreeDlg::OnFileDel() {
  const QTreeWidgetItem* item = tree_->currentItem();
  if (item == nullptr || !item->isSelected() || item->data(0, kKindRole).toInt() != kEntryItem) {
    messages_->ShowMessage(QStringLiteral("I\\削除したいものを選択してください。"),
                           MessageButtons::kOk);
    return;
  }
  const int index = item->data(0, kIndexRole).toInt();
  const QString name = item->text(0);
  std::vector<Entry> entries;
  if (!ReadEntries(&entries) || index >= static_cast<int>(entries.size()) ||
      entries[index].name != name) {
    messages_->ShowMessage(QStringLiteral("I\\情報がありません。表示内容を更新します。"),
                           MessageButtons::kOk);
  } else if (!(mode_ == kMelodies ? mgr_->RemoveMelody(index) : mgr_->RemoveRhythm(index))) {
    messages_->ShowMessage(QStringLiteral("E\\削除に失敗しました。表示内容を更新します。"),
                           MessageButtons::kOk);
  }
  RefreshTree();
}

QString CTreeDlg::FileInfo(const QTreeWidgetItem* item) {
  if (item == nullptr || item->data(0, kKindRole).toInt() != kEntryItem)
    return QStringLiteral("選択してください。");
  const int index = item->data(0, kIndexRole).toInt();
  std::vector<Entry> entries;
  if (!ReadEntries(&entries) || index >= static_cast<int>(entries.size()) ||
      entries[index].name != item->text(0))
    return QStringLiteral("情報がありません。");
  const Entry& e = entries[index];
  const QString number = QString::number(static_cast<unsigned long>(e.number));
  QStringList lines;
  if (mode_ == kMelodies) {
    lines << Line("メロディ番号 [", number) << Line("メロディ名 [", e.name);
  } else {
    lines << Line("リズム番号 [", number) << Line("リズム名 [", e.name)
          << Line("デフォルトテンポ [", QString::number(static_cast<unsigned long>(e.tempo)));
  }
  return lines.join(QStringLiteral("\r\n"));
}

bool CTreeDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == tree_->viewport() && event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const QTreeWidgetItem* item = tree_->itemAt(help->pos());
    if (item != nullptr) {
      // The lines end in CR LF; a tooltip breaks at the LF.
      QToolTip::showText(help->globalPos(), FileInfo(item).remove(QLatin1Char('\r')),
                         tree_->viewport());
    } else {
      QToolTip::hideText();
    }
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void CTreeDlg::OnMenuPopup(const QPoint& global) {
  commands_->popup(global);
}

}  // namespace sonavex::app
