#include "goods_query.h"

#include "goods_index.h"

#include "platform/db/db_error.h"

#include <QHash>

namespace velmora::search {
namespace {

const QString kKeyColumn = QStringLiteral("SortKey_");

} // namespace

QString sortExpression(const QString& gridField)
{
    static const QHash<QString, QString> mapped = {
        {QStringLiteral("Opisanie"), QStringLiteral("AllTovarPostav.Description")},
        {QStringLiteral("PricePostav"), QStringLiteral("AllTovarValuta.Price")},
        {QStringLiteral("PriceMaxPostav"), QStringLiteral("AllTovarValuta.Pricemax")},
        {QStringLiteral("ValutaPostav"), QStringLiteral("AllTovarValuta.Valuta")},
    };
    static const QStringList own = {
        QStringLiteral("Art"), QStringLiteral("Tovar"), QStringLiteral("Postavshik"),
        QStringLiteral("PriceOut"), QStringLiteral("Pricemax"), QStringLiteral("Price"),
        QStringLiteral("Sklad"), QStringLiteral("Garant"), QStringLiteral("TextNoName"),
        QStringLiteral("Description"), QStringLiteral("Number"), QStringLiteral("Dates"),
    };
    if (const auto it = mapped.find(gridField); it != mapped.end())
        return it.value();
    // Both tables have Pricemax: the grid's is the offer's own.
    if (own.contains(gridField))
        return QStringLiteral("AllTovarPostav.") + gridField;
    return QString();
}

GoodsQuery::GoodsQuery(const db::Connection& priceDb, const WordConditions& words,
                       const QStringList& visibleSuppliers, const SearchOptions& options)
    : db_(&priceDb), patterns_(words.patterns), suppliers_(visibleSuppliers)
{
    if (options.sort)
        sortExpr_ = sortExpression(options.sort->field);
    if (sortExpr_.isEmpty())
        sortExpr_ = QStringLiteral("AllTovarPostav.PriceOut");
    else
        descending_ = options.sort->descending;

    if (options.index == IndexUse::Auto && !words.indexQuery.isEmpty() && supplierGoodsIndexExists(priceDb))
        indexQuery_ = words.indexQuery;

    head_ = QStringLiteral("SELECT AllTovarPostav.*, AllTovarValuta.Price AS PricePostav, "
                           "AllTovarValuta.Pricemax AS PriceMaxPostav, AllTovarValuta.Valuta AS ValutaPostav");
    if (options.brendPriory)
        head_ += QStringLiteral(", BrendPriory.BrendName AS BrendPriory");
    head_ += QStringLiteral(", %1 AS %2").arg(sortExpr_, kKeyColumn);

    // With the index the candidate rows come first and are then tested in
    // full; CROSS JOIN keeps the engine from walking the whole table instead.
    from_ = indexQuery_.isEmpty()
        ? QStringLiteral("AllTovarPostav")
        : QStringLiteral("%1 CROSS JOIN AllTovarPostav ON (AllTovarPostav.Number=%1.rowid)")
              .arg(QString::fromLatin1(kGoodsTextIndex));
    from_ += QStringLiteral(" LEFT OUTER JOIN AllTovarValuta ON (AllTovarValuta.ID_Tovar=AllTovarPostav.Number)");
    if (options.brendPriory)
        from_ += QStringLiteral(" LEFT OUTER JOIN BrendPriory ON (BrendPriory.BrendName=AllTovarPostav.TextNoName)");

    where_ = QStringLiteral("(") + words.sql + QStringLiteral(")");
    if (!indexQuery_.isEmpty())
        where_ += QStringLiteral(" AND %1 MATCH :fts").arg(QString::fromLatin1(kGoodsTextIndex));
    if (suppliers_.isEmpty()) {
        where_ += QStringLiteral(" AND (AllTovarPostav.Number < 0)");
    } else {
        QStringList params;
        for (int i = 1; i <= suppliers_.size(); ++i)
            params << QStringLiteral(":s%1").arg(i);
        // "+" keeps a supplier index from being walked in place of the order.
        where_ += QStringLiteral(" AND (+AllTovarPostav.Postavshik IN (%1))").arg(params.join(u','));
    }

    db::Statement probe = db_->prepare(sql(std::nullopt, true));
    for (int i = 0; i < probe.columnCount(); ++i)
        columns_ << probe.columnName(i);
    keyColumn_ = columns_.lastIndexOf(kKeyColumn);
    numberColumn_ = columns_.indexOf(QStringLiteral("Number"));
    if (numberColumn_ < 0)
        throw db::DbError(QStringLiteral("AllTovarPostav has no Number column"));
}

QString GoodsQuery::sql(const std::optional<RowKey>& after, bool limited) const
{
    QString where = where_;
    if (after) {
        const QString s = sortExpr_;
        const QString n = QStringLiteral("AllTovarPostav.Number");
        // The engine sorts NULL first ascending and last descending.
        if (after->sortValue.isNull()) {
            where += descending_ ? QStringLiteral(" AND (%1 IS NULL AND %2 > :kn)").arg(s, n)
                                 : QStringLiteral(" AND (%1 IS NOT NULL OR %2 > :kn)").arg(s, n);
        } else {
            where += descending_
                ? QStringLiteral(" AND (%1 < :kv OR %1 IS NULL OR (%1 = :kv AND %2 > :kn))").arg(s, n)
                : QStringLiteral(" AND (%1 > :kv OR (%1 = :kv AND %2 > :kn))").arg(s, n);
        }
    }
    QString text = head_ + QStringLiteral(" FROM ") + from_ + QStringLiteral(" WHERE ") + where
        + QStringLiteral(" ORDER BY ") + sortExpr_ + (descending_ ? QStringLiteral(" DESC") : QString())
        + QStringLiteral(", AllTovarPostav.Number");
    if (limited)
        text += QStringLiteral(" LIMIT :limit");
    return text;
}

void GoodsQuery::bindCommon(db::Statement& statement) const
{
    for (int i = 0; i < patterns_.size(); ++i)
        statement.bind(QStringLiteral(":w%1").arg(i + 1), patterns_.at(i));
    for (int i = 0; i < suppliers_.size(); ++i)
        statement.bind(QStringLiteral(":s%1").arg(i + 1), suppliers_.at(i));
    if (!indexQuery_.isEmpty())
        statement.bind(QStringLiteral(":fts"), indexQuery_);
}

GoodsChunk GoodsQuery::fetch(const std::optional<RowKey>& after, int limit) const
{
    db::Statement statement = db_->prepare(sql(after, true));
    bindCommon(statement);
    if (after) {
        if (statement.hasParameter(QStringLiteral(":kv")))
            statement.bind(QStringLiteral(":kv"), after->sortValue);
        statement.bind(QStringLiteral(":kn"), after->number);
    }
    statement.bind(QStringLiteral(":limit"), limit);
    GoodsChunk chunk;
    chunk.rows.reserve(limit);
    const int count = statement.columnCount();
    while (statement.step()) {
        GoodsRow row(count);
        for (int c = 0; c < count; ++c)
            row[c] = statement.value(c);
        chunk.rows.push_back(std::move(row));
    }
    chunk.atEnd = chunk.rows.size() < limit;
    return chunk;
}

RowKey GoodsQuery::keyOf(const GoodsRow& row) const
{
    return RowKey{row.value(keyColumn_), row.value(numberColumn_).toLongLong()};
}

bool GoodsQuery::contains(qint64 number) const
{
    // Checked on the plain statement: one row by its key needs no index.
    QString from = QStringLiteral("AllTovarPostav LEFT OUTER JOIN AllTovarValuta ON "
                                  "(AllTovarValuta.ID_Tovar=AllTovarPostav.Number)");
    QString where = where_;
    if (!indexQuery_.isEmpty())
        where.replace(QStringLiteral(" AND %1 MATCH :fts").arg(QString::fromLatin1(kGoodsTextIndex)), QString());
    db::Statement statement = db_->prepare(QStringLiteral("SELECT 1 FROM %1 WHERE %2 AND AllTovarPostav.Number = :n LIMIT 1")
                                               .arg(from, where));
    for (int i = 0; i < patterns_.size(); ++i)
        statement.bind(QStringLiteral(":w%1").arg(i + 1), patterns_.at(i));
    for (int i = 0; i < suppliers_.size(); ++i)
        statement.bind(QStringLiteral(":s%1").arg(i + 1), suppliers_.at(i));
    statement.bind(QStringLiteral(":n"), number);
    return statement.step();
}

} // namespace velmora::search
