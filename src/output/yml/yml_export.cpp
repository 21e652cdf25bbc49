#include "yml_export.h"

#include "yml_catalog.h"

#include "output/empty_catalogue.h"
#include "output/output_error.h"
#include "output/output_folders.h"
#include "output/parameters/export_parameters.h"
#include "output/parameters/yml_settings.h"

#include "platform/files/error_text.h"
#include "platform/files/file_helpers.h"
#include "storage/settings_store.h"

#include <QDir>
#include <QFileInfo>

namespace velmora::output {
namespace {

QList<YmlCategory> readCategories(db::Connection& priceDb)
{
    QList<YmlCategory> categories;
    db::Statement select =
        priceDb.prepare(QStringLiteral("SELECT Code, Parent, Comment FROM Tovar_tree ORDER BY Parent, Pos"));
    while (select.step())
        categories.append({select.integer(0), select.integer(1), select.text(2)});
    return categories;
}

QList<YmlOffer> readOffers(db::Connection& priceDb, int markup4, const QString& currencyId)
{
    QList<YmlOffer> offers;
    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT m.Code, m.Kategor, m.Tovar, i.URL, i.pictures, "
        "m.Price_1 * (1 + m.Nacen / 100.0) * (1 + ?1 / 100.0) AS Price "
        "FROM price_main m JOIN Price_Tovar_Info i ON m.Code = i.Code ORDER BY m.rowid"));
    select.bindInt(1, markup4);
    while (select.step()) {
        YmlOffer offer;
        offer.id = select.integer(0);
        offer.categoryId = select.integer(1);
        offer.name = select.text(2);
        offer.url = select.text(3);
        offer.picture = select.text(4);
        offer.price = select.number(5);
        offer.currencyId = currencyId;
        offers.append(std::move(offer));
    }
    return offers;
}

} // namespace

QString ymlNoPathMessage()
{
    return QStringLiteral("    В параметрах экспорта не указан путь сохранения каталога в XML!\r\r"
                          "Меню \"Экспорт\" -> \"Параметры экспорта\" -> \"Настройки экспорта в XML\"");
}

QString ymlDoneMessage(const QString& path)
{
    return QStringLiteral(" Каталог в формате XML создан в:\r ") + path;
}

QString ymlFailedMessage(const QString& reason)
{
    QString text = QStringLiteral(" Произошла ошибка при выгрузке каталога в XML");
    if (!reason.isEmpty())
        text += QStringLiteral("\r\r") + reason;
    return text;
}

YmlExportResult ExportYmlCatalogFile(db::Connection& priceDb, SettingsStore& orderSettings,
                                     const YmlExportInput& input)
{
    YmlExportResult result;
    try {
        const ExportParameters parameters = readExportParameters(priceDb);
        const YmlSettings settings = readYmlSettings(orderSettings, input.dataFolder, input.displayCurrency);
        // No window writes row 5: the path the parameters window keeps counts too.
        if (parameters.ymlPath().isEmpty() && settings.xmlPath.isEmpty()) {
            result.message = ymlNoPathMessage();
            return result;
        }
        YmlCatalog catalog;
        catalog.categories = readCategories(priceDb);
        catalog.offers = readOffers(priceDb, parameters.priceColumnMarkup(4), YmlCurrencyId(settings.currency));
        // Nothing to offer: refused before the folder is made.
        if (catalog.categories.isEmpty() || catalog.offers.isEmpty()) {
            const QString notMade = QStringLiteral("файл XML не создан");
            result.message = catalog.categories.isEmpty() ? noGroupsMessage(notMade) : noGoodsMessage(notMade);
            return result;
        }
        catalog.shop = {settings.shopName, settings.company, settings.url};
        catalog.usd = settings.usd;
        catalog.eur = settings.eur;
        catalog.deliveryIncluded = settings.delivery == 1;
        const QString folder = ensureOutputFolder(input.programFolder, QString::fromUtf8(kYmlFolderName));
        result.path = folder + QString::fromUtf8(kYmlFileName);
        ExportYmlCatalog(result.path, catalog, input.clock ? input.clock() : QDateTime::currentDateTime());
        result.written = true;
    } catch (const std::exception& e) {
        result.message = ymlFailedMessage(ErrorText(e));
        return result;
    }

    // The catalogue names its document type file, which stands beside it.
    const QString dtd = QDir(input.programFolder).filePath(QString::fromLatin1(kYmlDtdFileName));
    const QString copy = QFileInfo(result.path).dir().filePath(QString::fromLatin1(kYmlDtdFileName));
    result.message = ymlDoneMessage(result.path);
    if (!QFileInfo(dtd).isFile())
        result.message += QStringLiteral("\r\rНе найден файл описания каталога ") + dtd +
                          QStringLiteral(": рядом с каталогом его нет.");
    else if (!CopyFileShell(dtd, copy))
        result.message += QStringLiteral("\r\rНе удалось скопировать файл описания каталога в ") + copy;
    return result;
}

} // namespace velmora::output
