#include "goods_query.h"

#include "goods_index.h"

#include "platform/db/db_error.h"

#include <QHash>

#include <algorithm>

namespace velmora::search {
namespace {

const QString kKeyColumn = QStringLiteral("SortKey_");
const QString kValutaJoin =
    QStringLiteral(" LEFT OUTER JOIN AllTovarValuta ON (AllTovarValuta.ID_Tovar=AllTovarPostav.Number)");

// True when an index of AllTovarPostav starts with the column the sort
// expression names, so that the engine can walk the rows in order.
bool sortOrderIndexed(const db::Connection& db, const QString& sortExpr)
{
    const QString prefix = QStringLiteral("AllTovarPostav.");
    if (!sortExpr.startsWith(prefix))
        return false;
    return db.scalar(QStringLiteral("SELECT count(*) FROM pragma_index_list('AllTovarPostav') AS l, "
                                    "pragma_index_info(l.name) AS i WHERE i.seqno = 0 AND i.name = ? COLLATE NOCASE"),
                     {sortExpr.mid(prefix.size())})
               .toInt()
        > 0;
}

// Counts the index's candidates, stopping at `cap`.
int candidateCount(const db::Connection& db, const QString& indexQuery, qint64 cap)
{
    return db.scalar(QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM %1 WHERE %1 MATCH ? LIMIT ?)")
                         .arg(QString::fromLatin1(kGoodsTextIndex)),
                     {indexQuery, cap})
        .toInt();
}

struct RareTrigram {
    QString query;
    qint64 candidates = 0;
};

// The trigram the fewest offers hold, by the index: each is counted up to
// `cap`, and one that reaches it is estimated from how far into the offers'
// numbers (`first`..`last`) its cap-th holder lies.
RareTrigram rarestTrigram(const db::Connection& db, const QStringList& trigrams, qint64 cap, qint64 first, qint64 last)
{
    db::Statement count = db.prepare(
        QStringLiteral("SELECT count(*), max(Candidate) FROM (SELECT rowid AS Candidate FROM %1 WHERE %1 MATCH ?1 LIMIT ?2)")
            .arg(QString::fromLatin1(kGoodsTextIndex)));
    RareTrigram rarest;
    for (const QString& trigram : trigrams) {
        count.reset();
        count.bindText(1, trigram).bindInt(2, cap);
        if (!count.step())
            continue;
        qint64 candidates = count.integer(0);
        if (candidates >= cap) {
            const qint64 reached = std::max<qint64>(count.integer(1) - first + 1, 1);
            candidates = cap * (last - first + 1) / reached;
        }
        if (rarest.query.isEmpty() || candidates < rarest.candidates)
            rarest = {trigram, candidates};
    }
    return rarest;
}

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

    if (options.index == IndexUse::Auto && !words.indexQuery.isEmpty() && supplierGoodsIndexExists(priceDb)) {
        indexQuery_ = words.indexQuery;
        pendingAbove_ = supplierGoodsIndexPendingAbove(priceDb);
        // The span of the offers' numbers stands for their count: the ends
        // of the table's b-tree, each read at once (a count would walk it,
        // and so would min and max in one select).
        db::Statement ends = priceDb.prepare(QStringLiteral(
            "SELECT (SELECT min(Number) FROM AllTovarPostav), (SELECT max(Number) FROM AllTovarPostav)"));
        const qint64 first = ends.step() ? ends.integer(0) : 0;
        const qint64 last = ends.integer(1);
        rows_ = last > 0 ? last - first + 1 : 0;
        // Sorting the candidates costs about what walking a hundred times as
        // many rows of the sort order does, so walking pays once the
        // candidates pass about one row in a hundred.
        const qint64 dense = rows_ / kDenseShare;
        // Every offer waiting for the index is a candidate.
        const qint64 waiting = pendingAbove_ ? std::max<qint64>(last - *pendingAbove_, 0) : 0;
        // Few candidates are read and sorted; with many, the sort order is
        // walked for the rarest trigram's.
        if (dense >= 200 && sortOrderIndexed(priceDb, sortExpr_)
            && (waiting >= dense || candidateCount(priceDb, indexQuery_, dense) >= dense)) {
            const RareTrigram rare = rarestTrigram(priceDb, words.indexTrigrams, dense, first, last);
            rareTrigram_ = rare.query;
            rareIndexed_ = rare.candidates;
            rareCandidates_ = rare.candidates + waiting;
            windowed_ = !rareTrigram_.isEmpty();
        }
    }

