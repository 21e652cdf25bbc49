#include "price_list_excel.h"

#include "price_excel_settings.h"
#include "price_list_date.h"
#include "price_list_rows.h"

#include "catalogue/group_tree_walk.h"
#include "output/output_error.h"
#include "output/output_folders.h"
#include "output/parameters/export_parameters.h"

#include "platform/files/error_text.h"
#include "platform/spreadsheet/spreadsheet.h"
#include "storage/settings_store.h"

#include <QHash>

#include <algorithm>
#include <array>

namespace velmora::output {
namespace {

constexpr int kDeepestFormattedLevel = 5;

// The goods columns the writer fills, with the place each has in the block.
struct Placed {
    GoodsColumn column;
    int position; // 1: column A
};

struct RowLayout {
    std::vector<Placed> placed; // the ticked columns, in the order they are filled
    int headerWidth = 0;        // header rows are formatted over A ... this column
    int blockWidth = 0;         // goods blocks span A ... this column
};

// The goods columns the writer fills, in the order they are filled.
constexpr GoodsColumn kFilled[] = {GoodsColumn::Art,    GoodsColumn::Tovar,  GoodsColumn::Presence,
                                   GoodsColumn::Price1, GoodsColumn::Price2, GoodsColumn::Price3,
                                   GoodsColumn::Price4, GoodsColumn::Garant, GoodsColumn::Comment};

bool hasPlace(const GoodsColumnLayout& c) { return c.position >= 1 && c.position <= sheet::kMaxColumns; }

// The captions of the ticked columns that have no sheet column.
QStringList unplacedColumns(const PriceExcelSettings& s)
{
    QStringList captions;
    for (GoodsColumn column : kFilled)
        if (s.column(column).wanted && !hasPlace(s.column(column)))
            captions << goodsColumnCaption(column);
    return captions;
}

// W = 1 + the ticked switches among the article, the name, the four prices,
// the warranty and the comment + 1; the goods block is one wider. A column
// placed further than that widens both. Every ticked column has a place
// (unplacedColumns is empty).
RowLayout rowLayout(const PriceExcelSettings& s)
{
    RowLayout layout;
    int width = 2;
    int furthest = 0;
    for (GoodsColumn column : kFilled) {
        const GoodsColumnLayout& c = s.column(column);
        if (!c.wanted)
            continue;
        if (column != GoodsColumn::Presence)
            ++width;
        layout.placed.push_back(Placed{column, c.position});
        furthest = std::max(furthest, c.position);
    }
    layout.headerWidth = std::max(width, furthest);
    layout.blockWidth = std::max(width + 1, furthest);
    return layout;
}

HeaderLook headerLook(const LevelLook& level)
{
    HeaderLook look;
    look.fontName = level.fontName;
    look.fontSize = level.fontSize;
    look.fontColor = sheet::Color::fromBgr(level.fontColor);
    look.fill = sheet::Color::fromBgr(level.fillColor);
    look.bold = level.bold;
    look.italic = level.italic;
    look.underline = level.underline;
    return look;
}

// The goods of one group as the list shows them.
class GroupGoods {
public:
    explicit GroupGoods(db::Connection& priceDb)
        : select_(priceDb.prepare(QStringLiteral(
              "SELECT m.Art, m.Tovar, m.Price_1, m.Nacen, m.Garant, m.SuperPrice, i.Comment "
              "FROM price_main m LEFT JOIN Price_Tovar_Info i "
              "ON i.rowid = (SELECT min(rowid) FROM Price_Tovar_Info WHERE Code = m.Code) "
              "WHERE m.Kategor = ?1 AND m.Price_1 > 0 ORDER BY m.Tovar COLLATE ALPHABET, m.Code")))
    {
    }

    struct Good {
        QString art, tovar, garant, comment;
        double price1 = 0;
        double nacen = 0;
        bool superPrice = false;
    };

