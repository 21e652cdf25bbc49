#include "orders/ui/form_postav_zakaz.h"

#include "orders/order_lines.h"
#include "orders/order_rate.h"
#include "orders/supplier_contacts.h"
#include "orders/supplier_order_exports.h"
#include "orders/ui/distribution_models.h"
#include "orders/ui/form_setup_svod.h"
#include "orders/ui/named_widgets.h"
#include "orders/ui/order_field_filters.h"
#include "orders/zakaz_list.h"
#include "platform/db/text_functions.h"
#include "platform/files/error_text.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTableView>
#include <QTableWidget>
#include <QTabWidget>
#include <QVBoxLayout>

#include <map>

namespace velmora::orders {

namespace {

QLineEdit* sumField(const char* name, QWidget* parent)
{
    auto* edit = named(new QLineEdit(parent), name);
    edit->setReadOnly(true);
    edit->setAlignment(Qt::AlignRight);
    return edit;
}

void setRedWhen(QWidget* widget, bool red)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Text, red ? QColor(Qt::red) : QColor(Qt::black));
    palette.setColor(QPalette::WindowText, red ? QColor(Qt::red) : QColor(Qt::black));
    widget->setPalette(palette);
}

QTableView* gridView(const char* name, QWidget* parent)
{
    auto* view = named(new QTableView(parent), name);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(18);
    return view;
}

} // namespace

Form_PostavZakaz::Form_PostavZakaz(PostavZakazEnvironment environment, QWidget* parent)
    : QDialog(parent), env_(std::move(environment))
{
    setObjectName(QStringLiteral("Form_PostavZakaz"));
    setWindowTitle(QStringLiteral("Оформление заявки"));
    setModal(true);
    buildControls();
}

Form_PostavZakaz::~Form_PostavZakaz() = default;

void Form_PostavZakaz::buildControls()
{
    auto* heading = new QLabel(QStringLiteral("Оформление заявок поставщикам"), this);
    QFont font = heading->font();
    font.setBold(true);
    font.setPointSize(font.pointSize() + 2);
    heading->setFont(font);

    PageControl = named(new QTabWidget(this), "PageControl_PostavZakaz");
    PageControl->addTab(buildSelectionPage(), QStringLiteral("  Выбор поставщиков для заявок  "));
    PageControl->addTab(buildExportPage(), QStringLiteral("  Экспорт заявок по поставщикам  "));

    auto* exportAll = pushButton("Button_ExportAll", QStringLiteral("Экспорт заявок по ВСЕМ поставщикам"), this);
    auto* svod = pushButton("Button_SvodPrice", QStringLiteral("Сводный прайс-лист"), this);
    Button_NoPostav = pushButton("Button_NoPostav", QString(), this);
    Button_NoSklad = pushButton("Button_NoSklad", QString(), this);
    auto* cancel = pushButton("Button_Cancel", QStringLiteral("Отмена"), this);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(exportAll);
    bottom->addWidget(svod);
    bottom->addWidget(Button_NoPostav);
    bottom->addWidget(Button_NoSklad);
    bottom->addStretch(1);
    bottom->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(PageControl, 1);
    layout->addLayout(bottom);
    resize(900, 640);

    connect(exportAll, &QPushButton::clicked, this, &Form_PostavZakaz::Button_ExportAllClick);
    connect(svod, &QPushButton::clicked, this, &Form_PostavZakaz::Button_SvodPriceClick);
    connect(Button_NoPostav, &QPushButton::clicked, this, &Form_PostavZakaz::Button_NoPostavClick);
    connect(Button_NoSklad, &QPushButton::clicked, this, &Form_PostavZakaz::Button_NoSkladClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(PageControl, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == 1)
            refreshExportRows();
    });
}

