// The order's comparison sheet: its values as a pure function, the sheet
// written from the template and read back with openpyxl, its INI file.
#include "order_test_support.h"

#include "orders/comparison_sheet.h"
#include "platform/files/cp1251.h"
#include "platform/spreadsheet/sheet_error.h"
#include "storage/value_helpers.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace velmora::orders {
namespace {

using test::Cell;
using test::OrderFolder;
using test::ReadCells;

// "E=90 F=5 ..." of one row of the block, empty cells left out.
QString rowText(const sheet::ValueBlock& values, int row)
{
    QStringList cells;
    for (int column = 1; column <= values.columns(); ++column)
        if (values.type(row, column) != sheet::CellType::Empty)
            cells << ColumnToLetters(column) + u'=' + values.text(row, column);
    return cells.join(u' ');
}

ComparisonLine line(const QString& art, double priceOut, QVector<ComparisonOffer> offers)
{
    return ComparisonLine{art, QStringLiteral("Товар ") + art, priceOut, std::move(offers)};
}

TEST(ComparisonValues, PricesDifferencesAndTheSummaryPerLine)
{
    struct Case {
        const char* what;
        QVector<ComparisonLine> lines;
        QStringList suppliers;
        ComparisonPricing pricing;
        QStringList rows;
        int columns;
    };
    const QVector<ComparisonOffer> ab = {{"A", 90, "5"}, {"B", 110, "+"}};
    const std::vector<Case> cases = {
        {"two suppliers", {line("X", 100, ab)}, {"A", "B"}, {}, {
             "A=X B=Товар X D=100 E=90 F=5 G=-0.1 H=110 I=+ J=0.1 K=A L=90 M=-0.1 N=2 O=100 P=0"}, 16},
        {"no supplier chosen", {line("X", 100, ab)}, {}, {}, {"A=X B=Товар X D=100"}, 10},
        {"only one of them", {line("X", 100, ab)}, {"b"}, {}, {
             "A=X B=Товар X D=100 E=110 F=+ G=0.1 H=b I=110 J=0.1 K=1 L=110 M=0.1"}, 13},
        {"all prices 0", {line("X", 100, {{"A", 0, "0"}, {"B", 0, ""}})}, {"A", "B"}, {}, {
             "A=X B=Товар X D=100 E=0 F=0 G=-1 H=0 J=-1"}, 16},
        {"the same article twice", {line("X", 10, {}), line("X", 20, {}), line("Y", 30, {})}, {}, {}, {
             "A=X B=Товар X D=10", "B=Товар X D=20", "A=Y B=Товар Y D=30"}, 10},
        {"order price 0", {line("X", 0, ab)}, {"A", "B"}, {}, {
             "A=X B=Товар X D=0 E=90 F=5 H=110 I=+ K=A L=90 N=2 O=100"}, 16},
        {"a supplier twice", {line("X", 100, {{"A", 90, "1"}, {"A", 80, "2"}})}, {"A"}, {}, {
             "A=X B=Товар X D=100 E=80 F=2 G=-0.2 H=A I=80 J=-0.2 K=2 L=85 M=-0.15"}, 13},
        {"roubles", {line("X", 100, {{"A", 2.505, "1"}})}, {"A"}, {2, 30}, {
             "A=X B=Товар X D=100 E=75.15 F=1 G=-0.2485 H=A I=75.15 J=-0.2485 K=1 L=75.15 M=-0.2485"}, 13},
        {"a zero first, then a price", {line("X", 100, {{"A", 0, ""}, {"B", 50, "3"}})}, {"A", "B"}, {}, {
             "A=X B=Товар X D=100 E=0 G=-1 H=50 I=3 J=-0.5 K=B L=50 M=-0.5 N=1 O=50 P=-0.5"}, 16},
    };
    for (const Case& c : cases) {
        const sheet::ValueBlock values = BuildComparisonValues(c.lines, c.suppliers, c.pricing);
        EXPECT_EQ(values.columns(), c.columns) << c.what;
        QStringList rows;
        for (int row = 1; row <= values.rows(); ++row)
            rows << rowText(values, row);
        EXPECT_EQ(rows, c.rows) << c.what;
    }
}

// An order of two lines; the suppliers Альфа, Бета, Гамма offer its goods.
struct ComparisonFixture {
    OrderFolder folder;
    QString ini = ComparisonIniPath(folder.program);

    ComparisonFixture()
    {
        folder.addZakaz(1, 10, QStringLiteral("Монитор"), 2, 100, QStringLiteral("M-1"));
        folder.addZakaz(2, 20, QStringLiteral("Мышь"), 1, 10, QStringLiteral("K-2"));
        folder.addSvod(10, QStringLiteral("Гамма"), 95, QStringLiteral("7"));
        folder.addSvod(10, QStringLiteral("Альфа"), 90, QStringLiteral("5"));
        folder.addSvod(20, QStringLiteral("Бета"), 12, QStringLiteral("есть"));
        folder.addSvod(99, QStringLiteral("Дельта"), 1, QStringLiteral("1")); // not in the order
    }

