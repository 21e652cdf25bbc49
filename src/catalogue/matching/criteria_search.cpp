#include "criteria_search.h"

#include "criteria_lists.h"
#include "remainder_scan.h"

#include "storage/schema.h"


namespace velmora::catalogue {
namespace {

// A text flag reads true in either capitalisation.
bool isTrueFlag(std::string_view flag)
{
    static constexpr std::string_view kTrue = "true";
    if (flag.size() != kTrue.size())
        return false;
    for (size_t i = 0; i < kTrue.size(); ++i)
        if ((flag[i] | 0x20) != kTrue[i])
            return false;
    return true;
}

} // namespace

void resetRemainderFlags(db::Connection& priceDb)
{
    // Through the partial index of exactly those rows: a remainder of a
    // million items is not read for the handful that differ.
    db::Transaction transaction(priceDb);
    priceDb.exec(QStringLiteral("UPDATE price_all INDEXED BY price_all_Flags_to_reset "
                                "SET Check_sootv = 'false', Check_obrab = 'true' WHERE ")
                 + kPriceAllFlagsToReset);
    transaction.commit();
}

CriteriaSearchResult::CriteriaSearchResult(db::Connection& priceDb, CriteriaMatcher matcher)
    : priceDb_(&priceDb), matcher_(std::move(matcher))
{
}

QList<RemainderItem> CriteriaSearchResult::fetch(int count)
{
    QList<RemainderItem> items;
    if (atEnd_ || count <= 0)
        return items;
    // The scan reads the names alone; the matching items' other columns
    // are read by their Number afterwards.
    const RemainderScan scan = scanRemainder(*priceDb_, matcher_, lastNumber_, count);
    lastNumber_ = scan.lastNumber;
    atEnd_ = scan.atEnd;
    db::Statement select = priceDb_->prepare(QStringLiteral(
        "SELECT Number, Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Dates, Garant, Sklad FROM price_all "
        "WHERE Number = ?1"));
    for (const qint64 number : scan.numbers) {
        select.bindInt(1, number);
        if (select.step()) {
            RemainderItem item;
            item.number = select.integer(0);
            item.art = select.text(1);
            item.tovar = select.text(2);
            item.price = select.number(3);
            item.pricemax = select.number(4);
            item.postavshik = select.text(5);
            item.ticked = isTrueFlag(select.utf8(6));
            item.dates = select.integer(7);
            item.garant = select.text(8);
            item.sklad = select.text(9);
            items.append(item);
        }
        select.reset();
    }
    return items;
}

CriteriaSearchResult runCriteriaSearch(db::Connection& priceDb, qint64 goodCode)
{
    resetRemainderFlags(priceDb);
    return CriteriaSearchResult(priceDb, criteriaMatcherOf(priceDb, goodCode));
}

} // namespace velmora::catalogue
