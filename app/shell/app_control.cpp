// CSonavexApp: the transport window's life: created with each edit screen
// and by the song dialogs, hidden around modal windows, while the
// application is inactive and while the main window is minimised, and its
// place kept in the settings.
#include <QApplication>

#include "shell/sonavex_app.h"
#include "shell/trace.h"

namespace sonavex::app {

void CSonavexApp::CreateControlDlg() {
  if (frame_ == nullptr) return;
  if (control_ == nullptr) {
    control_ = std::make_unique<CControlDlg>(&mgr_);
    control_->SetFocusTarget([this] { return FocusTarget(); });
    const StoredRect& placed = settings_->control_window;
    if (placed.empty()) {
      QRect frame = control_->frameGeometry();
      frame.moveCenter(frame_->frameGeometry().center());
      control_->move(frame.topLeft());
    } else {
      control_->move(placed.rect().topLeft());  // the rectangle is the window's frame
    }
  }
  if (!control_hides_.empty()) {
    control_hides_.back() = true;  // shown again when the modal window closes
    return;
  }
  control_->ShowWithoutActivating();
}

void CSonavexApp::DestroyControlDlg() {
  if (control_ == nullptr) return;
  UpdateRectWindow();
  control_.reset();
}

void CSonavexApp::UpdateRectWindow() {
  if (control_ != nullptr && control_->isVisible())
    settings_->control_window = StoredRect::From(control_->frameGeometry());
}

void CSonavexApp::HideControlDlg() {
  const bool shown = control_ != nullptr && control_->isVisible();
  control_hides_.push_back(shown);
  if (shown) {
    UpdateRectWindow();
    control_->hide();
  }
}

void CSonavexApp::ShowControlDlg() {
  if (control_hides_.empty()) return;
  const bool was_shown = control_hides_.back();
  control_hides_.pop_back();
  if (was_shown && control_ != nullptr && control_hides_.empty()) control_->ShowWithoutActivating();
}

QWidget* CSonavexApp::FocusTarget() const {
  if (playtime_ != nullptr) return playtime_;
  if (realtime_ != nullptr) return realtime_;
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return frame_;
}

void CSonavexApp::OnApplicationState(Qt::ApplicationState state) {
  if (control_ == nullptr || !started_) return;
  if (state == Qt::ApplicationActive) {
    if (modals_.count() == 0 && control_hides_.empty() && !frame_->isMinimized())
      control_->ShowWithoutActivating();
  } else if (state == Qt::ApplicationInactive || state == Qt::ApplicationHidden) {
    UpdateRectWindow();
    control_->hide();
  }
}

void CSonavexApp::OnMinimize(bool minimized) {
  if (control_ == nullptr) return;
  if (minimized) {
    UpdateRectWindow();
    control_->hide();
  } else if (control_hides_.empty()) {
    control_->ShowWithoutActivating();
  }
}

}  // namespace sonavex::app
