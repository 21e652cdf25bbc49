#include "suppliers/brands/article_recalc.h"

#include "platform/db/db_error.h"
#include "platform/db/pragma_override.h"
#include "platform/db/text_functions.h"
#include "storage/goods_search_index.h"

#include <QByteArray>
#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
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

public:
    // The function's result for `article` into `context`.
    void answer(sqlite3_context* context, sqlite3_value* article)
    {
        if (sqlite3_value_type(article) == SQLITE_NULL) {
            sqlite3_result_null(context);
            return;
        }
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(article));
        const std::string_view text(bytes ? bytes : "", std::size_t(sqlite3_value_bytes(article)));
        try {
            if (text != lastArticle_) {
                lastArticle_.assign(text);
                normalise(text);
            }
        } catch (const std::bad_alloc&) {
            lastArticle_.clear();
            sqlite3_result_error_nomem(context);
            return;
        }
        sqlite3_result_text(context, normalised_.constData(), int(normalisedSize_), SQLITE_TRANSIENT);
    }

private:
    static void call(sqlite3_context* context, int, sqlite3_value** arguments)
    {
        static_cast<NormalisedArticleFunction*>(sqlite3_user_data(context))->answer(context, arguments[0]);
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

// The name the Description update calls the prepared articles by.
constexpr char kPreparedArticle[] = "velmora_prepared_article";

// Every offer's normalised article read and made on a thread and a
// read-only connection of their own, in Number order, while the writer
// updates the Descriptions in the same order: the writer's
// velmora_prepared_article(Number, Art) takes each offer's from there
// (waiting for the reader to get that far), so the normalisation runs
// beside the update instead of inside it. An offer the reader has not got
// (it failed, say) is normalised on the spot. The same conditions as for
// ConversionsReader.
class PreparedArticles {
public:
    PreparedArticles(db::Connection& writer, NormalisedArticleFunction& normalised, const ArticleSwitches& steps)
        : writer_(writer), normalised_(normalised), path_(writer.path()), steps_(steps)
    {
        thread_ = std::thread([this] { read(); });
        const int rc = sqlite3_create_function_v2(writer_.handle(), kPreparedArticle, 2,
                                                  SQLITE_UTF8 | SQLITE_DIRECTONLY, this, &call, nullptr, nullptr,
                                                  nullptr);
        if (rc != SQLITE_OK) {
            stop();
            throw db::DbError(QString::fromUtf8(sqlite3_errstr(rc)), rc);
        }
    }
    PreparedArticles(const PreparedArticles&) = delete;
    PreparedArticles& operator=(const PreparedArticles&) = delete;
    ~PreparedArticles()
    {
        sqlite3_create_function_v2(writer_.handle(), kPreparedArticle, 2, SQLITE_UTF8, nullptr, nullptr, nullptr,
                                   nullptr, nullptr);
        stop();
    }

private:
    struct Offer {
        qint64 number;
        const char* text; // null: the offer has no article
        std::uint32_t size;
    };
    static constexpr std::size_t kBlock = 1 << 20;
    static constexpr std::size_t kPublishEvery = 1024;

    void stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }

    void read() noexcept
    {
        try {
            db::Connection reader(path_, db::OpenMode::ReadOnly);
            const NormalisedArticleFunction normalised(reader, steps_);
            // The count and the offers from one state (the connection's
            // close ends the read).
            reader.exec(QStringLiteral("BEGIN"));
            const std::size_t count = std::size_t(reader.scalar(QStringLiteral("SELECT count(*) FROM AllTovarPostav")).toLongLong());
            offers_.resize(count);
            db::Statement offers = reader.prepare(
                QStringLiteral("SELECT Number, %1(Art) FROM AllTovarPostav ORDER BY Number").arg(QLatin1String(kNormalisedArticle)));
            std::size_t made = 0;
            while (!stop_ && made < count && offers.step()) {
                Offer& offer = offers_[made];
                offer.number = offers.integer(0);
                if (offers.isNull(1)) {
                    offer.text = nullptr;
                    offer.size = 0;
                } else {
                    const std::string_view text = offers.utf8(1);
                    if (blocks_.empty() || blocks_.back().size() + text.size() > blocks_.back().capacity()) {
                        blocks_.emplace_back();
                        blocks_.back().reserve(std::max(kBlock, text.size()));
                    }
                    std::string& block = blocks_.back();
                    offer.text = block.data() + block.size();
                    offer.size = std::uint32_t(text.size());
                    block.append(text);
                }
                if (++made % kPublishEvery == 0)
                    publish(made, false);
            }
            publish(made, true);
        } catch (...) {
            publish(made_.load(), true);
        }
    }

    void publish(std::size_t made, bool done)
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            made_.store(made, std::memory_order_release);
            if (done)
                done_ = true;
        }
        ready_.notify_all();
    }

    // The prepared offer numbered `number`, or null.
    const Offer* find(qint64 number)
    {
        std::size_t made = made_.load(std::memory_order_acquire);
        if (cursor_ < made && offers_[cursor_].number > number) {
            // Back to an earlier offer (the update run again).
            cursor_ = std::size_t(std::lower_bound(offers_.begin(), offers_.begin() + qsizetype(made), number,
                                                   [](const Offer& o, qint64 n) { return o.number < n; }) -
                                  offers_.begin());
        }
        for (;;) {
            while (cursor_ < made && offers_[cursor_].number < number)
                ++cursor_;
            if (cursor_ < made)
                return offers_[cursor_].number == number ? &offers_[cursor_] : nullptr;
            std::unique_lock<std::mutex> lock(mutex_);
            ready_.wait(lock, [&] { return done_ || made_.load(std::memory_order_relaxed) > cursor_; });
            made = made_.load(std::memory_order_relaxed);
            if (cursor_ >= made)
                return nullptr;
        }
    }

    static void call(sqlite3_context* context, int, sqlite3_value** arguments)
    {
        auto* self = static_cast<PreparedArticles*>(sqlite3_user_data(context));
        const Offer* offer = self->find(sqlite3_value_int64(arguments[0]));
        if (!offer)
            self->normalised_.answer(context, arguments[1]);
        else if (!offer->text)
            sqlite3_result_null(context);
        else
            sqlite3_result_text(context, offer->text, int(offer->size), SQLITE_STATIC);
    }

    db::Connection& writer_;
    NormalisedArticleFunction& normalised_;
    const QString path_;
    const ArticleSwitches steps_;
    std::atomic<bool> stop_{false};
    std::vector<Offer> offers_;
    std::deque<std::string> blocks_;
    std::atomic<std::size_t> made_{0};
    std::mutex mutex_;
    std::condition_variable ready_;
    bool done_ = false;
    std::size_t cursor_ = 0; // the writer's place
    std::thread thread_;
};

