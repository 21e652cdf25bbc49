#include "orders/ui/order_tab.h"

#include "orders/order_numbers.h"
#include "orders/order_rate.h"
#include "orders/ui/click_label.h"
#include "orders/ui/order_field_filters.h"
#include "orders/ui/order_line_delegate.h"
#include "orders/ui/order_lines_model.h"
#include "orders/ui/named_widgets.h"
#include "platform/files/error_text.h"
#include "platform/spreadsheet/handover.h"
#include "storage/value_helpers.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora::orders {

OrderTab::OrderTab(OrderTabEnvironment environment, QWidget* parent) : QWidget(parent), env_(std::move(environment))
{
    setObjectName(QStringLiteral("Panel_Zakaz"));
    buildControls();
}

OrderTab::~OrderTab() = default;

void OrderTab::buildControls()
{
    // The order-number row.
    ComboBox_ZakazNumber = named(new QComboBox(this), "ComboBox_ZakazNumber");
    ComboBox_ZakazNumber->setEditable(true);
    ComboBox_ZakazNumber->setInsertPolicy(QComboBox::NoInsert);
    ComboBox_ZakazNumber->setToolTip(QStringLiteral("Выбор номера заказа в базе"));
    ComboBox_ZakazNumber->setMinimumWidth(90);
    SpeedButton_ZakazNew = named(new QToolButton(this), "SpeedButton_ZakazNew");
    SpeedButton_ZakazNew->setText(QStringLiteral("+"));
    SpeedButton_ZakazNew->setToolTip(QStringLiteral("Новый заказ"));
    Label_DelOneZakaz = named(new ClickLabel(QStringLiteral(" X "), this), "Label_DelOneZakaz");
    Label_DelOneZakaz->setToolTip(QStringLiteral("Удаление заказа из базы"));
    Label_DelOneZakaz->setCursor(Qt::PointingHandCursor);

    // Hidden in the layout: rate, currency, the import's order number, and
    // the purchase template of the client layout mode (start-up shows it).
    Edit_KursDollar = named(new QLineEdit(this), "Edit_KursDollar");
    Edit_KursDollar->setMaximumWidth(70);
    Edit_KursDollar->hide();
    InstallRateKeyFilter(Edit_KursDollar);
    auto* currency = named(new QGroupBox(QStringLiteral("Используемая валюта"), this), "GroupBox_PriceName");
    RadioButton_Dollars = named(new QRadioButton(QStringLiteral("доллары"), currency), "RadioButton_Dollars");
    RadioButton_RUB = named(new QRadioButton(QStringLiteral("рубли"), currency), "RadioButton_RUB");
    auto* currencyLayout = new QHBoxLayout(currency);
    currencyLayout->addWidget(RadioButton_Dollars);
    currencyLayout->addWidget(RadioButton_RUB);
    currency->hide();
    Edit_ZakazNumber = named(new QLineEdit(this), "Edit_ZakazNumber");
    Edit_ZakazNumber->setMaximumWidth(70);
    Edit_ZakazNumber->hide();
    InstallOrderNumberKeyFilter(Edit_ZakazNumber, env_.message);
    ComboBox_Template = named(new QComboBox(this), "ComboBox_Template");
    ComboBox_Template->addItems({QStringLiteral("Тальверон"), QStringLiteral("Мирвена")});
    ComboBox_Template->setCurrentIndex(-1);
    ComboBox_Template->hide();

    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(new QLabel(QStringLiteral("Заказ №"), this));
    numberRow->addWidget(ComboBox_ZakazNumber);
    numberRow->addWidget(SpeedButton_ZakazNew);
    numberRow->addWidget(Label_DelOneZakaz);
    numberRow->addWidget(Edit_ZakazNumber);
    numberRow->addWidget(Edit_KursDollar);
    numberRow->addWidget(currency);
    numberRow->addWidget(ComboBox_Template);
    numberRow->addStretch(1);

    // The client group.
    auto* client = named(new QGroupBox(QStringLiteral("Информация о клиенте"), this), "GroupBox_Client");
    ComboBox_Client = named(new QComboBox(client), "ComboBox_Client");
    ComboBox_Client->setEditable(true);
    ComboBox_Client->setInsertPolicy(QComboBox::NoInsert);
    ComboBox_Client->lineEdit()->setMaxLength(kClientNameLength);
    Edit_Phone = named(new QLineEdit(client), "Edit_Phone");
    Edit_Phone->setMaxLength(100);
    Edit_Address = named(new QLineEdit(client), "Edit_Address");
    Edit_Address->setMaxLength(255);
    Edit_Text = named(new QLineEdit(client), "Edit_Text");
    Edit_Text->setMaxLength(255);
    // The register's buttons two by two at the right, so that the group
    // fits a page control at its narrowest.
    auto* clientButtons = new QGridLayout;
    clientButtons->setVerticalSpacing(2);
    QToolButton* add = speedButton("SpeedButton_ClientAdd", QStringLiteral("Запомнить в базе"), client);
    QToolButton* select = speedButton("SpeedButton_ClientSel", QStringLiteral("Выбрать из базы"), client);
    QToolButton* edit = speedButton("SpeedButton_ClientEdit", QStringLiteral("Изменить в базе"), client);
    QToolButton* remove = speedButton("SpeedButton_ClientDel", QStringLiteral("Удалить из базы"), client);
    int place = 0;
    for (QToolButton* button : {add, select, edit, remove}) {
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        clientButtons->addWidget(button, place / 2, place % 2);
        ++place;
    }
    auto* clientGrid = new QGridLayout(client);
    clientGrid->addWidget(new QLabel(QStringLiteral("Клиент"), client), 0, 0);
    clientGrid->addWidget(ComboBox_Client, 0, 1, 1, 3);
    clientGrid->addLayout(clientButtons, 0, 4, 2, 1);
    clientGrid->addWidget(named(new QLabel(QStringLiteral("Телефон"), client), "Label16"), 1, 0);
    clientGrid->addWidget(Edit_Phone, 1, 1);
    clientGrid->addWidget(named(new QLabel(QStringLiteral("Адрес доставки"), client), "Label_Address"), 1, 2);
    clientGrid->addWidget(Edit_Address, 1, 3);
    clientGrid->addWidget(named(new QLabel(QStringLiteral("Примечание"), client), "Label4"), 2, 0);
    clientGrid->addWidget(Edit_Text, 2, 1, 1, 4);
    clientGrid->setColumnStretch(1, 1);
    clientGrid->setColumnStretch(3, 2);

    // The line grid.
    lines_ = new OrderLinesModel(this);
    lines_->setFieldWriter(
        [this](qint64 id, LineField field, const QString& text) { return writeLineField(id, field, text); });
    delegate_ = new OrderLineDelegate(this);
    DBCtrlGrid_Zakaz = named(new QTableView(this), "DBCtrlGrid_Zakaz");
    DBCtrlGrid_Zakaz->setModel(lines_);
    DBCtrlGrid_Zakaz->setItemDelegate(delegate_);
    DBCtrlGrid_Zakaz->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBCtrlGrid_Zakaz->setSelectionMode(QAbstractItemView::SingleSelection);
    DBCtrlGrid_Zakaz->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                                      QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    DBCtrlGrid_Zakaz->verticalHeader()->hide();
    // Two lines at the page control's lowest; it takes whatever more there is.
    DBCtrlGrid_Zakaz->setMinimumHeight(48);
    QHeaderView* header = DBCtrlGrid_Zakaz->horizontalHeader();
    header->setSectionResizeMode(OrderLinesModel::Tovar, QHeaderView::Stretch);
    header->resizeSection(OrderLinesModel::Art, 100);
    header->resizeSection(OrderLinesModel::PriceOut, 90);
    header->resizeSection(OrderLinesModel::Quantity, 70);
    header->resizeSection(OrderLinesModel::Summa, 90);
    header->resizeSection(OrderLinesModel::Postavshik, 140);
    header->resizeSection(OrderLinesModel::Delete, 30);

    // The buttons and the total.
    auto* bottom = new QHBoxLayout;
    QPushButton* addTovar = pushButton("Button_ZakazAddTovar", QStringLiteral("Новый товар"), this);
    QPushButton* excel = pushButton("BitBtn_ZakazExcel", QStringLiteral("Заказ для Клиента"), this);
    QPushButton* excelPostav = pushButton("BitBtn_ZakazExcelPostav", QStringLiteral("Заявки Поставщикам"), this);
    QPushButton* excelAll = pushButton("BitBtn_ExcelAll", QStringLiteral("Заказ в Excel"), this);
    QPushButton* quorvel = pushButton("Button_Quorvel", QStringLiteral("Таблица для закупера"), this);
    quorvel->hide();
    QPushButton* zayavka = pushButton("BitBtn_Zayavka", QStringLiteral("Выгрузить Заказ клиенту"), this);
    zayavka->setToolTip(QStringLiteral("Выгрузка в Excel заказа без колонки \"Поставщики\""));
    zayavka->hide();
    QPushButton* itogo = pushButton("Button_Itogo", QStringLiteral("Пересчитать"), this);
    DBEdit_Itogo = named(new QLineEdit(this), "DBEdit_Itogo");
    DBEdit_Itogo->setReadOnly(true);
    DBEdit_Itogo->setAlignment(Qt::AlignRight);
    DBEdit_Itogo->setMinimumWidth(80);
    DBEdit_Itogo->setMaximumWidth(120);
    for (QPushButton* button : {addTovar, excel, excelPostav, excelAll, quorvel, zayavka})
        bottom->addWidget(button);
    bottom->addStretch(1);
    // The total stands at the right of the number row, where the row has
    // room to spare at the page control's narrowest.
    numberRow->addWidget(new QLabel(QStringLiteral("ИТОГО:"), this));
    numberRow->addWidget(DBEdit_Itogo);
    numberRow->addWidget(itogo);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(numberRow);
    layout->addWidget(client);
    layout->addWidget(DBCtrlGrid_Zakaz, 1);
    layout->addLayout(bottom);

    // Handlers run on the user's changes only (activated, textEdited,
    // clicked); the programmatic fills do not run them.
    connect(ComboBox_ZakazNumber, &QComboBox::activated, this, &OrderTab::RefreshOrder);
    connect(ComboBox_ZakazNumber->lineEdit(), &QLineEdit::returnPressed, this, &OrderTab::RefreshOrder);
    connect(SpeedButton_ZakazNew, &QToolButton::clicked, this, &OrderTab::SpeedButton_ZakazNewClick);
    connect(Label_DelOneZakaz, &ClickLabel::clicked, this, &OrderTab::Label_DelOneZakazClick);
    connect(ComboBox_Client, &QComboBox::activated, this, &OrderTab::ComboBox_ClientChange);
    connect(ComboBox_Client->lineEdit(), &QLineEdit::textEdited, this, &OrderTab::ComboBox_ClientChange);
    connect(add, &QToolButton::clicked, this, &OrderTab::SpeedButton_ClientAddClick);
    connect(select, &QToolButton::clicked, this, &OrderTab::SpeedButton_ClientSelClick);
    connect(edit, &QToolButton::clicked, this, &OrderTab::SpeedButton_ClientEditClick);
    connect(remove, &QToolButton::clicked, this, &OrderTab::SpeedButton_ClientDelClick);
    connect(DBCtrlGrid_Zakaz, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (index.column() == OrderLinesModel::Delete)
            Label_ZakazDelClick(index.row());
    });
    // Leaving a field of the grid saves it and recounts the total, once the
    // editor is gone.
    connect(delegate_, &QAbstractItemDelegate::closeEditor, this,
            [this] { QTimer::singleShot(0, this, &OrderTab::UpdateOrderTotal); });
    connect(addTovar, &QPushButton::clicked, this, &OrderTab::Button_ZakazAddTovarClick);
    connect(itogo, &QPushButton::clicked, this, &OrderTab::Button_ItogoClick);
    connect(excel, &QPushButton::clicked, this, &OrderTab::BitBtn_ZakazExcelClick);
    connect(excelPostav, &QPushButton::clicked, this, &OrderTab::BitBtn_ZakazExcelPostavClick);
    connect(excelAll, &QPushButton::clicked, this, &OrderTab::BitBtn_ExcelAllClick);
    connect(quorvel, &QPushButton::clicked, this, &OrderTab::Button_QuorvelClick);
    connect(zayavka, &QPushButton::clicked, this, &OrderTab::BitBtn_ZayavkaClick);
    // The rate field's handler runs on every change, as a user edit.
    connect(Edit_KursDollar, &QLineEdit::textChanged, this, &OrderTab::Edit_KursDollarChange);
    connect(RadioButton_Dollars, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RadioButton_DollarsClick();
    });
    connect(RadioButton_RUB, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            RadioButton_RUBClick();
    });
}

