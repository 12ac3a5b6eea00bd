#include "screens/main_form.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QVBoxLayout>

#include "screens/smf_edit_screen.h"
#include "screens/song_edit_screen.h"
#include "shell/trace.h"

namespace sonavex::app {

CSonavexView::CSonavexView(CMIDIMgr* mgr, QWidget* parent) : QWidget(parent), mgr_(mgr) {
  setObjectName(QStringLiteral("CSonavexView"));
  setProperty("screenNumber", QM3_SCREEN_SONG_EDIT);
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  icon_ = new QLabel(this);
  icon_->setObjectName(QStringLiteral("contentIcon"));
  icon_->setProperty("midiId", QM3_ID_EDITING_MODE);
  icon_->setFixedSize(24, 24);
  top->addWidget(icon_);
  title_ = new QLabel(this);
  title_->setObjectName(QStringLiteral("modeTitle"));
  title_->setProperty("midiId", QM3_ID_EDITING_MODE_SECOND);
  title_->setWordWrap(true);
  top->addWidget(title_, 1);
  layout->addLayout(top);
  auto* frame = new QFrame(this);
  frame->setFrameShape(QFrame::StyledPanel);
  frame_ = frame;
  // The least size through the layout, not on the frame: a centre screen
  // that needs more (the SMF screen's rows and scroll bar) makes the frame,
  // and so the window, grow instead of being cut off.
  frame_grid_ = new QGridLayout(frame_);
  frame_grid_->setContentsMargins(0, 0, 0, 0);
  frame_grid_->setColumnMinimumWidth(0, 600);
  frame_grid_->setRowMinimumHeight(0, 320);
  layout->addWidget(frame_, 1);
  panel_ = new CSyncPanel(mgr_, this);
  layout->addWidget(panel_);
}

int CSonavexView::ScreenNumber() const {
  return shown_mode_ == 0 || shown_mode_ == -1 ? QM3_SCREEN_SONG_EDIT : QM3_SCREEN_SMF_EDIT;
}

void CSonavexView::DestroyCenterDlg() {
  if (center_ == nullptr) return;
  center_->hide();
  center_->deleteLater();
  center_ = nullptr;
}

bool CSonavexView::ChangeCenterDlg(int edit_mode) {
  DestroyCenterDlg();
  shown_mode_ = edit_mode;
  if (edit_mode == 1) {
    center_ = new CSmfeditDlg(mgr_, scale_, frame_);
    center_->setProperty("screenNumber", kScreenSmfPane);
  } else {
    center_ = new CSngeditDlg(mgr_, scale_, frame_);
    center_->setProperty("screenNumber", kScreenSongPane);
  }
  setProperty("screenNumber", ScreenNumber());
  frame_grid_->addWidget(center_, 0, 0);
  center_->show();
  const bool reported = mgr_->ChangeWindow(ScreenNumber());
  if (!InitControl()) TraceLog("ｺﾝﾄﾛｰﾙ初期設定でｴﾗｰ発生\n");
  return reported;
}

bool CSonavexView::InitControl() {
  // The panel's limits follow the song: bound again with every screen.
  if (!panel_->InitControl()) TraceLog("同期調整ﾊﾟﾈﾙの初期設定に失敗\n");
  const bool ok = UpdateControl() && MaskControl();
  if (center_ != nullptr && !center_->InitControl()) return false;
  return ok;
}

bool CSonavexView::UpdateControl() {
  QString title;
  if (!mgr_->GetMIDIStr(QM3_ID_EDITING_MODE, &title)) {
    TraceLog("コントロールの現在値取得・更新に失敗\n");
    return false;
  }
  title_->setText(title);
  return UpdatePictureIcon() && panel_->UpdateControl();
}

bool CSonavexView::UpdatePictureIcon() {
  long kind = 0;
  if (!mgr_->GetMIDIValue(QM3_ID_EDITING_MODE, &kind)) return false;
  static const char* const kIcons[] = {":/icons/song_file.svg", ":/icons/smf_file.svg",
                                       ":/icons/content_file.svg"};
  if (kind < 0 || kind > 2) {
    TraceLog("UpdatePictureIcon 不正な値が指定されました[%ld]\n", kind);
    return true;
  }
  if (kind != shown_icon_) {
    icon_->setPixmap(QIcon(QString::fromUtf8(kIcons[kind])).pixmap(QSize(24, 24)));
    shown_icon_ = static_cast<int>(kind);
  }
  return true;
}

bool CSonavexView::MaskControl() {
  return panel_->MaskControl();
}

bool CSonavexView::UpdateAlive() {
  const bool own = MaskControl();
  return (center_ == nullptr || center_->UpdateAlive()) && own;
}

bool CSonavexView::UpdateRedraw() {
  // The middleware redraws the edit screen after it changed mode; a mode
  // other than the one shown means the screen must follow.
  int mode = 0;
  if (mode_changed_ && mgr_->GetMiddleMode(&mode) && (mode == 0) != (shown_mode_ == 0)) {
    mode_changed_();
    return true;
  }
  return UpdateControl() && UpdateAlive();
}

bool CSonavexView::UpdateValue(ControlId id) {
  if (id == QM3_ID_EDITING_MODE || id == QM3_ID_EDITING_MODE_SECOND) return UpdateControl();
  if (GroupOf(id) == QM3_GROUP_SONG_EDIT || GroupOf(id) == QM3_GROUP_SONG_EDIT_SECOND) {
    if (panel_->UpdateValue(id)) return true;
    TraceLog("指定されたMIDIIDはこの画面上のコントロールではありません ID:[%04x]\n", id);
    return false;
  }
  if (center_ != nullptr) return center_->UpdateValue(id);
  TraceLog("指定されたMIDIIDはこの画面上のコントロールではありません ID:[%04x]\n", id);
  return false;
}

bool CSonavexView::UpdateTimeLine() {
  return center_ != nullptr && center_->UpdateTimeLine();
}

bool CSonavexView::UpdatePointer(long tick) {
  return center_ != nullptr && center_->UpdatePointer(tick);
}

void CSonavexView::ShowScrollBar(bool playing) {
  if (center_ != nullptr) center_->ShowScrollBar(playing);
}

bool CSonavexView::UpdateRange(long from, long to) {
  return center_ != nullptr && center_->UpdateRange(from, to);
}

}  // namespace sonavex::app