QWidget* Form_PostavZakaz::buildSelectionPage()
{
    auto* page = new QWidget(this);
    goodsModel_ = new DistributionGoodsModel(this);
    DBGrid_ZakazTovarSel = gridView("DBGrid_ZakazTovarSel", page);
    DBGrid_ZakazTovarSel->setModel(goodsModel_);
    DBGrid_ZakazTovarSel->horizontalHeader()->setSectionResizeMode(DistributionGoodsModel::Tovar, QHeaderView::Stretch);
    offersModel_ = new SupplierOffersModel(this);
    DBGrid_PostavZakaz = gridView("DBGrid_PostavZakaz", page);
    DBGrid_PostavZakaz->setModel(offersModel_);
    DBGrid_PostavZakaz->setToolTip(QStringLiteral("Выбрать/удалить поставщика двойным кликом мыши"));
    DBGrid_PostavZakaz->horizontalHeader()->setSectionResizeMode(SupplierOffersModel::Supplier, QHeaderView::Stretch);

    Label_CountZakaz = named(new QLabel(QStringLiteral("0"), page), "Label_CountZakaz");
    Label_AllCountZakaz = named(new QLabel(QStringLiteral("0"), page), "Label_AllCountZakaz");
    ComboBox_TovarCount = named(new QComboBox(page), "ComboBox_TovarCount");
    ComboBox_TovarCount->setMinimumWidth(70);
    Button_SelPostavZakaz = pushButton("Button_SelPostavZakaz", QStringLiteral("Добавить товары"), page);
    auto* autoDistribution = pushButton("Button_AutoRaspred", QStringLiteral("автораспределение"), page);
    autoDistribution->setToolTip(QStringLiteral("Распределить все товары заказа заново"));
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(new QLabel(QStringLiteral("выбрано"), page));
    countRow->addWidget(Label_CountZakaz);
    countRow->addWidget(new QLabel(QStringLiteral("шт. товаров из"), page));
    countRow->addWidget(Label_AllCountZakaz);
    countRow->addStretch(1);
    countRow->addWidget(ComboBox_TovarCount);
    countRow->addWidget(Button_SelPostavZakaz);
    countRow->addWidget(autoDistribution);

    Edit_SumPokupky = sumField("Edit_SumPokupky", page);
    Edit_SumProdazhy = sumField("Edit_SumProdazhy", page);
    Edit_Doxod = sumField("Edit_Doxod", page);
    auto* sums = new QHBoxLayout;
    sums->addWidget(new QLabel(QStringLiteral("Сумма покупки"), page));
    sums->addWidget(Edit_SumPokupky);
    sums->addWidget(new QLabel(QStringLiteral("Сумма продажи"), page));
    sums->addWidget(Edit_SumProdazhy);
    sums->addWidget(new QLabel(QStringLiteral("Доход:"), page));
    sums->addWidget(Edit_Doxod);
    sums->addStretch(1);

    // The sale-price editor floats over the goods grid.
    Panel_PriceSetup = named(new QGroupBox(QStringLiteral("Изменить цену продажи"), page), "Panel_PriceSetup");
    Edit_PriceSetup = named(new QLineEdit(Panel_PriceSetup), "Edit_PriceSetup");
    InstallRateKeyFilter(Edit_PriceSetup);
    auto* change = pushButton("Button_PriceSetup", QStringLiteral("Изменить"), Panel_PriceSetup);
    auto* hide = pushButton("Button_PriceSetupClose", QStringLiteral("X"), Panel_PriceSetup);
    hide->setMaximumWidth(30);
    auto* priceLayout = new QHBoxLayout(Panel_PriceSetup);
    priceLayout->addWidget(Edit_PriceSetup);
    priceLayout->addWidget(change);
    priceLayout->addWidget(hide);
    Panel_PriceSetup->adjustSize();
    Panel_PriceSetup->hide();

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(DBGrid_ZakazTovarSel, 3);
    layout->addLayout(countRow);
    layout->addWidget(DBGrid_PostavZakaz, 2);
    layout->addLayout(sums);

    connect(DBGrid_ZakazTovarSel->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { goodChanged(current); });
    connect(DBGrid_ZakazTovarSel, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (const DistributedGood* good = goodsModel_->goodAt(index.row())) {
            priceSetupId_ = good->line.id;
            Edit_PriceSetup->setText(DistributionPriceText(good->line.priceOut, 4));
        }
        CountZakazCalculation();
    });
    connect(DBGrid_ZakazTovarSel, &QTableView::doubleClicked, this, &Form_PostavZakaz::showPricePanel);
    connect(DBGrid_PostavZakaz->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { offerChanged(current); });
    connect(DBGrid_PostavZakaz, &QTableView::clicked, this, [this] { CountZakazCalculation(); });
    connect(DBGrid_PostavZakaz, &QTableView::doubleClicked, this, &Form_PostavZakaz::Button_SelPostavZakazClick);
    connect(Button_SelPostavZakaz, &QPushButton::clicked, this, &Form_PostavZakaz::Button_SelPostavZakazClick);
    connect(autoDistribution, &QPushButton::clicked, this, &Form_PostavZakaz::Button_AutoRaspredClick);
    connect(change, &QPushButton::clicked, this, &Form_PostavZakaz::Button_PriceSetupClick);
    connect(hide, &QPushButton::clicked, Panel_PriceSetup, &QWidget::hide);
    return page;
}

