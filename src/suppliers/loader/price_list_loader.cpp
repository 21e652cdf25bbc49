#include "suppliers/loader/price_list_loader.h"

#include "platform/db/day_numbers.h"
#include "platform/db/db_error.h"
#include "platform/files/file_helpers.h"
#include "platform/files/ini_file.h"
#include "platform/spreadsheet/sheet_error.h"
#include "storage/goods_search_index.h"
#include "storage/settings_store.h"
#include "suppliers/brands/article_normaliser.h"
#include "suppliers/loader/file_stamp.h"
#include "suppliers/loader/offer_pipe.h"
#include "suppliers/loader/offer_store.h"
#include "suppliers/loader/price_list_setup.h"
#include "suppliers/loader/sheet_columns.h"
#include "suppliers/loader/sheet_parser.h"

#include <new>
#include <QFileInfo>
#include <QSet>

#include <sqlite3.h>

#include <optional>
#include <thread>

namespace velmora::loader {
namespace {

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

// Offers and their currency rows go in this many to a statement: a
// statement's own cost, and the counter's bookkeeping of AUTOINCREMENT, are
// paid once for the batch instead of once an offer.
constexpr int kBatchRows = 64;

// The two inserts of `rows` offers each. The values every row shares are
// bound once as the first parameters; each row's own follow.
struct RowInserts {
    // Postavshik, the two flags, Dates; then per row Art, Tovar, Price,
    // Pricemax, Garant, Sklad, Description, TextNoName, PriceOut.
    static constexpr int kOfferShared = 3;
    static constexpr int kOfferPerRow = 9;
    // PriceConversion, Dates; then per row ID_Tovar, Price, Pricemax,
    // Valuta, Nacen.
    static constexpr int kRateShared = 2;
    static constexpr int kRatePerRow = 5;

    RowInserts(const db::Connection& db, int rowCount)
        : rows(rowCount), offers(db.prepare(offersSql(rowCount))), rates(db.prepare(ratesSql(rowCount)))
    {
    }
    static QString offersSql(int rows)
    {
        QStringList values;
        for (int r = 0; r < rows; ++r) {
            const int b = kOfferShared + 1 + r * kOfferPerRow;
            values << QStringLiteral("(?%1, ?%2, ?%3, ?%4, ?1, ?2, ?2, ?3, ?%5, ?%6, ?%7, ?%8, ?%9)")
                          .arg(b)
                          .arg(b + 1)
                          .arg(b + 2)
                          .arg(b + 3)
                          .arg(b + 4)
                          .arg(b + 5)
                          .arg(b + 6)
                          .arg(b + 7)
                          .arg(b + 8);
        }
        return QStringLiteral("INSERT INTO AllTovarPostav (Art, Tovar, Price, Pricemax, Postavshik, Check_sootv,"
                              " Check_obrab, Dates, Garant, Sklad, Description, TextNoName, PriceOut) VALUES ") +
               values.join(QStringLiteral(", "));
    }
    static QString ratesSql(int rows)
    {
        QStringList values;
        for (int r = 0; r < rows; ++r) {
            const int b = kRateShared + 1 + r * kRatePerRow;
            values << QStringLiteral("(?%1, ?%2, ?%3, ?%4, ?1, ?%5, ?2)").arg(b).arg(b + 1).arg(b + 2).arg(b + 3).arg(b + 4);
        }
        return QStringLiteral("INSERT INTO AllTovarValuta (ID_Tovar, Price, Pricemax, Valuta, PriceConversion, Nacen,"
                              " Dates) VALUES ") +
               values.join(QStringLiteral(", "));
    }

