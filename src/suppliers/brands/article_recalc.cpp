#include "suppliers/brands/article_recalc.h"

#include "platform/db/db_error.h"
#include "platform/db/text_functions.h"
#include "storage/goods_search_index.h"

#include <QByteArray>
#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>

#include <sqlite3.h>

#include <atomic>
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace velmora::brands {
namespace {

// What an offer's Description becomes.
struct Description {
    bool isNull = false; // NULL: the offer has no key
    QString text;
};
const Description kNoDescription{true, {}};

struct DescriptionChange {
    qint64 number;
    Description description;
};

// The Description an offer's article gives; none keeps the offer as it is.
// `article` is none for an offer without one.
using DescriptionOf = std::function<std::optional<Description>(const std::optional<QString>& article)>;

// Reads every offer and gathers those whose Description differs from what
// `describe` gives for its article.
std::vector<DescriptionChange> changedDescriptions(db::Connection& priceDb, const DescriptionOf& describe)
{
    std::vector<DescriptionChange> changes;
    db::Statement offers = priceDb.prepare(QStringLiteral("SELECT Number, Art, Description FROM AllTovarPostav"));
    while (offers.step()) {
        const std::optional<QString> article =
            offers.isNull(1) ? std::nullopt : std::optional<QString>(offers.text(1));
        const std::optional<Description> wanted = describe(article);
        if (!wanted)
            continue;
        const bool hadNone = offers.isNull(2);
        if (hadNone == wanted->isNull && (hadNone || offers.text(2) == wanted->text))
            continue;
        changes.push_back({offers.integer(0), *wanted});
    }
    return changes;
}

// Writes the changes by offer number inside the caller's transaction; the
// search index follows (rebuilt in one pass when most offers change).
void writeDescriptions(db::Connection& priceDb, const std::vector<DescriptionChange>& changes,
                       const PercentProgress& progress)
{
    SupplierGoodsBulkUpdate searchIndex(priceDb, qint64(changes.size()));
    db::Statement update = priceDb.prepare(QStringLiteral("UPDATE AllTovarPostav SET Description = ?2 WHERE Number = ?1"));
    int shown = -1;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        update.bindInt(1, changes[i].number);
        if (changes[i].description.isNull)
            update.bindNull(2);
        else
            update.bindText(2, changes[i].description.text);
        update.execute();
        update.reset();
        const int percent = int((i + 1) * 100 / changes.size());
        if (progress && percent != shown) {
            shown = percent;
            progress(percent);
        }
    }
    searchIndex.finish();
}

// The name the recalculation's statements call the normalisation by.
constexpr char kNormalisedArticle[] = "velmora_normalised_article";

// velmora_normalised_article(Art) on one connection while it lives: the
// normalisation of `steps` as an SQL function, so that the conversions and
// the Descriptions are each written by statements over all offers in the
// engine, with no round trip per offer. NULL gives NULL. The result for the
// article of the call before is kept, as the update asks for each offer's
// twice running (to compare, then to store).
class NormalisedArticleFunction {
public:
    NormalisedArticleFunction(db::Connection& connection, const ArticleSwitches& steps)
        : connection_(connection), steps_(steps)
    {
        define(this, &NormalisedArticleFunction::call);
    }
    NormalisedArticleFunction(const NormalisedArticleFunction&) = delete;
    NormalisedArticleFunction& operator=(const NormalisedArticleFunction&) = delete;
    ~NormalisedArticleFunction() { define(nullptr, nullptr); }

private:
    using Call = void (*)(sqlite3_context*, int, sqlite3_value**);

    void define(void* self, Call call)
    {
        const int rc = sqlite3_create_function_v2(connection_.handle(), kNormalisedArticle, 1,
                                                  SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_DIRECTONLY, self, call,
                                                  nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK && call)
            throw db::DbError(QString::fromUtf8(sqlite3_errstr(rc)), rc);
    }

    static void call(sqlite3_context* context, int, sqlite3_value** arguments)
    {
        auto* self = static_cast<NormalisedArticleFunction*>(sqlite3_user_data(context));
        if (sqlite3_value_type(arguments[0]) == SQLITE_NULL) {
            sqlite3_result_null(context);
            return;
        }
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(arguments[0]));
        const std::string_view article(bytes ? bytes : "", std::size_t(sqlite3_value_bytes(arguments[0])));
        try {
            if (article != self->lastArticle_) {
                self->lastArticle_.assign(article);
                self->normalise(article);
            }
        } catch (const std::bad_alloc&) {
            self->lastArticle_.clear();
            sqlite3_result_error_nomem(context);
            return;
        }
        sqlite3_result_text(context, self->normalised_.constData(), int(self->normalisedSize_), SQLITE_TRANSIENT);
    }

    // As NormaliseArticle, in buffers kept from call to call: a million
    // offers' articles would otherwise each allocate several texts.
    void normalise(std::string_view article)
    {
        text_.resize(qsizetype(article.size())); // UTF-8 never has fewer bytes than UTF-16 units
        QChar* end = decoder_.appendToBuffer(text_.data(), QByteArrayView(article.data(), qsizetype(article.size())));
        text_.truncate(end - text_.constData());
        NormaliseArticleInPlace(text_, steps_);
        normalised_.resize(text_.size() * 3);
        char* last = encoder_.appendToBuffer(normalised_.data(), text_);
        normalisedSize_ = last - normalised_.constData();
    }

    db::Connection& connection_;
    const ArticleSwitches steps_;
    // As QString::fromUtf8 and toUtf8 convert: a leading byte order mark is
    // a character of the article.
    QStringDecoder decoder_{QStringConverter::Utf8,
                            QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom};
    QStringEncoder encoder_{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
    std::string lastArticle_;
    QString text_;
    QByteArray normalised_;
    qsizetype normalisedSize_ = 0;
};

// The statement giving the conversions of kind 0: one per distinct article
// exactly as written, with its normalised form.
QString conversionsQuery()
{
    return QStringLiteral("SELECT Art, %1(Art) FROM (SELECT DISTINCT Art COLLATE BINARY AS Art FROM AllTovarPostav "
                          "WHERE Art IS NOT NULL)")
        .arg(QLatin1String(kNormalisedArticle));
}

// Empties the conversions of kind 0. Without rows of other kinds the table
// is emptied at once (a delete row by row costs about as much as the
// insert).
void deleteConversions(db::Connection& priceDb)
{
    const bool otherKinds =
        priceDb.scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM ArtOldtoNew WHERE TypeArt IS NOT 0)")).toBool();
    priceDb.exec(otherKinds ? QStringLiteral("DELETE FROM ArtOldtoNew WHERE TypeArt = 0")
                            : QStringLiteral("DELETE FROM ArtOldtoNew"));
}

