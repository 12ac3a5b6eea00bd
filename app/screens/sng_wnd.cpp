#include "screens/sng_wnd.h"

#include <QPainter>

#include "screens/time_line_geometry.h"
#include "shell/trace.h"

namespace sonavex::app {
namespace {

constexpr int kPhraseInset = 3;  // the box's inner fill, this far in
constexpr int kNameOffset = 5;   // the name, right of and below the corner
constexpr int kClipMargin = 10;  // boxes are cut to the view plus this much

struct PhraseColours {
  QColor outer, face, light, highlight, dark;
};

// Windows colour words (blue in the high byte) of the selected phrase.
QColor FromColourWord(unsigned word) {
  return QColor(word & 0xFF, (word >> 8) & 0xFF, (word >> 16) & 0xFF);
}

}  // namespace

CSngWnd::CSngWnd(CMIDIMgr* mgr, QWidget* parent) : CTimeLineWnd(mgr, parent) {
  setObjectName(QStringLiteral("CSngWnd"));
}

bool CSngWnd::RebuildPhrases() {
  const QM3PhraseList* list = nullptr;
  if (!mgr_->GetSongTimeLineData(&list) || !phrases_.Create(list)) {
    TraceLog("CreatePhraseList ﾌﾚｰｽﾞﾘｽﾄの取得に失敗\n");
    SetTotal(0);
    return false;
  }
  int selected = -1;
  if (mgr_->GetSelectPhrase(&selected)) phrases_.SelectPhrase(selected);
  SetTotal(phrases_.GetSongAll() * kTicksPerBeat);
  return true;
}

bool CSngWnd::SelectPhrase(int number) {
  const bool ok = phrases_.SelectPhrase(number);
  viewport()->update(phrase_lane_);
  return ok;
}

int CSngWnd::ContentMinimumHeight() const {
  return QFontMetrics(font_).height() * 2 + 2 * kPhraseInset + 8;
}

void CSngWnd::LayoutContent(int top, int bottom) {
  phrase_lane_ = QRect(0, top, viewport()->width(), std::max(1, bottom - top + 1));
}

bool CSngWnd::TimeString(long second, QString* text) {
  return mgr_->GetSNGTimeString(second, text);
}

void CSngWnd::PaintContent(QPainter& p, const QRect& clip) {
  PaintLaneBackground(p, phrase_lane_);
  if (!clip.intersects(phrase_lane_)) return;
  const int w = viewport()->width();
  const QRect lane = phrase_lane_.adjusted(0, 2, 0, -2);
  long start = 0;
  for (const CPhrase& phrase : phrases_.phrases()) {
    const long end = start + phrase.beats * kTicksPerBeat;
    const int left = XOf(start), right = XOf(end) - 1;
    start = end;
    if (right < 0 || left >= w || right < left) continue;
    const QRect box(QPoint(std::max(left, -kClipMargin), lane.top()),
                    QPoint(std::min(right, w + kClipMargin), lane.bottom()));
    if (box.intersects(clip)) PaintPhrase(p, phrase, box);
  }
  p.setPen(palette().color(QPalette::Dark));
  p.drawLine(phrase_lane_.left(), phrase_lane_.bottom(), phrase_lane_.right(),
             phrase_lane_.bottom());
}

void CSngWnd::PaintPhrase(QPainter& p, const CPhrase& phrase, const QRect& box) {
  const QPalette& pal = palette();
  const PhraseColours c =
      phrase.selected ? PhraseColours{FromColourWord(0x664443), FromColourWord(0xBC7D7B),
                                      FromColourWord(0xDDBEBD), Qt::white, FromColourWord(0x664443)}
                      : PhraseColours{pal.color(QPalette::Shadow), pal.color(QPalette::Button),
                                      pal.color(QPalette::Midlight), pal.color(QPalette::Light),
                                      pal.color(QPalette::Dark)};
  p.fillRect(box, c.outer);
  const QRect inner = box.adjusted(1, 1, -1, -1);
  if (inner.isEmpty()) return;
  p.fillRect(inner, c.light);
  const QRect face = box.adjusted(kPhraseInset, kPhraseInset, -kPhraseInset, -kPhraseInset);
  if (!face.isEmpty()) p.fillRect(face, c.face);
  // Light bevel on the top and left, dark on the bottom and right.
  p.setPen(c.highlight);
  p.drawLine(inner.topLeft(), inner.topRight());
  p.drawLine(inner.topLeft(), inner.bottomLeft());
  p.setPen(c.dark);
  p.drawLine(inner.bottomLeft(), inner.bottomRight());
  p.drawLine(inner.topRight(), inner.bottomRight());
  if (phrase.name.isEmpty() || face.width() < 8) return;
  // White on the selected box; on the light face of the others the button
  // text colour, which stays readable.
  p.save();
  p.setClipRect(face, Qt::IntersectClip);
  p.setPen(phrase.selected ? QColor(Qt::white) : pal.color(QPalette::ButtonText));
  const QFontMetrics metrics(font_);
  p.drawText(box.left() + kNameOffset, box.top() + kNameOffset + metrics.ascent(), phrase.name);
  p.restore();
}

}  // namespace sonavex::app
