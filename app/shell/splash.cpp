#include "shell/splash.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>
#include <QTimer>

namespace sonavex::app {
namespace {

constexpr int kLingerMs = 1000;

}  // namespace

CSonavexSplashWindow::CSonavexSplashWindow()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("CSonavexSplashWindow"));
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(480, 270);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect r = rect();
    r.moveCenter(screen->availableGeometry().center());
    move(r.topLeft());
  }
}

void CSonavexSplashWindow::FinishLater() {
  QTimer::singleShot(kLingerMs, this, &QWidget::close);
}

void CSonavexSplashWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QSvgRenderer picture(QStringLiteral(":/icons/splash.svg"));
  picture.render(&p, rect());
}

}  // namespace sonavex::app