    head_ = QStringLiteral("SELECT AllTovarPostav.*, AllTovarValuta.Price AS PricePostav, "
                           "AllTovarValuta.Pricemax AS PriceMaxPostav, AllTovarValuta.Valuta AS ValutaPostav");
    if (options.brendPriory)
        head_ += QStringLiteral(", BrendPriory.BrendName AS BrendPriory");
    head_ += QStringLiteral(", %1 AS %2").arg(sortExpr_, kKeyColumn);

    from_ = kValutaJoin;
    if (options.brendPriory)
        from_ += QStringLiteral(" LEFT OUTER JOIN BrendPriory ON (BrendPriory.BrendName=AllTovarPostav.TextNoName)");

    where_ = QStringLiteral("(") + words.sql + QStringLiteral(")");
    wholeResultWhere_ = where_;
    if (suppliers_.isEmpty()) {
        where_ += QStringLiteral(" AND (AllTovarPostav.Number < 0)");
        wholeResultWhere_ = where_;
    } else {
        QStringList params;
        for (int i = 1; i <= suppliers_.size(); ++i)
            params << QStringLiteral(":s%1").arg(i);
        // "+" keeps a supplier index from being walked in place of the order.
        where_ += QStringLiteral(" AND (+AllTovarPostav.Postavshik IN (%1))").arg(params.join(u','));
        wholeResultWhere_ += QStringLiteral(" AND (AllTovarPostav.Postavshik IN (%1))").arg(params.join(u','));
    }

    db::Statement probe = db_->prepare(sql(std::nullopt, true, usesIndex() ? Source::Trigram : Source::Table));
    for (int i = 0; i < probe.columnCount(); ++i)
        columns_ << probe.columnName(i);
    keyColumn_ = columns_.lastIndexOf(kKeyColumn);
    numberColumn_ = columns_.indexOf(QStringLiteral("Number"));
    if (numberColumn_ < 0)
        throw db::DbError(QStringLiteral("AllTovarPostav has no Number column"));
}

QString GoodsQuery::keysetCondition(const std::optional<RowKey>& after) const
{
    if (!after)
        return QString();
    const QString& s = sortExpr_;
    const QString n = QStringLiteral("AllTovarPostav.Number");
    // The engine sorts NULL first ascending and last descending.
    if (after->sortValue.isNull()) {
        return descending_ ? QStringLiteral(" AND (%1 IS NULL AND %2 > :kn)").arg(s, n)
                           : QStringLiteral(" AND (%1 IS NOT NULL OR %2 > :kn)").arg(s, n);
    }
    if (!descending_) {
        // The redundant bound lets the engine start its walk at the key.
        return QStringLiteral(" AND %1 >= :kv AND (%1 > :kv OR %2 > :kn)").arg(s, n);
    }
    return QStringLiteral(" AND (%1 < :kv OR %1 IS NULL OR (%1 = :kv AND %2 > :kn))").arg(s, n);
}

