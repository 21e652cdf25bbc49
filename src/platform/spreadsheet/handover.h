#pragma once

#include <QString>

namespace velmora::sheet {

class Workbook;

// The outcome of handing a finished workbook to the user.
struct HandOver {
    QString savedPath; // the file written
    bool opened = false; // the desktop's spreadsheet program was started
};

// Saves the workbook (Workbook::saveAs) and opens the saved file in the
// desktop's spreadsheet program. When no program can be started, or opening
// is switched off, `opened` is false and the caller shows savedPath. A
// failed save throws SheetError and opens nothing.
HandOver handOverVisible(const Workbook& workbook, const QString& path);
// Opens an already saved file the same way; false when nothing was started.
bool openInDesktop(const QString& path);

// Process-wide switch: tests turn the opening off (the default is on, unless
// the environment variable VELMORA_NO_DESKTOP_OPEN is set to a non-empty
// value at start).
void setDesktopOpeningEnabled(bool enabled);
bool desktopOpeningEnabled();

} // namespace velmora::sheet
