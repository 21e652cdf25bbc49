#include "price_excel_settings.h"

#include "output/shop_currency.h"
#include "platform/db/connection.h"
#include "storage/color_text.h"
#include "storage/settings_store.h"

#include <QDir>

#include <algorithm>

namespace velmora::output {
namespace {

const QString kText = QStringLiteral("TypeText");
const QString kInteger = QStringLiteral("TypeInteger");
const QString kBoolean = QStringLiteral("TypeBoolean");

// The most sheet names read back: a damaged count cannot make the window
// read for ever.
constexpr int kMostSheetNames = 1024;

// A colour among the values a visitor is given.
template <typename Number>
struct ColorField {
    Number& bgr;
};

// A value whose default follows the shop's currency: a missing setting
// reads as the default and is not stored, until the window stores one.
template <typename Number>
struct CurrencyField {
    Number& value;
};

struct ColumnDefaults {
    GoodsColumn column;
    const char* key;
    const char* caption; // the window's caption of the column
    const char* wanted;
    const char* position;
    const char* width;
};

// The positions are the shipped template's: its titles in row 3 stand over
// C "Наименование", D "Артикул", E "Наличие", F ... I the four prices, J
// "Гарантия" and K "Комментарий" (A and B take each group's level and code).
constexpr ColumnDefaults kColumns[kGoodsColumnCount] = {
    {GoodsColumn::Kat, "Kat", "Группы товаров", "1", "0", "15"},
    {GoodsColumn::Art, "Art", "Артикул", "1", "4", "9"},
    {GoodsColumn::Tovar, "Tovar", "Название товара", "1", "3", "65"},
    {GoodsColumn::Presence, "Presence", "Наличие", "1", "5", "65"},
    {GoodsColumn::Price1, "Price1", "Цена 1", "1", "6", "10"},
    {GoodsColumn::Price2, "Price2", "Цена 2", "1", "7", "10"},
    {GoodsColumn::Price3, "Price3", "Цена 3", "1", "8", "10"},
    {GoodsColumn::Price4, "Price4", "Цена 4", "1", "9", "10"},
    {GoodsColumn::Garant, "Garant", "Гарантия", "1", "10", "10"},
    {GoodsColumn::Comment, "Comment", "Комментарии", "0", "11", "65"},
};

// The template's first row under its column titles.
constexpr char kStartRowDefault[] = "4";

// Every setting of the layout but the sheet names, with its one default:
// visit(name, value, defaultText) for QString, int and bool values and
// ColorField colours, const for writing. The window and the writer both
// read through here, so they cannot disagree on a default.
template <typename Settings, typename Visitor>
void forEachSetting(Settings& s, const QString& templateDefault, const QString& currencyDefault, Visitor&& visit)
{
    visit(QStringLiteral("Edit_Path"), s.templatePath, templateDefault);
    visit(QStringLiteral("ComboBox_SheetItemIndex"), s.sheetIndex, QStringLiteral("0"));
    visit(QStringLiteral("ComboBox_StartRowItemIndex"), s.startRowIndex, QLatin1String(kStartRowDefault));
    visit(QStringLiteral("ComboBox_TreeTypeItemIndex"), s.treeType, QStringLiteral("0"));
    visit(QStringLiteral("Edit_DateCell"), s.dateCell, QStringLiteral("A1"));
    visit(QStringLiteral("ComboBox_DateFormatItemIndex"), s.dateFormat, QStringLiteral("0"));
    visit(QStringLiteral("Edit_DatePrefics"), s.datePrefix, QString());
    visit(QStringLiteral("Edit_DateSuffics"), s.dateSuffix, QString());
    for (int n : {1, 2, 3, 4, 5, 0}) {
        auto& level = s.levels[size_t(n)];
        const QString k = QString::number(n);
        visit(QStringLiteral("Edit_FontName") + k, level.fontName, QStringLiteral("Arial"));
        visit(QStringLiteral("Edit_FontSize") + k, level.fontSize, QStringLiteral("10"));
        visit(QStringLiteral("StaticText_Column") + k, level.column, n == 0 ? QStringLiteral("C") : QStringLiteral("A"));
        visit(QStringLiteral("Panel_ColorFont") + k, ColorField{level.fontColor}, QStringLiteral("$000000"));
        visit(QStringLiteral("Panel_Color") + k, ColorField{level.fillColor}, QStringLiteral("$FFFFFF"));
        visit(QStringLiteral("SpeedButton_FontBold") + k, level.bold, QStringLiteral("0"));
        visit(QStringLiteral("SpeedButton_FontItalic") + k, level.italic, QStringLiteral("0"));
        visit(QStringLiteral("SpeedButton_FontUline") + k, level.underline, QStringLiteral("0"));
    }
    for (const ColumnDefaults& d : kColumns) {
        auto& column = s.columns[size_t(d.column)];
        const QString key = QLatin1String(d.key);
        visit(QStringLiteral("CheckBox_") + key, column.wanted, QLatin1String(d.wanted));
        visit(QStringLiteral("ComboBox_") + key, column.position, QLatin1String(d.position));
        visit(QStringLiteral("Edit_") + key, column.width, QLatin1String(d.width));
    }
    for (int k = 1; k <= 4; ++k)
        visit(QStringLiteral("CheckBox_Price%1Kurs").arg(k), CurrencyField{s.priceCurrency[size_t(k - 1)]},
              currencyDefault);
}

struct Reader {
    SettingsStore& store;
    void operator()(const QString& name, QString& value, const QString& def) const { value = store.readText(name, def); }
    void operator()(const QString& name, int& value, const QString& def) const
    {
        value = int(store.readInteger(name, def));
    }
    void operator()(const QString& name, bool& value, const QString& def) const
    {
        value = store.readBoolean(name, def);
    }
    void operator()(const QString& name, ColorField<std::uint32_t> value, const QString& def) const
    {
        value.bgr = colorNumberFromText(store.readText(name, def)).value_or(*colorNumberFromText(def));
    }
    void operator()(const QString& name, CurrencyField<int> value, const QString& def) const
    {
        value.value = store.contains(name) ? int(store.readInteger(name, def)) : def.toInt();
    }
};

struct Writer {
    SettingsStore& store;
    void operator()(const QString& name, const QString& value, const QString&) const
    {
        store.write(name, kText, value);
    }
    void operator()(const QString& name, int value, const QString&) const
    {
        store.write(name, kInteger, QString::number(value));
    }
    void operator()(const QString& name, bool value, const QString&) const
    {
        store.write(name, kBoolean, value ? QStringLiteral("-1") : QStringLiteral("0"));
    }
    void operator()(const QString& name, ColorField<const std::uint32_t> value, const QString&) const
    {
        store.write(name, kText, colorNumberText(value.bgr));
    }
    void operator()(const QString& name, CurrencyField<const int> value, const QString&) const
    {
        store.write(name, kInteger, QString::number(value.value));
    }
};

} // namespace

QString goodsColumnKey(GoodsColumn column) { return QLatin1String(kColumns[size_t(column)].key); }

QString goodsColumnCaption(GoodsColumn column) { return QString::fromUtf8(kColumns[size_t(column)].caption); }

QString PriceExcelSettings::sheetName() const
{
    if (sheetIndex >= 0 && sheetIndex < sheetNames.size() && !sheetNames.at(sheetIndex).trimmed().isEmpty())
        return sheetNames.at(sheetIndex);
    return QString::fromUtf8(kPriceListSheet);
}

PriceExcelSettings readPriceExcelSettings(db::Connection& orderDb, const QString& programFolder,
                                          const QString& displayCode)
{
    SettingsStore orderSettings(orderDb);
    PriceExcelSettings s;
    forEachSetting(s, QDir(programFolder).filePath(QLatin1String(kPriceListTemplate)),
                   QString::number(priceColumnCurrencyFor(displayCode)), Reader{orderSettings});
    const qint64 stored = orderSettings.readInteger(QStringLiteral("ComboBox_SheetMaxItems"), QStringLiteral("0"));
    const int count = int(std::clamp<qint64>(stored, 0, kMostSheetNames));
    for (int k = 1; k <= count; ++k)
        s.sheetNames << orderSettings.readText(QStringLiteral("ComboBox_SheetItems%1").arg(k));
    return s;
}

void storePriceExcelSettings(db::Connection& orderDb, const PriceExcelSettings& settings)
{
    db::Savepoint transaction(orderDb, QStringLiteral("price_excel_settings"));
    SettingsStore orderSettings(orderDb);
    forEachSetting(settings, QString(), QString(), Writer{orderSettings});
    orderSettings.write(QStringLiteral("ComboBox_SheetMaxItems"), kInteger, QString::number(settings.sheetNames.size()));
    for (int k = 1; k <= settings.sheetNames.size(); ++k)
        orderSettings.write(QStringLiteral("ComboBox_SheetItems%1").arg(k), kText, settings.sheetNames.at(k - 1));
    transaction.release();
}

} // namespace velmora::output
