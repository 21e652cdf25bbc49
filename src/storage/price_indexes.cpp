#include "price_indexes.h"

#include "platform/db/jet_dialect.h"

#include <QStringList>

namespace velmora {

namespace {

struct PriceIndex {
    const char* table;
    const char* name;
    QStringList columns;
    const char* label;
};

const QList<PriceIndex>& priceIndexes()
{
    static const QList<PriceIndex> indexes = {
        {"AllTovarPostav", "Art", {"Art"}, "- AllTovarPostav(Art)"},
        {"AllTovarPostav", "Tovar", {"Tovar"}, "- AllTovarPostav(Tovar)"},
        {"AllTovarPostav", "Postav", {"Postavshik"}, "- AllTovarPostav(Postavshik)"},
        {"AllTovarValuta", "ID_Tovar", {"ID_Tovar"}, "- AllTovarValuta(ID_Tovar)"},
        {"AllTovarValuta", "Valuta", {"Valuta"}, "- AllTovarValuta(Valuta)"},
        {"AllPostavSetup", "ID_Postav", {"Id"}, "- AllPostavSetup(ID_Postav)"},
        {"AllPostavSetup", "Postav", {"Postavshik"}, "- AllPostavSetup(Postavshik)"},
        {"AllPostavPage", "Postav", {"Postavshik"}, "- AllPostavPage(Postavshik)"},
        {"AllPriceHistory", "ID_Tovar", {"ID"}, "- AllPriceHistory(ID)"},
        {"AllPriceHistory", "Postav", {"Postavshik"}, "- AllPriceHistory(Postavshik)"},
        {"AllPriceHistory", "Postav_Art", {"Postavshik", "Art"}, "- AllPriceHistory(Postavshik,Art)"},
        {"AllPriceHistory", "Postav_Tovar", {"Postavshik", "Tovar"}, "- AllPriceHistory(Postavshik,Tovar)"},
    };
    return indexes;
}

QString quoted(const QString& name) { return u'"' + QString(name).replace(u'"', QLatin1String("\"\"")) + u'"'; }

enum class Found { Missing, Different, AsItShouldBe };

Found findIndex(const db::Connection& priceDb, const QString& indexName, const QString& table,
                const QStringList& columns)
{
    const QVariant onTable = priceDb.scalar(
        QStringLiteral("SELECT tbl_name FROM sqlite_master WHERE type = 'index' AND name = ?1"), {indexName});
    if (!onTable.isValid())
        return Found::Missing;
    if (onTable.toString().compare(table, Qt::CaseInsensitive) != 0)
        return Found::Different;
    db::Statement info = priceDb.prepare(QStringLiteral("SELECT name FROM pragma_index_info(?1) ORDER BY seqno"));
    info.bindText(1, indexName);
    QStringList indexed;
    while (info.step())
        indexed << info.text(0);
    if (indexed.size() != columns.size())
        return Found::Different;
    for (qsizetype i = 0; i < columns.size(); ++i)
        if (indexed[i].compare(columns[i], Qt::CaseInsensitive) != 0)
            return Found::Different;
    return Found::AsItShouldBe;
}

} // namespace

PriceIndexSettlement settlePriceIndexes(db::Connection& priceDb)
{
    PriceIndexSettlement result;
    for (const PriceIndex& index : priceIndexes()) {
        const QString table = QLatin1String(index.table);
        const QString indexName = db::uniqueIndexName(table, QLatin1String(index.name));
        const auto failed = [&] {
            ++result.errors;
            result.errorList += u'\r' + QLatin1String(index.label);
        };
        if (!priceDb.tableExists(table)) {
            failed();
            continue;
        }
        const Found found = findIndex(priceDb, indexName, table, index.columns);
        if (found == Found::AsItShouldBe) {
            ++result.updated;
            continue;
        }
        QStringList columns;
        for (const QString& column : index.columns)
            columns << quoted(column);
        try {
            if (found == Found::Different)
                priceDb.exec(QStringLiteral("DROP INDEX %1").arg(quoted(indexName)));
            priceDb.exec(QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
                             .arg(quoted(indexName), quoted(table), columns.join(QStringLiteral(", "))));
        } catch (const std::exception&) {
            failed();
            continue;
        }
        ++(found == Found::Different ? result.updated : result.added);
    }
    return result;
}

} // namespace velmora