QString OrderTab::importOrderNumberText() const { return Edit_ZakazNumber->text(); }

void OrderTab::setImportOrderNumberText(const QString& text) { Edit_ZakazNumber->setText(text); }

void OrderTab::ClearClientFields()
{
    ComboBox_Client->setEditText(QString());
    Edit_Phone->clear();
    Edit_Address->clear();
    Edit_Text->clear();
}

void OrderTab::guarded(const std::function<void()>& step)
{
    try {
        step();
    } catch (const std::exception& error) {
        if (env_.error)
            env_.error(ErrorText(error));
    }
}

// --- the order-number list and the current order

bool OrderTab::FillOrderNumbers(int n)
{
    bool found = false;
    guarded([&] {
        const QList<int> stored = StoredOrderNumbers(*env_.orderDb);
        const int counter = stored.isEmpty() && n == 0 && env_.userIniPath ? ReadOrderCounter(env_.userIniPath()) : 0;
        const OrderNumberList list = BuildOrderNumberList(stored, n, counter);
        orderNumbersFilling_ = true;
        ComboBox_ZakazNumber->clear();
        ComboBox_ZakazNumber->addItems(list.entries);
        orderNumbersFilling_ = false;
        ComboBox_ZakazNumber->setCurrentIndex(list.selected);
        found = list.found;
    });
    orderNumbersFilling_ = false;
    return found;
}

