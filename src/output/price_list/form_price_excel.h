#pragma once

#include "output/price_list/price_excel_settings.h"
#include "output/window_support.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTabWidget;
class QToolButton;
class QWidget;

namespace velmora::db {
class Connection;
}

namespace velmora::sheet {
class SheetPicker;
class SheetView;
struct PickedCell;
}

namespace velmora::output {

// Form_PriceExcel ("Настройка прайс-листа в Excel"): the layout of the
// shop's spreadsheet price list over its settings (readPriceExcelSettings).
// The template opens in the program's sheet view beside the window, and
// each "..." takes the view's current cell: its row, its address, its look
// or its column and the column's width. The window stays on top; it is
// shown modeless so that the view next to it takes clicks.
class Form_PriceExcel : public QDialog {
    Q_OBJECT
public:
    Form_PriceExcel(db::Connection& orderDb, QString programFolder, QWidget* parent = nullptr);
    ~Form_PriceExcel() override;

    void setDialogs(WindowDialogs dialogs) { dialogs_ = std::move(dialogs); }
    // OpenDialog_xls: a file name, empty when cancelled.
    using OpenFileDialog = std::function<QString(QWidget* parent, const QString& filter)>;
    void setOpenDialog(OpenFileDialog dialog) { openDialog_ = std::move(dialog); }
    void setWaitWindow(Progress* wait) { wait_ = wait; }
    // The spreadsheet price-list writer "Выгрузить в Excel" runs once the
    // settings are stored; the button is disabled while there is none.
    void setPriceListWriter(std::function<void()> writer);
    // The windows this one stands in for: false when the template opens
    // (the main window steps aside), true when this window closes (the
    // window it was opened from and the main window come back).
    void setOtherWindowsShown(std::function<void(bool shown)> show) { otherWindows_ = std::move(show); }
    // The display currency of the rates, which the price columns' currencies
    // show while none is stored ("RUB" while not set).
    void setDisplayCurrency(std::function<QString()> displayCode) { displayCode_ = std::move(displayCode); }

    sheet::SheetView* templateView() const;

    void FormShow();
    void LoadPriceExcelSettings();
    void SavePriceExcelSettings();
    void SpeedButton_PathClick();
    void Button_StartRowClick();
    void Button_DateCellClick();
    // n = 1 ... 5 a group level, 0 the goods.
    void Button_SetParamClick(int level);
    void Button_SelColumnClick(GoodsColumn column);
    void Button_SaveClick();
    void Button_ExportExcelClick();
    void Button_ExitClick();
    // Escape closes the window as "Закрыть" does.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct LevelControls {
        QLineEdit* fontName;
        QSpinBox* fontSize;
        QLabel* column;
        QLabel* fontColor;
        QLabel* fillColor;
        QToolButton* bold;
        QToolButton* italic;
        QToolButton* underline;
    };
    struct ColumnControls {
        QCheckBox* wanted;
        QComboBox* position;
        QSpinBox* width;
    };

    QWidget* buildGeneralPage();
    QWidget* buildLevelsPage();
    QWidget* buildColumnsPage();
    void FormClose();
    void showSettings(const PriceExcelSettings& s);
    PriceExcelSettings settingsShown() const;
    // SavePriceExcelSettings; false (and the reason told) when nothing was stored.
    bool storeShown();
    // The view's current cell, or nullopt (and a word to the user) when no
    // template is open or no cell is chosen.
    bool pickedCell(sheet::PickedCell& cell);
    void closeTemplate();
    void say(const QString& text) const { dialogs_.tell(text); }

    db::Connection& orderDb_;
    QString programFolder_;
    WindowDialogs dialogs_;
    OpenFileDialog openDialog_;
    std::function<QString()> displayCode_;
    Progress* wait_ = nullptr;
    std::function<void()> writer_;
    std::function<void(bool)> otherWindows_;
    sheet::SheetPicker* picker_ = nullptr;
    bool closing_ = false;
    PriceExcelSettings shown_; // as last read or stored

    QTabWidget* PageControl1;
    QWidget* Panel_Save;
    QLineEdit* Edit_Path;
    QToolButton* SpeedButton_Path;
    QComboBox* ComboBox_Sheet;
    QComboBox* ComboBox_StartRow;
    QComboBox* ComboBox_TreeType;
    QLineEdit* Edit_DateCell;
    QComboBox* ComboBox_DateFormat;
    QLineEdit* Edit_DatePrefics;
    QLineEdit* Edit_DateSuffics;
    std::array<LevelControls, 6> levels_{};
    std::array<ColumnControls, kGoodsColumnCount> columns_{};
    std::array<QComboBox*, 4> currencies_{};
    QWidget* Button_ExportExcel;
};

} // namespace velmora::output
