#include "dialogs/choice_dialogs.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/dialog_parts.h"
#include "shell/window_util.h"

namespace sonavex::app {

CWelcomeDlg::CWelcomeDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("CWelcomeDlg"));
  setWindowTitle(QStringLiteral("SONAVEX"));
  auto* layout = new QVBoxLayout(this);
  auto* create = new QGroupBox(QStringLiteral("新規作成"), this);
  auto* create_layout = new QVBoxLayout(create);
  radios_[0] = IconRadio("演奏時間を指定してｿﾝｸﾞを作成(&E)", "mode0", ":/icons/new.svg", create);
  radios_[1] = IconRadio("ﾘｱﾙﾀｲﾑｿﾝｸﾞ作成(&R)", "mode1", ":/icons/realtime.svg", create);
  create_layout->addWidget(radios_[0]);
  create_layout->addWidget(radios_[1]);
  auto* open = new QGroupBox(QStringLiteral("ﾌｧｲﾙを開く"), this);
  auto* open_layout = new QVBoxLayout(open);
  radios_[2] = IconRadio("ｿﾝｸﾞ(&S)", "mode2", ":/icons/song_file.svg", open);
  radios_[3] = IconRadio("SMF(&M)", "mode3", ":/icons/smf_file.svg", open);
  radios_[4] = IconRadio("SINGLANE(&Y)", "mode4", ":/icons/content_file.svg", open);
  for (int i = 2; i < 5; ++i) open_layout->addWidget(radios_[i]);
  // One choice across both groups.
  auto* choice = new QButtonGroup(this);
  for (QRadioButton* radio : radios_) choice->addButton(radio);
  layout->addWidget(create);
  layout->addWidget(open);
  layout->addWidget(OkCancelButtons(this));
  SetOpenMode(0);
}

void CWelcomeDlg::SetOpenMode(int mode) {
  mode_ = mode;
  if (mode >= 0 && mode < 5) radios_[mode]->setChecked(true);
}

void CWelcomeDlg::accept() {
  // The radios are read in dialog order; the last one set gives the mode.
  for (int i = 0; i < 5; ++i) {
    if (radios_[i]->isChecked()) mode_ = i;
  }
  QDialog::accept();
}

CFileNewDlg::CFileNewDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("CFileNewDlg"));
  setWindowTitle(QStringLiteral("新規作成"));
  auto* layout = new QVBoxLayout(this);
  play_ = IconRadio("演奏時間を指定してｿﾝｸﾞを作成(&E)", "playTime", ":/icons/new.svg", this);
  real_ = IconRadio("ﾘｱﾙﾀｲﾑｿﾝｸﾞ作成(&R)", "realTime", ":/icons/realtime.svg", this);
  layout->addWidget(play_);
  layout->addWidget(real_);
  layout->addWidget(OkCancelButtons(this));
  ShowFlags();
}

void CFileNewDlg::ShowFlags() {
  // The radios are exclusive: the one whose flag is set is checked.
  if (play_time) {
    play_->setChecked(true);
  } else if (real_time) {
    real_->setChecked(true);
  }
}

int CFileNewDlg::exec() {
  ShowFlags();
  MoveWindowCenter(this);
  return QDialog::exec();
}

void CFileNewDlg::accept() {
  play_time = play_->isChecked();
  real_time = real_->isChecked();
  QDialog::accept();
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("CAboutDlg"));
  setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(SONAVEX)"));
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  auto* icon = new QLabel(this);
  icon->setPixmap(QIcon(QStringLiteral(":/icons/sonavex.svg")).pixmap(48, 48));
  row->addWidget(icon, 0, Qt::AlignTop);
  auto* text = new QLabel(this);
  text->setText(QStringLiteral("<b style=\"font-size:14pt\">SONAVEX</b><br>Version 1.10"));
  text->setMinimumWidth(220);
  row->addWidget(text, 1);
  layout->addLayout(row);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
}

}  // namespace sonavex::app
