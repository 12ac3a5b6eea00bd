// CSngWnd: the song's time line: the rulers of CTimeLineWnd and, below them,
// the phrase lane with one raised box per phrase (the selected one in its
// own colours). Pointer only, no range.
//
// Thread rules: user-interface thread only.
#pragma once
#include "screens/phrase_list.h"
#include "screens/time_line_wnd.h"

namespace sonavex::app {

class CSngWnd : public CTimeLineWnd {
  Q_OBJECT

 public:
  explicit CSngWnd(CMIDIMgr* mgr, QWidget* parent = nullptr);

  // Reads the phrase list and the selected phrase again; the length follows.
  bool RebuildPhrases();
  bool SelectPhrase(int number);
  const CPhraseList& phrases() const { return phrases_; }
  QRect phrase_lane() const { return phrase_lane_; }
  QList<QRect> Lanes() const override { return {time_lane(), measure_lane(), phrase_lane_}; }

 protected:
  void LayoutContent(int top, int bottom) override;
  void PaintContent(QPainter& p, const QRect& clip) override;
  int ContentBottom() const override { return phrase_lane_.bottom(); }
  int ContentMinimumHeight() const override;
  bool TimeString(long second, QString* text) override;

 private:
  void PaintPhrase(QPainter& p, const CPhrase& phrase, const QRect& box);

  CPhraseList phrases_;
  QRect phrase_lane_;
};

}  // namespace sonavex::app
