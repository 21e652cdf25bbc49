#pragma once

#include "supplier_goods_model.h"
#include "supplier_goods_search.h"

#include <QObject>

namespace velmora::search {

// Runs the supplier goods search for the windows and shows its result in
// the grid model: keeps the last search text and the row that was current,
// applies the field choice and the sort mark, and takes the failure path
// (the previous result again). No widget is touched here.
class GoodsSearchController : public QObject {
    Q_OBJECT
public:
    GoodsSearchController(const db::Connection& priceDb, SupplierGoodsModel& model, QObject* parent = nullptr);

    SearchState& state() { return state_; }
    const SearchOptions& options() const { return options_; }
    void setField(SearchField field) { options_.field = field; }
    void setBrendPriory(bool on) { options_.brendPriory = on; }
    void setIndexUse(IndexUse use) { options_.index = use; }

    // Shares the last search text with the rest of the program (the main
    // window's LastFindText, which re-pricing and other Parts clear).
    void shareLastFindText(QString* lastFindText) { sharedLastFindText_ = lastFindText; }

    // The grid's current row, remembered before each search.
    void setCurrentRow(int row) { currentRow_ = row; }

    // SearchSupplierGoods on the find text; runs only for a new text.
    SearchStatus search(const QString& findText);
    // Clears the last search text first, so the same text runs again (the
    // find button, Enter, the field choice, sort and visibility changes).
    SearchStatus searchAgain(const QString& findText);

    // Every offer of one price list (after it was loaded), in the grid's
    // order; the last search text is cleared, so the next text searches.
    SearchStatus showSupplierOffers(const QString& supplier);

    // A title click cycles the column's mark and searches again.
    SearchStatus sortByColumn(int column, const QString& findText);
    SearchStatus clearSort(const QString& findText);

    static QString rejectedBracketsMessage()
    {
        return QStringLiteral("Поиск не выполнен: скобки \u00AB[\u00BB и \u00AB]\u00BB должны стоять парами, "
                              "пустые \u00AB[]\u00BB не допускаются");
    }

    // Rows searched at most to bring the previous current row back.
    static constexpr int kRelocateRows = 5000;

signals:
    // A new result is shown; `currentRow` is the row to make current.
    void searched(int currentRow);
    // The statement could not run; the previous result is shown again.
    void searchFailed(const QString& message);
    // The find text was not searched (its brackets do not pair up); the
    // grid keeps its rows.
    void searchRejected(const QString& message);

private:
    const db::Connection& priceDb_;
    SupplierGoodsModel& model_;
    SearchState state_;
    SearchOptions options_;
    int currentRow_ = -1;
    QString* sharedLastFindText_ = nullptr;
};

} // namespace velmora::search