    int rows;
    db::Statement offers;
    db::Statement rates;
};

// Writes one list's offers: the transaction starts with the first chunk, so
// a file that yields nothing never takes the write lock; the destructor
// rolls back whatever was not committed.
class OfferWriter {
public:
    OfferWriter(db::Connection& priceDb, const QString& name, double conversion, const LoadRequest& request,
                const std::optional<brands::ArticleSwitches>& articles)
        : priceDb_(priceDb), name_(name), request_(request), articles_(articles), transaction_(priceDb),
          batch_(priceDb, kBatchRows), single_(priceDb, 1)
    {
        today_ = db::dayNumber(request.startTime.date());
        loadTime_ = db::dayNumberTime(request.startTime);

        db::Statement deleteRates = priceDb.prepare(QStringLiteral(
            "DELETE FROM AllTovarValuta WHERE ID_Tovar IN (SELECT Number FROM AllTovarPostav WHERE Postavshik = ?1)"));
        deleteRates.bindText(1, name);
        deleteRates.execute();
        const qint64 oldOffers = deleteSupplierOffers(priceDb, name);
        // The new offers are left for the search index's catch-up after the
        // commit; the old list's size tells how large the new one likely is.
        searchIndex_.emplace(priceDb, oldOffers);

        for (RowInserts* inserts : {&batch_, &single_}) {
            inserts->offers.bindText(1, name);
            inserts->offers.bindText(2, QStringLiteral("True"));
            inserts->offers.bindInt(3, today_);
            inserts->rates.bindDouble(1, conversion);
            inserts->rates.bindDouble(2, loadTime_);
        }
        for (int i = 0; i < kCurrencyCount; ++i)
            codes_[i] = CurrencyCode(i).toStdString();
    }

    ~OfferWriter()
    {
        // Not committed: the rollback undoes the whole list, index included.
        if (searchIndex_)
            searchIndex_->cancel();
    }
    OfferWriter(const OfferWriter&) = delete;
    OfferWriter& operator=(const OfferWriter&) = delete;

    int stored() const { return stored_; }

    // Inserts a chunk; false when the progress asked to stop.
    bool insert(const OfferStore& offers)
    {
        std::size_t next = 0;
        while (next < offers.size()) {
            RowInserts& inserts = offers.size() - next >= std::size_t(kBatchRows) ? batch_ : single_;
            insertRows(inserts, offers, next);
            next += std::size_t(inserts.rows);
        }
        return !request_.progress || request_.progress->offersStored(stored_);
    }