void OrderTab::RefreshOrder()
{
    if (orderNumbersFilling_)
        return;
    int number = 0;
    if (!ParseOrderNumber(ComboBox_ZakazNumber->currentText(), &number))
        return;
    // An edit still open in the grid is kept, not dropped with the rows.
    delegate_->commitOpenEditor();
    guarded([&] {
        const qint64 remembered = currentLineId();
        currentOrderNumber_ = number;
        lines_->setLines(ReadOrderLines(*env_.orderDb, number));
        selectLine(remembered);
        const std::optional<double> total = OrderTotal(*env_.orderDb, number);
        DBEdit_Itogo->setText(total ? QString::number(*total, 'f', 2).replace(u'.', u',') : QString());
        FillOrderClients(OrderClientName(*env_.orderDb, number));
    });
}

void OrderTab::UpdateOrderTotal()
{
    if (refreshingTotals_)
        return;
    refreshingTotals_ = true;
    delegate_->commitOpenEditor();
    guarded([&] {
        const qint64 remembered = currentLineId();
        lines_->setLines(ReadOrderLines(*env_.orderDb, currentOrderNumber_));
        selectLine(remembered);
        const std::optional<double> total = OrderTotal(*env_.orderDb, currentOrderNumber_);
        DBEdit_Itogo->setText(total ? QString::number(*total, 'f', 2).replace(u'.', u',') : QString());
    });
    refreshingTotals_ = false;
}

