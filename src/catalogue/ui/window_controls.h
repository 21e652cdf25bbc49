#pragma once

// Helpers of the catalogue's workbook windows, which make their controls in
// code under their names (objectName): naming, list choice, and the
// progress bar a logic call reports to. The column choices and their "..."
// pickers are the sheet view's (platform/spreadsheet/view/sheet_picker.h).

#include "platform/files/progress.h"

#include <QString>

class QComboBox;
class QLabel;
class QProgressBar;
class QWidget;

namespace velmora::catalogue {

template <typename Widget>
Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// Selects the index when the list has it, else the first item.
void selectItem(QComboBox* list, int index);

// The file dialog's filter for workbooks.
extern const QString kWorkbookFilter;

// A window's progress bar (and optionally its label) as the logic's
// Progress; the window repaints every so many steps.
class BarProgress : public Progress {
public:
    explicit BarProgress(QProgressBar* bar, QLabel* label = nullptr) : bar_(bar), label_(label) {}
    void start(const QString& text, int steps) override;
    void step(int count = 1) override;

private:
    QProgressBar* bar_;
    QLabel* label_;
    int value_ = 0;
};

} // namespace velmora::catalogue