    // The offers' indexes, the load date and the history copy; then the
    // whole list becomes visible at once.
    void commit(bool historyOn)
    {
        searchIndex_->finish();
        searchIndex_.reset();
        db::Statement dates =
            priceDb_.prepare(QStringLiteral("UPDATE AllPostavSetup SET Dates = ?1 WHERE Postavshik = ?2"));
        dates.bindInt(1, today_);
        dates.bindText(2, name_);
        dates.execute();
        if (historyOn) {
            // A failed history copy must not cost the load itself.
            try {
                db::Statement history = priceDb_.prepare(QStringLiteral(
                    "INSERT INTO AllPriceHistory (Postavshik, Art, Tovar, Price, Pricemax, PriceOut, Dates)"
                    " SELECT Postavshik, Art, Tovar, Price, Pricemax, PriceOut, ?1 FROM AllTovarPostav"
                    " WHERE Postavshik = ?2"));
                history.bindDouble(1, loadTime_);
                history.bindText(2, name_);
                history.execute();
            } catch (const db::DbError&) {
            }
        }
        transaction_.commit();
    }

private:
    // Offers first..first + rows - 1 of the chunk, then their currency rows.
    // The offers of one statement get consecutive numbers (nothing else
    // writes inside the transaction), the last of them last_insert_rowid.
    void insertRows(RowInserts& inserts, const OfferStore& offers, std::size_t first)
    {
        for (int r = 0; r < inserts.rows; ++r) {
            const std::size_t i = first + std::size_t(r);
            const OfferRecord& offer = offers.at(i);
            const int b = RowInserts::kOfferShared + 1 + r * RowInserts::kOfferPerRow;
            bindUtf8(inserts.offers, b, offers.text(i, TextArt));
            bindUtf8(inserts.offers, b + 1, offers.text(i, TextTovar));
            inserts.offers.bindDouble(b + 2, offer.prices.price);
            inserts.offers.bindDouble(b + 3, offer.prices.priceMax);
            bindUtf8(inserts.offers, b + 4, offers.text(i, TextGarant));
            bindUtf8(inserts.offers, b + 5, offers.text(i, TextSklad));
            // Articles converted on load: the normalised article, the key the
            // combined export groups by (bound as its own copy: the batch's
            // rows are all bound before it runs). In client mode the article.
            if (articles_)
                inserts.offers.bindText(b + 6,
                                        brands::NormaliseArticle(QString::fromUtf8(offers.text(i, TextArt)), *articles_));
            else
                bindUtf8(inserts.offers, b + 6, offers.text(i, request_.switches.ormita ? TextArt : TextDescription));
            bindUtf8(inserts.offers, b + 7, offers.text(i, TextNoName));
            inserts.offers.bindDouble(b + 8, offer.prices.priceOut);
        }
        inserts.offers.execute();
        inserts.offers.reset();
        if (priceDb_.changes() != inserts.rows)
            throw db::DbError(QStringLiteral("AllTovarPostav: вставлено %1 строк из %2").arg(priceDb_.changes()).arg(inserts.rows));
        const qint64 firstNumber = priceDb_.lastInsertRowId() - inserts.rows + 1;

        // The currency rows point at the numbers the offers really got.
        for (int r = 0; r < inserts.rows; ++r) {
            const OfferRecord& offer = offers.at(first + std::size_t(r));
            const int b = RowInserts::kRateShared + 1 + r * RowInserts::kRatePerRow;
            inserts.rates.bindInt(b, firstNumber + r);
            inserts.rates.bindDouble(b + 1, offer.quotedPrice);
            inserts.rates.bindDouble(b + 2, offer.quotedPricemax);
            const int currency = offer.currencyIndex >= 0 ? offer.currencyIndex : request_.rates.displayIndex;
            bindUtf8(inserts.rates, b + 3, codes_[currency]);
            inserts.rates.bindInt(b + 4, offer.nacen);
        }
        inserts.rates.execute();
        inserts.rates.reset();
        stored_ += inserts.rows;
    }

    db::Connection& priceDb_;
    const QString& name_;
    const LoadRequest& request_;
    const std::optional<brands::ArticleSwitches> articles_;
    db::Transaction transaction_;
    RowInserts batch_;
    RowInserts single_;
    std::optional<SupplierGoodsBulkInsert> searchIndex_;
    std::string codes_[kCurrencyCount];
    qint64 today_ = 0;
    double loadTime_ = 0;
    int stored_ = 0;
};

// What reading the file found, beyond the offers it handed over.
struct ParseOutcome {
    int matchedSheets = 0;
    int skippedRows = 0;
    bool stopped = false;       // the writer cancelled
    QString readError;          // the reader's message
    std::exception_ptr failure; // anything else
};

// The reading side of a load, run on its own thread: every configured sheet
// once, chunk by chunk into the pipe.
void ParseFile(const QString& file, const std::vector<SheetSetup>& sheets, const ListContext& list, OfferPipe& pipe,
               ParseOutcome& outcome) noexcept
{
    try {
        sheet::WorkbookReader reader(file);
        const QStringList worksheetNames = reader.sheetNames();
        QSet<int> readSheets;
        int carriedCurrency = list.rates.displayIndex;
        OfferStore store;
        const OfferSink handOver = [&](OfferStore& chunk) { return pipe.push(std::exchange(chunk, pipe.takeSpare())); };
        for (const SheetSetup& sheet : sheets) {
            // Each worksheet is read once, by the first sheet row that chooses it.
            const int index = ChooseWorksheet(worksheetNames, sheet.sheetName);
            if (index <= 0 || readSheets.contains(index))
                continue;
            readSheets.insert(index);
            ++outcome.matchedSheets;
            SheetRowParser parser(sheet, list, &carriedCurrency);
            SheetParseStats stats;
            if (!ParseWorksheet(reader, index, parser, store, handOver, stats)) {
                outcome.stopped = true;
                break;
            }
            outcome.skippedRows += stats.skipped;
            if (parser.hasHyperlinkColumns() && !store.empty() && !handOver(store)) {
                outcome.stopped = true;
                break;
            }
        }
        if (!outcome.stopped && !store.empty() && !handOver(store))
            outcome.stopped = true;
    } catch (const sheet::SheetError& error) {
        outcome.readError = error.message();
    } catch (const std::bad_alloc&) {
        outcome.readError = QStringLiteral("недостаточно памяти для чтения файла");
    } catch (...) {
        outcome.failure = std::current_exception();
    }
    pipe.finish();
}

// Runs ParseFile on a thread of its own and joins it however the write ends.
class ParseThread {
public:
    ParseThread(const QString& file, const std::vector<SheetSetup>& sheets, const ListContext& list)
        : pipe_(kChunksAhead), thread_([&, file] { ParseFile(file, sheets, list, pipe_, outcome_); })
    {
    }
    ~ParseThread() { join(); }
    ParseThread(const ParseThread&) = delete;
    ParseThread& operator=(const ParseThread&) = delete;