void OrderTab::selectLine(qint64 lineId)
{
    const int row = lines_->rowOf(lineId);
    if (row >= 0)
        DBCtrlGrid_Zakaz->setCurrentIndex(lines_->index(row, OrderLinesModel::Tovar));
    else if (lines_->rowCount() > 0)
        DBCtrlGrid_Zakaz->setCurrentIndex(lines_->index(0, OrderLinesModel::Tovar));
}

qint64 OrderTab::currentLineId() const
{
    const QModelIndex current = DBCtrlGrid_Zakaz->currentIndex();
    return current.isValid() ? lines_->lineIdAt(current.row()) : 0;
}

bool OrderTab::writeLineField(qint64 lineId, LineField field, const QString& text)
{
    try {
        UpdateLineField(*env_.orderDb, lineId, field, text);
        return true;
    } catch (const std::exception& error) {
        if (env_.error)
            env_.error(ErrorText(error));
        return false;
    }
}

void OrderTab::SpeedButton_ZakazNewClick()
{
    emit orderPageRequested();
    guarded([&] {
        const int number = IssueOrderNumber(*env_.orderDb, env_.userIniPath ? env_.userIniPath() : QString(),
                                            env_.error);
        FillOrderNumbers(number);
        currentOrderNumber_ = number;
        if (ComboBox_ZakazNumber->currentText() != QString::number(number))
            ComboBox_ZakazNumber->addItem(QString::number(number));
        ComboBox_ZakazNumber->setCurrentIndex(ComboBox_ZakazNumber->count() - 1);
        FillOrderClients(QString());
    });
    RefreshOrder();
}

