#include "supplier_goods_panel.h"

#include "goods_card.h"
#include "goods_grid.h"
#include "goods_search_controller.h"
#include "price_history_popup.h"
#include "supplier_goods_model.h"
#include "supplier_price_chart.h"
#include "supplier_search_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QThread>
#include <QLineEdit>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora::search {

SupplierGoodsPanel::SupplierGoodsPanel(const db::Connection& priceDb, QWidget* parent)
    : QWidget(parent), priceDb_(priceDb)
{
    // The grid's own messages go the same way.
    model_ = new SupplierGoodsModel(this);
    controller_ = new GoodsSearchController(priceDb_, *model_, this);
    searchBar_ = new SupplierSearchBar(*controller_, this);
    grid_ = new GoodsGrid(this);
    grid_->setGoodsModel(model_);
    // Prices with a decimal comma, whatever the user's locale.
    grid_->setLocale(QLocale(QLocale::Russian, QLocale::Russia));
    grid_->setReporter([this](const QString& message) { report(message); });
    card_ = new GoodsCard([this](const QString& supplier) { return readSupplierContacts(priceDb_, supplier); }, this);
    chart_ = new SupplierPriceChart(this);
    chart_->setFixedWidth(260);
    history_ = new PriceHistoryPopup(this);
    Button_SortClear = new QToolButton(this);
    Button_SortClear->setObjectName(QStringLiteral("Button_SortClear"));
    Button_SortClear->setText(QStringLiteral("==="));
    Button_SortClear->setToolTip(QStringLiteral("Сортировка \"по умолчанию\""));

    Label_FindCount = new QLabel(this);
    Label_FindCount->setObjectName(QStringLiteral("Label_FindCount"));

    auto* top = new QHBoxLayout;
    top->addWidget(Button_SortClear);
    top->addWidget(searchBar_, 1);
    top->addWidget(Label_FindCount);
    auto* body = new QHBoxLayout;
    body->addWidget(grid_, 1);
    body->addWidget(chart_);
    // The card opens under the grid's rows, never over them.
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(body, 1);
    layout->addWidget(card_);

    connect(controller_, &GoodsSearchController::searched, this, [this](int row) {
        grid_->showRow(row);
        placeChart();
        grid_->FitTovarColumns();
        showCurrentRow(row);
        Button_SortClear->show();
        chart_->DrawSupplierPriceChart(*model_);
        countFound();
    });
    connect(controller_, &GoodsSearchController::searchFailed, this, [this](const QString& m) { report(m); });
    // Said beside the find box, not in a message box: typing with the
    // search-as-you-type switch passes through unpaired brackets.
    connect(controller_, &GoodsSearchController::searchRejected, this, [this](const QString& m) {
        ++countGeneration_;
        Label_FindCount->setStyleSheet(QStringLiteral("color: #c00000;"));
        Label_FindCount->setText(m);
    });
    connect(grid_, &GoodsGrid::titleClicked, this,
            [this](int column) { controller_->sortByColumn(column, searchBar_->findText()); });
    connect(grid_, &GoodsGrid::currentRowChanged, this, &SupplierGoodsPanel::showCurrentRow);
    connect(grid_, &GoodsGrid::cardRequested, this, [this] {
        card_->show();
        card_->ShowTovarDetails();
        card_->focusQuantity();
        emit cardShown();
    });
    connect(grid_, &GoodsGrid::priceCellClicked, this, [this](int row, const QPoint& pointer) {
        try {
            const auto prices = offerPriceHistory(priceDb_, model_->field(row, QStringLiteral("Postavshik")).toString(),
                                                  model_->field(row, QStringLiteral("Art")).toString(),
                                                  model_->field(row, QStringLiteral("Tovar")).toString());
            const int priceColumn = goodsColumnOf(QStringLiteral("PriceOut"));
            const int left = grid_->columnViewportPosition(priceColumn) + grid_->columnWidth(priceColumn) + 8;
            history_->showHistory(prices, grid_->mapTo(this, QPoint(left, pointer.y())));
        } catch (const std::exception&) {
            history_->hide();  // the pop-up is a courtesy: failures stay silent
        }
    });
    connect(grid_, &GoodsGrid::priceAreaLeft, history_, &QWidget::hide);
    connect(searchBar_, &SupplierSearchBar::hideCardRequested, card_, &QWidget::hide);
    connect(searchBar_, &SupplierSearchBar::focusGridRequested, grid_, [this] { grid_->setFocus(); });
    connect(Button_SortClear, &QToolButton::clicked, this, &SupplierGoodsPanel::Button_SortClearClick);
}