// The conversions of kind 0 read, normalised and inserted in one statement
// (velmora_normalised_article defined on the connection).
void insertConversions(db::Connection& priceDb)
{
    priceDb.exec(QStringLiteral("INSERT INTO ArtOldtoNew (ArtOld, ArtNew, TypeArt) SELECT *, 0 FROM (%1)")
                     .arg(conversionsQuery()));
}

// The conversions read and normalised on a thread and a read-only
// connection of their own while the writer rewrites the Descriptions: the
// recalculation never changes Art, so the state before its writes holds the
// same articles. Started once the writer's transaction holds the write
// lock, so that no other commit comes between the two. Only for a database
// in WAL mode, where a reader neither waits for the writer nor holds it up.
class ConversionsReader {
public:
    ConversionsReader(const QString& path, const ArticleSwitches& steps) : path_(path), steps_(steps)
    {
        thread_ = std::thread([this] { read(); });
    }
    ConversionsReader(const ConversionsReader&) = delete;
    ConversionsReader& operator=(const ConversionsReader&) = delete;
    ~ConversionsReader()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }

    // True when the database's readers work beside its writer.
    static bool worksBeside(const db::Connection& priceDb)
    {
        const QString path = priceDb.path();
        return !path.isEmpty() && path != QLatin1String(":memory:") &&
            priceDb.scalar(QStringLiteral("PRAGMA journal_mode")).toString().compare(QLatin1String("wal"),
                                                                                     Qt::CaseInsensitive) == 0;
    }

    // Waits for the reader and inserts what it read, in its order, inside
    // the caller's transaction (again when called again: the rows are
    // kept). Should the reader have failed, the writer reads them itself.
    void insertInto(db::Connection& priceDb)
    {
        if (thread_.joinable())
            thread_.join();
        if (failed_) {
            insertConversions(priceDb);
            return;
        }
        if (rows_.empty())
            return;
        // One statement over the rows by their place: a statement run per
        // row costs more than the insert itself.
        const RowsFunction rows(priceDb, this);
        db::Statement insert = priceDb.prepare(
            QStringLiteral("WITH RECURSIVE place(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM place WHERE i < ?1) "
                           "INSERT INTO ArtOldtoNew (ArtOld, ArtNew, TypeArt) "
                           "SELECT %1(i, 0), %1(i, 1), 0 FROM place")
                .arg(QLatin1String(kConversionRow)));
        insert.bindInt(1, qint64(rows_.size()) - 1);
        insert.execute();
    }

