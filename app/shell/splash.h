// CSonavexSplashWindow: the borderless, always-on-top picture shown while the
// application starts. It stays a second after the main window appears.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QWidget>

namespace sonavex::app {

class CSonavexSplashWindow : public QWidget {
  Q_OBJECT

 public:
  CSonavexSplashWindow();
  // Closes (and deletes) the window one second from now.
  void FinishLater();

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace sonavex::app
