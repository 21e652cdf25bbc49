#include "catalogue_import.h"

#include "sheet_cells.h"

#include "catalogue/article_code.h"

#include "platform/spreadsheet/cell_ref.h"
#include "platform/spreadsheet/reader.h"

#include <QHash>

#include <algorithm>

namespace velmora::catalogue {

const QString kCatalogueImportWarning = QStringLiteral(
    "Данная функция позволяет загрузить \rсобственный каталог товаров.\r\r\r                    Внимание!\r\r"
    "Загрузка нового каталога товаров \rприведет к удалению всех существующих \rтоваров, критериев и соответствий!"
    "\r\rПродолжить загрузку?");
const QString kReadingSheetText = QStringLiteral("загрузка прайс-листа");
const QString kStoringCatalogueText = QStringLiteral("Сохранение значений в базе");

namespace {

constexpr int kTovarLength = 200;
constexpr int kGarantLength = 50;

int columnOfLetters(const QString& letters)
{
    return letters.trimmed().isEmpty() ? 0 : sheet::columnNumber(letters.trimmed());
}

// The merged areas that cover cells of the level columns, by cell.
class LevelMerges {
public:
    LevelMerges(const std::vector<sheet::CellRange>& merges, const std::vector<int>& levelColumns)
    {
        for (const sheet::CellRange& area : merges) {
            for (int column : levelColumns)
                if (column >= area.first.column && column <= area.last.column)
                    for (int row = area.first.row; row <= area.last.row; ++row)
                        covering_.insert(key(row, column), &area);
        }
    }

