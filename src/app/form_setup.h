#pragma once

#include "program_settings.h"

#include "platform/db/connection.h"
#include "platform/files/message_sink.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class QToolButton;
class QWidget;

namespace velmora {

class Progress;

// What the settings dialog works with.
struct SetupEnvironment {
    db::Connection* orderDb = nullptr;
    db::Connection* priceDb = nullptr;
    QString programFolder;  // where the markup-threshold report is saved
    std::shared_ptr<Progress> wait; // the wait window
    MessageSink message;    // notices
    MessageSink error;      // failures
    // After OK stored the settings: the cached globals are read again and
    // the own goods list reopened.
    std::function<void()> saved;
    // Opens a saved workbook for the user; false when nothing was started.
    std::function<bool(const QString& path)> openWorkbook;
    // The colour dialog; empty: Qt's own.
    std::function<QColor(QWidget* parent, const QColor& current)> chooseColor;
};

// The settings dialog "Настройки программы": the program-wide settings of
// old goods, minimum prices, the sale supplier, the "super price", the
// freshness of price lists and rounding, with the report of every group's
// markup thresholds. Opened modally on a chosen page.
class Form_Setup : public QDialog {
    Q_OBJECT
public:
    explicit Form_Setup(SetupEnvironment environment, QWidget* parent = nullptr);
    ~Form_Setup() override;

    // Shows the dialog modally on page `pageIndex` (0: the first); it is on
    // its first page again afterwards.
    int execOnPage(int pageIndex);

    // The controls' values as the settings they stand for.
    ProgramSettings settings() const;

public slots:
    void Button1Click();            // "ОК"
    void Button_SetupGroupClick();  // "Отчет"

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void FormShow();
    void showSettings(const ProgramSettings& settings);
    void pressStyleButton(QToolButton* pressed, int bit);
    void showStyle(int bits);
    void chooseColor(QLabel* sample);
    void fillSupplierDefaults();
    void supplierDefaultClicked(int row, int column);
    void report(const MessageSink& sink, const QString& text) const;

    SetupEnvironment env_;
    QColor oldTovarColor_;
    QColor saleTovarColor_;
    int styleBits_ = 0;
    bool filling_ = false;

    QTabWidget* PageControl_Setup;
    QSpinBox* SpinEdit_OldTovarDay;
    QLabel* Label_OldTovarColor;
    QCheckBox* CheckBox_KatMinPrice;
    QWidget* GroupBox_Kat;
    QCheckBox* CheckBox_KatPost;
    QCheckBox* CheckBox_KatNacen;
    QCheckBox* CheckBox_NacenDop;
    QLineEdit* Edit_Sale;
    QCheckBox* CheckBox_Sale;
    QLabel* Label_SaleTovarColor;
    QToolButton* SpeedButton_Bold;
    QToolButton* SpeedButton_Italic;
    QToolButton* SpeedButton_Underline;
    QLabel* StaticText_SuperPriceStyle;
    QCheckBox* CheckBox_SuperPriceExcel;
    QLineEdit* Edit_SuperPriceText;
    QSpinBox* SpinEdit1;
    QLabel* Label10;
    QTableWidget* DBGrid_Postav;
    QCheckBox* CheckBox_RoundingYes;
    QSpinBox* SpinEdit_RoundingDegree;
    QCheckBox* CheckBox_RoundingPostav;
    QSpinBox* SpinEdit_RoundingDegreePostav;
};

} // namespace velmora
