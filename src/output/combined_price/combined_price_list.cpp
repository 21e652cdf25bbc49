#include "combined_price_list.h"

#include "catalogue/group_tree_walk.h"
#include "output/empty_catalogue.h"
#include "output/output_error.h"
#include "output/output_folders.h"
#include "output/price_list/price_list_excel.h"
#include "output/price_list/price_list_rows.h"

#include "platform/db/text_functions.h"
#include "platform/files/error_text.h"
#include "platform/spreadsheet/spreadsheet.h"
#include "storage/settings_store.h"

#include <QHash>

#include <algorithm>
#include <climits>
#include <limits>
#include <string>
#include <unordered_map>
#include <vector>

namespace velmora::output {
namespace {

constexpr int kHeaderRow = 5;
constexpr int kFirstRow = 6; // the template's goods row
constexpr int kSupplierColumn = 4;

// The fills of the group header rows by depth (BGR), depths past 5 as 5.
constexpr quint32 kDepthFills[] = {8388609, 16646144, 16737843, 16763904, 16764313};

struct Good {
    qint64 code = 0;
    QString art;
    QString tovar;
    double price1 = 0;
    double nacen = 0;
    bool superPrice = false;
};

struct Offer {
    int supplier; // index into the supplier columns
    double price;
};

// The suppliers' columns: one per postavshik row; a name is matched
// without case, and a name listed twice fills both of its columns.
struct Suppliers {
    QStringList names;
    QHash<QString, std::vector<int>> byName; // folded name -> indices

    explicit Suppliers(db::Connection& priceDb)
    {
        db::Statement select = priceDb.prepare(QStringLiteral("SELECT Postavshik FROM postavshik ORDER BY rowid"));
        while (select.step()) {
            byName[db::foldCase(select.text(0).trimmed())].push_back(int(names.size()));
            names << select.text(0);
        }
    }
    int count() const { return int(names.size()); }
};

// The goods by their group's Kategor text, each group's in the list's order.
QHash<QString, std::vector<Good>> readGoods(db::Connection& priceDb)
{
    QHash<QString, std::vector<Good>> goods;
    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT Kategor, Code, Art, Tovar, Price_1, Nacen, SuperPrice FROM price_main WHERE Price_1 > -1 "
        "ORDER BY Kategor, Tovar COLLATE ALPHABET, Code"));
    while (select.step()) {
        Good g;
        g.code = select.integer(1);
        g.art = select.text(2);
        g.tovar = select.text(3);
        g.price1 = select.number(4);
        g.nacen = select.number(5);
        g.superPrice = select.integer(6) != 0;
        goods[select.text(0)].push_back(std::move(g));
    }
    return goods;
}

// Every good's offers of listed suppliers in one pass over svod in table
// order. A good's rows are read by supplier name, then as stored, so of a
// supplier's rows the last stored stands in its column: keeping them in
// table order gives the same.
QHash<qint64, std::vector<Offer>> readOffers(db::Connection& priceDb, const Suppliers& suppliers)
{
    QHash<qint64, std::vector<Offer>> offers;
    db::Statement select = priceDb.prepare(
        QStringLiteral("SELECT Code_sootv, Postavshik, Price FROM svod WHERE Code_sootv IS NOT NULL ORDER BY rowid"));
    static const std::vector<int> none;
    // Looked up by the stored bytes, without a copy per row.
    struct NameHash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    std::unordered_map<std::string, const std::vector<int>*, NameHash, std::equal_to<>> columnsByName;
    qint64 current = std::numeric_limits<qint64>::min();
    std::vector<Offer>* list = nullptr;
    while (select.step()) {
        if (select.isNull(2))
            continue;
        const std::string_view raw = select.utf8(1);
        auto found = columnsByName.find(raw);
        if (found == columnsByName.end()) {
            const auto it =
                suppliers.byName.constFind(db::foldCase(QString::fromUtf8(raw.data(), qsizetype(raw.size())).trimmed()));
            found = columnsByName.emplace(std::string(raw), it == suppliers.byName.cend() ? &none : &it.value()).first;
        }
        if (found->second->empty())
            continue;
        const qint64 code = select.integer(0);
        if (code != current || !list) {
            current = code;
            list = &offers[code]; // found again after every other good: an insert may move the table
        }
        const double price = select.number(2);
        for (int column : *found->second)
            list->push_back({column, price});
    }
    return offers;
}

