#include "suppliers/loader/price_list_load_thread.h"

#include "platform/db/background_checkpoint.h"
#include "platform/db/connection.h"
#include "platform/db/db_error.h"
#include "platform/files/error_text.h"
#include "platform/files/ini_file.h"
#include "platform/spreadsheet/templates.h"
#include "platform/spreadsheet/workbook.h"
#include "storage/goods_search_index.h"
#include "storage/settings_store.h"
#include "storage/value_helpers.h"
#include "suppliers/loader/price_list_loader.h"
#include "suppliers/loader/price_list_setup.h"

#include <new>
#include <QDir>
#include <QElapsedTimer>

namespace velmora::loader {
namespace {

constexpr qint64 kStatusEveryMs = 100;

bool iniSwitch(const QString& ini, const char* key)
{
    return ReadIniString(ini, QStringLiteral("SetupUsers"), QStringLiteral("0"), QLatin1String(key)).trimmed() == u"1";
}

class ThreadHost : public QueueRunHost, public LoadProgress {
public:
    ThreadHost(TPriceListLoadSave& thread, const LoadRunSettings& settings, db::Connection& priceDb,
               db::Connection& orderDb, QString& lastStatus, QString& firstError)
        : thread_(thread), settings_(settings), priceDb_(priceDb), orderDb_(orderDb), lastStatus_(lastStatus),
          firstError_(firstError),
          switches_(LoaderSwitches::fromIni(settings.userIniPath, settings.ormita))
    {
    }

    void report(const QString& statusText, const QString& buttonCaption) override
    {
        lastStatus_ = statusText;
        emit thread_.statusReported(statusText, buttonCaption);
    }
    bool stopRequested() const override { return thread_.stopRequested(); }
    void pause(int milliseconds) override
    {
        // Sliced, so an abort does not wait out a long pause.
        for (int waited = 0; waited < milliseconds && !thread_.abortRequested(); waited += 20)
            QThread::msleep(std::min(20, milliseconds - waited));
    }

    QString loadPriceList(const QString& name, const QString& statusText) override
    {
        name_ = name;
        statusText_ = statusText;
        sinceStatus_.start();
        LoadRequest request;
        request.name = name;
        request.switches = switches_;
        request.rates = settings_.rates;
        request.progress = this;
        const LoadResult result = LoadPriceList(priceDb_, orderDb_, request);
        if (result.loaded) {
            copyLogIntoFile();
            report(loadedText(result.offerCount), kStopLoadCaption);
            emit thread_.offersLoaded(name, result.offerCount);
        }
        catchUpSearchIndex();
        copyLogIntoFile();
        if (!result.errorText.isEmpty() && firstError_.isEmpty())
            firstError_ = result.errorText;
        return result.errorText;
    }

    bool offersStored(int count) override
    {
        if (sinceStatus_.elapsed() >= kStatusEveryMs) {
            sinceStatus_.restart();
            report(loadedText(count), kStopLoadCaption);
            emit thread_.offersLoaded(name_, count);
        }
        return !thread_.abortRequested();
    }

    QString exportCsv(const QString& name) override
    {
        const QString folder = exportFolder(name);
        exports::ExportPriceListCsv(priceDb_, name, folder);
        return folder;
    }

    QString exportWorkbook(const QString& name) override
    {
        QString templateFile;
        try {
            templateFile = sheet::templatePath(settings_.programFolder, QStringLiteral("PriceExcel.xls"));
        } catch (const std::exception& error) {
            throw exports::ExportError(ErrorText(error));
        }
        const QString folder = exportFolder(name);
        const QString output = folder + sheet::xlsxNameFor(exports::SafeFileName(name) + QStringLiteral(".xls"));
        const exports::ExportResult result = exports::ExportPriceListWorkbook(
            priceDb_, name, templateFile, output, settings_.titles, settings_.rates.displayCode());
        if (result.rowsOmitted > 0)
            omitted_ << name + QStringLiteral(": ") + exports::OmittedRowsText(result.rowsOmitted);
        return folder;
    }

    // The lists whose workbooks could not take all their goods.
    const QStringList& omitted() const { return omitted_; }

