#include "combined_price_page.h"

#include "catalogue/goods_prices.h"
#include "catalogue/goods_list.h"
#include "storage/settings_store.h"
#include "platform/db/day_numbers.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QValueAxis>
#include <QVBoxLayout>

namespace velmora::catalogue {
namespace {

const QString kGrafNameSetting = QStringLiteral("Edit_GrafName");

// A Windows colour number (blue, green, red from high to low) as a colour.
QColor windowsColour(uint32_t value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

enum Column { Tovar, Price, Pricemax, Postavshik, Art, Sklad, Garant, DateOut, ColumnCount };

} // namespace

CombinedPricePage::CombinedPricePage(db::Connection& priceDb, SettingsStore& settings,
                                     std::function<CombinedPriceContext()> context, QWidget* parent)
    : QWidget(parent), priceDb_(priceDb), settings_(settings), context_(std::move(context))
{
    setObjectName(QStringLiteral("Panel_Svod"));
    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl_Svod"));

    auto* table = new QWidget(pages_);
    table->setObjectName(QStringLiteral("TabSheet_SvodTab"));
    grid_ = new QTableWidget(table);
    grid_->setObjectName(QStringLiteral("DBGrid_Svod"));
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->verticalHeader()->hide();
    grid_->setColumnCount(ColumnCount);
    grid_->setHorizontalHeaderLabels({QStringLiteral("Наименование"), QStringLiteral("Цена"),
                                      QStringLiteral("Цена max"), QStringLiteral("Поставщик"),
                                      QStringLiteral("Артикул"), QStringLiteral("Склад"), QStringLiteral("Гарантия"),
                                      QStringLiteral("Дата")});
    grid_->horizontalHeader()->setSectionResizeMode(Tovar, QHeaderView::Stretch);
    auto* tableLayout = new QVBoxLayout(table);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    tableLayout->addWidget(grid_);
    pages_->addTab(table, QStringLiteral("Таблица"));

    auto* diagram = new QWidget(pages_);
    diagram->setObjectName(QStringLiteral("TabSheet_SvodGraf"));
    chart_ = new QChartView(diagram);
    chart_->setObjectName(QStringLiteral("Chart_GrafSvod"));
    chart_->setRenderHint(QPainter::Antialiasing);
    name_ = new QLineEdit(diagram);
    name_->setObjectName(QStringLiteral("Edit_GrafName"));
    column_ = new QComboBox(diagram);
    column_->setObjectName(QStringLiteral("ComboBox_GrafColumnPrice"));
    minimum_ = new QRadioButton(QStringLiteral("  MIN"), diagram);
    minimum_->setObjectName(QStringLiteral("RadioButton_GrafMinPrice"));
    minimum_->setChecked(true);
    maximum_ = new QRadioButton(QStringLiteral("  MAX"), diagram);
    maximum_->setObjectName(QStringLiteral("RadioButton_GrafMaxPrice"));
    auto* run = new QPushButton(QStringLiteral("Пересчитать"), diagram);
    run->setObjectName(QStringLiteral("Button_GrafRun"));
    auto* controls = new QHBoxLayout;
    controls->addWidget(name_);
    controls->addWidget(column_);
    controls->addWidget(minimum_);
    controls->addWidget(maximum_);
    controls->addWidget(run);
    controls->addStretch();
    auto* diagramLayout = new QVBoxLayout(diagram);
    diagramLayout->setContentsMargins(0, 0, 0, 0);
    diagramLayout->addLayout(controls);
    diagramLayout->addWidget(chart_, 1);
    pages_->addTab(diagram, QStringLiteral("График"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pages_);

    connect(name_, &QLineEdit::textEdited, this, [this](const QString& text) {
        settings_.write(kGrafNameSetting, QStringLiteral("TypeText"), text);
        Button_GrafRunClick();
    });
    connect(column_, &QComboBox::activated, this, &CombinedPricePage::Button_GrafRunClick);
    connect(minimum_, &QRadioButton::clicked, this, &CombinedPricePage::Button_GrafRunClick);
    connect(maximum_, &QRadioButton::clicked, this, &CombinedPricePage::Button_GrafRunClick);
    connect(run, &QPushButton::clicked, this, &CombinedPricePage::Button_GrafRunClick);
}

void CombinedPricePage::setCurrentGood(qint64 code)
{
    good_ = code;
    if (isVisible())
        reopen();
}

void CombinedPricePage::showPage()
{
    name_->setText(settings_.readText(kGrafNameSetting, QStringLiteral("My Price")));
    if (column_->count() == 0) {
        column_->addItems(outputPriceColumnNames(priceDb_));
        column_->setCurrentIndex(0);
    }
    reopen();
}

void CombinedPricePage::reopen()
{
    fillGrid();
    Button_GrafRunClick();
}

void CombinedPricePage::fillGrid()
{
    const CombinedPriceContext context = context_ ? context_() : CombinedPriceContext{};
    Good good;
    const double priceBase = good_ && readGood(priceDb_, good_, good) ? good.priceBase : 0;
    const QList<CombinedPriceRow> rows = readCombinedPriceRows(priceDb_, good_);
    grid_->setRowCount(int(rows.size()));
    const QLocale locale;
    for (int r = 0; r < rows.size(); ++r) {
        const CombinedPriceRow& row = rows.at(r);
        const QString texts[ColumnCount] = {
            row.tovar, locale.toString(row.price), locale.toString(row.pricemax), row.postavshik, row.art, row.sklad,
            row.garant, locale.toString(db::dateFromDayNumber(double(row.dates)), QLocale::ShortFormat)};
        for (int c = 0; c < ColumnCount; ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            const CellColours colours = combinedPriceCellColours(row.obrab, row.price, row.postavshik, c == Price,
                                                                 priceBase, context.saleSupplier);
            if (colours.background)
                item->setBackground(windowsColour(*colours.background));
            if (colours.font)
                item->setForeground(windowsColour(*colours.font));
            grid_->setItem(r, c, item);
        }
    }
}

void CombinedPricePage::Button_GrafRunClick()
{
    const CombinedPriceContext context = context_ ? context_() : CombinedPriceContext{};
    DiagramRequest request;
    request.goodCode = good_;
    request.ownName = name_->text();
    request.priceColumn = std::max(0, column_->currentIndex());
    request.minimum = minimum_->isChecked();
    request.roundDigits = context.roundDigits;
    request.pricing = context.pricing;
    bars_ = good_ ? combinedPriceDiagram(priceDb_, request) : QList<DiagramBar>{};

    auto* chart = new QChart;
    auto* set = new QBarSet(QString());
    QStringList labels;
    double top = 0;
    for (const DiagramBar& bar : bars_) {
        *set << bar.value;
        labels << bar.label;
        top = std::max(top, bar.value);
    }
    auto* series = new QBarSeries;
    series->append(set);
    chart->addSeries(series);
    auto* axisX = new QBarCategoryAxis;
    axisX->append(labels);
    chart->addAxis(axisX, Qt::AlignBottom);
    series->attachAxis(axisX);
    auto* axisY = new QValueAxis;
    axisY->setRange(0, top > 0 ? top * 1.1 : 1);
    chart->addAxis(axisY, Qt::AlignLeft);
    series->attachAxis(axisY);
    chart->legend()->hide();
    QChart* old = chart_->chart();
    chart_->setChart(chart);
    delete old;
}

} // namespace velmora::catalogue
