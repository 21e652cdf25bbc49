#pragma once

#include "goods_columns.h"

#include "platform/db/connection.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

class QLabel;
class QThread;
class QToolButton;

namespace velmora::search {

class GoodsCard;
class GoodsGrid;
class GoodsSearchController;
class SupplierGoodsModel;
class SupplierPriceChart;
class SupplierSearchBar;
class PriceHistoryPopup;

// The supplier goods search as the main window shows it: the find bar, the
// goods grid DBGrid_Tovar with Button_SortClear, the goods card
// Panel_TovarViews under the grid and the price chart
// Chart_Postav. The main window may take the pieces apart.
class SupplierGoodsPanel : public QWidget {
    Q_OBJECT
public:
    using Reporter = std::function<void(const QString& message)>;

    explicit SupplierGoodsPanel(const db::Connection& priceDb, QWidget* parent = nullptr);
    ~SupplierGoodsPanel() override;

    SupplierGoodsModel* model() const { return model_; }
    GoodsSearchController* controller() const { return controller_; }
    SupplierSearchBar* searchBar() const { return searchBar_; }
    GoodsGrid* grid() const { return grid_; }
    GoodsCard* card() const { return card_; }
    SupplierPriceChart* chart() const { return chart_; }
    PriceHistoryPopup* priceHistory() const { return history_; }

    // Where the failed-search message and the grid's messages go (none:
    // nothing is shown).
    void setReporter(Reporter reporter) { report_ = std::move(reporter); }
    // The grid titles: the user's column titles and the display currency.
    void setColumnTitles(const ColumnTitles& titles, const QString& currencyCode);

    // Searches again after the supplier selection or the prices changed.
    void searchAgain();
    // The card's and the grid's prices with this many decimals (the display
    // currency's); negative: up to four.
    void setPricePlaces(int places);

    // A price list was loaded: the grid lists its offers, the find box is
    // emptied for the next search.
    void showSupplierOffers(const QString& supplier);

    // Label_FindCount beside the find box: how many offers the last search
    // found. It is counted on a worker thread with its own connection, so
    // the grid shows its first rows at once.
    QLabel* foundCountLabel() const { return Label_FindCount; }
    // The count shown at most; beyond it the label says "more than".
    static constexpr qint64 kCountCap = 100000;

signals:
    // The card was asked for; its quantity list has taken the focus.
    void cardShown();

public slots:
    void Button_SortClearClick();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeChart();
    void showCurrentRow(int row);
    void countFound();
    void showFoundCount(qint64 found);
    void report(const QString& message) const
    {
        if (report_)
            report_(message);
    }

    const db::Connection& priceDb_;
    Reporter report_;
    SupplierGoodsModel* model_;
    GoodsSearchController* controller_;
    SupplierSearchBar* searchBar_;
    GoodsGrid* grid_;
    GoodsCard* card_;
    SupplierPriceChart* chart_;
    PriceHistoryPopup* history_;
    QToolButton* Button_SortClear;
    QLabel* Label_FindCount;
    int countGeneration_ = 0;
    int pricePlaces_ = -1;
    QList<QPointer<QThread>> counting_;
};

} // namespace velmora::search
