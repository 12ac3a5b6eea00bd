// Pieces the application's dialogs share: the OK / "ｷｬﾝｾﾙ" button row
// (buttons named "ok" and "cancel"), a radio button with an icon, and the
// song dialogs' time labels and their help line.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QRadioButton>

#include "shell/help.h"

namespace sonavex::app {

// OK accepts and "ｷｬﾝｾﾙ" rejects `dialog`.
QDialogButtonBox* OkCancelButtons(QDialog* dialog);

// `icon` is a resource path or null.
QRadioButton* IconRadio(const char* text, const char* name, const char* icon, QWidget* parent);

// A time label of the song dialogs: drawn in the button-highlight colour on
// the button-shadow colour.
QLabel* ShadowLabel(const QString& text, QWidget* parent);

// The line "ﾍﾙﾌﾟを表示するには [F1] を押してください。" of `dialog`, whose
// promise it keeps: F1 in the dialog opens `page`.
QLabel* HelpKeyLine(QDialog* dialog, HelpPage page);

}  // namespace sonavex::app
