#include "goods_grid.h"

#include "goods_card_data.h"
#include "goods_columns.h"
#include "supplier_goods_model.h"

#include "storage/settings_store.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStyle>
#include <QStyledItemDelegate>

namespace velmora::search {

// The grid's cells: prices as the goods card shows them, not in the
// locale's six significant digits ("114990" for 114990.25).
class GoodsCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QString displayText(const QVariant& value, const QLocale& locale) const override
    {
        if (value.typeId() == QMetaType::Double)
            return cardPriceText(value, places);
        return QStyledItemDelegate::displayText(value, locale);
    }

    int places = -1;
};

namespace {

// The columns staff compare: shown whole whatever the grid's width.
const QStringList& wholeFields()
{
    static const QStringList fields = {QStringLiteral("Art"),         QStringLiteral("Postavshik"),
                                       QStringLiteral("PriceOut"),    QStringLiteral("Pricemax"),
                                       QStringLiteral("PricePostav"), QStringLiteral("ValutaPostav"),
                                       QStringLiteral("Sklad")};
    return fields;
}

// The rows measured for the widths: what a user sees of a search at once,
// and then some.
constexpr int kMeasuredRows = 400;

} // namespace

GoodsGrid::GoodsGrid(QWidget* parent) : QTableView(parent)
{
    setObjectName(QStringLiteral("DBGrid_Tovar"));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    cells_ = new GoodsCellDelegate(this);
    setItemDelegate(cells_);
    verticalHeader()->setDefaultSectionSize(20);
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    // A title squeezed by the user or a narrow window ends in "…".
    horizontalHeader()->setTextElideMode(Qt::ElideRight);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &GoodsGrid::titleClicked);
    connect(this, &QTableView::doubleClicked, this, [this] { emit cardRequested(); });

    for (const GoodsColumn& c : goodsColumns())
        widths_.push_back({c.designWidth, false});
    PopupMenu_Tovar = new QMenu(this);
    PopupMenu_Tovar->setObjectName(QStringLiteral("PopupMenu_Tovar"));
    auto addItem = [this](const char* name, const QString& caption, void (GoodsGrid::*slot)()) {
        QAction* action = PopupMenu_Tovar->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, slot);
    };
    addItem("TovarColumnFixed", QStringLiteral("Зафиксировать ширину колонки"), &GoodsGrid::TovarColumnFixedClick);
    addItem("TovarColumnNotVisible", QStringLiteral("Скрыть выбранную колонку"), &GoodsGrid::TovarColumnNotVisibleClick);
    addItem("TovarColumnVisibleAll", QStringLiteral("Отобразить все скрытые колонки"),
            &GoodsGrid::TovarColumnVisibleAllClick);
    horizontalHeader()->viewport()->installEventFilter(this);
    viewport()->installEventFilter(this);
    viewport()->setMouseTracking(true);
    connect(this, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (index.column() == goodsColumnOf(QStringLiteral("PriceOut")))
            emit priceCellClicked(index.row(), viewport()->mapTo(this, viewport()->mapFromGlobal(QCursor::pos())));
    });
}

void GoodsGrid::setPricePlaces(int places)
{
    cells_->places = places;
    viewport()->update();
}

void GoodsGrid::setWidthSettings(db::Connection* orderDb, SettingsStore* orderSettings)
{
    orderDb_ = orderDb;
    settings_ = orderSettings;
}

void GoodsGrid::LoadTovarColumns()
{
    if (settings_) {
        // A first start takes the design widths: the name gets its room,
        // the prices theirs.
        QVector<int> design;
        for (const GoodsColumn& column : goodsColumns())
            design << column.designWidth;
        widths_ = loadColumnWidths(*settings_, objectName(), int(design.size()), design);
    }
    applyWidths();
}

void GoodsGrid::FitTovarColumns()
{
    fitColumns(widths_, viewport()->width(), kLineWidth);
    applyWidths();
}

int GoodsGrid::titleWidth(const QString& title) const
{
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, horizontalHeader());
    return horizontalHeader()->fontMetrics().horizontalAdvance(title) + 2 * margin + 2;
}

QVector<ColumnNeed> GoodsGrid::columnNeeds() const
{
    auto* goods = qobject_cast<SupplierGoodsModel*>(model());
    if (!goods || goods->columnCount() != widths_.size())
        return {};
    QVector<ColumnNeed> needs(widths_.size());
    const QFontMetrics metrics = fontMetrics();
    // The style's text margins, the grid line, and a pixel or two for the
    // text's fractional width.
    const int cellMargin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 1 + 2;
    const int rows = std::min(goods->rowCount(), kMeasuredRows);
    auto valuesWidth = [&](int column) {
        int values = 0;
        for (int row = 0; row < rows; ++row) {
            const QString text = cells_->displayText(goods->index(row, column).data(), locale());
            values = std::max(values, metrics.horizontalAdvance(text) + cellMargin);
        }
        return values;
    };
    for (const QString& field : wholeFields()) {
        const int column = goodsColumnOf(field);
        const int values = valuesWidth(column);
        needs[column] = {std::max(values, titleWidth(goods->shownTitle(column, true))),
                         std::max(values, titleWidth(goods->shownTitle(column, false)))};
    }
    // The others their short titles, the name room for a few words.
    for (int column = 0; column < needs.size(); ++column) {
        if (!wholeFields().contains(goodsColumns().at(column).field))
            needs[column] = {titleWidth(goods->shownTitle(column, true)), titleWidth(goods->shownTitle(column, false)),
                             true};
    }
    // Whole titles come after the names, up to a few words of them.
    const int name = goodsColumnOf(QStringLiteral("Tovar"));
    needs[name].least = 16 * metrics.averageCharWidth();
    needs[name].whole = std::min(valuesWidth(name), 40 * metrics.averageCharWidth());
    return needs;
}

