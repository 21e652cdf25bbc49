#include "export_run.h"

#include "output/output_folders.h"
#include "output/parameters/export_parameters.h"

namespace velmora::output {
namespace {

void tell(const MessageSink& sink, const QString& text)
{
    if (sink)
        sink(text);
}

} // namespace

QString cutArticlesMessage(int count)
{
    return QStringLiteral("Артикулов, обрезанных до %1 символов в базе DBF (для 1С): %2")
        .arg(kPriceDbfArticleWidth)
        .arg(count);
}

ExportRunResult RunExport(db::Connection& priceDb, const ExportRunInput& input, Progress* bar)
{
    const auto phase = [&input](const QString& text) {
        if (input.phase)
            input.phase(text);
    };
    ExportRunResult result;
    const ExportParameters parameters = readExportParameters(priceDb);
    if (input.switches.recalcPrices) {
        phase(kPhaseRecalc);
        RecalcRequest request;
        request.today = input.today;
        result.recalc = RecalcMinPrices(priceDb, input.minPrices, request, bar);
        if (result.recalc->roundingFailed)
            tell(input.notify, kRoundingFailed);
        // Before any file is written, so the user knows what they will lack.
        tell(input.notify, recalcReportText(*result.recalc));
    }

    phase(kPhasePrepare);
    result.priceOut = RebuildPriceOut(priceDb, parameters, input.roundDigits, bar);
    if (result.priceOut.roundingFailed)
        tell(input.notify, kRoundingFailed);

    if (input.switches.dbf) {
        const QString folder = ensureOutputFolder(input.programFolder, QString::fromUtf8(kDbfFolderName));
        phase(kPhaseDbf);
        startProgress(bar, QString(), int(result.priceOut.goods));
        result.dbfPath = folder + QLatin1String(kPriceDbfFileName);
        result.dbf = WritePriceDbf(priceDb, result.dbfPath, input.today, bar);
        stampParameterDate(priceDb, 2, input.today);
        if (result.dbf->cutArticles > 0)
            tell(input.notify, cutArticlesMessage(result.dbf->cutArticles));
    }

    if (input.switches.managersDatabase) {
        const QString folder = ensureOutputFolder(input.programFolder, QString::fromUtf8(kManagersFolderName));
        phase(kPhaseManagers);
        result.managersPath = folder
            + outputFileName(parameters.row(3).fileName,
                             {QStringLiteral(".mdb"), QStringLiteral(".accdb"), QStringLiteral(".sqlite")},
                             QString::fromUtf8(kManagersDatabaseDefaultStem),
                             QLatin1String(kManagersDatabaseExtension));
        result.managers = WriteManagersDatabase(priceDb, result.managersPath, input.today, bar);
    }

    if (input.switches.priceList && input.priceList) {
        phase(kPhasePriceList);
        result.priceListSaved = input.priceList(bar);
        if (result.priceListSaved)
            stampParameterDate(priceDb, 1, input.today);
    }

    if (input.switches.catalogue) {
        phase(kPhaseCatalogue);
        const QString folder = ensureOutputFolder(input.programFolder, QString::fromUtf8(kCatalogueFolderName));
        result.cataloguePath = folder
            + outputFileName(parameters.row(1).fileName, {QStringLiteral(".xlsx"), QStringLiteral(".xls")},
                             QString::fromUtf8(kCatalogueDefaultStem), QStringLiteral(".xlsx"));
        result.catalogue = WriteCatalogueWorkbook(priceDb, parameters, result.cataloguePath, input.today, bar);
    }
    return result;
}

} // namespace velmora::output
