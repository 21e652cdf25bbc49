#pragma once

#include "goods_prices.h"

#include "platform/db/connection.h"

#include <QAbstractTableModel>

#include <vector>

namespace velmora::catalogue {

// Which goods the list shows: one group's goods whose Price_1 is above
// the threshold (-1: every good with a price), optionally only those whose
// name holds a text (case ignored; "%" and "_" are wildcards).
struct GoodsListFilter {
    QString kategor;  // the group's code as digits
    QString namePart; // found as typed ("%" and "_" too); empty: every name
    double priceNullThreshold = -1.0;
};

// The goods of the list in its order (name, then code): rowid and code.
struct GoodsListEntry {
    qint64 rowId = 0;
    qint64 code = 0;
};
std::vector<GoodsListEntry> readGoodsList(db::Connection& priceDb, const GoodsListFilter& filter);

// One good by code; false when there is none.
bool readGood(db::Connection& priceDb, qint64 code, Good& good);

// The goods counts of the status bar: all goods, and those with a price.
struct GoodsTotals {
    qint64 all = 0;
    qint64 active = 0;
};
GoodsTotals readGoodsTotals(db::Connection& priceDb);
// "Всего товаров - N   Активных - M"
QString goodsTotalsText(const GoodsTotals& totals);

// The model of the own goods grid (DBGrid_PriceMain) over one group's
// goods. Opening reads only the order of the rows (rowid and code); the
// rows themselves are read in chunks as the view scrolls to them
// (canFetchMore/fetchMore). The calculated columns are computed from each
// row when shown. Reading errors throw db::DbError from reopen and leave
// the list empty; a chunk that fails later shows empty rows.
class CatalogueGoodsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        ColArt,
        ColTovar,
        ColPrice1,
        ColNacen,
        ColPriceNacen,
        ColPriceBase,
        ColNacenAll,
        ColNacenDollars,
        ColPriceRub,
        ColGarant,
        ColDates,
        ColumnCount
    };

    explicit CatalogueGoodsModel(db::Connection& priceDb, QObject* parent = nullptr, int chunkSize = 100);

    void setPricing(const GoodsPricing& pricing);
    const GoodsPricing& pricing() const { return pricing_; }

    // ReopenGoodsList: shows the goods the filter selects, from the first
    // chunk; reopen() reads the same list again (after a change).
    void reopen(const GoodsListFilter& filter);
    void reopen();
    // Shows goods chosen elsewhere (the viewer's selection), in the order
    // given, read in chunks as the list does; reopen() then reads them
    // again.
    void showEntries(std::vector<GoodsListEntry> entries);
    void clear();
    const GoodsListFilter& filter() const { return filter_; }

    // Every good of the list, read or not yet.
    int goodsCount() const { return int(entries_.size()); }
    qint64 codeAt(int row) const;
    // The good of a row that has been read; null otherwise.
    const Good* goodAt(int row) const;
    // The row of a good, reading on until it is reached; -1 when the list
    // does not hold it.
    int rowOfCode(qint64 code);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    void readRows(int count);

    db::Connection& priceDb_;
    int chunkSize_;
    GoodsPricing pricing_;
    GoodsListFilter filter_;
    std::vector<GoodsListEntry> entries_;
    std::vector<Good> goods_; // the rows read so far, from the first
    bool ownEntries_ = false; // showEntries: reopen keeps the entries
};

} // namespace velmora::catalogue
