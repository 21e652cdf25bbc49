#include "data_load.h"

#include "catalogue/import/sheet_cells.h"
#include "catalogue/matching/auto_match.h"
#include "catalogue/matching/item_lists.h"

#include "platform/spreadsheet/reader.h"
#include "platform/spreadsheet/sheet_error.h"
#include "storage/price_text.h"
#include "storage/settings_store.h"
#include "storage/value_helpers.h"
#include "platform/db/text_functions.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cmath>
#include <functional>

namespace velmora::catalogue {
namespace {

constexpr int kArtWidth = 30;
constexpr int kTovarWidth = 200;
constexpr int kTextWidth = 50;

void say(const LoadReport& report, const QString& status)
{
    if (report.status)
        report.status(status);
}

void run(db::Connection& priceDb, const QString& sql, const std::function<void(db::Statement&)>& bind)
{
    db::Statement statement = priceDb.prepare(sql);
    bind(statement);
    statement.execute();
}

// The rows of the statement's table that are known among `source` (a table
// or subquery with the columns Art and Tovar): by name, or by article when
// recognising by article and the row has an article.
QString knownAmong(bool byArticle, const QString& source)
{
    const QString byName = QStringLiteral("Tovar IN (SELECT Tovar FROM %1)").arg(source);
    if (!byArticle)
        return byName;
    return QStringLiteral("(CASE WHEN coalesce(Art, '') <> '' THEN Art IN (SELECT Art FROM %1) ELSE %2 END)")
        .arg(source, byName);
}

// The rows of the statement's table (the trash) that recognised an item of
// `items` (a subquery with the columns Art and Tovar), each item by its own
// article or name as knownAmong recognises it.
QString recognisedOneOf(bool byArticle, const QString& items)
{
    if (!byArticle)
        return QStringLiteral("Tovar IN (SELECT Tovar FROM %1)").arg(items);
    return QStringLiteral("(Art IN (SELECT Art FROM %1 WHERE coalesce(Art, '') <> '') "
                          "OR Tovar IN (SELECT Tovar FROM %1 WHERE coalesce(Art, '') = ''))")
        .arg(items);
}

qint64 count(db::Connection& priceDb, const QString& sql)
{
    return priceDb.scalar(sql).toLongLong();
}

// A text compared as the database compares it: folded, a null apart from
// every text.
QString comparedText(const db::Statement& row, int column)
{
    return row.isNull(column) ? QStringLiteral("\x01") : u'\x02' + db::foldCase(row.text(column));
}

// The supplier's new combined-price rows take their good from the
// correspondences in Price_temp: by article and name, the articles compared
// null-safely so that items without one get their good too (by article:
// an item without one by its name alone). The two tables have no index
// that a join could use, so each is read once and matched in memory; where
// several correspondences fit, the first one counts.
void setCombinedPriceGoods(db::Connection& priceDb, const QString& supplier, bool byArticle)
{
    QHash<QString, qint64> byItem; // article + name
    QHash<QString, qint64> byName; // name alone
    db::Statement known = priceDb.prepare(QStringLiteral("SELECT Code, Art, Tovar FROM Price_temp ORDER BY rowid"));
    while (known.step()) {
        const QString name = comparedText(known, 2);
        byItem.insert(comparedText(known, 1) + u'\x03' + name, known.integer(0)); // the first one stays
        if (!byName.contains(name))
            byName.insert(name, known.integer(0));
    }
    struct Update {
        qint64 rowid;
        qint64 code;
    };
    std::vector<Update> updates;
    db::Statement rows = priceDb.prepare(
        QStringLiteral("SELECT rowid, Art, Tovar FROM svod WHERE Code_sootv = 0 AND Postavshik = ?1"));
    rows.bindText(1, supplier);
    while (rows.step()) {
        const QString name = comparedText(rows, 2);
        const bool withArticle = !rows.isNull(1) && !rows.text(1).isEmpty();
        const qint64 code = byArticle && !withArticle ? byName.value(name)
                                                      : byItem.value(comparedText(rows, 1) + u'\x03' + name);
        if (code != 0)
            updates.push_back({rows.integer(0), code});
    }
    db::Statement update = priceDb.prepare(QStringLiteral("UPDATE svod SET Code_sootv = ?2 WHERE rowid = ?1"));
    for (const Update& u : updates) {
        update.bindInt(1, u.rowid).bindInt(2, u.code);
        update.execute();
        update.reset();
    }
}

// Steps 4 to 12 of a load, in the caller's transaction.
LoadCounts storeItems(db::Connection& priceDb, const SupplierSetup& setup, const LoadQueueEntry& entry,
                      const std::vector<LoadedItem>& items, const LoadReport& report)
{
    const QString& supplier = entry.postavshik;
    const auto bindSupplier = [&supplier](db::Statement& s) { s.bindText(1, supplier); };
    LoadCounts counts;
    run(priceDb, QStringLiteral("UPDATE postavshik SET Dates = ?2 WHERE Postavshik = ?1"),
        [&](db::Statement& s) { s.bindText(1, supplier).bindInt(2, entry.day); });

    say(report, load_status::kClearing);
    priceDb.exec(QStringLiteral("DELETE FROM price_one"));
    db::Statement insert = priceDb.prepare(QStringLiteral(
        "INSERT INTO price_one (Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Check_obrab, Dates, Garant, "
        "Sklad) VALUES (?1, ?2, ?3, ?4, ?5, 'false', 'true', ?6, ?7, ?8)"));
    for (const LoadedItem& item : items) {
        insert.bindText(1, item.art).bindText(2, item.tovar).bindDouble(3, item.price).bindDouble(4, item.pricemax);
        insert.bindText(5, supplier).bindInt(6, entry.day).bindText(7, item.garant).bindText(8, item.sklad);
        insert.execute();
        insert.reset();
    }
    counts.loaded = count(priceDb, QStringLiteral("SELECT count(*) FROM price_one"));
    say(report, load_status::kProcessing);

    // Items thrown away before go back into the trash with their new prices.
    say(report, load_status::kTrash);
    const bool byArticle = setup.artObrab;
    const QString marked = QStringLiteral("Check_obrab = 'True'");
    priceDb.exec(QStringLiteral("UPDATE price_one SET Check_obrab = 'False'; DELETE FROM Price_temp"));
    run(priceDb,
        QStringLiteral("INSERT INTO Price_temp (Art, Tovar, Postavshik) SELECT Art, Tovar, Postavshik FROM musor "
                       "WHERE Postavshik = ?1"),
        bindSupplier);
    priceDb.exec(QStringLiteral("UPDATE price_one SET Check_obrab = 'True' WHERE ") +
                 knownAmong(byArticle, QStringLiteral("Price_temp")));
    counts.trashed = count(priceDb, QStringLiteral("SELECT count(*) FROM price_one WHERE ") + marked);
    run(priceDb,
        QStringLiteral("DELETE FROM musor WHERE Postavshik = ?1 AND ") +
            recognisedOneOf(byArticle, QStringLiteral("(SELECT Art, Tovar FROM price_one WHERE %1)").arg(marked)),
        bindSupplier);
    priceDb.exec(QStringLiteral("INSERT INTO musor (Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Check_obrab, "
                                "Dates, Garant, Sklad) SELECT DISTINCT Art, Tovar, Price, Pricemax, Postavshik, "
                                "Check_sootv, Check_obrab, Dates, Garant, Sklad FROM price_one WHERE %1")
                     .arg(marked));
    priceDb.exec(QStringLiteral("DELETE FROM price_one WHERE ") + marked);
    stepProgress(report.bar, int(counts.trashed));

    // Items matched before refresh their correspondences and the combined price.
    say(report, load_status::kCombined);
    run(priceDb, QStringLiteral("DELETE FROM svod WHERE Postavshik = ?1"), bindSupplier);
    priceDb.exec(QStringLiteral("UPDATE price_one SET Check_obrab = 'False' WHERE Check_obrab IS NOT 'False'; "
                                "DELETE FROM Price_temp"));
    if (byArticle)
        priceDb.exec(QStringLiteral("UPDATE sootv SET Tovar = p.Tovar FROM price_one AS p "
                                    "WHERE sootv.Art = p.Art AND sootv.Postavshik = p.Postavshik AND p.Art <> ''"));
    else
        priceDb.exec(QStringLiteral("UPDATE sootv SET Art = p.Art FROM price_one AS p "
                                    "WHERE sootv.Tovar = p.Tovar AND sootv.Postavshik = p.Postavshik"));
    run(priceDb,
        QStringLiteral("INSERT INTO Price_temp (Code, Art, Tovar, Postavshik) SELECT Code, Art, Tovar, Postavshik "
                       "FROM sootv WHERE Postavshik = ?1"),
        bindSupplier);
    priceDb.exec(QStringLiteral("UPDATE price_one SET Check_obrab = 'True' WHERE ") +
                 knownAmong(byArticle, QStringLiteral("Price_temp")));
    counts.combined = count(priceDb, QStringLiteral("SELECT count(*) FROM price_one WHERE ") + marked);
    priceDb.exec(QStringLiteral("INSERT INTO svod (Art, Tovar, Price, Pricemax, Postavshik, Code_sootv, Obrab, Dates, "
                                "Garant, Sklad) SELECT DISTINCT Art, Tovar, Price, Pricemax, Postavshik, 0, 'false', "
                                "Dates, Garant, Sklad FROM price_one WHERE %1")
                     .arg(marked));
    setCombinedPriceGoods(priceDb, supplier, byArticle);
    priceDb.exec(QStringLiteral("DELETE FROM price_one WHERE ") + marked);
    stepProgress(report.bar, int(counts.combined));

    // The rest replace the supplier's items in the remainder.
    counts.remainder = count(priceDb, QStringLiteral("SELECT count(*) FROM price_one"));
    run(priceDb, QStringLiteral("DELETE FROM price_all WHERE Postavshik = ?1"), bindSupplier);
    priceDb.exec(QStringLiteral("INSERT INTO price_all (Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, "
                                "Check_obrab, Dates, Garant, Sklad) SELECT Art, Tovar, Price, Pricemax, Postavshik, "
                                "Check_sootv, Check_obrab, Dates, Garant, Sklad FROM price_one ORDER BY rowid"));
    stepProgress(report.bar, int(counts.remainder));
    return counts;
}

} // namespace

LoadRounding readLoadRounding(SettingsStore& settings)
{
    return {settings.readBoolean(QStringLiteral("RoundingPostav"), QStringLiteral("0")),
            int(settings.readInteger(QStringLiteral("RoundingDegreePostav"), QStringLiteral("2")))};
}

std::optional<double> loadPrice(const sheet::CellValue& cell, double rate, const LoadRounding& rounding)
{
    double value = 0;
    if (cell.isNumber()) {
        value = cell.toNumber();
    } else {
        const ParsedPrice parsed = ParsePriceText(cell.toText().trimmed());
        if (!parsed.hasNumber)
            return std::nullopt;
        value = parsed.value;
    }
    const bool withRate = rate != 1;
    if (withRate)
        value /= rate;
    if (rounding.on)
        return RoundValue(rounding.digits, value);
    if (withRate)
        return std::floor(value * 1000 + 0.5) / 1000;
    return value;
}

std::optional<LoadedItem> parseLoadRow(const sheet::ValueBlock& cells, int row, const SupplierSetup& setup, double rate,
                                       const LoadRounding& rounding)
{
    LoadedItem item;
    item.tovar = importCellText(cells, row, setup.columnTovar).left(kTovarWidth);
    if (item.tovar.isEmpty() || importCellText(cells, row, setup.columnPrice).isEmpty())
        return std::nullopt;
    item.art = importCellText(cells, row, setup.columnArt).left(kArtWidth);
    const std::optional<double> price = loadPrice(cells.value(row, setup.columnPrice), rate, rounding);
    const std::optional<double> pricemax =
        setup.columnPricemax > 0 ? loadPrice(cells.value(row, setup.columnPricemax), rate, rounding) : price;
    if (!price || !pricemax)
        return std::nullopt;
    item.price = *price;
    item.pricemax = *pricemax;
    item.garant = importCellText(cells, row, setup.columnGarant).left(kTextWidth);
    item.sklad = importCellText(cells, row, setup.columnSklad).left(kTextWidth);
    return item;
}

QString loadCountText(const std::optional<qint64>& count)
{
    return count ? QString::number(*count) : QStringLiteral("Нет");
}

QString rateBoxText(double rate) { return rate == 1 ? QStringLiteral("Нет") : rateText(rate); }

std::optional<double> rateFromBoxText(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed == QStringLiteral("Нет"))
        return 1.0;
    bool ok = false;
    const double rate = QString(trimmed).replace(u',', u'.').toDouble(&ok);
    if (!ok || !(rate > 0))
        return std::nullopt;
    return rate;
}

