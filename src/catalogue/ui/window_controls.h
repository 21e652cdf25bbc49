#pragma once

// Controls the catalogue's workbook windows make in code under their
// names (objectName): column lists "Нет", A ... Z, the "..." pickers, the
// start-row list, and the progress bar a logic call reports to.

#include "platform/files/progress.h"

#include <QString>

class QComboBox;
class QLabel;
class QProgressBar;
class QToolButton;
class QWidget;

namespace velmora::catalogue {

template <typename Widget>
Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

inline constexpr int kLastPickColumn = 26; // Z
inline constexpr int kStartRowItems = 50;

// "Нет", A ... Z: the item's index is the column number.
QComboBox* columnList(const char* name, QWidget* parent);
// The rows 1 ... 50.
QComboBox* startRowList(const char* name, QWidget* parent);
// "..." with the hint "Установить колонку выбранной ячейки".
QToolButton* pickButton(const char* name, QWidget* parent);
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
