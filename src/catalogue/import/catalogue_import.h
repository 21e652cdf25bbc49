#pragma once

#include "platform/db/connection.h"
#include "platform/files/progress.h"
#include "platform/spreadsheet/cell_ref.h"
#include "platform/spreadsheet/cell_style.h"
#include "platform/spreadsheet/value_block.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace velmora::catalogue {

// The import of the own catalogue from one worksheet (Form_ExcelSetup):
// the sheet replaces the group tree and the goods, the previous catalogue
// going into the history tables and every table that refers to goods codes
// being emptied.

// The look and the column of a group heading of one level, as the level
// row of the window holds it (picked from a cell of the sheet view).
struct LevelLook {
    QString fontName;
    QString fontSize;
    QString column; // letters, "" for none
    std::optional<sheet::Color> fontColor; // none: a cleared panel
    std::optional<sheet::Color> fill;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool operator==(const LevelLook&) const = default;
};

// The level row a picked cell gives: its font name, size, colour and
// styles, its fill (white when it has none, as the spreadsheet reports an
// unfilled cell) and its column's letters.
LevelLook levelLookOfCell(const sheet::CellStyle& style, int column);

// The layouts of ComboBox_TreeType.
enum class CatalogueLayout {
    GroupedByCategories = 0, // every good under no group
    CategoriesInColumns = 1, // each row names its groups, level by level, in the level columns
};

inline constexpr int kMaxStartRow = 50;
inline constexpr int kGroupLevels = 4; // the levels the second layout reads

struct CatalogueImportSettings {
    QString path;
    QString sheetName; // found by name first
    int sheetIndex = 1; // 1-based, when no sheet has the name
    int startRow = 1;   // kept within 1 ... kMaxStartRow
    CatalogueLayout layout = CatalogueLayout::GroupedByCategories;
    int columnArt = 0; // 0: none, 1: A ...
    int columnTovar = 0;
    int columnPrice = 0;
    int columnGarant = 0;
    // The level rows: levels[1] ... levels[5] for levels 1 to 5, levels[0]
    // for level 0. Only the columns of levels 1 to 4 are read.
    std::array<LevelLook, 6> levels;
};

// The pairs among levels 1 to 5 with a font name whose eight look values
// (font name, size, column, font colour, fill, bold, italic, underline)
// are all equal.
int identicalLevelPairs(const std::array<LevelLook, 6>& levels);
// The question put before the import when there are such pairs: the milder
// text for one or two pairs, the critical one for three or more; empty for
// none.
QString identicalLevelsQuestion(int pairs);

// The groups and goods built from the sheet, before anything is written.
// Codes are 1-based row numbers of these lists.
struct ImportedGroup {
    qint64 code = 0;
    qint64 parent = 0; // 0: a category
    qint64 pos = 0;
    bool hasChildren = false;
    QString name;
};
struct ImportedGood {
    qint64 code = 0;
    QString art;     // first 15 characters
    qint64 group = 0;
    QString tovar;   // first 200 characters
    double price = 0;
    QString garant;  // first 50 characters
};
struct ImportedCatalogue {
    std::vector<ImportedGroup> groups;
    std::vector<ImportedGood> goods;
};

// Builds the catalogue from the rows startRow ... last of `cells` (the
// sheet from A1) with the sheet's merged areas.
//
// Categories in columns: each row's groups are the texts of the level
// columns 1 to 4 that have a column, in order. A level cell covered by a
// merge reads the merge's text (once per row: a heading merged across
// several level columns names the first of them). An empty level cell
// continues the row above's group at that level while every level above it
// continues too; after a level whose text changed, the first empty level
// ends the row's groups. Where a row's groups first differ from the
// previous row's, new groups are made for that level and every level below
// it, each the last child of the group above it (a level that changes
// starts its lower levels afresh, so a repeated subgroup name under a new
// category is a new group). A row whose price is above 0 is a good of its
// deepest group (of none when it names no group).
//
// Grouped by categories: no groups; every row with a price of 0 or more is
// a good of no group, but a row with neither a name nor a price.
//
// A price is a number cell or a text holding a number; other cells read 0.
ImportedCatalogue buildImportedCatalogue(const sheet::ValueBlock& cells, const CatalogueImportSettings& settings,
                                         Progress* progress = nullptr,
                                         const std::vector<sheet::CellRange>& merges = {});

// Stores the catalogue in one transaction: the previous groups and goods
// into Tovar_tree_history and price_main_history; the new groups, goods
// (dated `today`) and their empty export details; the criteria,
// exclusions, minimum-price suppliers, group thresholds (the general row,
// Kategor 0, stays), trash bin, waiting supplier items, correspondences
// and combined price emptied. A failure leaves everything as it was and
// throws db::DbError.
void storeImportedCatalogue(db::Connection& priceDb, const ImportedCatalogue& catalogue, qint64 today,
                            Progress* progress = nullptr);

// The whole import: reads the workbook's sheet (sheet::SheetError), builds
// and stores. The progress runs over the rows read ("загрузка прайс-листа"),
// then over groups and goods ("Сохранение значений в базе").
struct CatalogueImportResult {
    int groups = 0;
    int goods = 0;
};
CatalogueImportResult importCatalogue(db::Connection& priceDb, const CatalogueImportSettings& settings, qint64 today,
                                      Progress* progress = nullptr);

// "Добавлено: категорий - G, товаров - N"
QString catalogueImportedMessage(const CatalogueImportResult& result);

// The warning before the import window opens.
extern const QString kCatalogueImportWarning;
extern const QString kReadingSheetText;
extern const QString kStoringCatalogueText;

} // namespace velmora::catalogue
