#pragma once

#include "goods_query.h"

#include <memory>

namespace velmora::search {

// The search's state that lives for the whole run.
struct SearchState {
    // The find text of the last search that ran; a search runs only for a
    // different text. The find button, Enter, the field choice, a sort
    // change, re-pricing and visibility changes clear it.
    QString lastFindText;
    // Set while a statement is built and opened; the grid ignores row
    // changes meanwhile.
    bool searchRunning = false;
    // Number of the grid's current row before the last search.
    qint64 previousNumber = 0;
};

enum class SearchStatus {
    NotRun,     // empty text, or the same text as the last search
    Rejected,   // unbalanced brackets or "[]": the grid keeps its rows
    Opened,     // `query` and `firstChunk` hold the new result
    Failed,     // the statement could not run: show kSearchFailedMessage
};

struct SearchOutcome {
    SearchStatus status = SearchStatus::NotRun;
    std::shared_ptr<const GoodsQuery> query;
    GoodsChunk firstChunk;
    QString error;  // the engine's message on Failed
};

inline const QString kSearchFailedMessage = QStringLiteral(
    "В поле поиска неверные символы!\rНе удается корретно выполнить поиск!\r\r"
    "будет выведен результат по предыдущему запросу...");

// The suppliers that take part in the search, in list order.
QStringList visibleSuppliers(const db::Connection& priceDb);

// Builds the search statement for the find text and opens it: the first
// `firstChunkRows` rows are read at once, the rest as the grid scrolls
// (GoodsQuery::fetch). Every word pattern and supplier name is bound.
SearchOutcome SearchSupplierGoods(const db::Connection& priceDb, const SearchOptions& options,
                                  const QString& findText, SearchState& state, int firstChunkRows = 200);

} // namespace velmora::search
