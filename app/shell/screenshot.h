// The picture tour: starts the application without the welcome choice,
// visits every screen and dialog, writes one PNG per view into a folder and
// ends. Works under the offscreen platform.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QString>

namespace sonavex::app {

class CSonavexApp;

// The number of pictures written; -1 when the folder cannot be made.
int TakeScreenshots(CSonavexApp* app, const QString& folder);

}  // namespace sonavex::app
