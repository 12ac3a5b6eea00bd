// CLaneLabels: the column left of a time line that names its lanes ("時間",
// "小節・拍", "ﾌﾚｰｽﾞ"), each name centred on its lane.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QStringList>
#include <QWidget>

namespace sonavex::app {

class CTimeLineWnd;

class CLaneLabels : public QWidget {
  Q_OBJECT

 public:
  CLaneLabels(CTimeLineWnd* wnd, QStringList names, QWidget* parent);
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CTimeLineWnd* wnd_;
  QStringList names_;
};

}  // namespace sonavex::app