    const std::vector<Good>& of(qint64 group)
    {
        goods_.clear();
        select_.reset();
        select_.bindText(1, QString::number(group));
        while (select_.step()) {
            Good g;
            g.art = select_.text(0);
            g.tovar = select_.text(1);
            g.price1 = select_.number(2);
            g.nacen = select_.number(3);
            g.garant = select_.text(4);
            g.superPrice = select_.integer(5) != 0;
            g.comment = select_.text(6);
            goods_.push_back(std::move(g));
        }
        return goods_;
    }

private:
    db::Statement select_;
    std::vector<Good> goods_;
};

struct PriceColumns {
    std::array<double, 4> markups{};
    std::array<double, 4> rates{};
};

sheet::ValueBlock goodsBlock(const std::vector<GroupGoods::Good>& goods, const RowLayout& layout,
                             const PriceColumns& prices, const SuperPriceMark& mark, int digits)
{
    sheet::ValueBlock block(int(goods.size()), layout.blockWidth);
    const auto text = [&block](int row, int column, const QString& value) {
        if (!value.isEmpty())
            block.setText(row, column, value);
    };
    int row = 0;
    for (const GroupGoods::Good& g : goods) {
        ++row;
        for (const Placed& p : layout.placed) {
            switch (p.column) {
            case GoodsColumn::Art: text(row, p.position, g.art); break;
            case GoodsColumn::Tovar: text(row, p.position, mark.nameOf(g.tovar, g.superPrice)); break;
            case GoodsColumn::Presence:
                block.setText(row, p.position, g.price1 > 0 ? QStringLiteral("Есть") : QStringLiteral("Нет"));
                break;
            case GoodsColumn::Price1:
            case GoodsColumn::Price2:
            case GoodsColumn::Price3:
            case GoodsColumn::Price4: {
                const size_t k = size_t(p.column) - size_t(GoodsColumn::Price1);
                if (const std::optional<double> price =
                        outputPrice(g.price1, g.nacen, prices.markups[k], prices.rates[k], digits))
                    block.setNumber(row, p.position, *price);
                else
                    block.setText(row, p.position, QStringLiteral(" - "));
                break;
            }
            case GoodsColumn::Garant: text(row, p.position, g.garant); break;
            case GoodsColumn::Comment: text(row, p.position, g.comment); break;
            case GoodsColumn::Kat: break;
            }
        }
    }
    return block;
}

// The walk: header rows, goods blocks and outlines from the start row.
void writeGroups(db::Connection& priceDb, sheet::Worksheet& ws, const PriceExcelSettings& settings,
                 const PriceColumns& prices, const SuperPriceMark& mark, int digits, Progress* progress,
                 PriceExcelResult& result)
{
    const std::vector<catalogue::GroupLevel> walk = catalogue::wholeGroupTree(catalogue::loadGroupTree(priceDb));
    QHash<qint64, QString> names;
    db::Statement readNames = priceDb.prepare(QStringLiteral("SELECT Code, Comment FROM Tovar_tree"));
    while (readNames.step())
        names.insert(readNames.integer(0), readNames.text(1));
    const qint64 goodsCount =
        priceDb.scalar(QStringLiteral("SELECT count(*) FROM price_main WHERE Price_1 > 0")).toLongLong();
    startProgress(progress, kPriceListProgressText, int(std::min<qint64>(goodsCount + qint64(walk.size()), INT_MAX)));

    const RowLayout layout = rowLayout(settings);
    std::array<HeaderLook, kDeepestFormattedLevel + 1> looks;
    for (int level = 1; level <= kDeepestFormattedLevel; ++level)
        looks[size_t(level)] = headerLook(settings.levels[size_t(level)]);

    GroupGoods groupGoods(priceDb);
    GroupOutline outline(ws);
    int row = settings.startRowIndex;
    for (const catalogue::GroupLevel& group : walk) {
        outline.beginGroup(group.level, row);
        const QString name = names.value(group.code);
        ws.setNumber(row, 1, group.level);
        ws.setNumber(row, 2, double(group.code));
        ws.setText(row, 3, name);
        formatGroupHeader(ws.range(sheet::CellRef{row, 1}, sheet::CellRef{row, layout.headerWidth}),
                          looks[size_t(std::min(group.level, kDeepestFormattedLevel))]);
        ++row;

        const std::vector<GroupGoods::Good>& goods = groupGoods.of(group.code);
        if (!goods.empty()) {
            try {
                ws.setValues(sheet::CellRef{row, 1}, goodsBlock(goods, layout, prices, mark, digits));
            } catch (const sheet::SheetError&) {
                // The sheet has no room for them; the list goes on and names the group at the end.
                result.unwrittenGroups << name;
            }
        }
        row += int(goods.size());
        result.goods += qint64(goods.size());
        ++result.groups;
        stepProgress(progress, int(goods.size()) + 1);
    }
    outline.finish(row);
}

} // namespace

QString noStartRowMessage()
{
    return QStringLiteral("Не задана первая строка прайс-листа: в настройке прайс-листа в Excel "
                          "(\"Экспорт\" -> \"Настройка прайс-листа в Excel\") выберите строку вместо \"нет\".");
}

QString unplacedColumnsMessage(const QStringList& captions)
{
    return QStringLiteral("Прайс-лист не создан: для отмеченных колонок не выбрана колонка листа: \"")
           + captions.join(QStringLiteral("\", \"")) + QStringLiteral(
               "\".\rВыберите им колонки или снимите отметки в настройке прайс-листа в Excel "
               "(\"Экспорт\" -> \"Настройка прайс-листа в Excel\", страница \"Колонки\").");
}

QString unwrittenGroupsMessage(const QStringList& groups)
{
    return QStringLiteral("Не удалось записать товары групп:\r") + groups.join(u'\r');
}

PriceExcelResult ExportPriceExcel(db::Connection& priceDb, db::Connection& orderDb, const PriceExcelInput& input,
                                  Progress* progress)
{
    PriceExcelResult result;
    try {
        SettingsStore orderSettings(orderDb);
        const PriceExcelSettings settings = readPriceExcelSettings(orderDb, input.programFolder, input.displayCurrency);
        const SuperPriceMark mark = readSuperPriceMark(orderSettings);
        const ExportParameters parameters = readExportParameters(priceDb);
        if (settings.startRowIndex < 1 || settings.startRowIndex > sheet::kMaxRows) {
            result.message = noStartRowMessage();
            return result;
        }
        if (const QStringList unplaced = unplacedColumns(settings); !unplaced.isEmpty()) {
            result.message = unplacedColumnsMessage(unplaced);
            return result;
        }

        const QString templateFile = sheet::templatePath(input.programFolder, QLatin1String(kPriceListTemplate));
        sheet::Workbook book = sheet::Workbook::openTemplate(templateFile);
        sheet::Worksheet* ws = book.findSheet(settings.sheetName());
        if (!ws) {
            result.message =
                QStringLiteral("Лист \"%1\" не найден в шаблоне\r%2").arg(settings.sheetName(), templateFile);
            return result;
        }
        book.setActiveSheet(book.indexOf(*ws));
        const QDateTime now = input.clock ? input.clock() : QDateTime::currentDateTime();
        if (!settings.dateCell.trimmed().isEmpty())
            ws->range(settings.dateCell.trimmed())
                .setValue(sheet::CellValue::text(
                    priceListDateLine(settings.datePrefix, now, settings.dateFormat, settings.dateSuffix)));

        // The layout with group and goods names in one row never wrote
        // anything: every layout writes group rows.
        PriceColumns prices;
        for (int k = 1; k <= 4; ++k) {
            prices.markups[size_t(k - 1)] = parameters.priceColumnMarkup(k);
            prices.rates[size_t(k - 1)] = settings.priceCurrency[size_t(k - 1)] != 0 ? input.roubleRate : 1.0;
        }
        {
            // The wait window closes once the walk is over, however it ends.
            struct Finish {
                Progress* progress;
                ~Finish() { finishProgress(progress); }
            } finish{progress};
            writeGroups(priceDb, *ws, settings, prices, mark, input.roundDigits, progress, result);
        }

        const QString folder = ensureOutputFolder(input.programFolder, QString::fromUtf8(kPriceListFolderName));
        const QString path = folder + outputFileName(parameters.row(1).fileName,
                                                     {QStringLiteral(".xlsx"), QStringLiteral(".xls")},
                                                     QString::fromUtf8(kPriceListDefaultStem), QStringLiteral(".xlsx"));
        saveListWorkbook(book, path, result);
    } catch (const std::exception& e) {
        // OutputError, sheet::SheetError, db::DbError, SettingsError: each
        // carries the text the user reads.
        result.message = ErrorText(e);
    }
    return result;
}

} // namespace velmora::output
