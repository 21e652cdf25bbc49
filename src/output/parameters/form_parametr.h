#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class QComboBox;
class QFileSystemModel;
class QSpinBox;

namespace Ui {
class Form_parametr;
}

namespace velmora::db {
class Connection;
}

namespace velmora::output {

// Form_parametr ("Параметры"): the four output price columns, the export
// targets (table `parametr` of the price database) and the YML catalogue's
// settings (the order database's settings store). The window lives for
// the whole run and is shown modally.
class Form_parametr : public QDialog {
    Q_OBJECT
public:
    Form_parametr(db::Connection& priceDb, db::Connection& orderDb, QString dataFolder, QWidget* parent = nullptr);
    ~Form_parametr() override;

    // The windows this one opens, which belong to other parts of the
    // program; their buttons are disabled while an opener is not set. The
    // data-source window returns the connection string it made (empty:
    // none).
    using DataSourceOpener = std::function<QString(QWidget* parent)>;
    using LayoutOpener = std::function<void(QWidget* parent)>;
    void setDataSourceOpener(DataSourceOpener opener);
    void setLayoutOpener(LayoutOpener opener);
    // The display currency of the rates, which the YML price currency
    // shows while none is stored ("RUB" while not set).
    void setDisplayCurrency(std::function<QString()> displayCode) { displayCode_ = std::move(displayCode); }

    void FormShow();
    void Button_OutSetClick();
    void Button_ExitClick();
    // Folder buttons: 1 Excel folder, 2 dBase folder, 3 managers' database
    // folder, 4 YML file.
    void SpeedButton1Click() { chooseFolderFor(1); }
    void SpeedButton2Click() { chooseFolderFor(2); }
    void SpeedButton3Click() { chooseFolderFor(3); }
    void SpeedButton4Click() { chooseFolderFor(4); }
    void Button_PathClick();
    void SpeedButton5Click();
    void Button_ExcelClick();
    void ComboBox_RUBChange();
    void ComboBox_USDChange();
    void ComboBox_EURChange();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void chooseFolderFor(int target);
    void showFolderChooser(bool chooser);
    // Only the central bank's rate takes a surcharge.
    void followRateChoice(const QComboBox* combo, QSpinBox* surcharge);

    std::unique_ptr<Ui::Form_parametr> ui;
    db::Connection& priceDb_;
    db::Connection& orderDb_;
    QString dataFolder_;
    QFileSystemModel* folders_;
    DataSourceOpener dataSourceOpener_;
    LayoutOpener layoutOpener_;
    std::function<QString()> displayCode_;
    int folderTarget_ = 0; // between a folder button and "Запомнить"
};

} // namespace velmora::output
