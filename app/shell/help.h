// The help pages (HTML beside the program, folder "help") opened in the
// user's browser: the contents, the index, the page on using help and the
// sections on the two song dialogs. The main window's F1 is a menu command;
// a modal dialog keeps the keyboard to itself, so each dialog that offers
// help takes F1 through AddHelpKey.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QString>
#include <QUrl>

class QWidget;

namespace sonavex::app {

enum class HelpPage { kContents, kIndex, kUsage, kPlaytimeSong, kRealtimeSong };

// The page's file; empty when the help folder is missing.
QString HelpFile(HelpPage page);
// The page's address, with the section's anchor where the page is a section
// of a longer file; empty when the help folder is missing.
QUrl HelpUrl(HelpPage page);
// Opens the page in the browser; false when it could not.
bool OpenHelp(HelpPage page);

// F1 and Shift+F1 (the main window's help keys) pressed anywhere in
// `window` open `page`; the window stays as it was.
void AddHelpKey(QWidget* window, HelpPage page);

}  // namespace sonavex::app