QString GoodsQuery::sql(const std::optional<RowKey>& after, bool limited, Source source, const Shape* shape) const
{
    const QString& head = shape ? shape->head : head_;
    const QString& joins = shape ? shape->joins : from_;
    const QString sortOrder = QStringLiteral(" ORDER BY ") + sortExpr_
        + (descending_ ? QStringLiteral(" DESC") : QString()) + QStringLiteral(", AllTovarPostav.Number");
    const QString order = (shape && !shape->ordered) ? QString() : sortOrder;
    const QString fts = QString::fromLatin1(kGoodsTextIndex);
    QString from;
    QString where = shape ? shape->where : where_;
    switch (source) {
    case Source::Table:
        from = QStringLiteral("AllTovarPostav");
        where += keysetCondition(after);
        break;
    case Source::Trigram:
        // The candidates come first and are then tested in full; CROSS JOIN
        // keeps the engine from walking the whole table instead.
        if (pendingAbove_) {
            // The index answers for the offers up to its watermark; those
            // above are not in it yet and are all candidates.
            from = QStringLiteral("(SELECT rowid AS CandidateNumber FROM %1 WHERE %1 MATCH :fts AND rowid <= :pending "
                                  "UNION ALL SELECT Number FROM AllTovarPostav WHERE Number > :pending) AS Candidates "
                                  "CROSS JOIN AllTovarPostav ON (AllTovarPostav.Number=Candidates.CandidateNumber)")
                       .arg(fts);
            where += keysetCondition(after);
            break;
        }
        from = QStringLiteral("%1 CROSS JOIN AllTovarPostav ON (AllTovarPostav.Number=%1.rowid)").arg(fts);
        where += QStringLiteral(" AND %1 MATCH :fts").arg(fts) + keysetCondition(after);
        break;
    case Source::Window:
    case Source::CandidateWindow: {
        // The next rows of the sort order, read from its index alone; with
        // candidates, only the rows the rarest trigram's list holds (or that
        // wait for the index) are taken. The engine tests the list before
        // it reads a row, and "+" keeps it from looking the list's rows up
        // and sorting them in place of the walk.
        QString candidates = QStringLiteral("1");
        if (source == Source::CandidateWindow) {
            candidates = QStringLiteral("(+AllTovarPostav.Number IN (SELECT rowid FROM %1 WHERE %1 MATCH :rare)%2)")
                             .arg(fts, pendingAbove_ ? QStringLiteral(" OR AllTovarPostav.Number > :pending") : QString());
        }
        from = QStringLiteral("(SELECT AllTovarPostav.Number AS WindowNumber FROM AllTovarPostav WHERE %1%2%3 LIMIT :window) "
                              "AS SortWindow CROSS JOIN AllTovarPostav ON (AllTovarPostav.Number=SortWindow.WindowNumber)")
                   .arg(candidates, keysetCondition(after), sortOrder);
        break;
    }
    }
    const QString limit = limited ? QStringLiteral(" LIMIT :limit") : QString();
    if (source == Source::Table)
        return head + QStringLiteral(" FROM ") + from + joins + QStringLiteral(" WHERE ") + where + order + limit;
    // The chunk's offers are picked first and only they are joined to their
    // currency rows and read whole.
    const bool sortNeedsValuta = sortExpr_.startsWith(QStringLiteral("AllTovarValuta."));
    const QString picked = QStringLiteral("SELECT AllTovarPostav.Number AS PickedNumber FROM ") + from
        + (sortNeedsValuta ? kValutaJoin : QString()) + QStringLiteral(" WHERE ") + where + order + limit;
    return head + QStringLiteral(" FROM (") + picked
        + QStringLiteral(") AS Picked CROSS JOIN AllTovarPostav ON (AllTovarPostav.Number=Picked.PickedNumber)") + joins
        + order;
}

QString GoodsQuery::statementText() const
{
    return sql(std::nullopt, false, usesIndex() ? Source::Trigram : Source::Table);
}

void GoodsQuery::bindCommon(db::Statement& statement) const
{
    for (int i = 0; i < patterns_.size(); ++i)
        statement.bind(QStringLiteral(":w%1").arg(i + 1), patterns_.at(i));
    for (int i = 0; i < suppliers_.size(); ++i)
        statement.bind(QStringLiteral(":s%1").arg(i + 1), suppliers_.at(i));
    if (!indexQuery_.isEmpty() && statement.hasParameter(QStringLiteral(":fts")))
        statement.bind(QStringLiteral(":fts"), indexQuery_);
    if (!rareTrigram_.isEmpty() && statement.hasParameter(QStringLiteral(":rare")))
        statement.bind(QStringLiteral(":rare"), rareTrigram_);
    if (pendingAbove_ && statement.hasParameter(QStringLiteral(":pending")))
        statement.bind(QStringLiteral(":pending"), *pendingAbove_);
}

