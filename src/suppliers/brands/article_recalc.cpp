#include "suppliers/brands/article_recalc.h"

#include "platform/db/text_functions.h"
#include "storage/goods_search_index.h"

#include <QHash>

#include <optional>
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

} // namespace

QString ArticleRecalcStatusText(int percent)
{
    return QStringLiteral("Обработка:  - преобразование артикулов.    Выполнено:  ") + QString::number(percent) +
           QStringLiteral("%");
}

int RecalculateArticles(db::Connection& priceDb, const ArticleSwitches& steps, const PercentProgress& progress)
{
    db::Transaction transaction(priceDb);
    // Each distinct article is normalised once, in the order first met.
    QHash<QString, qsizetype> known;
    std::vector<std::pair<QString, QString>> conversions;
    const std::vector<DescriptionChange> changes =
        changedDescriptions(priceDb, [&](const std::optional<QString>& article) -> std::optional<Description> {
            if (!article)
                return kNoDescription;
            auto found = known.constFind(*article);
            if (found == known.constEnd()) {
                found = known.insert(*article, qsizetype(conversions.size()));
                conversions.emplace_back(*article, NormaliseArticle(*article, steps));
            }
            return Description{false, conversions[std::size_t(*found)].second};
        });

    db::Statement clear = priceDb.prepare(QStringLiteral("DELETE FROM ArtOldtoNew WHERE TypeArt = ?1"));
    clear.bindInt(1, 0);
    clear.execute();
    db::Statement insert =
        priceDb.prepare(QStringLiteral("INSERT INTO ArtOldtoNew (ArtOld, ArtNew, TypeArt) VALUES (?1, ?2, 0)"));
    for (const auto& [article, normalised] : conversions) {
        insert.bindText(1, article);
        insert.bindText(2, normalised);
        insert.execute();
        insert.reset();
    }
    writeDescriptions(priceDb, changes, progress);
    transaction.commit();
    return int(changes.size());
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
