#include "shell/window_util.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace sonavex::app {

void MoveWindowCenter(QWidget* window) {
  window->adjustSize();
  QWidget* parent = window->parentWidget();
  QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  const QRect over = parent != nullptr ? parent->window()->frameGeometry() : area;
  QRect frame = window->frameGeometry();
  frame.moveCenter(over.center());
  int left = std::min(frame.left(), area.right() - frame.width());
  int top = std::min(frame.top(), area.bottom() - frame.height());
  left = std::max(left, area.left());
  top = std::max(top, area.top());
  window->move(left, top);
}

}  // namespace sonavex::app