// The rows of one group's goods, 2n + 7 columns.
sheet::ValueBlock goodsBlock(const std::vector<Good>& goods, const QHash<qint64, std::vector<Offer>>& offers,
                             int supplierCount, const SuperPriceMark& mark, int digits)
{
    const int width = 2 * supplierCount + 7;
    sheet::ValueBlock block(int(goods.size()), width);
    std::vector<double> column(size_t(supplierCount), 0.0);
    std::vector<bool> has(size_t(supplierCount), false);
    int row = 0;
    for (const Good& g : goods) {
        ++row;
        if (!g.art.isEmpty())
            block.setText(row, 1, g.art);
        block.setText(row, 2, mark.nameOf(g.tovar, g.superPrice));
        const std::optional<double> shop = outputPrice(g.price1, g.nacen, 0, 1, digits);
        if (shop)
            block.setNumber(row, 3, *shop);
        else
            block.setText(row, 3, QStringLiteral(" - "));
        const auto difference = [&](int at, double price) {
            if (shop && *shop != 0)
                block.setNumber(row, at, price / *shop - 1);
        };

        std::fill(has.begin(), has.end(), false);
        double cheapest = 0;
        double sum = 0;
        int counted = 0;
        const auto found = offers.constFind(g.code);
        if (found != offers.cend()) {
            for (const Offer& offer : found.value()) {
                column[size_t(offer.supplier)] = offer.price;
                has[size_t(offer.supplier)] = true;
                if (offer.price > 0) {
                    cheapest = counted == 0 ? offer.price : std::min(cheapest, offer.price);
                    sum += offer.price;
                    ++counted;
                }
            }
        }
        for (int i = 0; i < supplierCount; ++i) {
            if (!has[size_t(i)])
                continue;
            const int at = kSupplierColumn + 2 * i;
            block.setNumber(row, at, column[size_t(i)]);
            difference(at + 1, column[size_t(i)]);
        }
        if (counted > 0) {
            const int at = kSupplierColumn + 2 * supplierCount;
            block.setNumber(row, at, cheapest);
            difference(at + 1, cheapest);
            block.setNumber(row, at + 2, sum / counted);
            difference(at + 3, sum / counted);
        }
    }
    return block;
}

HeaderLook depthLook(int depth)
{
    HeaderLook look;
    look.fontName = QStringLiteral("Arial");
    look.fontSize = 12;
    look.bold = true;
    look.italic = true;
    look.fontColor = sheet::Color::fromBgr(16777215);
    look.fill = sheet::Color::fromBgr(kDepthFills[std::clamp(depth, 1, 5) - 1]);
    return look;
}

// Row 5's titles and the supplier blocks: the template's D:E repeated once
// per supplier, each named in its first column; none at all without
// suppliers.
void makeSupplierColumns(sheet::Worksheet& ws, const Suppliers& suppliers)
{
    ws.setText(kHeaderRow, 1, QStringLiteral("Артикул"));
    ws.setText(kHeaderRow, 2, QStringLiteral("Название товара"));
    ws.setText(kHeaderRow, 3, QStringLiteral("Цена"));
    if (suppliers.count() == 0) {
        ws.deleteColumns(kSupplierColumn, 2);
        return;
    }
    for (int i = 1; i < suppliers.count(); ++i) {
        // E then D copied in before D: the block D:E again, the old one to its right.
        ws.insertColumnCopy(kSupplierColumn + 1, kSupplierColumn);
        ws.insertColumnCopy(kSupplierColumn + 1, kSupplierColumn);
    }
    for (int i = 0; i < suppliers.count(); ++i)
        ws.setText(kHeaderRow, kSupplierColumn + 2 * i, suppliers.names[i]);
}

} // namespace

