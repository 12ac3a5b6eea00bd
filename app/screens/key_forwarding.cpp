#include "screens/key_forwarding.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace sonavex::app {

int VirtualKeyOf(int qt_key) {
  if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F24) return 0x70 + (qt_key - Qt::Key_F1);
  if (qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z) return 'A' + (qt_key - Qt::Key_A);
  if (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9) return '0' + (qt_key - Qt::Key_0);
  switch (qt_key) {
    case Qt::Key_Backspace:
      return 0x08;
    case Qt::Key_Tab:
      return 0x09;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 0x0D;
    case Qt::Key_Shift:
      return 0x10;
    case Qt::Key_Control:
      return 0x11;
    case Qt::Key_Alt:
      return 0x12;
    case Qt::Key_Escape:
      return 0x1B;
    case Qt::Key_Space:
      return 0x20;
    case Qt::Key_PageUp:
      return 0x21;
    case Qt::Key_PageDown:
      return 0x22;
    case Qt::Key_End:
      return 0x23;
    case Qt::Key_Home:
      return 0x24;
    case Qt::Key_Left:
      return 0x25;
    case Qt::Key_Up:
      return 0x26;
    case Qt::Key_Right:
      return 0x27;
    case Qt::Key_Down:
      return 0x28;
    case Qt::Key_Insert:
      return 0x2D;
    case Qt::Key_Delete:
      return 0x2E;
    default:
      return 0;
  }
}

ControlId FocusedControlId(const QWidget* focus) {
  if (focus == nullptr) return 0;
  const QVariant own = focus->property("midiId");
  if (own.isValid()) return own.toInt();
  for (const QWidget* w = focus; w != nullptr; w = w->parentWidget()) {
    const QVariant screen = w->property("screenNumber");
    if (screen.isValid()) return GetScreenID(screen.toInt());
  }
  return 0;
}

bool CKeyForwarder::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  // Forward once, from the widget the key was meant for.
  if (watched != QApplication::focusWidget() && QApplication::focusWidget() != nullptr)
    return false;
  const int code = VirtualKeyOf(key->key());
  if (code == 0 || key->isAutoRepeat()) return false;
  const auto* widget = qobject_cast<const QWidget*>(watched);
  // Only the windows that forward keys: the main window and the song dialogs.
  if (widget == nullptr || !widget->window()->property("forwardKeys").toBool()) return false;
  mgr_->SetKeyCode(code, FocusedControlId(widget));
  return false;
}

}  // namespace sonavex::app
