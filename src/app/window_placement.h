#pragma once

#include "platform/db/connection.h"

class QMainWindow;

namespace velmora {

// Where the main window was left: its geometry and the sizes of its
// splitters, kept in the order database's settings as Form_main_Geometry
// and Splitter_Main_Sizes, Panel_Right_Sizes.

// Shows the window as it was left; the first time (nothing stored, or
// nothing usable) it opens maximised. True when a stored placement was used.
bool showMainWindowAsLeft(QMainWindow& window, db::Connection& orderDb);

// Stores the window's placement; errors are ignored (closing goes on).
void storeMainWindowPlacement(const QMainWindow& window, db::Connection& orderDb);

} // namespace velmora
