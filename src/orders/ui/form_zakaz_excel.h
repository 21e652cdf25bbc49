#pragma once

#include "orders/not_found_rows.h"
#include "orders/order_import.h"
#include "platform/db/connection.h"
#include "platform/files/message_sink.h"
#include "platform/spreadsheet/view/sheet_picker.h"

#include <QDialog>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolButton;
class QWidget;

namespace velmora::orders {

// What the import window takes from the program around it.
struct ZakazExcelEnvironment {
    db::Connection* orderDb = nullptr; // the window's settings
    db::Connection* priceDb = nullptr; // price_main and Zakaz
    QString programFolder;             // notimport.xlsx, "Ошибки импорта заказов/"
    std::function<QString()> priceListIniPath; // the import's order counter
    std::function<int()> roundDigits;
    // The file dialog: an empty name when cancelled.
    std::function<QString(QWidget* parent, const QString& filter)> openFileName;
    // The main window hides while the customer's workbook is shown, and
    // comes back when this window closes.
    std::function<void(bool hidden)> setMainWindowHidden;
    // A new order is in Zakaz: `numberText` for the hidden order-number
    // field; the client fields are emptied unless goods were added to the
    // existing order; the order is reopened and its tab brought forward.
    std::function<void(const QString& numberText, bool addedToOrder)> orderImported;
    // A workbook was saved: open it for the user.
    std::function<void(const QString& path)> handOver;
    MessageSink error;
};

// "Импорт заказа из Excel": reads a customer's order workbook into the
// order list Zakaz. The workbook opens in the sheet view, where the "..."
// buttons take the current cell's column (or row, for the start row). The
// window keeps itself above the others.
class Form_ZakazExcel : public QDialog {
    Q_OBJECT
public:
    explicit Form_ZakazExcel(ZakazExcelEnvironment environment, QWidget* parent = nullptr);
    ~Form_ZakazExcel() override;

    // The sheet view of the chosen workbook (null before one is chosen).
    sheet::SheetView* sheetView() const;
    // The goods the last import could not load.
    const NotFoundRows& notFoundRows() const { return notFound_; }

public slots:
    void FormShow();
    void SpeedButton_PathClick();
    void Button1Click();
    void Button_SaveZakazExcelClick();
    void BitBtn_ExportNoTovarClick();
    void Button_CloseClick();
    void FormClose();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void loadSettings();
    OrderImportSettings importSettings() const;
    void ComboBox_ArtChange();
    void showResultPanel(const QString& text, bool closeEnabled);

    ZakazExcelEnvironment env_;
    NotFoundRows notFound_;
    sheet::SheetPicker* picker_ = nullptr;

    QLineEdit* Edit_Path = nullptr;
    QToolButton* SpeedButton_Path = nullptr;
    QComboBox* ComboBox_Sheet = nullptr;
    QComboBox* ComboBox_StartRow = nullptr;
    QComboBox* ComboBox_Art = nullptr;
    QComboBox* ComboBox_Tov = nullptr;
    QComboBox* ComboBox_PriceMax = nullptr;
    QComboBox* ComboBox_Zakaz = nullptr;
    QRadioButton* RadioButton_SelArtZakaz = nullptr;
    QRadioButton* RadioButton_SelTovarZakaz = nullptr;
    QCheckBox* CheckBox_PriceZakaz = nullptr;
    QCheckBox* CheckBox_AddZakaz = nullptr;
    QWidget* Panel_Load = nullptr;
    QLabel* Label_Info = nullptr;
    QProgressBar* ProgressBar_Load = nullptr;
    QPushButton* Button_Close = nullptr;
    QPushButton* BitBtn_ExportNoTovar = nullptr;
};

} // namespace velmora::orders
