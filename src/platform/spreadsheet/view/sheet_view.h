#pragma once

#include "platform/spreadsheet/cell_style.h"
#include "platform/spreadsheet/cell_value.h"
#include "platform/spreadsheet/reader.h"

#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>

class QTableView;
class QTabBar;
class QLabel;

namespace velmora::sheet {

class SheetGridModel;

// The cell the user picked in a SheetView.
struct PickedCell {
    int row = 0;    // from 1; 0 when no cell is current
    int column = 0; // from 1
    CellValue value;
    QString formula;   // "=..." or ""
    QString hyperlink; // address of the cell's first hyperlink, or ""
    // How the cell looks as the file keeps it: font (name, size, colour,
    // bold, italic, underline), fill, borders, number format, alignment;
    // and its column's width in characters (ColumnWidth).
    CellStyle style;
    double columnWidth = 8.43;
    bool isValid() const { return row > 0 && column > 0; }
};

// A window that shows one workbook read through WorkbookReader: the first
// rows of a sheet in a grid with column letters and row numbers, and the
// sheet tabs below. It is a tool window of its parent's window: the window
// manager keeps it above that window (a plain top-level window would drop
// behind it at the first click there), it takes clicks while that window
// waits modally, and it never stands above the dialogs the program opens
// (no always-on-top). The column-picking settings windows open the
// supplier's file here (through SheetPicker) and take the current cell's
// column (or hyperlink, or look) when their "..." button is pressed;
// clicking a cell also reports it by cellClicked. Merged blocks show as one
// cell; the whole sheet is read when maxRows is 0.
class SheetView : public QWidget {
    Q_OBJECT
public:
    explicit SheetView(QWidget* parent = nullptr);
    ~SheetView() override;

    // Reads the workbook's sheet names and shows its first sheet (at most
    // maxRows rows). Throws SheetError when the file cannot be read; the view
    // then keeps what it showed.
    void openWorkbook(const QString& path, int maxRows = 1000);
    void closeWorkbook();
    bool hasWorkbook() const;
    QString path() const;
    QStringList sheetNames() const;
    int currentSheet() const; // 1-based, 0 without workbook
    // Shows sheet `index` (1-based) or the one named so; false when none.
    bool showSheet(int index);
    bool showSheet(const QString& name);
    // Empty rows and columns shown past each sheet's used cells, so that a
    // cell a template leaves empty can be picked too (none by default).
    void setSpareCells(int rows, int columns);
    // The current (selected) cell; invalid when there is none.
    PickedCell currentCell() const;

signals:
    void cellClicked(const velmora::sheet::PickedCell& cell);
    void sheetShown(int index, const QString& name);

private:
    void display(int index, SheetData data, SheetLook look);
    void onClicked(const QModelIndex& index);
    PickedCell cellAt(const QModelIndex& index) const;
    struct State;
    std::unique_ptr<State> state_;
    QTableView* grid_;
    QTabBar* tabs_;
    QLabel* status_;
};

} // namespace velmora::sheet

Q_DECLARE_METATYPE(velmora::sheet::PickedCell)
