#include "form_group_setup.h"

#include "group_switches_bar.h"
#include "settings_group_tree.h"
#include "window_controls.h"

#include "catalogue/group_settings/group_defaults.h"
#include "catalogue/group_settings/group_suppliers.h"
#include "catalogue/group_settings/pricing_switches.h"
#include "catalogue/group_tree.h"
#include "catalogue/group_tree_walk.h"

#include "platform/db/day_numbers.h"
#include "platform/db/db_error.h"
#include "platform/files/error_text.h"
#include "storage/settings_store.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QValueAxis>
#include <QVBoxLayout>

namespace velmora::catalogue {

namespace {

constexpr int kSettingsPage = 1; // the settings dialog's page of the pricing switches
constexpr int kMaxThreshold = 100000000;

QSpinBox* spinBox(const QString& name, int maximum, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(0, maximum);
    return box;
}

void colourText(QLabel* label, const QString& text, bool own)
{
    label->setText(text);
    label->setStyleSheet(own ? QStringLiteral("color: navy;") : QStringLiteral("color: red;"));
}

} // namespace

Form_GroupSetup::Form_GroupSetup(CatalogueWindowEnvironment environment, std::function<void(int)> openProgramSettings,
                                 QWidget* parent)
    : QDialog(parent), env_(std::move(environment)), openProgramSettings_(std::move(openProgramSettings))
{
    setObjectName(QStringLiteral("Form_GroupSetup"));
    setWindowTitle(QStringLiteral("Параметры групп товаров"));
    auto* heading = new QLabel(QStringLiteral("Установка параметров для групп товаров"), this);
    TreeView_Group = new SettingsGroupTree(*env_.priceDb, [this](const QString& t) { reportError(t); }, this);
    PageControl1 = named(new QTabWidget(this), "PageControl1");
    PageControl1->addTab(buildThresholdsPage(), QStringLiteral("Наценка (Пороги)"));
    PageControl1->addTab(buildChartPage(), QStringLiteral("Графики"));
    PageControl1->addTab(buildSuppliersPage(), QStringLiteral("Поставщики"));

    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(PageControl1, 1);
    rightLayout->addWidget(buildDefaultsBox());
    auto* split = new QSplitter(this);
    split->addWidget(TreeView_Group);
    split->addWidget(right);
    split->setStretchFactor(1, 1);

    StatusBar1 = new GroupSwitchesBar(this);
    connect(StatusBar1, &GroupSwitchesBar::doubleClicked, this, &Form_GroupSetup::StatusBar1DblClick);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(split, 1);
    layout->addWidget(StatusBar1);

    connect(TreeView_Group, &SettingsGroupTree::groupClicked, this, &Form_GroupSetup::TreeView_GroupClick);
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == 0)
            showThresholds(); // TabSheet_NacenShow
        else if (page == 2)
            showSuppliers(); // TabSheet_PostShow
    });
}

Form_GroupSetup::~Form_GroupSetup() = default;

QWidget* Form_GroupSetup::buildThresholdsPage()
{
    auto* page = named(new QWidget(this), "TabSheet_Nacen");
    auto* grid = new QGridLayout(page);
    StaticText_IndividGr = named(new QLabel(page), "StaticText_IndividGr");
    grid->addWidget(StaticText_IndividGr, 0, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Стоимость товара"), page), 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Доп. Наценка, %"), page), 1, 2);
    for (int k = 0; k < kThresholdCount; ++k) {
        grid->addWidget(new QLabel(QStringLiteral("Порог %1").arg(k + 1), page), k + 2, 0);
        SpinEdit_Porog[size_t(k)] = spinBox(QStringLiteral("SpinEdit_Porog%1").arg(k + 1), kMaxThreshold, page);
        SpinEdit_NacenPor[size_t(k)] = spinBox(QStringLiteral("SpinEdit_NacenPor%1").arg(k + 1), 1000, page);
        grid->addWidget(SpinEdit_Porog[size_t(k)], k + 2, 1);
        grid->addWidget(SpinEdit_NacenPor[size_t(k)], k + 2, 2);
    }
    CheckBox_AllGroupNacen =
        named(new QCheckBox(QStringLiteral("    Включая вложенные подгруппы"), page), "CheckBox_AllGroupNacen");
    auto* save = named(new QPushButton(QStringLiteral("Запомнить"), page), "Button_PorogNacenSet");
    grid->addWidget(CheckBox_AllGroupNacen, kThresholdCount + 2, 0, 1, 2);
    grid->addWidget(save, kThresholdCount + 2, 2);
    grid->setRowStretch(kThresholdCount + 3, 1);
    connect(save, &QPushButton::clicked, this, &Form_GroupSetup::Button_PorogNacenSetClick);
    return page;
}

