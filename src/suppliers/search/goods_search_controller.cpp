#include "goods_search_controller.h"

#include "platform/db/db_error.h"

namespace velmora::search {

GoodsSearchController::GoodsSearchController(const db::Connection& priceDb, SupplierGoodsModel& model,
                                             QObject* parent)
    : QObject(parent), priceDb_(priceDb), model_(model)
{
}

SearchStatus GoodsSearchController::search(const QString& findText)
{
    if (model_.rowCount() > 0 && currentRow_ >= 0 && currentRow_ < model_.rowCount()) {
        if (const qint64 number = model_.numberAt(currentRow_); number > 0)
            state_.previousNumber = number;
    }
    options_.sort = sortOrderOf(model_.sortMark());
    if (sharedLastFindText_)
        state_.lastFindText = *sharedLastFindText_;
    SearchOutcome outcome = SearchSupplierGoods(priceDb_, options_, findText, state_, model_.cache().chunkSize());
    if (sharedLastFindText_)
        *sharedLastFindText_ = state_.lastFindText;
    switch (outcome.status) {
    case SearchStatus::NotRun:
        break;
    case SearchStatus::Rejected:
        emit searchRejected(rejectedBracketsMessage());
        break;
    case SearchStatus::Opened: {
        model_.setResult(outcome.query, std::move(outcome.firstChunk));
        int row = 0;
        if (state_.previousNumber > 0 && outcome.query->contains(state_.previousNumber))
            row = std::max(0, model_.fetchUntil(state_.previousNumber, kRelocateRows));
        currentRow_ = model_.rowCount() > 0 ? row : -1;
        emit searched(currentRow_);
        break;
    }
    case SearchStatus::Failed:
        // The previous statement again; an empty grid when there is none
        // or it fails too.
        model_.reopen();
        currentRow_ = model_.rowCount() > 0 ? 0 : -1;
        emit searchFailed(kSearchFailedMessage);
        emit searched(currentRow_);
        break;
    }
    return outcome.status;
}

SearchStatus GoodsSearchController::showSupplierOffers(const QString& supplier)
{
    state_.lastFindText.clear();
    if (sharedLastFindText_)
        sharedLastFindText_->clear();
    options_.sort = sortOrderOf(model_.sortMark());
    WordConditions everyOffer;
    everyOffer.sql = QStringLiteral("1");
    state_.searchRunning = true;
    try {
        auto query = std::make_shared<const GoodsQuery>(priceDb_, everyOffer, QStringList{supplier}, options_);
        GoodsChunk first = query->fetch(std::nullopt, model_.cache().chunkSize());
        state_.searchRunning = false;
        model_.setResult(std::move(query), std::move(first));
    } catch (const db::DbError&) {
        state_.searchRunning = false;
        emit searchFailed(kSearchFailedMessage);
        return SearchStatus::Failed;
    }
    currentRow_ = model_.rowCount() > 0 ? 0 : -1;
    emit searched(currentRow_);
    return SearchStatus::Opened;
}

SearchStatus GoodsSearchController::searchAgain(const QString& findText)
{
    state_.lastFindText.clear();
    if (sharedLastFindText_)
        sharedLastFindText_->clear();
    return search(findText);
}

SearchStatus GoodsSearchController::sortByColumn(int column, const QString& findText)
{
    model_.setSortMark(nextSortMark(model_.sortMark(), column));
    return searchAgain(findText);
}

SearchStatus GoodsSearchController::clearSort(const QString& findText)
{
    model_.setSortMark(SortMark{});
    return searchAgain(findText);
}

} // namespace velmora::search