int GoodsGrid::neededWidth() const
{
    const QVector<ColumnNeed> needs = columnNeeds();
    int width = 2 * frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    for (int i = 0; i < widths_.size(); ++i)
        width += widths_.at(i).fixed ? widths_.at(i).width : std::max(5, needs.value(i).least);
    return width;
}

void GoodsGrid::SaveTovarColumns()
{
    QVector<int> current;
    for (int i = 0; i < widths_.size(); ++i)
        current << (isColumnHidden(i) ? 0 : columnWidth(i));
    // The resize is measured against what the user saw: the table takes
    // the widths shown before it, the cells' needs included.
    for (int i = 0; i < widths_.size(); ++i) {
        if (!isColumnHidden(i))
            widths_[i].width = shown_.value(i, widths_.at(i).width);
    }
    saveColumns(widths_, current, viewport()->width(), kLineWidth);
    applyWidths();
    storeWidths();
}

bool GoodsGrid::resizedByUser() const
{
    for (int i = 0; i < widths_.size(); ++i) {
        if (!isColumnHidden(i) && columnWidth(i) != shown_.value(i, widths_.at(i).width))
            return true;
    }
    return false;
}

void GoodsGrid::applyWidths()
{
    shown_ = widthsMeetingNeeds(widths_, viewport()->width(), kLineWidth, columnNeeds(),
                                goodsColumnOf(QStringLiteral("Tovar")));
    for (int i = 0; i < widths_.size(); ++i) {
        setColumnHidden(i, shown_.at(i) == 0);
        if (shown_.at(i) > 0)
            setColumnWidth(i, shown_.at(i));
    }
    if (auto* goods = qobject_cast<SupplierGoodsModel*>(model())) {
        QVector<bool> compact;
        for (int i = 0; i < shown_.size(); ++i)
            compact << (shown_.at(i) < titleWidth(goods->shownTitle(i, false)));
        goods->setCompactTitles(compact);
    }
}

void GoodsGrid::storeWidths()
{
    if (orderDb_ && settings_)
        storeColumnWidths(*orderDb_, *settings_, objectName(), widths_);
}

void GoodsGrid::TovarColumnFixedClick()
{
    if (menuColumn_ < 0 || menuColumn_ >= widths_.size())
        return;
    // The width the user sees is the one fixed.
    widths_[menuColumn_].width = shown_.value(menuColumn_, widths_.at(menuColumn_).width);
    fixColumn(widths_, menuColumn_);
    FitTovarColumns();
    SaveTovarColumns();
    // The whole title, also where the column shows its short form.
    report(fixedColumnMessage(model() ? model()->headerData(menuColumn_, Qt::Horizontal, Qt::ToolTipRole).toString()
                                      : QString()));
}

void GoodsGrid::TovarColumnNotVisibleClick()
{
    if (menuColumn_ < 0 || menuColumn_ >= widths_.size())
        return;
    search::hideColumn(widths_, menuColumn_);
    FitTovarColumns();
    SaveTovarColumns();
}

void GoodsGrid::TovarColumnVisibleAllClick()
{
    if (menuColumn_ < 0)
        return;
    const int shown = showAllColumns(widths_);
    applyWidths();
    if (shown > 0)
        FitTovarColumns();
    report(shownColumnsMessage(shown));
    SaveTovarColumns();
}

bool GoodsGrid::eventFilter(QObject* watched, QEvent* event)
{
    const bool header = watched == horizontalHeader()->viewport();
    if ((header || watched == viewport()) && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        menuColumn_ = columnAt(int(mouse->position().x()));
        // A release in the title row ends a resize: keep it.
        if (header && resizedByUser())
            SaveTovarColumns();
    }
    if (watched == viewport() && event->type() == QEvent::MouseMove) {
        const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
        const QRect inner = viewport()->rect().adjusted(10, 10, -10, -10);
        if (columnAt(p.x()) != goodsColumnOf(QStringLiteral("PriceOut")) || !inner.contains(p))
            emit priceAreaLeft();
    }
    if ((header || watched == viewport()) && event->type() == QEvent::ContextMenu) {
        const auto* menu = static_cast<QContextMenuEvent*>(event);
        menuColumn_ = columnAt(menu->pos().x());
        if (menuColumn_ >= 0)
            PopupMenu_Tovar->popup(menu->globalPos());
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

void GoodsGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    FitTovarColumns();
}

void GoodsGrid::setGoodsModel(SupplierGoodsModel* model)
{
    setModel(model);
    applyWidths();
}

void GoodsGrid::showRow(int row)
{
    if (!model() || row < 0 || row >= model()->rowCount()) {
        clearSelection();
        return;
    }
    const QModelIndex index = model()->index(row, std::max(0, currentIndex().column()));
    setCurrentIndex(index);
    selectRow(row);
    scrollTo(index);
}

int GoodsGrid::currentRowIndex() const { return currentIndex().isValid() ? currentIndex().row() : -1; }

void GoodsGrid::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        emit cardRequested();
        return;
    }
    QTableView::keyPressEvent(event);
}

void GoodsGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (current.row() != previous.row() || !previous.isValid())
        emit currentRowChanged(current.isValid() ? current.row() : -1);
}

} // namespace velmora::search
