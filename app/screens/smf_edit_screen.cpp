#include "screens/smf_edit_screen.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QTimer>
#include <QVBoxLayout>

#include "dialogs/sound_dialog.h"
#include "screens/pointer_row.h"
#include "screens/time_line_geometry.h"
#include "shell/trace.h"

namespace sonavex::app {
namespace {

QLabel* Heading(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
  return label;
}

}  // namespace

CSmfeditDlg::CSmfeditDlg(CMIDIMgr* mgr, int* scale, QWidget* parent)
    : CCenterScreen(mgr, scale, parent) {
  setObjectName(QStringLiteral("CSmfeditDlg"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);

  const PointerRow pointer =
      MakePointerRow(QM3_ID_PART_POINTER_TIME, QM3_ID_PART_POINTER_TICKS, this);
  pointer_time_ = pointer.time;
  pointer_time_->setText(QStringLiteral("0;00;00;00"));
  pointer_measure_ = pointer.measure;
  pointer_measure_->setText(QStringLiteral("000;1"));
  zoom_in_ = pointer.zoom_in;
  zoom_out_ = pointer.zoom_out;
  layout->addLayout(pointer.row);

  auto* body = new QHBoxLayout;
  body->setSpacing(2);
  auto* parts = new QWidget(this);
  parts_ = parts;
  grid_ = new QGridLayout(parts);
  grid_->setContentsMargins(0, 0, 0, 0);
  grid_->setHorizontalSpacing(4);
  grid_->setVerticalSpacing(0);
  grid_->addWidget(Heading(QStringLiteral("ｻｳﾝﾄﾞ"), parts), 0, 2, 1, 2);
  grid_->addWidget(Heading(QStringLiteral("ﾊﾟｰﾄ\nﾎﾞﾘｭｰﾑ"), parts), 0, 4);
  grid_->addWidget(Heading(QStringLiteral("ﾊﾟﾝ"), parts), 0, 5);
  for (int r = 0; r < CSmfWnd::kRows; ++r) {
    rows_[static_cast<size_t>(r)] = new CSmfPartRow(mgr_, r, parts);
    rows_[static_cast<size_t>(r)]->AddTo(grid_, r + 1);
    grid_->setRowMinimumHeight(r + 1, rows_[0]->RowHeight());
    connect(rows_[static_cast<size_t>(r)], &CSmfPartRow::SoundRequested, this,
            &CSmfeditDlg::OnSmfBtnSound);
  }
  grid_->setColumnStretch(2, 1);
  body->addWidget(parts, 0, Qt::AlignTop);

  smf_ = new CSmfWnd(mgr_, this);
  smf_->setProperty("midiId", QM3_ID_PART_AREA);
  smf_->SetRowMinimum(rows_[0]->RowHeight());
  body->addWidget(smf_, 1, Qt::AlignTop);
  part_bar_ = new QScrollBar(Qt::Vertical, this);
  part_bar_->setObjectName(QStringLiteral("partBar"));
  part_bar_->setRange(kFirstTop, kLastTop);
  part_bar_->setPageStep(CSmfWnd::kRows);
  part_bar_->setSingleStep(1);
  body->addWidget(part_bar_);
  layout->addLayout(body);
  layout->addStretch(1);

  parts_->installEventFilter(this);
  smf_->installEventFilter(this);
  connect(part_bar_, &QScrollBar::valueChanged, this, &CSmfeditDlg::OnVScroll);
  connect(zoom_in_, &QToolButton::clicked, this, [this] { ChangeZoom(+1); });
  connect(zoom_out_, &QToolButton::clicked, this, [this] { ChangeZoom(-1); });
}

void CSmfeditDlg::showEvent(QShowEvent* event) {
  CCenterScreen::showEvent(event);
  ScheduleAlign();
}

bool CSmfeditDlg::eventFilter(QObject* watched, QEvent* event) {
  const bool moved = event->type() == QEvent::Resize || event->type() == QEvent::Move;
  if (moved && (watched == parts_ || watched == smf_)) ScheduleAlign();
  return CCenterScreen::eventFilter(watched, event);
}

void CSmfeditDlg::ScheduleAlign() {
  if (align_pending_) return;
  align_pending_ = true;
  QTimer::singleShot(0, this, [this] {
    align_pending_ = false;
    AlignRows();
  });
}

void CSmfeditDlg::AlignRows() {
  // The headings take the rulers' height, so the rows start level with the
  // time line's rows.
  const QPoint port = smf_->viewport()->mapTo(smf_, QPoint(0, 0));
  const int rulers = port.y() + smf_->measure_lane().bottom() + 1;
  if (grid_->rowMinimumHeight(0) != rulers) {
    grid_->setRowMinimumHeight(0, rulers);
    grid_->activate();
  }
  QWidget* parts = parts_;
  std::array<std::pair<int, int>, CSmfWnd::kRows> edges{};
  for (int r = 0; r < CSmfWnd::kRows; ++r) {
    const QRect cell = grid_->cellRect(r + 1, 0);
    const int top = smf_->viewport()->mapFromGlobal(parts->mapToGlobal(cell.topLeft())).y();
    edges[static_cast<size_t>(r)] = {top, top + cell.height() - 1};
  }
  smf_->SetRowEdges(edges);
  smf_->setMinimumHeight(port.y() + edges.back().second + 2 +
                         smf_->horizontalScrollBar()->sizeHint().height() + smf_->frameWidth());
}

bool CSmfeditDlg::CreateSmfWnd() {
  const bool built = smf_->RebuildTimeLine();
  CTimeLineWnd::Options o;
  o.small_font = true;
  o.ticks_per_width = ZoomOf(Scale()).ticks_per_width;
  o.total_ticks = smf_->time_line().GetSongAll();
  o.range_allowed = true;
  // The small font makes the rulers lower: the rows move up with them.
  ScheduleAlign();
  return smf_->CreateWnd(o) && built;
}

bool CSmfeditDlg::BuildSoundTree() {
  long list = 0;
  if (!mgr_->GetSoundGroupData(&list) ||
      !sounds_.Create(reinterpret_cast<const QM3SoundGroupList*>(list))) {
    TraceLog("サウンドツリーの設定に失敗\n");
    return false;
  }
  return true;
}

bool CSmfeditDlg::CreateSpin() {
  for (CSmfPartRow* row : rows_) {
    if (!row->CreateSpin()) return false;
  }
  return true;
}

bool CSmfeditDlg::ChangePartNo() {
  const int top = part_bar_->value();
  smf_->SetTopPart(top);
  for (int r = 0; r < CSmfWnd::kRows; ++r) {
    if (!rows_[static_cast<size_t>(r)]->ChangePartNo(top + r)) return false;
  }
  return true;
}

bool CSmfeditDlg::InitControl() {
  if (!created_) {
    created_ = true;
    if (!CreateSmfWnd()) TraceLog("CSmfeditDlg::InitControl ﾀｲﾑﾗｲﾝの作成に失敗\n");
    if (!BuildSoundTree()) return false;
  }
  return ChangePartNo() && UpdateControl() && MaskControl();
}

bool CSmfeditDlg::UpdatePointerStatics() {
  QString time, measure;
  if (!mgr_->GetMIDIValueStr(QM3_ID_PART_POINTER_TIME, &time) ||
      !mgr_->GetMIDIValueStr(QM3_ID_PART_POINTER_TICKS, &measure)) {
    TraceLog("ﾎﾟｲﾝﾀ位置の現在値取得に失敗\n");
    return false;
  }
  pointer_time_->setText(time.trimmed());
  pointer_measure_->setText(measure.trimmed());
  return true;
}

bool CSmfeditDlg::HasFile() {
  // The middleware keeps its part defaults without a file; they are not
  // a file's parts. A name that cannot be read shows what there is.
  QString name;
  return !mgr_->GetEditFileName(&name) || !name.isEmpty();
}

bool CSmfeditDlg::UpdateControl() {
  const bool file = HasFile();
  for (CSmfPartRow* row : rows_) {
    if (!file) {
      row->ShowEmpty();
    } else if (!row->UpdateControl(sounds_)) {
      return false;
    }
  }
  return UpdatePointerStatics();
}

bool CSmfeditDlg::MaskControl() {
  const bool file = HasFile();
  for (CSmfPartRow* row : rows_) {
    if (!file) {
      row->ShowEmpty();
    } else if (!row->MaskControl()) {
      return false;
    }
  }
  part_bar_->setEnabled(file);
  // The area has no record of its own: it is always there.
  long area = 1, unused = 0;
  const bool alive =
      mgr_->GetValue(QM3_ID_PART_AREA, QM3_CMD_ALIVE, &area, &unused) != 0 || area == 1;
  smf_->setEnabled(alive);
  zoom_in_->setEnabled(alive && Scale() < kMaxScale);
  zoom_out_->setEnabled(alive && Scale() > kMinScale);
  return true;
}

bool CSmfeditDlg::UpdateValue(ControlId id) {
  if (id == QM3_ID_PART_POINTER_TIME || id == QM3_ID_PART_POINTER_TICKS) {
    return UpdatePointerStatics();
  }
  if (id == QM3_ID_PART_AREA) {
    smf_->UpdateTimeLine();
    return true;
  }
  const int index = ItemOf(id);
  if (GroupOf(id) == QM3_GROUP_PART_PANE && index >= 3 && index <= 66) {
    const int part = (index - 3) / 4 + 1;
    const int row = part - part_bar_->value();
    if (row < 0 || row >= CSmfWnd::kRows) return true;  // not shown now
    if (!HasFile()) return true;                        // the rows stand empty
    return rows_[static_cast<size_t>(row)]->UpdateItem(
        static_cast<CSmfPartRow::Item>((index - 3) % 4), sounds_);
  }
  TraceLog("指定されたMIDIIDはこの画面上のコントロールではありません ID:[%04x]\n", id);
  return false;
}

bool CSmfeditDlg::UpdateTimeLine() {
  const bool ok = smf_->RebuildTimeLine();
  smf_->UpdateTimeLine();
  return ok;
}

bool CSmfeditDlg::UpdatePointer(long tick) {
  const bool shown = UpdatePointerStatics();
  return smf_->UpdatePointer(tick) && shown;
}

bool CSmfeditDlg::UpdateRange(long from, long to) {
  return smf_->UpdateRange(from, to);
}

void CSmfeditDlg::OnVScroll(int) {
  if (!InitControl()) TraceLog("ｺﾝﾄﾛｰﾙ初期設定でｴﾗｰ発生\n");
}

void CSmfeditDlg::OnSmfBtnSound(int row) {
  CSmfPartRow* r = rows_[static_cast<size_t>(row)];
  const ControlId id = CSmfPartRow::ItemId(r->part(), CSmfPartRow::kSound);
  long number = 0;
  if (!mgr_->GetMIDIValue(id, &number)) return;
  CSoundDlg dialog(sounds_, number, this);
  if (dialog.exec() != QDialog::Accepted || dialog.name().isEmpty()) return;
  r->SetSoundName(dialog.name());
  // A sound the part may not take is refused with the middleware's message;
  // the row then shows the sound the part kept.
  if (!mgr_->SetMIDIValue(id, dialog.number())) TraceLog("ｻｳﾝﾄﾞの通知に失敗\n");
  r->UpdateItem(CSmfPartRow::kSound, sounds_);
}

void CSmfeditDlg::ChangeZoom(int step) {
  if (!StepScale(step)) return;
  smf_->ChangeScale(ZoomOf(Scale()).ticks_per_width);
  MaskControl();
}

}  // namespace sonavex::app