RateKey filterLoadRateKey(const QString& text, int caret, QChar key)
{
    if ((key == u',' || key == u'.') && caret <= 0)
        return RateKey::Refuse;
    const qsizetype comma = text.indexOf(u',');
    if (key.isDigit() && key.unicode() < 128 && (comma < 0 || caret <= comma))
        return RateKey::Pass;
    return filterRateKey(text, key);
}

QString badRateMessage(const QString& postavshik)
{
    return QStringLiteral("Курс должен быть больше нуля!\rПоставщик: ") + postavshik;
}

QString queueProblem(db::Connection& priceDb, const QList<LoadQueueEntry>& entries)
{
    for (const LoadQueueEntry& entry : entries) {
        if (!(entry.rate > 0))
            return badRateMessage(entry.postavshik);
        const std::optional<SupplierSetup> setup = readSupplierSetup(priceDb, entry.postavshik);
        if (!setup || !QFileInfo(setup->path).isFile())
            return missingWorkbookMessage();
    }
    return QString();
}

EntryLoad loadQueueEntry(db::Connection& priceDb, const LoadQueueEntry& entry, const LoadRounding& rounding,
                         bool withCriteria, const LoadReport& report)
{
    EntryLoad result;
    const std::optional<SupplierSetup> setup = readSupplierSetup(priceDb, entry.postavshik);
    if (!setup || !QFileInfo(setup->path).isFile()) {
        result.failure = missingWorkbookMessage();
        return result;
    }
    say(report, load_status::kReading);
    std::vector<LoadedItem> items;
    int rows = 0;
    try {
        sheet::WorkbookReader reader(setup->path);
        const int maxColumn = std::max({setup->columnArt, setup->columnTovar, setup->columnPrice,
                                        setup->columnPricemax, setup->columnGarant, setup->columnSklad});
        const sheet::SheetData data = reader.readSheet(std::max(setup->sheet, 1), {0, maxColumn});
        rows = data.values.rows();
        startProgress(report.bar, load_status::kReading, 2 * rows + (withCriteria ? kCriteriaSteps : 0));
        for (int row = 1; row <= rows; ++row) {
            if (std::optional<LoadedItem> item = parseLoadRow(data.values, row, *setup, entry.rate, rounding))
                items.push_back(std::move(*item));
            stepProgress(report.bar);
        }
    } catch (const sheet::SheetError& e) {
        result.failure = QStringLiteral("Не удалось прочитать файл поставщика %1:\r%2\r\r%3\r\rДанные поставщика "
                                        "оставлены без изменений.")
                             .arg(entry.postavshik, setup->path, e.message());
        return result;
    }
    if (items.empty()) {
        result.failure = QStringLiteral("В файле поставщика %1 нет ни одной строки для загрузки:\r%2\r\rДанные "
                                        "поставщика оставлены без изменений.")
                             .arg(entry.postavshik, setup->path);
        return result;
    }

    db::Transaction transaction(priceDb);
    result.counts = storeItems(priceDb, *setup, entry, items, report);
    transaction.commit();
    result.loaded = true;

    if (withCriteria) {
        say(report, load_status::kCriteria);
        db::Transaction marks(priceDb);
        MarkSupplierForMatching(priceDb, allSuppliersEntry(), QStringLiteral("false"));
        MarkSupplierForMatching(priceDb, entry.postavshik, QStringLiteral("true"));
        marks.commit();
        MatchingRun matching;
        result.counts.criteriaHits = RunCriteriaMatching(priceDb, matching).hitItems;
        stepProgress(report.bar, kCriteriaSteps);
    }
    return result;
}

} // namespace velmora::catalogue
