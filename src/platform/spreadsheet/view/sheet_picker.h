#pragma once

#include "platform/spreadsheet/view/sheet_view.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <optional>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QToolButton;
class QWidget;

namespace velmora::sheet {

// The column choices of the picking windows hold "Нет" and A ... Z, the
// start-row choices the rows 1 ... 50.
inline constexpr int kPickLastColumn = 26;
inline constexpr int kPickStartRows = 50;

// The workbook a column-picking window's "..." buttons take cells from. It
// opens in a sheet view that is a window of the owner's window: the window
// manager keeps it above that window, and it takes clicks while that
// window waits modally. The user clicks a cell there and presses the
// owner's "..." button, which takes the cell (picked()). The view hides
// and shows again with the owner's window. Opening the view
// stands for attaching to the spreadsheet program, closing it for quitting
// it.
class SheetPicker : public QObject {
    Q_OBJECT
public:
    // `viewName` is the view's objectName; `prepare` runs once on the view
    // when it is made (spare cells, a kept placement, event filters).
    SheetPicker(QWidget* owner, const QString& viewName, std::function<void(SheetView*)> prepare = {});
    ~SheetPicker() override;

    // Reads the workbook into the view without showing it. Throws
    // SheetError; the view is then closed and hidden.
    void load(const QString& path);
    // Shows the view above its owner's window and gives it the focus, so
    // that the next click picks a cell. Shown the first time, it goes
    // beside the owner (PlaceBeside), unless it was placed before.
    void show();
    // load, then show.
    void open(const QString& path);
    // Opens the workbook the path field names; when it names no file,
    // asks for one first (the field then takes it). False when none is
    // chosen or it cannot be read (the reason goes to `error`).
    bool openFromField(QLineEdit* pathField, const std::function<QString()>& askForFile,
                       const std::function<void(const QString&)>& error);
    // Fills a sheet list with the open workbook's sheet names ("Нет" for
    // none).
    void listSheets(QComboBox* list) const;
    // Closes the workbook and hides the view.
    void close();
    bool isOpen() const;
    QString path() const;
    QStringList sheetNames() const;
    // Shows the sheet (1-based, or by name) when a workbook is open.
    bool showSheet(int index);
    bool showSheet(const QString& name);
    // The cell the user picked; none without a workbook or a current cell.
    std::optional<PickedCell> picked() const;
    // Sets a column choice to the picked cell's column; false, the choice
    // unchanged, without a picked cell in A ... Z.
    bool pickColumn(QComboBox* choice) const;
    // Sets a start-row choice to the picked cell's row (1 ... 50).
    bool pickStartRow(QComboBox* startRow) const;
    // The view; null before the first workbook.
    SheetView* view() const { return view_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SheetView* ensureView();
    void placeBesideOwner();

    // Smaller than this, a place beside the owner shows too few cells.
    static constexpr int kMinimumViewWidth = 360;
    static constexpr int kMinimumViewHeight = 240;

    QPointer<QWidget> owner_;
    QString viewName_;
    std::function<void(SheetView*)> prepare_;
    QPointer<SheetView> view_;
    bool hiddenWithOwner_ = false;
};

// "Нет", A ... Z: the item's index is the column number.
QComboBox* makeColumnChoice(const QString& name, QWidget* parent);
// The rows 1 ... 50 with the hint on skipping a heading.
QComboBox* makeStartRowChoice(const QString& name, QWidget* parent);
// "..." with the hint "Установить колонку выбранной ячейки" (or `hint`).
QToolButton* makePickButton(const QString& name, QWidget* parent, const QString& hint = QString());

// The rows of a column-picking window: a caption, a field and, where the
// field takes a picked cell, its "..." button.
class PickerRows {
public:
    PickerRows(QWidget* parent, SheetPicker* picker);
    QGridLayout* layout() const { return grid_; }
    // Returns the caption's label.
    QLabel* add(const QString& caption, QWidget* field, QToolButton* pick = nullptr);
    // A column choice with its "..."; `afterPick` runs after each press of
    // that "...".
    QComboBox* addColumn(const QString& caption, const QString& listName, const QString& buttonName,
                         const std::function<void()>& afterPick = {});
    // The start row with its "..." (the picked cell's row).
    QComboBox* addStartRow(const QString& caption, const QString& listName, const QString& buttonName);

private:
    QWidget* parent_;
    SheetPicker* picker_;
    QGridLayout* grid_;
    int row_ = 0;
};

} // namespace velmora::sheet