void OrderTab::Label_DelOneZakazClick()
{
    int number = 0;
    if (!ParseOrderNumber(ComboBox_ZakazNumber->currentText(), &number))
        return;
    // The order goes only on an explicit Yes.
    if (!env_.confirm || !env_.confirm(QStringLiteral("Удалить заказ  №") + QString::number(number) +
                                       QStringLiteral("  из базы?")))
        return;
    guarded([&] {
        DeleteOrder(*env_.orderDb, number);
        int previous = 0;
        if (!ParseOrderNumber(ComboBox_ZakazNumber->itemText(ComboBox_ZakazNumber->currentIndex() - 1), &previous))
            previous = 0;
        currentOrderNumber_ = previous;
        FillOrderNumbers(previous);
    });
    RefreshOrder();
}

bool OrderTab::AddToOrder(const CardOffer& offer, const QString& quantityText)
{
    int number = 0;
    if (!ParseOrderNumber(ComboBox_ZakazNumber->currentText(), &number))
        return false;
    bool added = false;
    guarded([&] {
        const AddedOffer result =
            AddOfferToOrder(*env_.orderDb, number, ComboBox_Client->currentText(), offer, quantityText);
        if (result.duplicate) {
            if (env_.message)
                env_.message(kDuplicateOfferMessage);
            selectLine(result.lineId);
            return;
        }
        added = true;
        RefreshOrder();
        selectLine(HighestLineId(*env_.orderDb));
        emit orderPageRequested();
    });
    return added;
}

void OrderTab::Button_ZakazAddTovarClick()
{
    int number = 0;
    if (!ParseOrderNumber(ComboBox_ZakazNumber->currentText(), &number)) {
        if (env_.message)
            env_.message(QStringLiteral("Не указан номер заказа!"));
        return;
    }
    guarded([&] {
        AddBlankLine(*env_.orderDb, number, ComboBox_Client->currentText());
        RefreshOrder();
        if (lines_->rowCount() > 0)
            DBCtrlGrid_Zakaz->setCurrentIndex(lines_->index(lines_->rowCount() - 1, OrderLinesModel::Tovar));
    });
}

