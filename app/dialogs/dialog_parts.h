// Pieces the application's small dialogs share: the OK / "ｷｬﾝｾﾙ" button row
// (buttons named "ok" and "cancel") and a radio button with an icon.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QDialog>
#include <QDialogButtonBox>
#include <QRadioButton>

namespace sonavex::app {

// OK accepts and "ｷｬﾝｾﾙ" rejects `dialog`.
QDialogButtonBox* OkCancelButtons(QDialog* dialog);

// `icon` is a resource path or null.
QRadioButton* IconRadio(const char* text, const char* name, const char* icon, QWidget* parent);

}  // namespace sonavex::app
