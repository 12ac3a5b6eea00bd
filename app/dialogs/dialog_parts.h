// Pieces the application's small dialogs share: the OK / "ｷｬﾝｾﾙ" button row
// (buttons named "ok" and "cancel") and a radio button with an icon.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QRadioButton>

#include "controls/bgm_list.h"

namespace sonavex::app {

// OK accepts and "ｷｬﾝｾﾙ" rejects `dialog`.
QDialogButtonBox* OkCancelButtons(QDialog* dialog);

// `icon` is a resource path or null.
QRadioButton* IconRadio(const char* text, const char* name, const char* icon, QWidget* parent);

// Fills `box` with the list's names (item data in Qt::UserRole) and selects
// the entry whose data is `key` (none when no entry has it).
void FillBox(QComboBox* box, const CBgmList& list, long key);
void FillBox(QListWidget* box, const CBgmList& list, long key);
// Selects the first entry whose data is `key`; false (and nothing selected)
// when there is none.
bool SelectData(QComboBox* box, long key);
bool SelectData(QListWidget* box, long key);
// The selected entry's data; -1 when nothing is selected.
long SelectedData(const QComboBox* box);
long SelectedData(const QListWidget* box);

}  // namespace sonavex::app