void OrderTab::Label_ZakazDelClick(int row)
{
    const qint64 id = lines_->lineIdAt(row);
    if (id == 0)
        return;
    guarded([&] { DeleteLine(*env_.orderDb, id); });
    RefreshOrder();
}

// --- clients

OrderClient OrderTab::clientFields() const
{
    return OrderClient{ComboBox_Client->currentText(), Edit_Phone->text(), Edit_Address->text(), Edit_Text->text()};
}

void OrderTab::FillOrderClients(const QString& name)
{
    guarded([&] {
        const ClientList list = BuildClientList(ClientNames(*env_.orderDb), name);
        orderClientsFilling_ = true;
        ComboBox_Client->clear();
        ComboBox_Client->addItems(list.entries);
        ComboBox_Client->setCurrentIndex(list.selected);
    });
    orderClientsFilling_ = false;
    ShowClientDetails(name);
}

void OrderTab::ShowClientDetails(const QString& name)
{
    if (orderClientsFilling_)
        return;
    guarded([&] {
        const std::optional<OrderClient> client = FindClient(*env_.orderDb, name);
        Edit_Phone->setText(client ? client->phone : QString());
        Edit_Address->setText(client ? client->address : QString());
        Edit_Text->setText(client ? client->note : QString());
    });
}

void OrderTab::ComboBox_ClientChange()
{
    ShowClientDetails(ComboBox_Client->currentText());
    orderClientsFilling_ = false;
    StoreOrderClientName();
}

void OrderTab::StoreOrderClientName()
{
    int number = 0;
    if (!ParseOrderNumber(ComboBox_ZakazNumber->currentText(), &number))
        return;
    guarded([&] { orders::StoreOrderClientName(*env_.orderDb, number, ComboBox_Client->currentText()); });
}

void OrderTab::SaveOrderClient()
{
    const OrderClient client = clientFields();
    guarded([&] { orders::SaveOrderClient(*env_.orderDb, client, env_.confirm); });
    FillOrderClients(client.name);
}

void OrderTab::SpeedButton_ClientEditClick()
{
    const OrderClient client = clientFields();
    bool changed = false;
    guarded([&] { changed = EditOrderClient(*env_.orderDb, client, env_.confirm); });
    if (changed)
        FillOrderClients(client.name);
}

void OrderTab::SpeedButton_ClientSelClick()
{
    const QString name = ComboBox_Client->currentText();
    bool known = false;
    guarded([&] { known = SelectOrderClient(*env_.orderDb, name, env_.message); });
    if (known)
        FillOrderClients(name);
}

void OrderTab::SpeedButton_ClientDelClick()
{
    const QString name = ComboBox_Client->currentText();
    bool deleted = false;
    guarded([&] { deleted = DeleteOrderClient(*env_.orderDb, name, env_.confirm); });
    if (deleted)
        FillOrderClients(QString());
}

// --- the tab, the rate and the currency

void OrderTab::TabSheet_ZakazShow()
{
    FillOrderNumbers(currentOrderNumber_);
    guarded([&] {
        dollarRate_ = ReadDollarRate(*env_.orderDb);
        // Putting the rate into the field recalculates Zakaz, as an edit
        // does, also when the text is already there.
        const QString rateText = RoundedDecimalText(dollarRate_, 4, u',');
        if (Edit_KursDollar->text() == rateText)
            Edit_KursDollarChange();
        else
            Edit_KursDollar->setText(rateText);
        if (ReadPricesInRoubles(*env_.orderDb))
            RadioButton_RUB->setChecked(true);
        else
            RadioButton_Dollars->setChecked(true);
    });
    RefreshOrder();
}

void OrderTab::updateZakazPrices(double rate)
{
    guarded([&] { UpdateZakazPrices(*env_.priceDb, rate); });
}

