#pragma once

#include "orders/order_clients.h"
#include "orders/order_exports.h"
#include "orders/order_lines.h"
#include "platform/db/connection.h"
#include "platform/files/message_sink.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QToolButton;

namespace velmora::orders {

class ClickLabel;
class OrderLineDelegate;
class OrderLinesModel;

// What the order tab takes from the program around it. The getters are
// read when used, so that they follow the settings start-up settles.
struct OrderTabEnvironment {
    db::Connection* orderDb = nullptr;
    db::Connection* priceDb = nullptr;
    std::function<QString()> userIniPath;       // SetupUser.ini
    QString programFolder;                      // templates, "Заказы/", "Заявки/"
    std::function<bool()> clientLayouts;        // ClientModeOrderLayouts
    std::function<OrderColumnTitles()> columnTitles;
    std::function<QString()> displayCode;       // the display currency's code
    ExportProgress progress;                    // the wait window
    MessageSink message;                        // notices
    MessageSink error;                          // failures
    Question confirm;                           // Yes/No questions
    MessageSink status;                         // the main status bar
};

// The order tab of the main window (placed on TabSheet_Zakaz): the
// order-number list, the client group, the line grid DBCtrlGrid_Zakaz with
// its total, the workbook buttons and the hidden rate, currency,
// order-number and template controls. The handlers gather the controls'
// values and call the order logic; failures reach the user as messages.
class OrderTab : public QWidget {
    Q_OBJECT
public:
    explicit OrderTab(OrderTabEnvironment environment, QWidget* parent = nullptr);
    ~OrderTab() override;

    // The number of the order being edited or exported (CurrentOrderNumber).
    int currentOrderNumber() const { return currentOrderNumber_; }
    // The tab's dollar rate (DollarRate).
    double dollarRate() const { return dollarRate_; }

    // Refills the order-number list and selects n (0: the last entry, or
    // the counter + 1 when there is no order); true when n is a stored order.
    bool FillOrderNumbers(int n);
    // Reopens the current order's lines, total and client.
    void RefreshOrder();
    // Saves a pending edit of the grid and reopens lines and total, keeping
    // the current line.
    void UpdateOrderTotal();
    // Adds the goods card's offer with the card's quantity text; true when
    // a line was added (the card then resets its quantity).
    bool AddToOrder(const CardOffer& offer, const QString& quantityText);

    void SaveOrderClient();
    void FillOrderClients(const QString& name);
    void ShowClientDetails(const QString& name);
    void StoreOrderClientName();

    // The hidden order-number field (Edit_ZakazNumber): the number of the
    // order held in the price database's Zakaz, which the order import sets.
    QString importOrderNumberText() const;
    void setImportOrderNumberText(const QString& text);
    // Empties the client fields (a newly imported order has no client yet).
    void ClearClientFields();

    // The tab was shown (TabSheet_ZakazShow): the list, the rate and the
    // currency choice from the settings, the order.
    void TabSheet_ZakazShow();

public slots:
    void SpeedButton_ZakazNewClick();
    void Label_DelOneZakazClick();
    void Button_ZakazAddTovarClick();
    void Label_ZakazDelClick(int row);
    void Button_ItogoClick() { UpdateOrderTotal(); }
    void ComboBox_ClientChange();
    void SpeedButton_ClientAddClick() { SaveOrderClient(); }
    void SpeedButton_ClientSelClick();
    void SpeedButton_ClientEditClick();
    void SpeedButton_ClientDelClick();
    void Edit_KursDollarChange();
    void RadioButton_DollarsClick();
    void RadioButton_RUBClick();
    void BitBtn_ZakazExcelClick();
    void BitBtn_ZakazExcelPostavClick();
    void BitBtn_ExcelAllClick();
    void Button_QuorvelClick();
    void BitBtn_ZayavkaClick();

signals:
    // The order page is to be brought to the front.
    void orderPageRequested();

private:
    void buildControls();
    OrderClient clientFields() const;
    OrderExportInput exportInput() const;
    // Runs an export: the pending edit saved first, the files handed over,
    // the grid back on the first line; failures shown.
    void runExport(const std::function<QStringList(const OrderExportInput&)>& exporter);
    void handOver(const QStringList& paths);
    void selectLine(qint64 lineId);
    qint64 currentLineId() const;
    void updateZakazPrices(double rate);
    bool writeLineField(qint64 lineId, LineField field, const QString& text);
    // Runs a step; a failure is shown and leaves the controls as they were.
    void guarded(const std::function<void()>& step);

    OrderTabEnvironment env_;
    int currentOrderNumber_ = 0;
    double dollarRate_ = 30;
    bool orderNumbersFilling_ = false;
    bool orderClientsFilling_ = false;
    bool refreshingTotals_ = false;

    QComboBox* ComboBox_ZakazNumber = nullptr;
    QToolButton* SpeedButton_ZakazNew = nullptr;
    ClickLabel* Label_DelOneZakaz = nullptr;
    QComboBox* ComboBox_Client = nullptr;
    QLineEdit* Edit_Phone = nullptr;
    QLineEdit* Edit_Address = nullptr;
    QLineEdit* Edit_Text = nullptr;
    QTableView* DBCtrlGrid_Zakaz = nullptr;
    OrderLinesModel* lines_ = nullptr;
    OrderLineDelegate* delegate_ = nullptr;
    QLineEdit* DBEdit_Itogo = nullptr;
    QLineEdit* Edit_KursDollar = nullptr;
    QRadioButton* RadioButton_Dollars = nullptr;
    QRadioButton* RadioButton_RUB = nullptr;
    QLineEdit* Edit_ZakazNumber = nullptr;
    QComboBox* ComboBox_Template = nullptr;
};

} // namespace velmora::orders
