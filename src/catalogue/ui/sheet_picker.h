#pragma once

#include "platform/files/message_sink.h"
#include "platform/spreadsheet/view/sheet_view.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <optional>

class QComboBox;
class QLineEdit;
class QWidget;

namespace velmora::catalogue {

// The workbook a catalogue window's "..." buttons pick cells from: opened
// in the program's sheet view (a window of its own, kept on top), where
// the user clicks a cell; a picker then takes that cell's row, column or
// look. Opening the view stands for attaching to the spreadsheet, closing
// it for quitting it.
class SheetPicker : public QObject {
    Q_OBJECT
public:
    SheetPicker(QWidget* owner, const QString& viewName);
    ~SheetPicker() override;

    // Opens the workbook and shows the view. Throws sheet::SheetError; the
    // view is then closed.
    void open(const QString& path);
    // Opens the workbook the path field names; when it names no file,
    // asks for one first (the field then takes it). False when none is
    // chosen or it cannot be read (said through `error`).
    bool openFromField(QLineEdit* pathField, const std::function<QString()>& askForFile, const MessageSink& error);
    // Fills a sheet list with the open workbook's sheet names ("Нет" for
    // none).
    void listSheets(QComboBox* list) const;
    void close();
    bool isOpen() const;
    QStringList sheetNames() const;
    // Shows the sheet (1-based) when a workbook is open.
    void showSheet(int index);
    // The cell the user picked; none without a workbook or a current cell.
    std::optional<sheet::PickedCell> picked() const;
    sheet::SheetView* view() const { return view_; }

private:
    QPointer<QWidget> owner_;
    QString viewName_;
    QPointer<sheet::SheetView> view_;
};

} // namespace velmora::catalogue