private:
    // An article and its normalised form, one after the other in text_.
    struct Row {
        std::size_t at;
        std::uint32_t oldSize;
        std::uint32_t newSize;
    };

    static constexpr char kConversionRow[] = "velmora_conversion_row";

    // velmora_conversion_row(i, 0) is row i's article, (i, 1) its
    // normalised form, while it lives.
    class RowsFunction {
    public:
        RowsFunction(db::Connection& connection, ConversionsReader* reader) : connection_(connection)
        {
            const int rc = sqlite3_create_function_v2(connection_.handle(), kConversionRow, 2,
                                                      SQLITE_UTF8 | SQLITE_DIRECTONLY,
                                                      reader, &call, nullptr, nullptr, nullptr);
            if (rc != SQLITE_OK)
                throw db::DbError(QString::fromUtf8(sqlite3_errstr(rc)), rc);
        }
        RowsFunction(const RowsFunction&) = delete;
        RowsFunction& operator=(const RowsFunction&) = delete;
        ~RowsFunction()
        {
            sqlite3_create_function_v2(connection_.handle(), kConversionRow, 2, SQLITE_UTF8, nullptr, nullptr,
                                       nullptr, nullptr, nullptr);
        }

    private:
        static void call(sqlite3_context* context, int, sqlite3_value** arguments)
        {
            const auto* self = static_cast<const ConversionsReader*>(sqlite3_user_data(context));
            const sqlite3_int64 i = sqlite3_value_int64(arguments[0]);
            if (i < 0 || std::size_t(i) >= self->rows_.size()) {
                sqlite3_result_null(context);
                return;
            }
            const Row& row = self->rows_[std::size_t(i)];
            if (sqlite3_value_int(arguments[1]) == 0)
                sqlite3_result_text(context, self->text_.data() + row.at, int(row.oldSize), SQLITE_STATIC);
            else
                sqlite3_result_text(context, self->text_.data() + row.at + row.oldSize, int(row.newSize),
                                    SQLITE_STATIC);
        }

        db::Connection& connection_;
    };

    void read() noexcept
    {
        try {
            db::Connection reader(path_, db::OpenMode::ReadOnly);
            const NormalisedArticleFunction normalised(reader, steps_);
            db::Statement conversions = reader.prepare(conversionsQuery());
            while (!stop_ && conversions.step()) {
                const std::string_view old = conversions.utf8(0);
                const std::string_view fresh = conversions.utf8(1);
                rows_.push_back({text_.size(), std::uint32_t(old.size()), std::uint32_t(fresh.size())});
                text_.append(old).append(fresh);
            }
        } catch (...) {
            failed_ = true;
        }
    }

    const QString path_;
    const ArticleSwitches steps_;
    std::atomic<bool> stop_{false};
    std::string text_;
    std::vector<Row> rows_;
    bool failed_ = false;
    std::thread thread_;
};

// The connection's page cache raised to `kibibytes` while it lives: the
// rewrite of every offer dirties the whole table, and pages spilled to the
// log one at a time in the middle of it cost more than the memory.
class CacheSizeAtLeast {
public:
    CacheSizeAtLeast(db::Connection& connection, qint64 kibibytes)
        : connection_(connection), previous_(connection.scalar(QStringLiteral("PRAGMA cache_size")).toLongLong())
    {
        // Negative sizes are in KiB, positive ones in pages.
        const qint64 pageSize = connection.scalar(QStringLiteral("PRAGMA page_size")).toLongLong();
        const qint64 previousKib = previous_ < 0 ? -previous_ : previous_ * pageSize / 1024;
        if (previousKib < kibibytes)
            connection_.exec(QStringLiteral("PRAGMA cache_size=%1").arg(-kibibytes));
    }
    CacheSizeAtLeast(const CacheSizeAtLeast&) = delete;
    CacheSizeAtLeast& operator=(const CacheSizeAtLeast&) = delete;
    ~CacheSizeAtLeast()
    {
        try {
            connection_.exec(QStringLiteral("PRAGMA cache_size=%1").arg(previous_));
        } catch (...) {
        }
    }

private:
    db::Connection& connection_;
    const qint64 previous_;
};