QWidget* Form_PostavZakaz::buildExportPage()
{
    auto* page = new QWidget(this);
    auto* contacts = new QGroupBox(QStringLiteral("Поставщик"), page);
    ComboBox_Postav = named(new QComboBox(contacts), "ComboBox_Postav");
    Edit_NameFull = named(new QLineEdit(contacts), "Edit_NameFull");
    Edit_Address = named(new QLineEdit(contacts), "Edit_Address");
    Edit_Person = named(new QLineEdit(contacts), "Edit_Person");
    Edit_Phones = named(new QLineEdit(contacts), "Edit_Phones");
    Edit_Mail = named(new QLineEdit(contacts), "Edit_Mail");
    Edit_NameFull->setMaxLength(250);
    Edit_Address->setMaxLength(250);
    Edit_Person->setMaxLength(100);
    Edit_Phones->setMaxLength(100);
    Edit_Mail->setMaxLength(100);
    auto* save = pushButton("Button_SavePostavInfo", QStringLiteral("Сохранить в базе данных"), contacts);
    auto* grid = new QGridLayout(contacts);
    const std::pair<const char*, QWidget*> fields[] = {
        {"Выберите поставщика", ComboBox_Postav}, {"Полное название", Edit_NameFull}, {"Адрес", Edit_Address},
        {"Контактное лицо", Edit_Person},         {"Телефон (Факс)", Edit_Phones},    {"E-Mail", Edit_Mail}};
    int row = 0;
    for (const auto& [caption, field] : fields) {
        grid->addWidget(new QLabel(QString::fromUtf8(caption), contacts), row, 0);
        grid->addWidget(field, row, 1);
        ++row;
    }
    grid->addWidget(save, row, 1, Qt::AlignRight);

    Grid_PostavExport = named(new QTableWidget(0, 6, page), "Grid_PostavExport");
    Grid_PostavExport->setHorizontalHeaderLabels({QStringLiteral("Поставщик"), QStringLiteral("Сумма покупки"),
                                                  QStringLiteral("Сумма продажи"), QStringLiteral("Доход"),
                                                  QStringLiteral("Товаров"), QString()});
    Grid_PostavExport->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid_PostavExport->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid_PostavExport->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid_PostavExport->verticalHeader()->hide();
    Grid_PostavExport->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);

    auto* goodsChoice = new QGroupBox(page);
    RadioButton_AllTovar = named(new QRadioButton(QStringLiteral("Все товары"), goodsChoice), "RadioButton_AllTovar");
    RadioButton_SelTovar = named(new QRadioButton(QStringLiteral("Отобранные"), goodsChoice), "RadioButton_SelTovar");
    RadioButton_SelTovar->setChecked(true);
    auto* goodsLayout = new QVBoxLayout(goodsChoice);
    goodsLayout->addWidget(RadioButton_AllTovar);
    goodsLayout->addWidget(RadioButton_SelTovar);
    auto* priceChoice = new QGroupBox(page);
    RadioButton_PostavPrice = named(new QRadioButton(QStringLiteral("Ставить в заявке цены самих поставщиков"), priceChoice),
                                    "RadioButton_PostavPrice");
    RadioButton_ZakazPrice = named(new QRadioButton(QStringLiteral("Ставить в заявке цены продажи из заказа"), priceChoice),
                                   "RadioButton_ZakazPrice");
    RadioButton_PostavPrice->setChecked(true);
    auto* priceLayout = new QVBoxLayout(priceChoice);
    priceLayout->addWidget(RadioButton_PostavPrice);
    priceLayout->addWidget(RadioButton_ZakazPrice);
    auto* choices = new QHBoxLayout;
    choices->addWidget(goodsChoice);
    choices->addWidget(priceChoice);
    choices->addStretch(1);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(contacts);
    layout->addWidget(Grid_PostavExport, 1);
    layout->addLayout(choices);

    connect(ComboBox_Postav, &QComboBox::activated, this, [this] { ShowPostavInfo(ComboBox_Postav->currentText()); });
    connect(save, &QPushButton::clicked, this, &Form_PostavZakaz::Button_SavePostavInfoClick);
    connect(RadioButton_AllTovar, &QRadioButton::toggled, this, [this] { refreshExportRows(); });
    connect(Grid_PostavExport, &QTableWidget::currentCellChanged, this, [this](int current) {
        if (QTableWidgetItem* item = Grid_PostavExport->item(current, 0)) {
            const int index = ComboBox_Postav->findText(item->text(), Qt::MatchFixedString);
            if (index >= 0)
                ComboBox_Postav->setCurrentIndex(index);
            ShowPostavInfo(item->text());
        }
    });
    return page;
}