QWidget* Form_GroupSetup::buildChartPage()
{
    auto* page = named(new QWidget(this), "TabSheet_Graf");
    auto* chart = new QChart;
    chart->legend()->hide();
    series_ = new QLineSeries(chart);
    chart->addSeries(series_);
    auto* x = new QValueAxis(chart);
    x->setTitleText(QStringLiteral("Цена товара"));
    auto* y = new QValueAxis(chart);
    y->setTitleText(QStringLiteral("Наценка в %"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series_->attachAxis(x);
    series_->attachAxis(y);
    Chart_Nacen = new QChartView(chart, page);
    Chart_Nacen->setObjectName(QStringLiteral("Chart_Nacen"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Chart_Nacen);
    return page;
}

QWidget* Form_GroupSetup::buildSuppliersPage()
{
    auto* page = named(new QWidget(this), "TabSheet_Post");
    StaticText_IndividPost = named(new QLabel(page), "StaticText_IndividPost");
    DBGrid_Post = named(new QTableWidget(0, 3, page), "DBGrid_Post");
    DBGrid_Post->setHorizontalHeaderLabels(
        {QStringLiteral("Поставщик"), QStringLiteral("Обрабатывать"), QStringLiteral("Дата прайса")});
    DBGrid_Post->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    DBGrid_Post->verticalHeader()->hide();
    DBGrid_Post->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid_Post->setToolTip(QStringLiteral("Идентификация товаров у поставщика - по артикулю"));
    // The current supplier's tick, as the grid's column holds it.
    auto* tick = named(new QCheckBox(QStringLiteral("Обрабатывать"), page), "DBCheckBox_SootvArt");
    tick->setToolTip(QStringLiteral("Идентификация товаров у поставщика - по артикулю"));
    CheckBox_AllGroupPost =
        named(new QCheckBox(QStringLiteral("    Включая вложенные подгруппы"), page), "CheckBox_AllGroupPost");
    auto* save = named(new QPushButton(QStringLiteral("Запомнить"), page), "Button_PostSet");
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(StaticText_IndividPost);
    layout->addWidget(DBGrid_Post, 1);
    layout->addWidget(tick);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(CheckBox_AllGroupPost);
    bottom->addStretch(1);
    bottom->addWidget(save);
    layout->addLayout(bottom);
    connect(save, &QPushButton::clicked, this, &Form_GroupSetup::Button_PostSetClick);
    connect(DBGrid_Post, &QTableWidget::currentCellChanged, tick, [this, tick](int row) {
        const QTableWidgetItem* item = DBGrid_Post->item(row, 1);
        const QSignalBlocker quiet(tick);
        tick->setEnabled(item != nullptr);
        tick->setChecked(item && item->checkState() == Qt::Checked);
    });
    connect(tick, &QCheckBox::clicked, this, [this](bool on) {
        if (QTableWidgetItem* item = DBGrid_Post->item(DBGrid_Post->currentRow(), 1))
            item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    });
    // DBCheckBox_SootvArtMouseUp: a tick is posted to the working set at once.
    connect(DBGrid_Post, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (fillingSuppliers_ || item->column() != 1 || !env_.priceDb)
            return;
        const QString supplier = DBGrid_Post->item(item->row(), 0)->text();
        try {
            setGroupSupplierObrab(*env_.priceDb, kSupplierWorkingSet, supplier, item->checkState() == Qt::Checked);
        } catch (const db::DbError& e) {
            reportError(e.message());
        }
    });
    return page;
}

QWidget* Form_GroupSetup::buildDefaultsBox()
{
    auto* box = named(new QGroupBox(QStringLiteral("Значения по умолчанию"), this), "GroupBox_Default");
    SpinEdit_NacenSet = spinBox(QStringLiteral("SpinEdit_NacenSet"), 1000, box);
    Edit_Garant = named(new QLineEdit(box), "Edit_Garant");
    CheckBox_AllGroup = named(new QCheckBox(QStringLiteral("Включая вложенные"), box), "CheckBox_AllGroup");
    auto* set = named(new QPushButton(QStringLiteral("Установить"), box), "Button_Default");
    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel(QStringLiteral("Наценка по-умолчанию для новых товаров в этой группе"), box), 0, 0);
    grid->addWidget(SpinEdit_NacenSet, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Гарантия по-умолчанию для новых товаров в этой группе"), box), 1, 0);
    grid->addWidget(Edit_Garant, 1, 1);
    grid->addWidget(CheckBox_AllGroup, 2, 0);
    grid->addWidget(set, 2, 1);
    connect(set, &QPushButton::clicked, this, &Form_GroupSetup::Button_DefaultClick);
    return box;
}

void Form_GroupSetup::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Form_GroupSetup::reportError(const QString& text)
{
    if (env_.error)
        env_.error(text);
    else if (env_.message)
        env_.message(text);
}

void Form_GroupSetup::FormShow()
{
    group_ = 0;
    try {
        const QVariant first = env_.priceDb->scalar(
            QStringLiteral("SELECT Code FROM Tovar_tree WHERE Parent = ?1 AND Pos = ?2"), {qint64(0), qint64(1)});
        group_ = first.isValid() ? first.toLongLong() : 0;
    } catch (const db::DbError& e) {
        reportError(e.message());
    }
    showGroup();
    showSwitches();
    TreeView_Group->fill();
    if (group_ == 0 && TreeView_Group->topLevelItemCount() > 0) {
        group_ = TreeView_Group->codeOf(TreeView_Group->topLevelItem(0));
        showGroup();
    }
}

void Form_GroupSetup::TreeView_GroupClick(qint64 code)
{
    if (code <= 0)
        return;
    group_ = code;
    showGroup();
}

void Form_GroupSetup::showGroup()
{
    showThresholds();
    showDefaults();
    showSuppliers();
}

void Form_GroupSetup::showSwitches()
{
    if (env_.orderDb)
        StatusBar1->refresh(*env_.orderDb, [this](const QString& t) { reportError(t); });
}

void Form_GroupSetup::showThresholds()
{
    GroupThresholds shown;
    try {
        shown = readGroupThresholds(*env_.priceDb, group_);
    } catch (const db::DbError& e) {
        reportError(e.message());
        return;
    }
    colourText(StaticText_IndividGr, shown.own ? kOwnThresholdsText : kGeneralThresholdsText, shown.own);
    CheckBox_AllGroupNacen->setChecked(false);
    for (int k = 0; k < kThresholdCount; ++k) {
        SpinEdit_Porog[size_t(k)]->setValue(int(shown.thresholds[size_t(k)].price));
        SpinEdit_NacenPor[size_t(k)]->setValue(int(shown.thresholds[size_t(k)].markup));
    }
    series_->clear();
    double maxX = 1;
    double maxY = 1;
    for (const auto& [x, y] : thresholdChartPoints(shown.thresholds)) {
        series_->append(x, y);
        maxX = std::max(maxX, x);
        maxY = std::max(maxY, y);
    }
    const auto axes = Chart_Nacen->chart()->axes();
    for (QAbstractAxis* axis : axes)
        if (auto* value = qobject_cast<QValueAxis*>(axis))
            value->setRange(0, axis->orientation() == Qt::Horizontal ? maxX : maxY * 1.1);
}

std::vector<qint64> Form_GroupSetup::targetGroups(bool withSubgroups) const
{
    if (!withSubgroups)
        return {group_};
    return groupWithSubgroups(loadGroupTree(*env_.priceDb), group_);
}

void Form_GroupSetup::Button_PorogNacenSetClick()
{
    if (group_ <= 0)
        return;
    MarkupThresholds pairs;
    for (int k = 0; k < kThresholdCount; ++k)
        pairs[size_t(k)] = ThresholdPair{SpinEdit_Porog[size_t(k)]->value(), SpinEdit_NacenPor[size_t(k)]->value()};
    try {
        storeThresholds(*env_.priceDb, targetGroups(CheckBox_AllGroupNacen->isChecked()), pairs);
    } catch (const db::DbError& e) {
        reportError(e.message());
        return;
    }
    if (env_.orderDb) {
        try {
            SettingsStore store(*env_.orderDb);
            if (!store.readBoolean(kNacenDopSetting) && env_.confirm && env_.confirm(kUseThresholdsQuestion))
                store.write(kNacenDopSetting, QStringLiteral("TypeBoolean"), QStringLiteral("-1"));
        } catch (const std::exception& e) {
            reportError(ErrorText(e));
        }
        showSwitches();
    }
    showThresholds();
}

void Form_GroupSetup::showDefaults()
{
    CheckBox_AllGroup->setChecked(false);
    try {
        const GroupDefaults defaults = groupDefaults(*env_.priceDb, group_);
        SpinEdit_NacenSet->setValue(defaults.markup);
        Edit_Garant->setText(defaults.warranty);
    } catch (const db::DbError& e) {
        reportError(e.message());
    }
}

void Form_GroupSetup::Button_DefaultClick()
{
    if (group_ <= 0)
        return;
    try {
        db::Transaction transaction(*env_.priceDb);
        const std::vector<qint64> groups = targetGroups(CheckBox_AllGroup->isChecked());
        setGroupsMarkup(*env_.priceDb, groups, SpinEdit_NacenSet->value());
        setGroupsWarranty(*env_.priceDb, groups, Edit_Garant->text());
        transaction.commit();
    } catch (const db::DbError& e) {
        reportError(e.message());
        return;
    }
    showDefaults();
}

void Form_GroupSetup::showSuppliers()
{
    CheckBox_AllGroupPost->setChecked(false);
    std::vector<GroupSupplier> rows;
    bool own = false;
    try {
        loadSupplierWorkingSet(*env_.priceDb, group_);
        own = groupHasOwnSuppliers(*env_.priceDb, group_);
        rows = readGroupSuppliers(*env_.priceDb, kSupplierWorkingSet);
    } catch (const db::DbError& e) {
        reportError(e.message());
        return;
    }
    colourText(StaticText_IndividPost, own ? kOwnSuppliersText : kGeneralSuppliersText, own);
    fillingSuppliers_ = true;
    DBGrid_Post->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        const GroupSupplier& s = rows[size_t(r)];
        DBGrid_Post->setItem(r, 0, new QTableWidgetItem(s.postavshik));
        auto* tick = new QTableWidgetItem;
        tick->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        tick->setCheckState(s.obrab ? Qt::Checked : Qt::Unchecked);
        DBGrid_Post->setItem(r, 1, tick);
        DBGrid_Post->setItem(r, 2,
                             new QTableWidgetItem(s.dates > 0 ? db::dateFromDayNumber(double(s.dates)).toString(
                                                                    QStringLiteral("dd.MM.yyyy"))
                                                              : QString()));
    }
    fillingSuppliers_ = false;
}

void Form_GroupSetup::Button_PostSetClick()
{
    if (group_ <= 0)
        return;
    try {
        copyGroupSuppliers(*env_.priceDb, kSupplierWorkingSet, targetGroups(CheckBox_AllGroupPost->isChecked()));
    } catch (const db::DbError& e) {
        reportError(e.message());
        return;
    }
    showSuppliers();
}

void Form_GroupSetup::StatusBar1DblClick()
{
    if (openProgramSettings_)
        openProgramSettings_(kSettingsPage);
    // Shown again, as after a new opening.
    FormShow();
}

} // namespace velmora::catalogue
