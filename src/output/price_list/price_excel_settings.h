#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace velmora::db {
class Connection;
}

namespace velmora::output {

// The layout of the shop's spreadsheet price list, kept in the order
// database's settings store under the names of the layout window's
// controls (Form_PriceExcel). The window and the writer read it through
// the one table of keys and defaults behind readPriceExcelSettings.

// The template shipped in the program folder, and the sheet the writer
// fills when no stored name says otherwise.
inline constexpr char kPriceListTemplate[] = "Price-List.xlsx";
inline constexpr char kPriceListSheet[] = "Прайс-лист";

// The look of a group header row of one level (1 "Категория" ... 5
// "Подразделы") or of the goods rows (0 "Товары"). Colours are Windows
// colour numbers (blue-green-red).
struct LevelLook {
    QString fontName = QStringLiteral("Arial");
    int fontSize = 10;
    QString column;                 // StaticText_Column<n>: the column letters it was read from
    std::uint32_t fontColor = 0x000000;
    std::uint32_t fillColor = 0xFFFFFF;
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

// The goods columns in the window's order; each has a switch, a sheet
// column and a width.
enum class GoodsColumn { Kat, Art, Tovar, Presence, Price1, Price2, Price3, Price4, Garant, Comment };
inline constexpr int kGoodsColumnCount = 10;
// The part of the control names after "CheckBox_", "ComboBox_", "Edit_".
QString goodsColumnKey(GoodsColumn column);
// The column's caption in the layout window ("Артикул", "Цена 1" ...).
QString goodsColumnCaption(GoodsColumn column);

struct GoodsColumnLayout {
    bool wanted = true;
    int position = 0; // item of the list "Нет", "A" ... "Z": 0 none, 1 column A
    int width = 10;   // "Ширина" in characters
};

// The date line's formats, items of ComboBox_DateFormat.
inline constexpr int kDateFormatCount = 6;

struct PriceExcelSettings {
    QString templatePath;        // Edit_Path
    QStringList sheetNames;      // ComboBox_SheetItems1 ... <ComboBox_SheetMaxItems>
    int sheetIndex = 0;          // ComboBox_SheetItemIndex, counted from 0
    int startRowIndex = 0;       // ComboBox_StartRowItemIndex: item of "нет", "1" ... "50"
    int treeType = 0;            // ComboBox_TreeTypeItemIndex
    QString dateCell = QStringLiteral("A1");
    int dateFormat = 0;          // ComboBox_DateFormatItemIndex, 0 ... 5
    QString datePrefix;          // Edit_DatePrefics
    QString dateSuffix;          // Edit_DateSuffics
    std::array<LevelLook, 6> levels; // [0] goods, [1] ... [5] group levels
    std::array<GoodsColumnLayout, kGoodsColumnCount> columns;
    std::array<int, 4> priceCurrency{}; // CheckBox_Price<k>Kurs: 0 " $", otherwise "руб."

    GoodsColumnLayout& column(GoodsColumn c) { return columns[size_t(c)]; }
    const GoodsColumnLayout& column(GoodsColumn c) const { return columns[size_t(c)]; }
    // The sheet the writer fills: the stored name of the selected item,
    // "Прайс-лист" when there is none or it is blank.
    QString sheetName() const;
};

// Reads every setting from the order database, a missing one stored with
// its default first. The template defaults to Price-List.xlsx in the
// program folder, the first row and the goods columns to the places under
// that template's titles; a colour text that cannot be read gives the default
// colour; the price columns' currencies follow `displayCode`, the display
// currency of the rates, while none is stored (priceColumnCurrencyFor).
// Throws db::DbError.
PriceExcelSettings readPriceExcelSettings(db::Connection& orderDb, const QString& programFolder,
                                          const QString& displayCode);

// Writes every setting in one transaction: booleans as "-1"/"0", numbers as
// decimal text, colours as "$00BBGGRR", the sheet names as
// ComboBox_SheetItems1 ... with their count. Throws SettingsError or
// db::DbError and leaves the settings as they were.
void storePriceExcelSettings(db::Connection& orderDb, const PriceExcelSettings& settings);

} // namespace velmora::output
