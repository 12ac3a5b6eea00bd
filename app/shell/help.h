// The help pages (HTML beside the program, folder "help") opened in the
// user's browser: the contents, the index and the page on using help.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QString>

namespace sonavex::app {

enum class HelpPage { kContents, kIndex, kUsage };

// The page's file; empty when the help folder is missing.
QString HelpFile(HelpPage page);
// Opens the page in the browser; false when it could not.
bool OpenHelp(HelpPage page);

}  // namespace sonavex::app