GoodsChunk GoodsQuery::fetch(const std::optional<RowKey>& after, int limit) const
{
    if (!usesIndex()) {
        ++counts_.table;
        return run(after, limit, Source::Table);
    }
    if (windowed_) {
        // Every match in a window sorts before every match beyond it, so a
        // full chunk from a window is the chunk.
        if (rareCandidates_ * kPlainWindowShare >= rows_) {
            GoodsChunk chunk = run(after, limit, Source::Window, qint64(limit) * kWindowRowsPerRow);
            if (chunk.rows.size() >= limit) {
                ++counts_.window;
                return chunk;
            }
        }
        // The list of the index's candidates costs about as much to build as
        // reading one in fifty of them, so the first window takes twice
        // that many, and at least enough to fill the chunk when most
        // candidates match.
        const qint64 first = std::max<qint64>(qint64(limit) * 3 / 2, rareIndexed_ / 25);
        GoodsChunk chunk = run(after, limit, Source::CandidateWindow, first);
        if (chunk.rows.size() >= limit) {
            ++counts_.candidates;
            return chunk;
        }
        // A wider window sized by the share that matched, when reading its
        // candidates and stepping over the index rows between them costs
        // well below reading every candidate.
        const qint64 matched = std::max<qint64>(chunk.rows.size(), 1);
        const qint64 wider = first * limit * 3 / (2 * matched);
        const qint64 cost = wider + wider * rows_ / std::max<qint64>(rareCandidates_, 1) / kRowReadsPerIndexStep;
        if (cost * 2 < rareCandidates_) {
            chunk = run(after, limit, Source::CandidateWindow, wider);
            if (chunk.rows.size() >= limit) {
                ++counts_.candidates;
                return chunk;
            }
        }
    }
    ++counts_.trigram;
    return run(after, limit, Source::Trigram);
}

void GoodsQuery::forEachRow(const QStringList& fields, const std::function<bool(const db::Statement& row)>& visit) const
{
    // Only the fields asked for, and the currency rows only when a field
    // or the order needs them: the rows are sorted whole.
    Shape shape;
    shape.where = wholeResultWhere_;
    bool valuta = sortExpr_.startsWith(QStringLiteral("AllTovarValuta."));
    QStringList select;
    for (const QString& field : fields) {
        const QString expression = sortExpression(field);
        valuta = valuta || expression.startsWith(QStringLiteral("AllTovarValuta."));
        select << (expression.isEmpty() ? QStringLiteral("NULL") : expression) + QStringLiteral(" AS \"%1\"")
                                                                                     .arg(QString(field).remove(u'"'));
    }
    shape.head = QStringLiteral("SELECT ") + (select.isEmpty() ? QStringLiteral("NULL") : select.join(QStringLiteral(", ")));
    if (valuta)
        shape.joins = kValutaJoin;
    db::Statement statement =
        db_->prepare(sql(std::nullopt, false, usesIndex() ? Source::Trigram : Source::Table, &shape));
    bindCommon(statement);
    while (statement.step())
        if (!visit(statement))
            return;
}

qint64 GoodsQuery::count(const db::Connection& on, qint64 cap) const
{
    // The offers alone, unsorted, up to the cap: a count of the rows the
    // grid would list, without their fields.
    Shape shape;
    shape.head = QStringLiteral("SELECT AllTovarPostav.Number");
    shape.where = wholeResultWhere_;
    shape.ordered = false;
    const QString rows = sql(std::nullopt, false, usesIndex() ? Source::Trigram : Source::Table, &shape);
    db::Statement statement =
        on.prepare(QStringLiteral("SELECT COUNT(*) FROM (") + rows + QStringLiteral(" LIMIT :cap)"));
    bindCommon(statement);
    statement.bind(QStringLiteral(":cap"), cap);
    return statement.step() ? statement.value(0).toLongLong() : 0;
}

GoodsChunk GoodsQuery::run(const std::optional<RowKey>& after, int limit, Source source, qint64 window) const
{
    db::Statement statement = db_->prepare(sql(after, true, source));
    bindCommon(statement);
    if (after) {
        if (statement.hasParameter(QStringLiteral(":kv")))
            statement.bind(QStringLiteral(":kv"), after->sortValue);
        statement.bind(QStringLiteral(":kn"), after->number);
    }
    if (source == Source::Window || source == Source::CandidateWindow)
        statement.bind(QStringLiteral(":window"), window);
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
    const QString& where = where_;
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
