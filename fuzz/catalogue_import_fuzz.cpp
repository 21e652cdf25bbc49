// The own catalogue imported from a workbook, in both layouts: goods in
// the rows, and groups in four level columns.
#include "fuzz_database.h"
#include "fuzz_input.h"
#include "workbook_name.h"

#include "catalogue/import/catalogue_import.h"
#include "platform/spreadsheet/sheet_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace velmora;
    using namespace velmora::catalogue;
    const QByteArray bytes = fuzz::inputBytes(data, size);
    CatalogueImportSettings settings;
    settings.path = fuzz::writeInput(bytes, fuzz::workbookFileName(bytes));
    settings.sheetName = QStringLiteral("Каталог");
    settings.columnArt = 1;
    settings.columnTovar = 2;
    settings.columnPrice = 3;
    settings.columnGarant = 4;
    const char* levelColumns[] = {"E", "F", "G", "H"};
    for (int level = 1; level <= kGroupLevels; ++level)
        settings.levels[std::size_t(level)].column = QString::fromLatin1(levelColumns[level - 1]);
    for (const CatalogueLayout layout : {CatalogueLayout::GroupedByCategories, CatalogueLayout::CategoriesInColumns}) {
        settings.layout = layout;
        try {
            db::Connection& db = fuzz::priceDatabase();
            const CatalogueImportResult result = importCatalogue(db, settings, 45000);
            const qint64 goods = db.scalar(QStringLiteral("SELECT COUNT(*) FROM price_main")).toLongLong();
            const qint64 groups = db.scalar(QStringLiteral("SELECT COUNT(*) FROM Tovar_tree")).toLongLong();
            if (goods != result.goods || groups != result.groups)
                fuzz::broken("the catalogue stored is not the one counted",
                             QStringLiteral("%1/%2 %3/%4").arg(goods).arg(result.goods).arg(groups).arg(result.groups));
        } catch (const sheet::SheetError&) {
            return 0;
        }
    }
    return 0;
}
