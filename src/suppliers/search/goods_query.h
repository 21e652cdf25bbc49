#pragma once

#include "search_conditions.h"

#include "platform/db/connection.h"

#include <QVariant>
#include <QVector>

#include <functional>
#include <optional>

namespace velmora::search {

// A sort on one grid field ("PriceOut", "PricePostav", "Opisanie" ...).
struct SortOrder {
    QString field;
    bool descending = false;
};

// The memory map through which the search's connection reads the price
// database (db::Connection::setMappedReads): a search reads its candidate
// rows all over the offers' table. The engine caps it near 2 GiB.
inline constexpr qint64 kSearchMappedReadBytes = qint64(1) << 31;

enum class IndexUse {
    Auto,   // the trigram index serves the words it can, when it exists
    Never,  // the plain statement, every row tested
};

struct SearchOptions {
    SearchField field = SearchField::Name;
    std::optional<SortOrder> sort;  // none: by PriceOut
    bool brendPriory = false;       // joins BrendPriory for its column
    IndexUse index = IndexUse::Auto;
};

// Where a chunk starts: after the row with this sort value and Number.
struct RowKey {
    QVariant sortValue;
    qint64 number = 0;
};

using GoodsRow = QVector<QVariant>;

struct GoodsChunk {
    QVector<GoodsRow> rows;
    bool atEnd = false;  // fewer rows than asked for: the result ends here
};

// The SQL expression a grid field sorts by; empty for a field the grid
// does not have.
QString sortExpression(const QString& gridField);

// One search's statement. It holds no engine statement between calls: each
// chunk is a fresh statement that starts after the key of the previous
// chunk's last row, in the order of the sort field and then Number.
class GoodsQuery {
public:
    // Throws DbError when the statement does not compile.
    GoodsQuery(const db::Connection& priceDb, const WordConditions& words,
               const QStringList& visibleSuppliers, const SearchOptions& options);

    // Field names of a row, as the statement gives them.
    const QStringList& columns() const { return columns_; }
    int columnIndex(const QString& field) const { return columns_.indexOf(field); }

    GoodsChunk fetch(const std::optional<RowKey>& after, int limit) const;
    // The whole result in the same order, by one statement stepped through
    // once, for a reader of every row such as an export: each row holds the
    // grid fields `fields` in their order (a field the grid does not have
    // reads NULL) and is handed to `visit` (false stops). The engine is
    // free to pick the rows by their suppliers first and sort them, which
    // beats walking the sort order when the suppliers shown hold few of the
    // offers. Throws DbError.
    void forEachRow(const QStringList& fields, const std::function<bool(const db::Statement& row)>& visit) const;
    // How many offers the result holds, counted on `on` (a connection to
    // the same database, so that a worker thread can count while the grid
    // reads), at most `cap`. Throws DbError.
    qint64 count(const db::Connection& on, qint64 cap) const;
    RowKey keyOf(const GoodsRow& row) const;
    // True when the offer with this Number is among the rows.
    bool contains(qint64 number) const;

    // True when the trigram index gives the candidate rows.
    bool usesIndex() const { return !indexQuery_.isEmpty(); }

    // Candidates (one row in this many) from which the sort order is walked
    // rather than all candidates sorted.
    static constexpr int kDenseShare = 100;
    // When the text's rarest trigram is in one row of this many or more, a
    // chunk is first looked for among this many rows per chunk row at the
    // top of the sort order, every row tested: a word that most rows hold
    // is found there at once.
    static constexpr int kWindowRowsPerRow = 20;
    static constexpr int kPlainWindowShare = 4;
    // Otherwise the sort order's index is walked and only the rarest
    // trigram's candidates among its rows are read and tested. Stepping
    // over a row of the index costs about this fraction of reading a row.
    static constexpr int kRowReadsPerIndexStep = 15;
    QString statementText() const;

    // Chunks read so far, by where their rows came from.
    struct FetchCounts {
        int table = 0;
        int trigram = 0;
        int window = 0;     // served by a window of the sort order, every row tested
        int candidates = 0; // served by the rarest trigram's candidates in the sort order
    };
    FetchCounts fetchCounts() const { return counts_; }

private:
    enum class Source { Table, Trigram, Window, CandidateWindow };
    // What a statement reads: its select list, the joins after the offers
    // and its condition; the grid's unless given.
    struct Shape {
        QString head;
        QString joins;
        QString where;
        bool ordered = true;
    };
    QString sql(const std::optional<RowKey>& after, bool limited, Source source, const Shape* shape = nullptr) const;
    QString keysetCondition(const std::optional<RowKey>& after) const;
    GoodsChunk run(const std::optional<RowKey>& after, int limit, Source source, qint64 window = 0) const;
    void bindCommon(db::Statement& statement) const;

    const db::Connection* db_;
    QString head_;
    QString from_;
    QString where_;
    QString wholeResultWhere_; // where_ without the hint that keeps the sort order walked
    QString indexQuery_;
    QStringList patterns_;
    QStringList suppliers_;
    QString sortExpr_;
    bool descending_ = false;
    bool windowed_ = false;  // the sort order has an index to walk, and the candidates are many
    // The text's rarest trigram as a full-text query, and how many offers
    // hold it by the index's estimate (those waiting for the index counted
    // in).
    QString rareTrigram_;
    qint64 rareCandidates_ = 0;
    qint64 rareIndexed_ = 0; // of those, the ones in the index
    qint64 rows_ = 0;
    // The index's watermark when set: the offers above it are candidates
    // all, tested on the rows.
    std::optional<qint64> pendingAbove_;
    mutable FetchCounts counts_;
    QStringList columns_;
    int keyColumn_ = -1;
    int numberColumn_ = -1;
};

} // namespace velmora::search
