#include "dialogs/sound_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/trace.h"
#include "shell/window_util.h"

namespace sonavex::app {

CSoundDlg::CSoundDlg(const CSoundTree& sounds, long number, QWidget* parent)
    : QDialog(parent), number_(number) {
  setObjectName(QStringLiteral("CSoundDlg"));
  setWindowTitle(QStringLiteral("ｻｳﾝﾄﾞ選択"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("ｻｳﾝﾄﾞ :"), this));
  tree_ = new CSoundTreeCtrl(this);
  tree_->setObjectName(QStringLiteral("soundTree"));
  tree_->setMinimumSize(260, 260);
  layout->addWidget(tree_, 1);
  auto* name_row = new QHBoxLayout;
  name_row->addWidget(new QLabel(QStringLiteral("ｻｳﾝﾄﾞ名 :"), this));
  name_ = new QLabel(this);
  name_->setObjectName(QStringLiteral("soundName"));
  name_->setFrameShape(QFrame::Panel);
  name_->setFrameShadow(QFrame::Sunken);
  name_row->addWidget(name_, 1);
  layout->addLayout(name_row);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)
      ->setObjectName(QStringLiteral("ok"));
  buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole)
      ->setObjectName(QStringLiteral("cancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  tree_->CreateTree(sounds, number);
  if (sounds.GroupCount() == 0) TraceLog("サウンドツリーの設定に失敗\n");
  name_->setText(tree_->tree().GetSoundName(number).trimmed());
  connect(tree_, &CSoundTreeCtrl::SelectionChosen, this, &CSoundDlg::OnChosen);
  MoveWindowCenter(this);
}

void CSoundDlg::OnChosen(long number) {
  number_ = number;
  name_->setText(tree_->tree().GetSoundName(number).trimmed());
}

}  // namespace sonavex::app