    ComparisonInput input()
    {
        ComparisonInput in;
        in.priceDb = &folder.price;
        in.iniPath = ini;
        in.programFolder = folder.program;
        in.today = QDate(2024, 12, 10);
        return in;
    }

    // Saves the template as the window does, the suppliers as given.
    void save(const QVector<std::pair<QString, bool>>& suppliers, const ComparisonTemplate& settings = {})
    {
        ComparisonTemplate t = settings;
        if (t.folder.isEmpty())
            t.folder = DefaultComparisonFolder(folder.program);
        if (t.templatePath.isEmpty())
            t.templatePath = folder.program + QStringLiteral("Svod_Price.xls");
        ASSERT_TRUE(SaveComparisonTemplate(ini, kComparisonTemplateName, t, suppliers));
    }
};

TEST(ComparisonSheet, EachChosenSupplierGetsABlockAndTheSummaryMovesRight)
{
    ComparisonFixture f;
    EXPECT_EQ(ComparisonSuppliers(f.folder.price), (QStringList{"Альфа", "Бета", "Гамма"}));
    f.save({{"Альфа", true}, {"Бета", true}, {"Гамма", true}});
    const QString path = WriteComparisonSheet(f.input());
    EXPECT_EQ(path, f.folder.program + QStringLiteral("Сводные прайс-листы/10.12.2024.xlsx"));

    const QStringList cells = ReadCells(path);
    const std::vector<std::pair<QString, QString>> expected = {
        {"C1", "10.12.2024"}, {"A5", "Артикул"}, {"D5", "Цена заказа"},
        {"E4", "Альфа"}, {"H4", "Бета"}, {"K4", "Гамма"}, {"E5", "Цена"}, {"H5", "Цена"}, {"K5", "Цена"},
        {"N4", "Минимальная цена"}, {"N5", "Поставщик"}, {"Q4", "Средняя цена"}, {"T4", "<none>"},
        {"A7", "M-1"}, {"B7", "Монитор"}, {"D7", "100"}, {"E7", "90"}, {"F7", "5"},
        {"H7", "<none>"}, {"K7", "95"}, {"L7", "7"}, {"N7", "Альфа"}, {"O7", "90"}, {"Q7", "2"}, {"R7", "92.5"},
        {"A8", "K-2"}, {"H8", "12"}, {"I8", "есть"}, {"N8", "Бета"}, {"A9", "<none>"},
        {"sheet", "Сводный прайс-лист"}, {"active", "B1"},
    };
    for (const auto& [address, value] : expected)
        EXPECT_EQ(Cell(cells, address), value) << address.toStdString();

    // Row 7's formats reach every line; the blocks keep their widths.
    const QString formats = test::RunPython(QStringLiteral(R"(
import sys, openpyxl
sheet = openpyxl.load_workbook(sys.argv[1]).worksheets[0]
print(round(sheet["G7"].value, 9), sheet["G7"].number_format, sheet["G8"].number_format, sheet["J8"].number_format, sheet["P8"].number_format)
print(sheet.column_dimensions["F"].width == sheet.column_dimensions["I"].width == sheet.column_dimensions["L"].width)
)"),
                                            {path});
    EXPECT_EQ(formats, QStringLiteral("-0.1 0.0% 0.0% 0.0% 0.0%\nTrue\n"));
}

TEST(ComparisonSheet, AnUncheckedSupplierStaysOutAndUncheckedInTheIni)
{
    ComparisonFixture f;
    f.save({{"Альфа", true}, {"Бета", false}, {"Гамма", true}});
    EXPECT_FALSE(ComparisonSupplierChosen(f.ini, kComparisonTemplateName, QStringLiteral("бета")));
    EXPECT_TRUE(ComparisonSupplierChosen(f.ini, kComparisonTemplateName, QStringLiteral("Новый")));
    const QStringList cells = ReadCells(WriteComparisonSheet(f.input()));
    EXPECT_EQ(Cell(cells, "E4"), QStringLiteral("Альфа"));
    EXPECT_EQ(Cell(cells, "H4"), QStringLiteral("Гамма"));
    EXPECT_EQ(Cell(cells, "K4"), QStringLiteral("Минимальная цена"));

    // The file: Windows-1251, sections and Cyrillic keys as the program writes them.
    QFile file(f.ini);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.contains(encodeCp1251(QStringLiteral("[Postav Zakaz]\r\nАльфа=1\r\nБета=0\r\nГамма=1"))));
    EXPECT_TRUE(bytes.contains(encodeCp1251(QStringLiteral("[TemplateName]\r\nZakaz=1"))));
    EXPECT_TRUE(bytes.contains(encodeCp1251(QStringLiteral("Path_Excel=") + f.folder.program +
                                            QStringLiteral("Сводные прайс-листы/"))));
}