    OfferPipe& pipe() { return pipe_; }
    // Stops the reading when it is still going, and waits for it.
    const ParseOutcome& join()
    {
        if (thread_.joinable()) {
            pipe_.cancel();
            thread_.join();
        }
        return outcome_;
    }

private:
    static constexpr std::size_t kChunksAhead = 8;
    OfferPipe pipe_;
    ParseOutcome outcome_;
    std::thread thread_;
};

QString StoppedText(const QString& name)
{
    return QStringLiteral("Загрузка прайс-листа ") + name + QStringLiteral(" прервана");
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
    std::optional<brands::ArticleSwitches> articles = brands::ArticleSwitches::read(settings);
    if (!articles->convertOnLoad)
        articles.reset();
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

    // The file is read on a second thread while this one writes, inside one
    // transaction: any failure of either side rolls the list back whole.
    std::optional<OfferWriter> writer;
    bool stopped = false;
    {
        ParseThread parsing(file, sheets, list);
        OfferStore chunk;
        while (parsing.pipe().pop(chunk)) {
            if (!writer)
                writer.emplace(priceDb, name, setup->conversion, request, articles);
            if (!writer->insert(chunk)) {
                stopped = true;
                break;
            }
            parsing.pipe().recycle(std::move(chunk));
        }
        const ParseOutcome& parsed = parsing.join();
        result.skippedRows = parsed.skippedRows;
        if (parsed.failure)
            std::rethrow_exception(parsed.failure);
        if (stopped || parsed.stopped) {
            result.errorText = StoppedText(name);
            return result;
        }
        if (!parsed.readError.isEmpty()) {
            result.errorText = QStringLiteral("Не удалось прочитать прайс-лист ") + name + QStringLiteral(": ") +
                               parsed.readError;
            return result;
        }
        if (parsed.matchedSheets == 0) {
            result.errorText = QStringLiteral("В файле прайс-листа ") + name +
                               QStringLiteral(" нет ни одного листа из настроек");
            return result;
        }
    }
    if (!writer || writer->stored() == 0) {
        result.errorText = QStringLiteral("В прайс-листе ") + name + QStringLiteral(" не найдено ни одного товара");
        return result;
    }
    writer->commit(historyOn);
    result.loaded = true;
    result.offerCount = writer->stored();
    writer.reset();

    if (stamp > 0)
        settings.write(name + QStringLiteral("_DataLoad"), QStringLiteral("TypeInteger"), QString::number(stamp));
    return result;
}

} // namespace velmora::loader
