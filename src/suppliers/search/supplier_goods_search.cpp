#include "supplier_goods_search.h"

#include "platform/db/db_error.h"

namespace velmora::search {

QStringList visibleSuppliers(const db::Connection& priceDb)
{
    QStringList names;
    // Any non-zero flag is true, the -1 that older files hold included.
    db::Statement statement = priceDb.prepare(
        QStringLiteral("SELECT Postavshik FROM AllPostavSetup WHERE PostavVisible<>0 ORDER BY Id"));
    while (statement.step())
        names << statement.text(0);
    return names;
}

SearchOutcome SearchSupplierGoods(const db::Connection& priceDb, const SearchOptions& options,
                                  const QString& findText, SearchState& state, int firstChunkRows)
{
    SearchOutcome outcome;
    const QString text = normalizedFindText(findText);
    if (text.isEmpty() || text == state.lastFindText)
        return outcome;
    state.lastFindText = text;
    if (!bracketsAcceptable(text)) {
        outcome.status = SearchStatus::Rejected;
        return outcome;
    }

    state.searchRunning = true;
    const WordConditions words = buildWordConditions(separatorsToWildcards(text), options.field);
    try {
        if (!words.wellFormed)
            throw db::DbError(QStringLiteral("Поиск не выполнен: в тексте поиска непарные скобки"));
        auto query = std::make_shared<const GoodsQuery>(priceDb, words, visibleSuppliers(priceDb), options);
        outcome.firstChunk = query->fetch(std::nullopt, firstChunkRows);
        outcome.query = std::move(query);
        outcome.status = SearchStatus::Opened;
    } catch (const db::DbError& e) {
        outcome.status = SearchStatus::Failed;
        outcome.error = e.message();
    }
    state.searchRunning = false;
    return outcome;
}

} // namespace velmora::search