void Form_PostavZakaz::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

double Form_PostavZakaz::rate() const
{
    if (!env_.orderDb)
        return 1;
    try {
        return ReadZakazRate(*env_.orderDb);
    } catch (const std::exception&) {
        return 1;
    }
}

int Form_PostavZakaz::roundDigits() const { return env_.roundDigits ? env_.roundDigits() : 2; }

bool Form_PostavZakaz::guarded(const std::function<void()>& step)
{
    try {
        step();
        return true;
    } catch (const std::exception& e) {
        if (env_.error)
            env_.error(ErrorText(e));
        return false;
    }
}

void Form_PostavZakaz::FormShow()
{
    Panel_PriceSetup->hide();
    RadioButton_SelTovar->setChecked(true);
    PageControl->setCurrentIndex(0);
    // Goods distributed before keep their units, given by hand or not.
    guarded([this] { AutoDistribute(*env_.priceDb, DistributionScope::UndistributedGoods); });
    reload(0, QString());

    // The contact list: the suppliers of the matching tables and those of
    // the order.
    std::map<QString, QString> suppliers;
    guarded([&] {
        db::Statement select =
            env_.priceDb->prepare(QStringLiteral("SELECT Postavshik FROM postavshik ORDER BY Postavshik"));
        while (select.step())
            if (!select.text(0).isEmpty())
                suppliers.emplace(db::foldCase(select.text(0)), select.text(0));
    });
    for (const QString& supplier : ExportSuppliers(goods_, ExportChoice::AllGoods))
        suppliers.emplace(db::foldCase(supplier), supplier);
    ComboBox_Postav->clear();
    for (const auto& [key, name] : suppliers)
        ComboBox_Postav->addItem(name);
    if (ComboBox_Postav->count() > 0) {
        ComboBox_Postav->setCurrentIndex(0);
        ShowPostavInfo(ComboBox_Postav->currentText());
    }
    refreshExportRows();
}

void Form_PostavZakaz::reload(qint64 zakazId, const QString& supplier)
{
    guarded([this] { goods_ = ReadDistribution(*env_.priceDb); });
    currentGood_ = nullptr;
    offersModel_->reset(nullptr, roundDigits());
    goodsModel_->reset(&goods_, rate(), roundDigits());
    const int row = zakazId > 0 ? std::max(goodsModel_->rowOf(zakazId, supplier), 0) : 0;
    if (goodsModel_->rowCount() > 0)
        DBGrid_ZakazTovarSel->setCurrentIndex(goodsModel_->index(row, DistributionGoodsModel::Tovar));
    if (!supplier.isEmpty()) {
        const int offerRow = offersModel_->rowOf(supplier);
        if (offerRow >= 0)
            DBGrid_PostavZakaz->setCurrentIndex(offersModel_->index(offerRow, SupplierOffersModel::Supplier));
    }
    CountZakazCalculation();
    SumZakazCalcul(QStringLiteral("All"));
    refreshShortageButtons();
}

void Form_PostavZakaz::goodChanged(const QModelIndex& current)
{
    currentGood_ = goodsModel_->goodAt(current.row());
    offersModel_->reset(currentGood_, roundDigits());
    ComboBox_TovarCount->clear();
    if (const SupplierOffer* offer = goodsModel_->offerAt(current.row())) {
        const int offerRow = offersModel_->rowOf(offer->supplier);
        if (offerRow >= 0)
            DBGrid_PostavZakaz->setCurrentIndex(offersModel_->index(offerRow, SupplierOffersModel::Supplier));
    }
    CountZakazCalculation();
}

void Form_PostavZakaz::offerChanged(const QModelIndex& current)
{
    ComboBox_TovarCount->clear();
    const SupplierOffer* offer = offersModel_->offerAt(current.row());
    if (!currentGood_ || !offer)
        return;
    const qint64 most = MaxUnitsToAdd(*currentGood_, *offer);
    for (qint64 k = 0; k <= most; ++k)
        ComboBox_TovarCount->addItem(QString::number(k));
    ComboBox_TovarCount->setCurrentIndex(int(most));
}