TEST(ComparisonSheet, FileNamesFromTheTemplate)
{
    ComparisonTemplate t;
    const QDate day(2024, 12, 10);
    t.prefix = QStringLiteral("Свод ");
    t.suffix = QStringLiteral(" для: клиента");
    EXPECT_EQ(ComparisonFileName(t, day), QStringLiteral("Свод 10.12.2024 для_ клиента.xlsx"));
    t.fileDate = false;
    t.fixedName = QStringLiteral("Сводный/заказ");
    EXPECT_EQ(ComparisonFileName(t, day), QStringLiteral("Сводный_заказ.xlsx"));
    t.fixedName.clear();
    EXPECT_EQ(ComparisonFileName(t, day), QStringLiteral("10.12.2024.xlsx"));

    ComparisonFixture f;
    t.fileDate = false;
    t.fixedName = QStringLiteral("Заказ");
    t.inRoubles = true;
    f.save({{"Альфа", true}}, t);
    const ComparisonTemplate read = ReadComparisonTemplate(f.ini, kComparisonTemplateName, f.folder.program);
    EXPECT_FALSE(read.fileDate);
    EXPECT_TRUE(read.inRoubles);
    EXPECT_EQ(read.fixedName, QStringLiteral("Заказ"));
    // Defaults of a template never saved.
    const ComparisonTemplate fresh = ReadComparisonTemplate(f.ini, QStringLiteral("Другой"), f.folder.program);
    EXPECT_TRUE(fresh.fileDate);
    EXPECT_EQ(fresh.folder, DefaultComparisonFolder(f.folder.program));
    EXPECT_EQ(fresh.templatePath, f.folder.program + QStringLiteral("Svod_Price.xls"));
}

TEST(ComparisonSheet, AnOrderWithoutLinesStillGetsItsSheet)
{
    ComparisonFixture f;
    f.folder.price.exec(QStringLiteral("DELETE FROM Zakaz"));
    f.save({});
    const QStringList cells = ReadCells(WriteComparisonSheet(f.input()));
    EXPECT_EQ(Cell(cells, "C1"), QStringLiteral("10.12.2024"));
    EXPECT_EQ(Cell(cells, "E4"), QStringLiteral("Минимальная цена"));
    EXPECT_EQ(Cell(cells, "A7"), QStringLiteral("<none>"));
}

TEST(ComparisonSheet, FailuresSaveNothingAndSayWhy)
{
    ComparisonFixture f;
    // No template entry in the file.
    try {
        WriteComparisonSheet(f.input());
        ADD_FAILURE() << "no error";
    } catch (const OrderExportError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("Шаблон с именем  Zakaz\rне найден в файле ") + f.ini +
                                       QStringLiteral("\r\rЭкспорт сводного прайс-листа невозможен!\r"
                                                      "Выберите другой шаблон или создайте новый."));
    }

    struct Case {
        const char* what;
        std::function<void(ComparisonTemplate&)> spoil;
        QString message; // the start of it
    };
    const QString blocker = f.folder.program + QStringLiteral("файл");
    {
        QFile file(blocker);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const std::vector<Case> cases = {
        {"a folder that cannot be made", [&](ComparisonTemplate& t) { t.folder = blocker + QStringLiteral("/папка/"); },
         QStringLiteral("Невозможно создать директорию ")},
        {"a name taken by a folder",
         [&](ComparisonTemplate& t) {
             t.fileDate = false;
             t.fixedName = QStringLiteral("занято");
             QDir().mkpath(DefaultComparisonFolder(f.folder.program) + QStringLiteral("занято.xlsx"));
         },
         sheet::kFileNotSaved},
        {"a template that is missing", [&](ComparisonTemplate& t) { t.templatePath = f.folder.program + QStringLiteral("нет.xlsx"); },
         QStringLiteral("нет.xlsx")},
    };
    for (const Case& c : cases) {
        ComparisonTemplate t;
        c.spoil(t);
        f.save({{"Альфа", true}}, t);
        try {
            WriteComparisonSheet(f.input());
            ADD_FAILURE() << c.what << ": no error";
        } catch (const OrderExportError& error) {
            EXPECT_TRUE(error.message().startsWith(c.message) || error.message().contains(c.message))
                << c.what << ": " << error.message().toStdString();
        }
    }
    EXPECT_FALSE(QFileInfo::exists(DefaultComparisonFolder(f.folder.program) + QStringLiteral("10.12.2024.xlsx")));
}

} // namespace
} // namespace velmora::orders