    const sheet::CellRange* at(int row, int column) const { return covering_.value(key(row, column), nullptr); }

private:
    static quint64 key(int row, int column) { return (quint64(quint32(row)) << 32) | quint32(column); }
    QHash<quint64, const sheet::CellRange*> covering_;
};

// The texts of a row's level cells as the sheet shows them: a merged
// cell shows its area's text, in the first level column the area covers.
std::vector<QString> levelTexts(const sheet::ValueBlock& cells, const LevelMerges& merges,
                                const std::vector<int>& levelColumns, int row)
{
    std::vector<QString> texts;
    texts.reserve(levelColumns.size());
    const sheet::CellRange* left = nullptr;
    for (int column : levelColumns) {
        const sheet::CellRange* area = merges.at(row, column);
        if (!area)
            texts.push_back(importCellText(cells, row, column));
        else if (area == left)
            texts.emplace_back();
        else
            texts.push_back(importCellText(cells, area->first.row, area->first.column));
        left = area;
    }
    return texts;
}

void run(db::Connection& priceDb, const char* sql)
{
    db::Statement s = priceDb.prepare(QString::fromLatin1(sql));
    s.execute();
}

} // namespace

LevelLook levelLookOfCell(const sheet::CellStyle& style, int column)
{
    LevelLook look;
    look.fontName = style.font.name;
    look.fontSize = QString::number(style.font.size);
    look.column = column > 0 ? sheet::columnLetters(column) : QString();
    look.fontColor = style.font.color;
    look.fill = style.fill.value_or(sheet::Color::fromRgb(0xFFFFFF));
    look.bold = style.font.bold;
    look.italic = style.font.italic;
    look.underline = style.font.underline;
    return look;
}

int identicalLevelPairs(const std::array<LevelLook, 6>& levels)
{
    int pairs = 0;
    for (int i = 1; i <= 5; ++i)
        for (int j = i + 1; j <= 5; ++j)
            if (!levels[size_t(i)].fontName.isEmpty() && levels[size_t(i)] == levels[size_t(j)])
                ++pairs;
    return pairs;
}

QString identicalLevelsQuestion(int pairs)
{
    if (pairs <= 0)
        return QString();
    QString text = QStringLiteral("В настройках групп товаров есть одинаковые записи!\rТ.е. группы имеющие полностью "
                                  "идентичные значения:\rНазвания шрифта, размер, цвет, стиль и т.д.\r\r");
    if (pairs < 3)
        text += QStringLiteral("Загрузка прайс-листа будет произведена не корректно,\rжелательно откорректировать "
                               "настройки групп товаров.");
    else
        text += QStringLiteral("Количество идентичных записей больше критического!\rТакое количество идентичных "
                               "записей приведет к\rневозможности правильной загрузки прайс-листа.\rНеобходимо "
                               "откорректировать настройки групп товаров.");
    return text + QStringLiteral("\r\rПродолжить загрузку?");
}

ImportedCatalogue buildImportedCatalogue(const sheet::ValueBlock& cells, const CatalogueImportSettings& settings,
                                         Progress* progress, const std::vector<sheet::CellRange>& merges)
{
    ImportedCatalogue result;
    const int first = std::clamp(settings.startRow, 1, kMaxStartRow);
    const int last = cells.rows();
    startProgress(progress, kReadingSheetText, std::max(0, last - first));

    const bool inColumns = settings.layout == CatalogueLayout::CategoriesInColumns;
    std::vector<int> levelColumns; // the level columns 1 ... 4 that are set, in order
    for (int level = 1; level <= kGroupLevels && inColumns; ++level)
        if (const int column = columnOfLetters(settings.levels[size_t(level)].column); column > 0)
            levelColumns.push_back(column);

    struct PathStep {
        QString name;
        qint64 code = 0;
    };
    std::vector<PathStep> path;         // the groups of the row before
    QHash<qint64, qint64> childCount;   // children made so far, by parent
    const LevelMerges levelMerges(merges, levelColumns); // none without level columns
    std::vector<QString> names;
    names.reserve(levelColumns.size());

    for (int row = first; row <= last; ++row) {
        qint64 group = 0;
        if (inColumns) {
            names.clear();
            bool continuing = true; // the levels so far are the row above's
            for (QString& name : levelTexts(cells, levelMerges, levelColumns, row)) {
                const size_t level = names.size();
                if (name.isEmpty()) {
                    if (!continuing || level >= path.size())
                        break;
                    name = path[level].name;
                } else if (level >= path.size() || name != path[level].name) {
                    continuing = false;
                }
                names.push_back(std::move(name));
            }
            size_t same = 0;
            while (same < names.size() && same < path.size() && path[same].name == names[same])
                ++same;
            if (same < names.size()) {
                path.resize(same);
                for (size_t depth = same; depth < names.size(); ++depth) {
                    const qint64 parent = depth == 0 ? 0 : path[depth - 1].code;
                    ImportedGroup g;
                    g.code = qint64(result.groups.size()) + 1;
                    g.parent = parent;
                    g.pos = ++childCount[parent];
                    g.name = names[depth];
                    if (parent > 0)
                        result.groups[size_t(parent - 1)].hasChildren = true;
                    result.groups.push_back(g);
                    path.push_back(PathStep{names[depth], g.code});
                }
            }
            group = names.empty() ? 0 : path[names.size() - 1].code;
        }

        bool pricePresent = false;
        const double price = importCellNumber(cells, row, settings.columnPrice, &pricePresent);
        const QString tovar = importCellText(cells, row, settings.columnTovar);
        const bool isGood = inColumns ? price > 0 : price >= 0 && (pricePresent || !tovar.isEmpty());
        if (isGood) {
            ImportedGood good;
            good.code = qint64(result.goods.size()) + 1;
            good.art = importCellText(cells, row, settings.columnArt).left(kArticleLength);
            good.group = group;
            good.tovar = tovar.left(kTovarLength);
            good.price = price;
            good.garant = importCellText(cells, row, settings.columnGarant).left(kGarantLength);
            result.goods.push_back(std::move(good));
        }
        if (row > first)
            stepProgress(progress);
    }
    return result;
}

void storeImportedCatalogue(db::Connection& priceDb, const ImportedCatalogue& catalogue, qint64 today,
                            Progress* progress)
{
    startProgress(progress, kStoringCatalogueText, int(catalogue.groups.size() + catalogue.goods.size()));
    db::Transaction tx(priceDb);
    run(priceDb, "DELETE FROM Tovar_tree_history");
    run(priceDb, "INSERT INTO Tovar_tree_history (Code, Parent, Pos, HCh_T, Picture, Comment, Nacen, Garant)"
                 " SELECT Code, Parent, Pos, HCh_T, Picture, Comment, Nacen, Garant FROM Tovar_tree");
    run(priceDb, "DELETE FROM Tovar_tree");
    {
        db::Statement insert = priceDb.prepare(
            QStringLiteral("INSERT INTO Tovar_tree (Code, Parent, Pos, HCh_T, Picture, Comment, Nacen, Garant)"
                           " VALUES (?1, ?2, ?3, ?4, 5, ?5, 0, '')"));
        for (const ImportedGroup& g : catalogue.groups) {
            insert.bindInt(1, g.code).bindInt(2, g.parent).bindInt(3, g.pos).bindInt(4, g.hasChildren ? 1 : 0);
            insert.bindText(5, g.name).execute();
            insert.reset();
            stepProgress(progress);
        }
    }

    run(priceDb, "DELETE FROM price_main_history");
    run(priceDb,
        "INSERT INTO price_main_history (Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1, Dates, Garant, Sale,"
        " SuperPrice) SELECT Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1, Dates, Garant, Sale, SuperPrice"
        " FROM price_main");
    run(priceDb, "DELETE FROM price_main");
    run(priceDb, "DELETE FROM Price_Tovar_Info");
    {
        db::Statement good = priceDb.prepare(
            QStringLiteral("INSERT INTO price_main (Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1, Dates, Garant,"
                           " Sale, SuperPrice) VALUES (?1, ?2, ?3, ?4, 0, 0, ?5, ?6, ?7, 0, 0)"));
        db::Statement details = priceDb.prepare(QStringLiteral(
            "INSERT INTO Price_Tovar_Info (Code, Art, URL, pictures, Comment) VALUES (?1, ?2, '', '', '')"));
        good.bindInt(6, today);
        for (const ImportedGood& g : catalogue.goods) {
            good.bindInt(1, g.code).bindText(2, g.art).bindText(3, QString::number(g.group)).bindText(4, g.tovar);
            good.bindDouble(5, g.price).bindText(7, g.garant).execute();
            good.reset();
            details.bindInt(1, g.code).bindText(2, g.art).execute();
            details.reset();
            stepProgress(progress);
        }
    }

    // Whatever referred to the old goods codes. The general thresholds
    // belong to no group and stay.
    for (const char* sql : {"DELETE FROM krit", "DELETE FROM kritiskl", "DELETE FROM MinPrice_Group",
                            "DELETE FROM MinPrice_Nacen WHERE Kategor <> 0", "DELETE FROM musor",
                            "DELETE FROM price_all", "DELETE FROM sootv", "DELETE FROM Sootv_All",
                            "DELETE FROM svod"})
        run(priceDb, sql);
    tx.commit();
}

CatalogueImportResult importCatalogue(db::Connection& priceDb, const CatalogueImportSettings& settings, qint64 today,
                                      Progress* progress)
{
    sheet::WorkbookReader reader(settings.path);
    int index = settings.sheetName.isEmpty() ? 0 : reader.sheetIndex(settings.sheetName);
    if (index == 0)
        index = settings.sheetIndex;
    int columns = std::max({settings.columnArt, settings.columnTovar, settings.columnPrice, settings.columnGarant});
    if (settings.layout == CatalogueLayout::CategoriesInColumns)
        for (int level = 1; level <= kGroupLevels; ++level)
            columns = std::max(columns, columnOfLetters(settings.levels[size_t(level)].column));
    sheet::ReadOptions options;
    options.maxColumns = std::max(columns, 1);
    const sheet::SheetData data = reader.readSheet(index, options);
    const ImportedCatalogue catalogue = buildImportedCatalogue(data.values, settings, progress, data.info.merges);
    storeImportedCatalogue(priceDb, catalogue, today, progress);
    return CatalogueImportResult{int(catalogue.groups.size()), int(catalogue.goods.size())};
}

QString catalogueImportedMessage(const CatalogueImportResult& result)
{
    return QStringLiteral("Добавлено: категорий - %1, товаров - %2").arg(result.groups).arg(result.goods);
}

} // namespace velmora::catalogue
