#pragma once

#include <QString>

class QLabel;
class QMainWindow;

namespace velmora {

// The panels of StatusBar_Main, numbered as the rest of the program names
// them: panel 1 takes the status texts and the spare width, panel 2 the
// elapsed time of a load. Each is a label named "StatusBar_Main_Panel" + n,
// made on first use.
QLabel* mainStatusPanel(QMainWindow& window, int panel);
void setMainStatusText(QMainWindow& window, int panel, const QString& text);
QString mainStatusText(QMainWindow& window, int panel);

} // namespace velmora