void OrderTab::Edit_KursDollarChange()
{
    guarded([&] {
        if (!Edit_KursDollar->text().isEmpty())
            dollarRate_ = StoreDollarRateText(*env_.orderDb, Edit_KursDollar->text(), dollarRate_);
    });
    updateZakazPrices(RadioButton_RUB->isChecked() ? dollarRate_ : 1);
    RefreshOrder();
}

void OrderTab::RadioButton_DollarsClick()
{
    guarded([&] { StorePricesInRoubles(*env_.orderDb, false); });
    updateZakazPrices(1);
    RefreshOrder();
}

void OrderTab::RadioButton_RUBClick()
{
    guarded([&] { StorePricesInRoubles(*env_.orderDb, true); });
    updateZakazPrices(dollarRate_);
    RefreshOrder();
}

// --- the workbooks

OrderExportInput OrderTab::exportInput() const
{
    OrderExportInput input;
    input.orderDb = env_.orderDb;
    input.priceDb = env_.priceDb;
    input.orderNumberText = ComboBox_ZakazNumber->currentText();
    input.layoutNumberText = Edit_ZakazNumber->text();
    input.client = clientFields();
    if (env_.columnTitles)
        input.titles = env_.columnTitles();
    if (env_.displayCode)
        input.displayCode = env_.displayCode();
    input.programFolder = env_.programFolder;
    input.progress = env_.progress;
    return input;
}

void OrderTab::runExport(const std::function<QStringList(const OrderExportInput&)>& exporter)
{
    UpdateOrderTotal();
    QStringList paths;
    guarded([&] { paths = exporter(exportInput()); });
    // The grid back on the order's first line.
    if (lines_->rowCount() > 0)
        DBCtrlGrid_Zakaz->setCurrentIndex(lines_->index(0, OrderLinesModel::Tovar));
    handOver(paths);
}

void OrderTab::handOver(const QStringList& paths)
{
    QStringList notOpened;
    for (const QString& path : paths)
        if (!sheet::openInDesktop(path))
            notOpened << path;
    if (!notOpened.isEmpty() && env_.status)
        env_.status(QStringLiteral("Сохранено: ") + notOpened.join(QStringLiteral(", ")));
}

void OrderTab::BitBtn_ZakazExcelClick()
{
    SaveOrderClient();
    if (env_.clientLayouts && env_.clientLayouts()) {
        const int templateIndex = ComboBox_Template->currentIndex();
        runExport([templateIndex](const OrderExportInput& in) { return QStringList{ExportZayavkaClient(in, templateIndex)}; });
    } else {
        runExport([](const OrderExportInput& in) { return QStringList{ExportZayavka(in)}; });
    }
}

void OrderTab::BitBtn_ZakazExcelPostavClick()
{
    SaveOrderClient();
    if (!env_.clientLayouts || !env_.clientLayouts()) {
        runExport([](const OrderExportInput& in) { return ExportZakazPostav(in); });
        return;
    }
    QStringList failed;
    runExport([&failed](const OrderExportInput& in) {
        SupplierRequests requests = ExportZakazPostavClient(in);
        failed = requests.failed;
        return requests.paths;
    });
    if (!failed.isEmpty() && env_.error)
        env_.error(QStringLiteral("Заявки не выгружены для поставщиков:\r") + failed.join(u'\r'));
}

void OrderTab::BitBtn_ExcelAllClick()
{
    SaveOrderClient();
    runExport([](const OrderExportInput& in) { return QStringList{ExportZakazAll(in)}; });
}

void OrderTab::Button_QuorvelClick()
{
    SaveOrderClient();
    runExport([](const OrderExportInput& in) { return QStringList{ExportZakazPurchaser(in)}; });
}

void OrderTab::BitBtn_ZayavkaClick()
{
    runExport([](const OrderExportInput& in) { return QStringList{ExportZayavka(in)}; });
}

} // namespace velmora::orders
