#include "suppliers/tree/price_lists.h"

#include "platform/db/sql_functions.h"
#include "platform/db/statement.h"

namespace velmora {

namespace {

const QString kSelectColumns = QStringLiteral(
    "SELECT Id, Postavshik, Path, SheetCount, Obrab, PostavVisible, Dates, PriceConversion, Valuta "
    "FROM AllPostavSetup ");

PriceListRow readRow(const db::Statement& st)
{
    PriceListRow row;
    row.Id = st.integer(0);
    row.Postavshik = st.text(1);
    row.Path = st.text(2);
    row.SheetCount = st.integer(3);
    row.Obrab = st.text(4);
    row.PostavVisible = st.integer(5) != 0; // Jet's true is -1
    row.Dates = st.integer(6);
    row.PriceConversion = st.isNull(7) ? 1.0 : st.number(7);
    row.Valuta = int(st.integer(8));
    return row;
}

} // namespace

std::vector<PriceListRow> ReadPriceLists(db::Connection& priceDb)
{
    std::vector<PriceListRow> rows;
    db::Statement st = priceDb.prepare(kSelectColumns + QStringLiteral("ORDER BY Id, rowid"));
    while (st.step())
        rows.push_back(readRow(st));
    return rows;
}

std::optional<PriceListRow> FindPriceList(db::Connection& priceDb, const QString& name)
{
    db::Statement st =
        priceDb.prepare(kSelectColumns + QStringLiteral("WHERE Postavshik = ?1 COLLATE UNOCASE ORDER BY Id"));
    st.bind(1, name);
    if (!st.step())
        return std::nullopt;
    return readRow(st);
}

std::optional<PriceListRow> FindPriceListById(db::Connection& priceDb, qint64 id)
{
    db::Statement st = priceDb.prepare(kSelectColumns + QStringLiteral("WHERE Id = ?1"));
    st.bind(1, id);
    if (!st.step())
        return std::nullopt;
    return readRow(st);
}

bool PriceListNameTaken(db::Connection& priceDb, const QString& name, qint64 exceptId)
{
    const QString wanted = db::foldCase(name.trimmed());
    db::Statement st = priceDb.prepare(QStringLiteral("SELECT Id, Postavshik FROM AllPostavSetup"));
    while (st.step()) {
        if (st.integer(0) != exceptId && db::foldCase(st.text(1).trimmed()) == wanted)
            return true;
    }
    return false;
}

} // namespace velmora
