#pragma once

#include "column_widths.h"

#include <QTableView>

#include <functional>

class QMenu;

namespace velmora::search {

class GoodsCellDelegate;
class SupplierGoodsModel;

// DBGrid_Tovar: whole rows selected, read-only, titles clicked to sort.
class GoodsGrid : public QTableView {
    Q_OBJECT
public:
    explicit GoodsGrid(QWidget* parent = nullptr);

    using Reporter = std::function<void(const QString& message)>;

    void setGoodsModel(SupplierGoodsModel* model);
    // Prices with this many decimals (negative: up to four), as the card.
    void setPricePlaces(int places);

    // Where the widths are kept (order database); without it they live in
    // the window only.
    void setWidthSettings(db::Connection* orderDb, SettingsStore* orderSettings);
    // Where the grid's messages go (none: nothing is shown).
    void setReporter(Reporter reporter) { report_ = std::move(reporter); }

    // The column-width manager: restore from the settings, fit to the
    // client width, keep a user's resize.
    void LoadTovarColumns();
    void FitTovarColumns();
    void SaveTovarColumns();
    // The width table, whose proportions fitting keeps; the grid shows it
    // with the cells' needs met.
    const WidthTable& widthTable() const { return widths_; }
    // What each column needs to show its cells whole: the article, the
    // supplier, the prices, the currency and the stock their loaded values
    // and titles, the name a readable share; the others nothing.
    QVector<ColumnNeed> columnNeeds() const;
    // The width at which every column gets what it needs at least (the
    // short titles of the others included), frame and scroll bar too.
    int neededWidth() const;
    // The column under the mouse at the last mouse-up (-1: none), which
    // the pop-up menu's commands act on.
    int menuColumn() const { return menuColumn_; }
    void setMenuColumn(int column) { menuColumn_ = column; }

    static constexpr int kLineWidth = 0;  // Qt sections have no grid-line pixel

public slots:
    void TovarColumnFixedClick();
    void TovarColumnNotVisibleClick();
    void TovarColumnVisibleAllClick();
    // Makes the row current and selected (after a search).
    void showRow(int row);
    int currentRowIndex() const;

signals:
    void titleClicked(int column);
    void currentRowChanged(int row);
    // Double-click or Enter: show the goods card.
    void cardRequested();
    // A click in the price column; `pointer` in grid coordinates.
    void priceCellClicked(int row, const QPoint& pointer);
    // The pointer left the price column or neared the grid's border.
    void priceAreaLeft();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    // Shows the table's widths with the cells' needs met (shown_).
    void applyWidths();
    bool resizedByUser() const;
    int titleWidth(const QString& title) const;
    void storeWidths();
    void report(const QString& message) const
    {
        if (report_)
            report_(message);
    }

    WidthTable widths_;
    QVector<int> shown_;
    db::Connection* orderDb_ = nullptr;
    SettingsStore* settings_ = nullptr;
    Reporter report_;
    QMenu* PopupMenu_Tovar;
    GoodsCellDelegate* cells_;
    int menuColumn_ = -1;
};

} // namespace velmora::search