qint64 Form_PostavZakaz::CountZakazCalculation()
{
    const qint64 assigned = currentGood_ ? currentGood_->assigned() : 0;
    const qint64 ordered = currentGood_ ? currentGood_->line.quantity : 0;
    Label_CountZakaz->setText(QString::number(assigned));
    Label_AllCountZakaz->setText(QString::number(ordered));
    setRedWhen(Label_CountZakaz, assigned < ordered);
    return assigned;
}

bool Form_PostavZakaz::SumZakazCalcul(const QString& name)
{
    const bool all = name == QLatin1String("All");
    const DistributionSums sums = SumDistribution(goods_, all ? QString() : name, rate(), roundDigits());
    if (all) {
        Edit_SumPokupky->setText(DistributionPriceText(sums.purchase, roundDigits()));
        Edit_SumProdazhy->setText(DistributionPriceText(sums.sale, roundDigits()));
        Edit_Doxod->setText(DistributionPriceText(sums.income, roundDigits()));
        setRedWhen(Edit_Doxod, sums.income < 0);
    }
    return sums.purchase > 0 && sums.sale > 0;
}

void Form_PostavZakaz::Button_SelPostavZakazClick()
{
    const SupplierOffer* offer = offersModel_->offerAt(DBGrid_PostavZakaz->currentIndex().row());
    if (!currentGood_ || !offer || ComboBox_TovarCount->currentIndex() < 0)
        return;
    const qint64 k = ComboBox_TovarCount->currentText().toLongLong();
    const qint64 id = currentGood_->line.id;
    const QString supplier = offer->supplier;
    AddUnitsOutcome outcome = AddUnitsOutcome::Done;
    if (!guarded([&] { outcome = AddUnits(*env_.priceDb, *currentGood_, supplier, k); }))
        return;
    if (outcome == AddUnitsOutcome::TooMany) {
        if (env_.message)
            env_.message(kTooManyUnitsMessage);
        return;
    }
    reload(id, supplier);
}

void Form_PostavZakaz::Button_AutoRaspredClick()
{
    const qint64 id = currentGood_ ? currentGood_->line.id : 0;
    if (guarded([this] { AutoDistribute(*env_.priceDb, DistributionScope::AllGoods); }))
        reload(id, QString());
}

void Form_PostavZakaz::showPricePanel(const QModelIndex& index)
{
    const DistributedGood* good = goodsModel_->goodAt(index.row());
    if (!good)
        return;
    priceSetupId_ = good->line.id;
    Edit_PriceSetup->setText(DistributionPriceText(good->line.priceOut, 4));
    const QRect cell = DBGrid_ZakazTovarSel->visualRect(index);
    const QPoint at = DBGrid_ZakazTovarSel->viewport()->mapTo(Panel_PriceSetup->parentWidget(), cell.bottomLeft());
    Panel_PriceSetup->move(at.x() + 20, at.y());
    Panel_PriceSetup->show();
    Panel_PriceSetup->raise();
    Edit_PriceSetup->setFocus();
}

void Form_PostavZakaz::Button_PriceSetupClick()
{
    if (priceSetupId_ <= 0)
        return;
    const SupplierOffer* offer = goodsModel_->offerAt(DBGrid_ZakazTovarSel->currentIndex().row());
    const QString supplier = offer ? offer->supplier : QString();
    const qint64 id = priceSetupId_;
    if (guarded([&] { SetZakazPriceOut(*env_.priceDb, id, ParseOrderDecimal(Edit_PriceSetup->text())); }))
        reload(id, supplier);
}

void Form_PostavZakaz::refreshShortageButtons()
{
    const qsizetype noOffer = NoOfferRows(goods_).size();
    Button_NoPostav->setText(QStringLiteral("(%1) Поставщики").arg(noOffer));
    Button_NoPostav->setToolTip(
        QStringLiteral("Заказ может быть сформирован некорректно, т.к. у поставщиков отсутствуют %1 товаров.").arg(noOffer));
    Button_NoPostav->setVisible(noOffer > 0);
    const qsizetype shortStock = ShortStockRows(goods_).size();
    Button_NoSklad->setText(QStringLiteral("(%1) Склад").arg(shortStock));
    Button_NoSklad->setToolTip(
        QStringLiteral("Заказ может быть сформирован некорректно, т.к. у поставщиков на СКЛАДЕ отсутствуют %1 товаров.")
            .arg(shortStock));
    Button_NoSklad->setVisible(shortStock > 0);
}

