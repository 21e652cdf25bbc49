#include "suppliers/loader/price_list_loader.h"

#include "platform/db/day_numbers.h"
#include "platform/db/db_error.h"
#include "platform/files/file_helpers.h"
#include "platform/files/ini_file.h"
#include "platform/spreadsheet/sheet_error.h"
#include "storage/settings_store.h"
#include "suppliers/loader/file_stamp.h"
#include "suppliers/loader/offer_store.h"
#include "suppliers/loader/price_list_setup.h"
#include "suppliers/loader/sheet_columns.h"
#include "suppliers/loader/sheet_parser.h"

#include <QFileInfo>
#include <QSet>

#include <sqlite3.h>

namespace velmora::loader {
namespace {

constexpr int kProgressEveryOffers = 2048;

// Thrown inside the write when the progress asks to stop; the transaction
// then rolls back.
struct StopRequested {};

// The newest file in the folder of `path` whose name matches the file name
// of `path` (which may hold wildcards).
QString resolvePriceFile(const QString& path)
{
    const QFileInfo info(path);
    return NewestFileInFolder(info.path(), info.fileName());
}

void bindUtf8(db::Statement& statement, int index, std::string_view text)
{
    const int rc = sqlite3_bind_text(statement.handle(), index, text.data(), int(text.size()), SQLITE_STATIC);
    if (rc != SQLITE_OK)
        throw db::DbError(QStringLiteral("bind failed: ") + QString::fromUtf8(sqlite3_errstr(rc)), rc);
}

class CacheSizeForLoad {
public:
    explicit CacheSizeForLoad(db::Connection& priceDb) : priceDb_(priceDb)
    {
        previous_ = priceDb_.scalar(QStringLiteral("PRAGMA cache_size")).toLongLong();
        priceDb_.exec(QStringLiteral("PRAGMA cache_size = -131072"));
    }
    ~CacheSizeForLoad()
    {
        try {
            priceDb_.exec(QStringLiteral("PRAGMA cache_size = %1").arg(previous_));
        } catch (...) {
        }
    }
    CacheSizeForLoad(const CacheSizeForLoad&) = delete;
    CacheSizeForLoad& operator=(const CacheSizeForLoad&) = delete;

private:
    db::Connection& priceDb_;
    qint64 previous_ = -2000;
};

struct StoreInput {
    const QString& name;
    const OfferStore& offers;
    double conversion;
    bool ormita;
    bool historyOn;
};

// Replaces the supplier's offers and currency rows by the parsed ones, in
// one transaction with the load date and the history copy.
void storeOffers(db::Connection& priceDb, const StoreInput& input, const LoadRequest& request, int* stored)
{
    const qint64 today = db::dayNumber(request.startTime.date());
    const double loadTime = db::dayNumberTime(request.startTime);

    // The supplier's index pages stay in memory for the whole write instead
    // of being spilled and re-read; the cache returns to its size after.
    CacheSizeForLoad cache(priceDb);
    db::Transaction transaction(priceDb);

    db::Statement deleteRates = priceDb.prepare(QStringLiteral(
        "DELETE FROM AllTovarValuta WHERE ID_Tovar IN (SELECT Number FROM AllTovarPostav WHERE Postavshik = ?1)"));
    deleteRates.bindText(1, input.name);
    deleteRates.execute();
    db::Statement deleteOffers = priceDb.prepare(QStringLiteral("DELETE FROM AllTovarPostav WHERE Postavshik = ?1"));
    deleteOffers.bindText(1, input.name);
    deleteOffers.execute();

    db::Statement insertOffer = priceDb.prepare(QStringLiteral(
        "INSERT INTO AllTovarPostav (Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Check_obrab, Dates,"
        " Garant, Sklad, Description, TextNoName, PriceOut)"
        " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?6, ?7, ?8, ?9, ?10, ?11, ?12)"));
    insertOffer.bindText(5, input.name);
    insertOffer.bindText(6, QStringLiteral("True"));
    insertOffer.bindInt(7, today);
    db::Statement insertRate = priceDb.prepare(QStringLiteral(
        "INSERT INTO AllTovarValuta (ID_Tovar, Price, Pricemax, Valuta, PriceConversion, Nacen, Dates)"
        " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)"));
    insertRate.bindDouble(5, input.conversion);
    insertRate.bindDouble(7, loadTime);

    std::string codes[kCurrencyCount];
    for (int i = 0; i < kCurrencyCount; ++i)
        codes[i] = CurrencyCode(i).toStdString();

    const OfferStore& offers = input.offers;
    for (std::size_t i = 0; i < offers.size(); ++i) {
        const OfferRecord& offer = offers.at(i);
        bindUtf8(insertOffer, 1, offers.text(i, TextArt));
        bindUtf8(insertOffer, 2, offers.text(i, TextTovar));
        insertOffer.bindDouble(3, offer.prices.price);
        insertOffer.bindDouble(4, offer.prices.priceMax);
        bindUtf8(insertOffer, 8, offers.text(i, TextGarant));
        bindUtf8(insertOffer, 9, offers.text(i, TextSklad));
        bindUtf8(insertOffer, 10, offers.text(i, TextDescription));
        bindUtf8(insertOffer, 11, offers.text(i, TextNoName));
        insertOffer.bindDouble(12, offer.prices.priceOut);
        insertOffer.execute();
        insertOffer.reset();

        // The currency row points at the number the offer really got.
        insertRate.bindInt(1, priceDb.lastInsertRowId());
        insertRate.bindDouble(2, offer.quotedPrice);
        insertRate.bindDouble(3, offer.quotedPricemax);
        const int currency = offer.currencyIndex >= 0 ? offer.currencyIndex : request.rates.displayIndex;
        bindUtf8(insertRate, 4, codes[currency]);
        insertRate.bindInt(6, offer.nacen);
        insertRate.execute();
        insertRate.reset();

        *stored = int(i + 1);
        if (request.progress && *stored % kProgressEveryOffers == 0 &&
            !request.progress->step(LoadStage::Storing, *stored))
            throw StopRequested{};
    }

    if (input.ormita) {
        db::Statement description = priceDb.prepare(
            QStringLiteral("UPDATE AllTovarPostav SET Description = Art WHERE Postavshik = ?1"));
        description.bindText(1, input.name);
        description.execute();
    }

    db::Statement dates = priceDb.prepare(QStringLiteral("UPDATE AllPostavSetup SET Dates = ?1 WHERE Postavshik = ?2"));
    dates.bindInt(1, today);
    dates.bindText(2, input.name);
    dates.execute();

    if (input.historyOn) {
        // A failed history copy must not cost the load itself.
        try {
            db::Statement history = priceDb.prepare(QStringLiteral(
                "INSERT INTO AllPriceHistory (Postavshik, Art, Tovar, Price, Pricemax, PriceOut, Dates)"
                " SELECT Postavshik, Art, Tovar, Price, Pricemax, PriceOut, ?1 FROM AllTovarPostav"
                " WHERE Postavshik = ?2"));
            history.bindDouble(1, loadTime);
            history.bindText(2, input.name);
            history.execute();
        } catch (const db::DbError&) {
        }
    }
    transaction.commit();
}

} // namespace

QString DisabledText(const QString& name)
{
    return QStringLiteral("Поставщик \"") + name + QStringLiteral("\" Отключен!");
}

QString MissingFileText(const QString& name)
{
    return QStringLiteral("прайс-лист ") + name + QStringLiteral(" отсутствует");
}

LoaderSwitches LoaderSwitches::fromIni(const QString& userIniPath, bool ormita)
{
    LoaderSwitches switches;
    const QString section = QStringLiteral("SetupUsers");
    switches.degreePricePostav = ReadIniString(userIniPath, section, QStringLiteral("2"), QStringLiteral("DegreePricePostav"));
    switches.loadPriceNull =
        ReadIniString(userIniPath, section, QStringLiteral("0"), QStringLiteral("LoadPriceNull")).trimmed() == u"1";
    switches.ormita = ormita;
    return switches;
}

LoadResult LoadPriceList(db::Connection& priceDb, db::Connection& settingsDb, const LoadRequest& request)
{
    LoadResult result;
    const QString& name = request.name;

    const std::optional<PriceListSetup> setup = ReadPriceListSetup(priceDb, name);
    if (!setup) {
        result.errorText = MissingFileText(name);
        return result;
    }

    SettingsStore settings(settingsDb);
    const bool disabled = settings.readBoolean(name + QStringLiteral("_PostavDisable"), QStringLiteral("0"));
    const bool historyOn = settings.readBoolean(name + QStringLiteral("_PriceHistoryLoad"), QStringLiteral("0"));
    if (disabled) {
        result.errorText = DisabledText(name);
        return result;
    }

    const QString file = resolvePriceFile(setup->path);
    if (setup->path.trimmed().isEmpty() || !QFileInfo(file).isFile()) {
        result.errorText = MissingFileText(name);
        return result;
    }
    result.filePath = file;
    const qint64 stamp = FileDosStamp(file);

    ListContext list;
    list.conversion = setup->conversion;
    list.rounding = PriceRounding::fromDegreeText(request.switches.degreePricePostav, request.switches.ormita);
    list.rates = request.rates;
    list.loadPriceNull = request.switches.loadPriceNull;
    list.ormita = request.switches.ormita;

    const std::vector<SheetSetup> sheets = ReadSheetSetups(priceDb, name);
    OfferStore offers;
    int matchedSheets = 0;
    try {
        sheet::WorkbookReader reader(file);
        const QStringList worksheetNames = reader.sheetNames();
        // Each worksheet is read once, by the first sheet row that chooses it.
        QSet<int> readSheets;
        int carriedCurrency = request.rates.displayIndex;
        for (const SheetSetup& sheet : sheets) {
            const int index = ChooseWorksheet(worksheetNames, sheet.sheetName);
            if (index <= 0 || readSheets.contains(index))
                continue;
            readSheets.insert(index);
            ++matchedSheets;
            SheetRowParser parser(sheet, list, &carriedCurrency);
            SheetParseStats stats;
            if (!ParseWorksheet(reader, index, parser, offers, request.progress, stats)) {
                result.errorText = QStringLiteral("Загрузка прайс-листа ") + name + QStringLiteral(" прервана");
                return result;
            }
            result.skippedRows += stats.skipped;
        }
    } catch (const sheet::SheetError& error) {
        result.errorText = QStringLiteral("Не удалось прочитать прайс-лист ") + name + QStringLiteral(": ") +
                           error.message();
        return result;
    }
    if (matchedSheets == 0) {
        result.errorText = QStringLiteral("В файле прайс-листа ") + name +
                           QStringLiteral(" нет ни одного листа из настроек");
        return result;
    }
    if (offers.empty()) {
        result.errorText = QStringLiteral("В прайс-листе ") + name + QStringLiteral(" не найдено ни одного товара");
        return result;
    }
    if (request.progress && !request.progress->step(LoadStage::Reading, int(offers.size()))) {
        result.errorText = QStringLiteral("Загрузка прайс-листа ") + name + QStringLiteral(" прервана");
        return result;
    }

    int stored = 0;
    try {
        storeOffers(priceDb, {name, offers, setup->conversion, request.switches.ormita, historyOn}, request, &stored);
    } catch (const StopRequested&) {
        result.errorText = QStringLiteral("Загрузка прайс-листа ") + name + QStringLiteral(" прервана");
        return result;
    }
    result.loaded = true;
    result.offerCount = stored;
    if (request.progress)
        request.progress->step(LoadStage::Storing, stored);

    if (stamp > 0)
        settings.write(name + QStringLiteral("_DataLoad"), QStringLiteral("TypeInteger"), QString::number(stamp));
    return result;
}

} // namespace velmora::loader