// The connection's page cache raised to `kibibytes` while it lives: the
// rewrite of every offer dirties the whole table, and pages spilled to the
// log one at a time in the middle of it cost more than the memory.
class CacheSizeAtLeast {
public:
    CacheSizeAtLeast(db::Connection& connection, qint64 kibibytes)
    {
        // Negative sizes are in KiB, positive ones in pages.
        const qint64 current = connection.scalar(QStringLiteral("PRAGMA cache_size")).toLongLong();
        const qint64 pageSize = connection.scalar(QStringLiteral("PRAGMA page_size")).toLongLong();
        const qint64 currentKib = current < 0 ? -current : current * pageSize / 1024;
        if (currentKib < kibibytes)
            raised_.emplace(connection, "cache_size", -kibibytes);
    }

private:
    std::optional<db::PragmaOverride> raised_;
};

// Every offer whose Description is not its normalised article (compared
// exactly) takes it, in one statement per hundredth of the offers (by
// Number) for the progress. Returns the offers changed.
qint64 describeByArticles(db::Connection& priceDb, const PercentProgress& progress, bool prepared)
{
    constexpr int kSlices = 100;
    const QVariant lowest = priceDb.scalar(QStringLiteral("SELECT min(Number) FROM AllTovarPostav"));
    const qint64 first = lowest.toLongLong();
    const qint64 span = lowest.isNull()
        ? 0
        : priceDb.scalar(QStringLiteral("SELECT max(Number) FROM AllTovarPostav")).toLongLong() - first + 1;
    db::Statement update = priceDb.prepare(
        QStringLiteral("UPDATE AllTovarPostav SET Description = %1 WHERE Number BETWEEN ?1 AND ?2 "
                       "AND Description IS NOT %1 COLLATE BINARY")
            .arg(prepared ? QLatin1String(kPreparedArticle) + QLatin1String("(Number, Art)")
                          : QLatin1String(kNormalisedArticle) + QLatin1String("(Art)")));
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
        // Room for the pages the rewrite of a million offers dirties (the
        // table, the search index and the conversions), so that fewer are
        // spilled to the log one at a time before the commit.
        const CacheSizeAtLeast cache(priceDb, 512 * 1024);
        db::Transaction transaction(priceDb);
        NormalisedArticleFunction normalised(priceDb, steps);
        deleteConversions(priceDb);
        std::optional<ConversionsReader> conversions;
        std::optional<PreparedArticles> prepared;
        if (ConversionsReader::worksBeside(priceDb)) {
            try {
                conversions.emplace(priceDb.path(), steps);
                prepared.emplace(priceDb, normalised, steps);
            } catch (const std::system_error&) {
                // No thread to be had: the statements below do the work.
            }
        }
        if (!conversions)
            insertConversions(priceDb);
        // The conversions go in before the search index is rebuilt, while
        // the page cache still has room for them; when the Descriptions are
        // written again (few changed), so are they.
        changed = rewriteSupplierGoods(priceDb, [&] {
            const qint64 described = describeByArticles(priceDb, progress, prepared.has_value());
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
