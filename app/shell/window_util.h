// Small window helpers shared by every dialog of the application.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QWidget>

namespace sonavex::app {

// Centres `window` over its parent (or the screen when it has none), kept
// wholly on the screen.
void MoveWindowCenter(QWidget* window);

}  // namespace sonavex::app
