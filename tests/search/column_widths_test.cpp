#include "suppliers/search/column_widths.h"
#include "suppliers/search/goods_columns.h"

#include "storage/schema.h"
#include "storage/settings_store.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <numeric>

namespace velmora::search {
namespace {

WidthTable designTable()
{
    WidthTable table;
    for (const GoodsColumn& c : goodsColumns())
        table.push_back({c.designWidth, false});
    return table;
}

int total(const WidthTable& t, int line)
{
    int sum = int(t.size()) * line;
    for (const ColumnSlot& c : t)
        sum += c.width;
    return sum;
}

TEST(ColumnWidths, FittingFillsTheClientWidth)
{
    for (int line : {0, 1}) {
        for (int width : {1000, 1600, 300, 40}) {
            SCOPED_TRACE(testing::Message() << "line " << line << " width " << width);
            WidthTable table = designTable();
            table[2] = {70, true};   // fixed
            table[6] = {0, true};    // hidden
            fitColumns(table, width, line);
            if (width >= 300) {
                EXPECT_EQ(total(table, line), width);
                EXPECT_EQ(table[2].width, 70);
            }
            EXPECT_EQ(table[6].width, 0);
            for (int i = 0; i < table.size(); ++i) {
                if (!table[i].fixed) {
                    EXPECT_GE(table[i].width, 5) << i;
                }
            }
        }
    }
}

TEST(ColumnWidths, TheWidestColumnTakesTheRemainder)
{
    WidthTable table = {{100, false}, {100, false}, {50, false}};
    fitColumns(table, 301, 0);
    // 120.4, 120.4, 60.2 round to 120, 120, 60: the first widest takes the pixel.
    EXPECT_EQ(table, (WidthTable{{121, false}, {120, false}, {60, false}}));
    WidthTable one = {{100, false}};
    fitColumns(one, 500, 0);
    EXPECT_EQ(one[0].width, 100);  // a single column is left alone
}

TEST(ColumnWidths, AResizedColumnKeepsItsWidthWhenThereIsRoom)
{
    WidthTable table = designTable();
    fitColumns(table, 1000, 0);
    QVector<int> current;
    for (const ColumnSlot& c : table)
        current << c.width;
    current[1] += 60;  // the user widened Tovar
    const int wanted = current[1];
    saveColumns(table, current, 1000, 0);
    EXPECT_EQ(table[1].width, wanted);
    EXPECT_EQ(total(table, 0), 1000);
    for (const ColumnSlot& c : table)
        EXPECT_GE(c.width, 0);
    // Widened beyond the room: cut so the rest get 5 pixels each.
    current = {};
    for (const ColumnSlot& c : table)
        current << c.width;
    current[0] = 2000;
    saveColumns(table, current, 1000, 0);
    EXPECT_LE(table[0].width, 1000 - 5 * 11 + 5);
    EXPECT_EQ(total(table, 0), 1000);
}

TEST(ColumnWidths, ResizingTheLastColumnScalesTheOthers)
{
    WidthTable table = {{100, false}, {100, false}, {200, false}};
    saveColumns(table, {100, 100, 300}, 400, 0);
    // The others had 200 of 400 and now share 100.
    EXPECT_EQ(table, (WidthTable{{50, false}, {50, false}, {300, false}}));
}

// The columns that must show their cells whole get what they need from the
// stretching column (the name), their whole titles from what it has beyond
// its own whole need; when it cannot keep its least, the other columns give
// way, the yielding ones last. The table keeps its proportions.
TEST(ColumnWidths, NeedsAreMetFromTheStretchingColumn)
{
    // Four columns: a price (needs 60, 80 with its whole title), the name
    // (needs 100, stretches), a yielding one (title 40), a plain one.
    const QVector<ColumnNeed> needs = {{60, 80, false}, {100, 100, false}, {40, 50, true}, {0, 0, false}};
    QVector<ColumnNeed> roomyName = needs;
    roomyName[1].whole = 150;
    const struct {
        int width;
        const QVector<ColumnNeed>& needs;
        QVector<int> widths;
    } cases[] = {
        // Room to spare: whole titles, the name the rest.
        {600, needs, {80, 387, 53, 80}},
        // The name gives what it has beyond its need to whole titles ...
        {260, needs, {80, 100, 45, 35}},
        // ... unless it needs more itself for a whole name.
        {260, roomyName, {60, 125, 40, 35}},
        // Too little for the name: the plain column gives back first, then
        // the yielding one; the price keeps its own.
        {220, needs, {60, 100, 40, 20}},
        {180, needs, {60, 100, 15, 5}},
        // Below every need: the grid scrolls, the needs are kept.
        {150, needs, {60, 100, 5, 5}},
    };
    for (const auto& c : cases) {
        const WidthTable design = {{50, false}, {300, false}, {40, false}, {60, false}};
        WidthTable table = design;
        fitColumns(table, c.width, 0);
        const WidthTable fitted = table;
        const QVector<int> widths = widthsMeetingNeeds(table, c.width, 0, c.needs, 1);
        EXPECT_EQ(widths, c.widths) << c.width;
        EXPECT_EQ(table, fitted) << "the table keeps the proportions";
        if (c.width >= 170)
            EXPECT_EQ(std::accumulate(widths.begin(), widths.end(), 0), c.width) << c.width;
        // Wide again after the narrow moment: as wide as from the start, but
        // for the pixels of rounding.
        WidthTable wide = design;
        fitColumns(wide, 600, 0);
        fitColumns(table, 600, 0);
        const QVector<int> again = widthsMeetingNeeds(table, 600, 0, needs, 1);
        const QVector<int> fresh = widthsMeetingNeeds(wide, 600, 0, needs, 1);
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(again[i], fresh[i], 3) << c.width << " column " << i;
    }
    // A fixed column keeps the user's width, below its need too.
    WidthTable table = {{30, true}, {300, false}, {40, false}, {60, false}};
    fitColumns(table, 600, 0);
    const QVector<int> widths = widthsMeetingNeeds(table, 600, 0, needs, 1);
    EXPECT_EQ(widths[0], 30);
    EXPECT_EQ(std::accumulate(widths.begin(), widths.end(), 0), 600);
}

TEST(ColumnWidths, MenuCommands)
{
    WidthTable table = designTable();
    hideColumn(table, 4);
    EXPECT_EQ(table[4], (ColumnSlot{0, true}));
    fixColumn(table, 1);
    EXPECT_TRUE(table[1].fixed);
    fitColumns(table, 1000, 0);
    EXPECT_EQ(table[4].width, 0);
    EXPECT_EQ(showAllColumns(table), 1);
    EXPECT_EQ(table[4], (ColumnSlot{30, false}));
    for (const ColumnSlot& c : table)
        EXPECT_FALSE(c.fixed);
    EXPECT_EQ(showAllColumns(table), 0);
    EXPECT_EQ(shownColumnsMessage(1), QStringLiteral("Показано 1 скрытых колонок.\r\rФиксация ширины с колонок снята!"));
    EXPECT_EQ(shownColumnsMessage(0), QStringLiteral("Нет ни одной скрытой колонки!\r\rФиксация ширины с колонок снята!"));
    EXPECT_EQ(fixedColumnMessage(QStringLiteral("Товар")), QStringLiteral("Ширина колонки \"Товар\" зафиксирована!"));
}

TEST(ColumnWidths, StoredWidthsComeBackAfterARestart)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("BaseZakaz.vdb"));
    createOrderDatabase(path);
    WidthTable table = designTable();
    table[3] = {0, true};
    fitColumns(table, 1200, 0);
    {
        db::Connection orders(path);
        SettingsStore settings(orders);
        EXPECT_EQ(loadColumnWidths(settings, QStringLiteral("DBGrid_Tovar"), 11), WidthTable(11, ColumnSlot{100, false}));
        storeColumnWidths(orders, settings, QStringLiteral("DBGrid_Tovar"), table);
    }
    db::Connection orders(path);
    SettingsStore settings(orders);
    EXPECT_EQ(loadColumnWidths(settings, QStringLiteral("DBGrid_Tovar"), 11), table);
    EXPECT_EQ(settings.readInteger(QStringLiteral("DBGrid_Tovar_Columns_1")), table[1].width);
}

TEST(ColumnTitles, LoadedFromTheSettingsWithTheirDefaults)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("BaseZakaz.vdb"));
    createOrderDatabase(path);
    db::Connection orders(path);
    SettingsStore settings(orders);
    settings.write(QStringLiteral("Column_art_Name"), QStringLiteral("TypeText"), QStringLiteral("Код"));
    const ColumnTitles titles = LoadColumnTitles(settings);
    EXPECT_EQ(titles.ColumnTitleArt, QStringLiteral("Код"));
    EXPECT_EQ(titles.ColumnTitleGarant, QStringLiteral("Страна"));
    EXPECT_EQ(titles.ColumnTitleTextNoName, QStringLiteral("Производит."));
    const QVector<QString> grid = gridTitles(titles, QStringLiteral("RUB"));
    EXPECT_EQ(grid, (QVector<QString>{"Код", "Товар", "Поставщик", "Цена (RUB)", "Цена (розн.)", "Цена (пост.)",
                                       "Валюта (пост.)", "Склад", "Страна", "Производит.", "Описание"}));
}

} // namespace
} // namespace velmora::search
