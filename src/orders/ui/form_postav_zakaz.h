#pragma once

#include "orders/order_distribution.h"
#include "orders/order_exports.h"
#include "platform/db/connection.h"
#include "platform/files/message_sink.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QRadioButton;
class QTableView;
class QTableWidget;
class QTabWidget;
class QWidget;

namespace velmora::orders {

class DistributionGoodsModel;
class SupplierOffersModel;

// What the distribution window takes from the program around it.
struct PostavZakazEnvironment {
    db::Connection* priceDb = nullptr; // Zakaz, svod, ZakazPostav, postav_info
    db::Connection* orderDb = nullptr; // the order tab's rate and currency
    QString programFolder;             // templates and output folders
    std::function<int()> roundDigits;
    std::function<double()> kursRub;          // KursRUBRate, for the comparison sheet
    std::function<QString()> orderNumberText; // the hidden order-number field
    std::function<QString(QWidget* parent, const QString& filter)> openFileName;
    // A workbook was saved: open it for the user.
    std::function<void(const QString& path)> handOver;
    ExportProgress progress;           // the wait window of the workbooks
    ExportProgress comparisonProgress; // the same, with the comparison sheet's text
    MessageSink message;
    MessageSink error;
};

// "Оформление заявки": distributes the order list Zakaz among the
// suppliers offering its goods, lets the units and sale prices be changed,
// shows the sums, keeps the suppliers' contacts and writes an order
// workbook per supplier.
class Form_PostavZakaz : public QDialog {
    Q_OBJECT
public:
    explicit Form_PostavZakaz(PostavZakazEnvironment environment, QWidget* parent = nullptr);
    ~Form_PostavZakaz() override;

    const QVector<DistributedGood>& goods() const { return goods_; }

    // CountZakazCalculation: the units given to the current good.
    qint64 CountZakazCalculation();
    // SumZakazCalcul: the sums of one supplier, or of all ("All"), shown
    // in the sum fields for "All"; true when both sums are above 0.
    bool SumZakazCalcul(const QString& name);
    // ShowPostavInfo: the supplier's contacts in the contact fields.
    void ShowPostavInfo(const QString& supplier);

public slots:
    void FormShow();
    void Button_SelPostavZakazClick();
    void Button_AutoRaspredClick();
    void Button_PriceSetupClick();
    void Button_SavePostavInfoClick();
    void Button_ExportAllClick();
    void Button_SvodPriceClick();
    void Button_NoPostavClick();
    void Button_NoSkladClick();
    void ExportSupplierRow(const QString& supplier);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    QWidget* buildSelectionPage();
    QWidget* buildExportPage();
    double rate() const;
    int roundDigits() const;
    // Reads the distribution again and reopens the grids on the good (by
    // Zakaz Id) and supplier given.
    void reload(qint64 zakazId, const QString& supplier);
    void goodChanged(const QModelIndex& current);
    void offerChanged(const QModelIndex& current);
    void showPricePanel(const QModelIndex& index);
    void refreshShortageButtons();
    void refreshExportRows();
    ExportChoice exportChoice() const;
    void exportSuppliers(const QStringList& suppliers);
    void exportNotOrdered(const NotFoundRows& rows);
    // Runs a step; a failure is shown.
    bool guarded(const std::function<void()>& step);

    PostavZakazEnvironment env_;
    QVector<DistributedGood> goods_;
    const DistributedGood* currentGood_ = nullptr;

    QTabWidget* PageControl = nullptr;
    QTableView* DBGrid_ZakazTovarSel = nullptr;
    DistributionGoodsModel* goodsModel_ = nullptr;
    QTableView* DBGrid_PostavZakaz = nullptr;
    SupplierOffersModel* offersModel_ = nullptr;
    QLabel* Label_CountZakaz = nullptr;
    QLabel* Label_AllCountZakaz = nullptr;
    QComboBox* ComboBox_TovarCount = nullptr;
    QPushButton* Button_SelPostavZakaz = nullptr;
    QLineEdit* Edit_SumPokupky = nullptr;
    QLineEdit* Edit_SumProdazhy = nullptr;
    QLineEdit* Edit_Doxod = nullptr;
    QWidget* Panel_PriceSetup = nullptr;
    QLineEdit* Edit_PriceSetup = nullptr;
    qint64 priceSetupId_ = 0;

    QComboBox* ComboBox_Postav = nullptr;
    QLineEdit* Edit_NameFull = nullptr;
    QLineEdit* Edit_Address = nullptr;
    QLineEdit* Edit_Person = nullptr;
    QLineEdit* Edit_Phones = nullptr;
    QLineEdit* Edit_Mail = nullptr;
    QTableWidget* Grid_PostavExport = nullptr;
    QRadioButton* RadioButton_AllTovar = nullptr;
    QRadioButton* RadioButton_SelTovar = nullptr;
    QRadioButton* RadioButton_PostavPrice = nullptr;
    QRadioButton* RadioButton_ZakazPrice = nullptr;
    QPushButton* Button_NoPostav = nullptr;
    QPushButton* Button_NoSklad = nullptr;
};

} // namespace velmora::orders