ExportChoice Form_PostavZakaz::exportChoice() const
{
    return RadioButton_AllTovar->isChecked() ? ExportChoice::AllGoods : ExportChoice::Selected;
}

void Form_PostavZakaz::refreshExportRows()
{
    const QVector<SupplierExportRow> rows = SupplierExportRows(goods_, exportChoice(), rate(), roundDigits());
    Grid_PostavExport->setRowCount(0);
    Grid_PostavExport->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        const SupplierExportRow& row = rows[r];
        const QStringList texts = {row.supplier, DistributionPriceText(row.purchase, roundDigits()),
                                   DistributionPriceText(row.sale, roundDigits()),
                                   DistributionPriceText(row.income, roundDigits()), QString::number(row.goods)};
        for (int c = 0; c < texts.size(); ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            if (c > 0)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Grid_PostavExport->setItem(r, c, item);
        }
        if (row.income < 0)
            Grid_PostavExport->item(r, 3)->setForeground(Qt::red);
        auto* excel = new QPushButton(QStringLiteral("в Excel"), Grid_PostavExport);
        excel->setObjectName(QStringLiteral("Button_PostavExcel%1").arg(r + 1));
        const QString supplier = row.supplier;
        connect(excel, &QPushButton::clicked, this, [this, supplier] { ExportSupplierRow(supplier); });
        Grid_PostavExport->setCellWidget(r, 5, excel);
    }
}

void Form_PostavZakaz::ShowPostavInfo(const QString& supplier)
{
    SupplierContacts contacts;
    guarded([&] { contacts = ReadSupplierContacts(*env_.priceDb, supplier).value_or(SupplierContacts{}); });
    Edit_NameFull->setText(contacts.nameFull);
    Edit_Address->setText(contacts.address);
    Edit_Person->setText(contacts.person);
    Edit_Phones->setText(contacts.phones);
    Edit_Mail->setText(contacts.mail);
}

void Form_PostavZakaz::Button_SavePostavInfoClick()
{
    const QString supplier = ComboBox_Postav->currentText().trimmed();
    if (supplier.isEmpty())
        return;
    const SupplierContacts contacts{Edit_NameFull->text(), Edit_Address->text(), Edit_Person->text(),
                                    Edit_Phones->text(), Edit_Mail->text()};
    guarded([&] { SaveSupplierContacts(*env_.priceDb, supplier, contacts); });
}

void Form_PostavZakaz::exportSuppliers(const QStringList& suppliers)
{
    SupplierOrderInput input;
    input.priceDb = env_.priceDb;
    input.orderNumberText = env_.orderNumberText ? env_.orderNumberText() : QString();
    input.choice = exportChoice();
    input.supplierPrices = RadioButton_PostavPrice->isChecked();
    input.programFolder = env_.programFolder;
    input.progress = env_.progress;
    for (const QString& supplier : suppliers) {
        QString path;
        if (!guarded([&] { path = ExportOrderPostav(input, goods_, supplier); }))
            return;
        if (env_.handOver)
            env_.handOver(path);
    }
}

void Form_PostavZakaz::ExportSupplierRow(const QString& supplier) { exportSuppliers({supplier}); }

void Form_PostavZakaz::Button_ExportAllClick() { exportSuppliers(ExportSuppliers(goods_, ExportChoice::Selected)); }

void Form_PostavZakaz::exportNotOrdered(const NotFoundRows& rows)
{
    QString path;
    if (guarded([&] { path = ExportNoTovar(rows, kNotOfferedFileName, kNotOfferedTemplate, env_.programFolder); }) &&
        !path.isEmpty() && env_.handOver)
        env_.handOver(path);
}

void Form_PostavZakaz::Button_NoPostavClick() { exportNotOrdered(NoOfferRows(goods_)); }

void Form_PostavZakaz::Button_NoSkladClick() { exportNotOrdered(ShortStockRows(goods_)); }

void Form_PostavZakaz::Button_SvodPriceClick()
{
    SetupSvodEnvironment environment;
    environment.priceDb = env_.priceDb;
    environment.programFolder = env_.programFolder;
    environment.roundDigits = env_.roundDigits;
    environment.kursRub = env_.kursRub;
    environment.openFileName = env_.openFileName;
    environment.handOver = env_.handOver;
    environment.progress = env_.comparisonProgress;
    environment.message = env_.message;
    environment.error = env_.error;
    Form_SetupSvod window(std::move(environment), this);
    window.exec();
}

} // namespace velmora::orders