    void startCombinedExport(const QString& ownStockName) override
    {
        QStringList others;
        db::Statement select = priceDb_.prepare(QStringLiteral("SELECT Postavshik FROM AllPostavSetup ORDER BY Id"));
        while (select.step()) {
            if (select.text(0) != ownStockName)
                others << select.text(0);
        }
        emit thread_.combinedExportRequested(ownStockName, others);
    }

    void armRepricing() override { emit thread_.repricingRequested(); }

private:
    // The loaded offers are searchable at once; indexing them for a fast
    // search runs in a transaction of its own before the next list, and the
    // index on their articles in another after it. When either fails the
    // search still finds them (slower) and the next start builds what is
    // missing.
    void catchUpSearchIndex()
    {
        try {
            catchUpSupplierGoodsIndex(priceDb_);
            completeOfferIndexes(priceDb_);
        } catch (const db::DbError&) {
        }
    }

    // The pages a commit left in the write-ahead log are copied into the
    // database file on a thread of its own (this connection defers that
    // copy), the list's while its search index catches up, the index's
    // while the next list loads. While a copy runs, another connection's
    // commit (the main window's) does not take the copy over on its own
    // thread. A copy that fails leaves the pages in the log, as safe, for
    // the next one.
    void copyLogIntoFile() { logCopy_.start(settings_.pricePath); }

    QString loadedText(int count) const
    {
        return statusText_ + QStringLiteral("   ") + name_ + QStringLiteral(" загружено ") +
               RussianCount(count, QStringLiteral("товар"), QStringLiteral("товара"), QStringLiteral("товаров")) +
               QStringLiteral(".");
    }

    QString exportFolder(const QString& name)
    {
        const std::optional<PriceListSetup> setup = ReadPriceListSetup(priceDb_, name);
        const QString folder = setup ? exports::ExportFolderFor(setup->path) : QString();
        if (folder.isEmpty())
            throw exports::ExportError(MissingFileText(name));
        return folder;
    }

    TPriceListLoadSave& thread_;
    const LoadRunSettings& settings_;
    db::Connection& priceDb_;
    db::Connection& orderDb_;
    QString& lastStatus_;
    QString& firstError_;
    LoaderSwitches switches_;
    QString name_;
    QString statusText_;
    QElapsedTimer sinceStatus_;
    QStringList omitted_;
    db::BackgroundCheckpoint logCopy_; // waited for when the run ends
};

} // namespace

TPriceListLoadSave::TPriceListLoadSave(LoadRunSettings settings, QObject* parent)
    : QThread(parent), settings_(std::move(settings))
{
}

TPriceListLoadSave::~TPriceListLoadSave()
{
    requestAbort();
    wait();
}

void TPriceListLoadSave::run()
{
    QString lastStatus;
    try {
        db::Connection priceDb(settings_.pricePath);
        // A list's commit does not wait for its pages to be copied from the
        // write-ahead log: each list copies them once it is searchable.
        const db::AutoCheckpointPause deferred(priceDb);
        db::Connection orderDb(settings_.orderPath);
        QueueSwitches switches;
        switches.brevikMoto = iniSwitch(settings_.userIniPath, "Brevik-Moto");
        switches.exportCsv = iniSwitch(settings_.userIniPath, "Export_CSV");
        switches.ormita = settings_.ormita;
        switches.autoExport = SettingsStore(orderDb).readBoolean(QStringLiteral("AutoExportPrice"), QStringLiteral("-1"));
        switches.singleList = settings_.singleList;
        ThreadHost host(*this, settings_, priceDb, orderDb, lastStatus, firstError_);
        outcome_ = RunLoadQueue(settings_.names, host, switches, settings_.pauses);
        if (!host.omitted().isEmpty())
            emit exportRowsOmitted(host.omitted().join(u'\r'));
    } catch (const std::exception& error) {
        const QString text = dynamic_cast<const std::bad_alloc*>(&error)
                                 ? QStringLiteral("Недостаточно памяти для загрузки прайс-листов")
                                 : ErrorText(error);
        outcome_.statusText = lastStatus + QStringLiteral("  #####  ") + text + QStringLiteral("  #####  ");
        if (firstError_.isEmpty())
            firstError_ = text;
        emit statusReported(outcome_.statusText, kStartLoadCaption);
    }
}

} // namespace velmora::loader
