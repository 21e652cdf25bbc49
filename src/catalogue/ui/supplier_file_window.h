#pragma once

#include "catalogue_window_environment.h"

#include "catalogue/supplier_files/invoice.h"
#include "catalogue/supplier_files/supplier_file_rows.h"
#include "catalogue/supplier_files/supplier_file_settings.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QWidget;

namespace velmora::sheet {
class SheetPicker;
}

namespace velmora::catalogue {

// The twin windows that read one supplier's workbook with settings kept
// per supplier: the price update (Form_LoadPricePostav) and the invoices
// (Form_PostavInvoice). The workbook opens in the sheet view, where the
// "..." buttons take the picked cell's column, row or address. Each window
// preselects the supplier its window-wide setting names and stores the
// supplier chosen there.
class SupplierFileWindow : public QDialog {
    Q_OBJECT
public:
    ~SupplierFileWindow() override;

    sheet::SheetPicker* picker() const { return picker_; }
    QString supplier() const;
    // The settings as the controls hold them.
    SupplierFileSettings controlSettings() const;

public slots:
    void FormShow();
    void LoadPostavSettings(const QString& supplier);
    void SpeedButton_PathClick();
    void Button_SaveZakazExcelClick();
    void Button1Click();
    void Button_CloseClick();
    void FormClose();

protected:
    SupplierFileWindow(SupplierFileKind kind, CatalogueWindowEnvironment environment, QWidget* parent);
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The run of Button1 once the supplier and file are known to be there.
    virtual void run(const QString& supplier, const SupplierFileSettings& settings) = 0;
    // The supplier changed: what the last run kept is dropped.
    virtual void supplierChanged() {}
    // The result panel with a text; the gauge hidden unless `busy`.
    void showResult(const QString& text, bool busy);
    void reportError(const QString& text);
    // Reads the workbook and hands its rows to `use`; a workbook or
    // database failure is said and gives false.
    bool readAndUse(const SupplierFileSettings& settings, Progress& progress,
                    const std::function<void(const SupplierFileRead&)>& use);

    SupplierFileKind kind_;
    CatalogueWindowEnvironment env_;
    sheet::SheetPicker* picker_ = nullptr;
    QComboBox* ComboBox_NamePostav = nullptr;
    QLineEdit* Edit_Path = nullptr;
    QComboBox* ComboBox_Sheet = nullptr;
    QComboBox* ComboBox_StartRow = nullptr;
    QLineEdit* Edit_Number = nullptr;    // invoices
    QLineEdit* Edit_KursPostav = nullptr; // price updates
    QComboBox* ComboBox_Art = nullptr;
    QComboBox* ComboBox_Tov = nullptr;
    QComboBox* ComboBox_PriceMax = nullptr;
    QComboBox* ComboBox_Zakaz = nullptr;
    QRadioButton* RadioButton_SelArtZakaz = nullptr;
    QRadioButton* RadioButton_SelTovarZakaz = nullptr;
    QWidget* Panel_Load = nullptr; // GroupBox_Load in the price update
    QLabel* Label_Info = nullptr;
    QProgressBar* ProgressBar_Load = nullptr;
    QPushButton* Button_Close = nullptr;
    QPushButton* Button1 = nullptr;
    QWidget* resultExtras_ = nullptr; // the invoice counts and export

private:
    void buildControls();
    void fillSuppliers();
    void chooseSupplier(int index);
    void afterArticlePick();
};

// "Обновление цен поставщиков".
class Form_LoadPricePostav : public SupplierFileWindow {
    Q_OBJECT
public:
    // pricesUpdated: the order page is shown again with its lines.
    Form_LoadPricePostav(CatalogueWindowEnvironment environment, std::function<void()> pricesUpdated,
                         QWidget* parent = nullptr);

protected:
    void run(const QString& supplier, const SupplierFileSettings& settings) override;

private:
    std::function<void()> pricesUpdated_;
};

// "Обработка накладных от поставщиков".
class Form_PostavInvoice : public SupplierFileWindow {
    Q_OBJECT
public:
    // handOver: the saved invoice workbook is opened for the user.
    Form_PostavInvoice(CatalogueWindowEnvironment environment, std::function<void(const QString&)> handOver,
                       QWidget* parent = nullptr);

    const Invoice& invoice() const { return invoice_; }

public slots:
    void Button_ExportInvoiceClick();

protected:
    void run(const QString& supplier, const SupplierFileSettings& settings) override;
    void supplierChanged() override;

private:
    std::function<void(const QString&)> handOver_;
    Invoice invoice_;
    QLabel* Label_All = nullptr;
    QLabel* Label_k = nullptr;
    QPushButton* Button_ExportInvoice = nullptr;
};

} // namespace velmora::catalogue