CombinedPriceResult ExportCombinedPriceList(db::Connection& priceDb, db::Connection& orderDb,
                                            const CombinedPriceInput& input, Progress* progress)
{
    CombinedPriceResult result;
    struct Finish {
        Progress* progress;
        ~Finish() { finishProgress(progress); }
    } finish{progress};
    try {
        const std::vector<catalogue::GroupLevel> walk =
            catalogue::wholeGroupTree(catalogue::loadGroupTree(priceDb));
        if (walk.empty()) {
            result.message = noGroupsMessage(QStringLiteral("сводный прайс-лист не создан"));
            return result;
        }
        SettingsStore orderSettings(orderDb);
        const SuperPriceMark mark = readSuperPriceMark(orderSettings);
        const QString templateFile =
            sheet::templatePath(input.programFolder, QString::fromUtf8(kCombinedPriceTemplate));
        sheet::Workbook book = sheet::Workbook::openTemplate(templateFile);
        sheet::Worksheet* ws = book.findSheet(QString::fromUtf8(kCombinedPriceSheet));
        if (!ws) {
            result.message = QStringLiteral("Лист \"%1\" не найден в шаблоне\r%2")
                                 .arg(QString::fromUtf8(kCombinedPriceSheet), templateFile);
            return result;
        }
        book.setActiveSheet(book.indexOf(*ws));

        const Suppliers suppliers(priceDb);
        result.suppliers = suppliers.count();
        QHash<qint64, QString> names;
        {
            db::Statement select = priceDb.prepare(QStringLiteral("SELECT Code, Comment FROM Tovar_tree"));
            while (select.step())
                if (!names.contains(select.integer(0)))
                    names.insert(select.integer(0), select.text(1));
        }
        const QHash<QString, std::vector<Good>> goods = readGoods(priceDb);
        const QHash<qint64, std::vector<Offer>> offers = readOffers(priceDb, suppliers);
        static const std::vector<Good> noGoods;
        const auto goodsOf = [&goods](qint64 group) -> const std::vector<Good>& {
            const auto it = goods.constFind(QString::number(group));
            return it == goods.cend() ? noGoods : it.value();
        };
        qint64 rowCount = 0;
        for (const catalogue::GroupLevel& group : walk)
            rowCount += 1 + qint64(goodsOf(group.code).size());
        startProgress(progress, kCombinedPriceProgressText, int(std::min<qint64>(rowCount, INT_MAX)));

        ws->setText(1, 3, input.today.toString(QStringLiteral("dd.MM.yyyy")));
        makeSupplierColumns(*ws, suppliers);
        const int lastColumn = 2 * suppliers.count() + 7;

        // The list's rows take the template's goods row format: each row as a
        // whole (what its empty cells show) and each written cell its
        // column's, copied from that row kept below the list meanwhile.
        const int listRows = int(std::min<qint64>(rowCount, qint64(sheet::kMaxRows - kFirstRow)));
        const int listEnd = kFirstRow + listRows - 1;
        const int modelRow = listEnd + 1;
        if (listRows > 0) {
            // What the template holds below the goods row goes below the list
            // (the new rows take the goods row's format cell by cell: a
            // slower way, for a template with such rows only).
            if (ws->lastUsedCell().row > kFirstRow)
                ws->insertRows(kFirstRow + 1, listRows);
            ws->range(sheet::CellRef{kFirstRow, 1}, sheet::CellRef{kFirstRow, lastColumn})
                .copyFormatsTo(ws->range(sheet::CellRef{modelRow, 1}, sheet::CellRef{modelRow, lastColumn}));
            const sheet::CellStyle rowLook = ws->style(modelRow, 1);
            ws->rows(kFirstRow, listEnd).changeStyle([&rowLook](sheet::CellStyle& style) { style = rowLook; });
        }
        const auto formatRows = [&](int first, int last, int width) {
            ws->range(sheet::CellRef{modelRow, 1}, sheet::CellRef{modelRow, width})
                .copyFormatsTo(ws->range(sheet::CellRef{first, 1}, sheet::CellRef{last, width}));
        };
        const auto offered = [&offers](const Good& good) {
            const auto it = offers.constFind(good.code);
            return it != offers.cend() && !it.value().empty();
        };

        GroupOutline outline(*ws);
        qint64 row = kFirstRow;
        for (const catalogue::GroupLevel& group : walk) {
            const QString name = names.value(group.code);
            const std::vector<Good>& groupGoods = goodsOf(group.code);
            const qint64 lastRow = row + qint64(groupGoods.size());
            if (lastRow > listEnd)
                result.unwrittenGroups << name; // no room left on the sheet
            if (row <= listEnd) {
                outline.beginGroup(group.level, int(row));
                ws->setNumber(int(row), 1, group.level);
                ws->setText(int(row), 2, name);
                formatGroupHeader(ws->range(sheet::CellRef{int(row), 1}, sheet::CellRef{int(row), lastColumn}),
                                  depthLook(group.level));
            }
            if (!groupGoods.empty() && lastRow <= listEnd) {
                const int first = int(row) + 1;
                ws->setValues(sheet::CellRef{first, 1},
                              goodsBlock(groupGoods, offers, suppliers.count(), mark, input.roundDigits));
                // Runs of goods with and without supplier prices, each formatted at once.
                size_t from = 0;
                for (size_t i = 1; i <= groupGoods.size(); ++i) {
                    if (i < groupGoods.size() && offered(groupGoods[i]) == offered(groupGoods[from]))
                        continue;
                    formatRows(first + int(from), first + int(i) - 1, offered(groupGoods[from]) ? lastColumn : 3);
                    from = i;
                }
            }
            row = lastRow + 1;
            ++result.groups;
            result.goods += qint64(groupGoods.size());
            stepProgress(progress, 1 + int(groupGoods.size()));
        }
        outline.finish(int(std::min<qint64>(row, modelRow)));
        if (listRows > 0)
            ws->deleteRows(modelRow);
        ws->setActiveCell(sheet::CellRef{1, 2});

        const QString folder = ensureOutputFolder(input.programFolder, QString::fromUtf8(kCombinedPriceFolderName));
        const QString path =
            folder + QStringLiteral("Svod_Price_") + input.today.toString(QStringLiteral("dd.MM.yyyy")) +
            QStringLiteral(".xlsx");
        saveListWorkbook(book, path, result);
    } catch (const std::exception& e) {
        result.message = ErrorText(e);
    }
    return result;
}

} // namespace velmora::output