// Every offer whose Description is not its normalised article (compared
// exactly) takes it, in one statement per hundredth of the offers (by
// Number) for the progress. Returns the offers changed.
qint64 describeByArticles(db::Connection& priceDb, const PercentProgress& progress)
{
    constexpr int kSlices = 100;
    const QVariant lowest = priceDb.scalar(QStringLiteral("SELECT min(Number) FROM AllTovarPostav"));
    const qint64 first = lowest.toLongLong();
    const qint64 span = lowest.isNull()
        ? 0
        : priceDb.scalar(QStringLiteral("SELECT max(Number) FROM AllTovarPostav")).toLongLong() - first + 1;
    db::Statement update = priceDb.prepare(
        QStringLiteral("UPDATE AllTovarPostav SET Description = %1(Art) WHERE Number BETWEEN ?1 AND ?2 "
                       "AND Description IS NOT %1(Art) COLLATE BINARY")
            .arg(QLatin1String(kNormalisedArticle)));
    qint64 changed = 0;
    for (int slice = 0; slice < kSlices; ++slice) {
        const qint64 from = first + span * slice / kSlices;
        const qint64 to = first + span * (slice + 1) / kSlices - 1;
        if (to >= from) {
            update.bindInt(1, from).bindInt(2, to);
            update.execute();
            update.reset();
            changed += priceDb.changes();
        }
        if (progress)
            progress((slice + 1) * 100 / kSlices);
    }
    return changed;
}

} // namespace

QString ArticleRecalcStatusText(int percent)
{
    return QStringLiteral("Обработка:  - преобразование артикулов.    Выполнено:  ") + QString::number(percent) +
           QStringLiteral("%");
}

int RecalculateArticles(db::Connection& priceDb, const ArticleSwitches& steps, const PercentProgress& progress,
                        db::BackgroundCheckpoint* checkpoint)
{
    qint64 changed = 0;
    {
        std::optional<db::AutoCheckpointPause> paused;
        if (checkpoint)
            paused.emplace(priceDb);
        const CacheSizeAtLeast cache(priceDb, 256 * 1024);
        db::Transaction transaction(priceDb);
        const NormalisedArticleFunction normalised(priceDb, steps);
        deleteConversions(priceDb);
        std::optional<ConversionsReader> conversions;
        if (ConversionsReader::worksBeside(priceDb)) {
            try {
                conversions.emplace(priceDb.path(), steps);
            } catch (const std::system_error&) {
                // No thread to be had: the statement below reads them.
            }
        }
        if (!conversions)
            insertConversions(priceDb);
        // The conversions go in before the search index is rebuilt, while
        // the page cache still has room for them; when the Descriptions are
        // written again (few changed), so are they.
        changed = rewriteSupplierGoods(priceDb, [&] {
            const qint64 described = describeByArticles(priceDb, progress);
            if (conversions)
                conversions->insertInto(priceDb);
            return described;
        });
        transaction.commit();
    }
    if (checkpoint)
        checkpoint->start(priceDb.path());
    return int(changed);
}

int ApplyArticleConversions(db::Connection& priceDb, bool convertOnLoad)
{
    db::Transaction transaction(priceDb);
    // Switched off: the article itself, NULL for none.
    DescriptionOf describe = [](const std::optional<QString>& article) -> std::optional<Description> {
        return article ? Description{false, *article} : kNoDescription;
    };
    QHash<QString, QString> exact;
    QHash<QString, QString> folded;
    if (convertOnLoad) {
        db::Statement stored =
            priceDb.prepare(QStringLiteral("SELECT ArtOld, ArtNew FROM ArtOldtoNew WHERE TypeArt = 0 ORDER BY rowid"));
        while (stored.step()) {
            if (stored.isNull(0))
                continue;
            exact.insert(stored.text(0), stored.text(1));
            folded.insert(db::foldCase(stored.text(0)), stored.text(1));
        }
        // Offers without an article or a stored conversion stay as they are.
        describe = [&](const std::optional<QString>& article) -> std::optional<Description> {
            if (!article)
                return std::nullopt;
            if (auto it = exact.constFind(*article); it != exact.constEnd())
                return Description{false, *it};
            if (auto it = folded.constFind(db::foldCase(*article)); it != folded.constEnd())
                return Description{false, *it};
            return std::nullopt;
        };
    }
    const std::vector<DescriptionChange> changes = changedDescriptions(priceDb, describe);
    writeDescriptions(priceDb, changes, {});
    transaction.commit();
    return int(changes.size());
}

} // namespace velmora::brands