SupplierGoodsPanel::~SupplierGoodsPanel()
{
    // A count still running reads through its own connection; it is waited
    // for, and its answer goes nowhere.
    ++countGeneration_;
    for (const QPointer<QThread>& thread : counting_)
        if (thread)
            thread->wait();
    // The children go one by one: nothing may search into a half-gone panel.
    searchBar_->findEdit()->removeEventFilter(searchBar_);
    controller_->disconnect(this);
}

void SupplierGoodsPanel::setColumnTitles(const ColumnTitles& titles, const QString& currencyCode)
{
    model_->setTitles(gridTitles(titles, currencyCode));
    card_->setColumnTitles(titles);
}

void SupplierGoodsPanel::searchAgain() { controller_->searchAgain(searchBar_->findText()); }

void SupplierGoodsPanel::showSupplierOffers(const QString& supplier)
{
    {
        const QSignalBlocker quiet(searchBar_->findEdit());
        searchBar_->findEdit()->clear();
    }
    controller_->showSupplierOffers(supplier);
}

void SupplierGoodsPanel::Button_SortClearClick() { controller_->clearSort(searchBar_->findText()); }

void SupplierGoodsPanel::countFound()
{
    const int generation = ++countGeneration_;
    const std::shared_ptr<const GoodsQuery> query = model_->query();
    if (!query || model_->cache().complete()) {
        showFoundCount(model_->rowCount());
        return;
    }
    Label_FindCount->setStyleSheet(QString());
    Label_FindCount->setText(QStringLiteral("Найдено: ..."));
    auto found = std::make_shared<qint64>(-1);
    const QString path = priceDb_.path();
    QThread* thread = QThread::create([query, path, found] {
        try {
            const db::Connection own(path, db::OpenMode::ReadOnly);
            *found = query->count(own, kCountCap + 1);
        } catch (const std::exception&) {
            // The label stays without a number; the grid is not affected.
        }
    });
    connect(thread, &QThread::finished, this, [this, thread, found, generation] {
        counting_.removeAll(thread);
        thread->deleteLater();
        if (generation == countGeneration_)
            showFoundCount(*found);
    });
    thread->setParent(this);
    counting_ << thread;
    thread->start(QThread::LowPriority);
}

void SupplierGoodsPanel::showFoundCount(qint64 found)
{
    Label_FindCount->setStyleSheet(QString());
    if (found < 0)
        Label_FindCount->clear();
    else if (found > kCountCap)
        Label_FindCount->setText(QStringLiteral("Найдено: более %1").arg(QLocale(QLocale::Russian).toString(kCountCap)));
    else
        Label_FindCount->setText(QStringLiteral("Найдено: %1").arg(QLocale(QLocale::Russian).toString(found)));
}

void SupplierGoodsPanel::showCurrentRow(int row)
{
    // Row changes while a statement is being opened are not the user's.
    if (controller_->state().searchRunning)
        return;
    controller_->setCurrentRow(row);
    if (row >= 0 && row < model_->rowCount())
        card_->showOffer(offerCardOf(*model_, row, pricePlaces_));
    else
        card_->showOffer(OfferCard{});
}

void SupplierGoodsPanel::setPricePlaces(int places)
{
    pricePlaces_ = places;
    grid_->setPricePlaces(places);
}

void SupplierGoodsPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeChart();
}

void SupplierGoodsPanel::placeChart()
{
    // The prices come first: the chart shows only beside a grid that has
    // room for its columns and a few more words of the names.
    const int spacing = layout()->spacing();
    const int margins = layout()->contentsMargins().left() + layout()->contentsMargins().right();
    const int names = 14 * grid_->fontMetrics().averageCharWidth();
    const bool room = width() - margins - chart_->width() - spacing >= grid_->neededWidth() + names;
    if (room != chart_->isVisibleTo(this))
        chart_->setVisible(room);
}

} // namespace velmora::search
