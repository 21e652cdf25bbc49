// The order import from a customer's workbook into the order list Zakaz,
// and the own goods panel's "в Заказ" that builds a row the same way.
#include "order_test_support.h"

#include "orders/order_import.h"
#include "orders/order_numbers.h"
#include "orders/zakaz_list.h"
#include "platform/files/cp1251.h"

#include <gtest/gtest.h>

namespace velmora::orders {
namespace {

using test::OrderFolder;
using test::WriteWorkbook;

const QVariant kNone;

QVariant text(const char* value) { return QString::fromUtf8(value); }

struct ImportFixture {
    OrderFolder folder;
    QString workbook = folder.program + QStringLiteral("order.xlsx.in.xlsx");

    ImportFixture()
    {
        folder.addOwnGood(1, QStringLiteral("M-1"), QStringLiteral("Монитор"), 100, 15);
        folder.addOwnGood(2, QStringLiteral("K-2"), QStringLiteral("Клавиатура"), 20);
        folder.addOwnGood(3, QStringLiteral("C-3"), QStringLiteral("Кабель"), 5);
    }

    QVector<ZakazRow> rows() { return ReadZakazRows(folder.price); }
};

TEST(OrderImport, RowsMatchTheOwnGoodsAsTheCustomersOrderGivesThem)
{
    ImportFixture f;
    // Columns A number, B article, C name, D price, E quantity.
    WriteWorkbook(f.workbook, {
        {text("№"), text("Артикул"), text("Наименование"), text("Цена"), text("Кол-во")}, // header
        {1.0, text("K-2"), text("Клавиатура"), 25.0, 9.0},       // row 2: before the start row
        {1.0, text("m-1"), text("Монитор"), 130.0, 2.0},        // article in another case
        {2.0, text("M-1"), text("Монитор"), text("1 250,50"), 3.0}, // the same good again
        {3.0, kNone, text("клавиатура"), 30.0, 1.0},             // no article: by name
        {4.0, text("X-9"), text("Неизвестный"), 7.0, 4.0},       // no such good
        {5.0, text("C-3"), text("Кабель"), 5.0, 0.0},            // quantity 0
        {6.0, text("C-3"), text("Кабель"), 5.0, kNone},          // no quantity
        {7.0, text("C-3"), text("Кабель"), 5.0, 1.5},            // a fraction
        {8.0, text("C-3"), text("Кабель"), 5.0, text("много")},  // a quantity that is no number
        {9.0, text("C-3"), text("Кабель"), text("договорная"), 2.0}, // a price that is no number
    });
    OrderImportSettings settings;
    settings.startRow = 3;
    settings.priceFromFile = true;
    const OrderImportResult result = ImportOrder(f.folder.price, f.workbook, settings, 0);

    // Found: rows 3, 4, 5, 6, 9, 10, 11; loaded: 3, 4, 5, 11.
    EXPECT_EQ(result.found, 7);
    EXPECT_EQ(result.loaded, 4);
    EXPECT_EQ(ImportReportText(result), QStringLiteral("Загружено в заказ: 4 из  7"));
    QStringList notFound;
    for (const NotFoundRow& row : result.notFound)
        notFound << row.art + u'|' + row.tovar + u'|' + row.price + u'|' + row.quantity;
    EXPECT_EQ(notFound, (QStringList{"X-9|Неизвестный|7|4", "C-3|Кабель|5|1.5", "C-3|Кабель|5|много"}));

    const QVector<ZakazRow> rows = f.rows();
    ASSERT_EQ(rows.size(), 3);
    // Price_1 100 with Nacen 15 gives 115; the file's price of the later
    // row is the sale price; the quantities add up.
    EXPECT_EQ(rows[0].id, 1);
    EXPECT_EQ(rows[0].code, 1);
    EXPECT_EQ(rows[0].art, QStringLiteral("M-1"));
    EXPECT_EQ(rows[0].tovar, QStringLiteral("Монитор"));
    EXPECT_DOUBLE_EQ(rows[0].price1, 115);
    EXPECT_DOUBLE_EQ(rows[0].priceOut, 1250.5);
    EXPECT_EQ(rows[0].quantity, 5);
    EXPECT_EQ(rows[1].code, 2);
    EXPECT_DOUBLE_EQ(rows[1].priceOut, 30);
    EXPECT_EQ(rows[1].quantity, 1);
    // No number for the price: the own price stands.
    EXPECT_EQ(rows[2].id, 3);
    EXPECT_EQ(rows[2].code, 3);
    EXPECT_DOUBLE_EQ(rows[2].priceOut, 5);
    EXPECT_EQ(f.folder.price.scalar(QStringLiteral("SELECT group_concat(Obrab) FROM Zakaz")).toString(),
              QStringLiteral("True,True,True"));
}

TEST(OrderImport, WithoutTheFilesPriceTheMarkedUpPriceIsTheSalePriceAndAllLoadedIsSaidShort)
{
    ImportFixture f;
    WriteWorkbook(f.workbook, {{kNone, text("M-1"), text("Монитор"), 999.0, 1.0}});
    OrderImportSettings settings;
    const OrderImportResult result = ImportOrder(f.folder.price, f.workbook, settings, 0);
    EXPECT_EQ(ImportReportText(result), QStringLiteral("Загружено в заказ: 1"));
    ASSERT_EQ(f.rows().size(), 1);
    EXPECT_DOUBLE_EQ(f.rows()[0].priceOut, 115);
}

TEST(OrderImport, MatchingByNameIgnoresTheArticle)
{
    ImportFixture f;
    WriteWorkbook(f.workbook, {{kNone, text("C-3"), text("МОНИТОР"), 1.0, 2.0}});
    OrderImportSettings settings;
    settings.matchByArticle = false;
    ImportOrder(f.folder.price, f.workbook, settings, 2);
    ASSERT_EQ(f.rows().size(), 1);
    EXPECT_EQ(f.rows()[0].code, 1);
}

TEST(OrderImport, ANewImportEmptiesTheListAndItsDistributionButNoOrderLines)
{
    ImportFixture f;
    f.folder.addZakaz(7, 2, QStringLiteral("Клавиатура"), 4, 20);
    f.folder.price.exec(QStringLiteral("INSERT INTO ZakazPostav (Code, Postavshik, Obrab) VALUES (2, 'Альфа', '4')"));
    f.folder.addLine(5, QStringLiteral("Альфа"), 10, 1);
    WriteWorkbook(f.workbook, {{kNone, text("M-1"), text("Монитор"), 1.0, 2.0}});

    OrderImportSettings settings;
    ImportOrder(f.folder.price, f.workbook, settings, 0);
    ASSERT_EQ(f.rows().size(), 1);
    EXPECT_EQ(f.rows()[0].id, 1);
    EXPECT_EQ(f.folder.price.scalar(QStringLiteral("SELECT COUNT(*) FROM ZakazPostav")).toInt(), 0);
    EXPECT_EQ(f.folder.lineCount(), 1);

    // Adding keeps the list: a good already there gets the quantity, a new
    // one the next Id.
    settings.addToOrder = true;
    WriteWorkbook(f.workbook, {{kNone, text("M-1"), text("Монитор"), 1.0, 3.0}, {kNone, text("C-3"), text("Кабель"), 1.0, 1.0}});
    ImportOrder(f.folder.price, f.workbook, settings, 0);
    const QVector<ZakazRow> rows = f.rows();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].quantity, 5);
    EXPECT_EQ(rows[1].id, 2);
}

TEST(OrderImport, BadFilesLeaveTheListAsItWas)
{
    ImportFixture f;
    f.folder.addZakaz(1, 2, QStringLiteral("Клавиатура"), 4, 20);
    const QString notABook = f.folder.program + QStringLiteral("заказ.xlsx");
    {
        QFile file(notABook);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("это не книга");
    }
    struct Case {
        QString path;
        int sheet;
        QString message; // empty: the layer's own, naming the file
    };
    const std::vector<Case> cases = {
        {f.folder.program + QStringLiteral("нет.xlsx"), 1, kMissingOrderFileMessage},
        {QString(), 1, kMissingOrderFileMessage},
        {notABook, 1, QString()},
    };
    for (const Case& c : cases) {
        try {
            ImportOrder(f.folder.price, c.path, OrderImportSettings{}, 0);
            ADD_FAILURE() << c.path.toStdString() << ": no error";
        } catch (const OrderImportError& error) {
            if (c.message.isEmpty())
                EXPECT_TRUE(error.message().contains(QStringLiteral("заказ.xlsx"))) << error.message().toStdString();
            else
                EXPECT_EQ(error.message(), c.message);
        }
        EXPECT_EQ(f.folder.zakazCount(), 1) << c.path.toStdString();
    }
    // A sheet the workbook has not.
    WriteWorkbook(f.workbook, {{kNone, text("M-1"), text("Монитор"), 1.0, 2.0}});
    OrderImportSettings settings;
    settings.sheetIndex = 2;
    EXPECT_THROW(ImportOrder(f.folder.price, f.workbook, settings, 0), OrderImportError);
    EXPECT_EQ(f.folder.zakazCount(), 1);
}

TEST(OrderImport, ReadingStopsAtTheLastRowWithAValue)
{
    ImportFixture f;
    // A sheet formatted far below its last value.
    sheet::Workbook book;
    sheet::Worksheet& sheet = book.sheet(1);
    sheet.setText(1, 2, QStringLiteral("M-1"));
    sheet.setNumber(1, 5, 1);
    sheet.rows(2, 60000).setBold(true);
    book.saveAs(f.workbook);
    const sheet::ValueBlock cells = ReadOrderCells(f.workbook, 1, 5);
    EXPECT_EQ(cells.rows(), 1);
}

TEST(ImportOrderNumber, TheCounterOfThePriceListSettingsFileIsRaisedAndPadded)
{
    OrderFolder folder;
    const QString ini = folder.program + QStringLiteral("SetupPriceList.ini");
    // A missing key stands for 1.
    EXPECT_EQ(ReadImportOrderNumber(ini), 1);
    EXPECT_EQ(RaiseImportOrderNumber(ini), 2);
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(encodeCp1251(QStringLiteral("[Поставщик]\r\nPath=x\r\n[Zakaz]\r\nZakazNumber=6\r\n")));
    file.close();
    EXPECT_EQ(RaiseImportOrderNumber(ini), 7);
    EXPECT_EQ(ImportOrderNumberText(7), QStringLiteral("00007"));
    EXPECT_EQ(ImportOrderNumberText(123456), QStringLiteral("23456"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(decodeCp1251(file.readAll()), QStringLiteral("[Поставщик]\r\nPath=x\r\n[Zakaz]\r\nZakazNumber=7\r\n"));
}

TEST(OwnGoodToZakaz, TheCommandBuildsTheRowAsTheImportDoesAndRefusesAGoodTwice)
{
    OrderFolder folder;
    folder.addOwnGood(1, QStringLiteral("M-1"), QStringLiteral("Монитор"), 100, 15);
    folder.addOwnGood(2, QStringLiteral("K-2"), QStringLiteral("Клавиатура"), 10.005);
    folder.addZakaz(4, 9, QStringLiteral("Другой"), 1, 1);
    EXPECT_EQ(AddOwnGoodToZakaz(folder.price, 1, 2, 30), AddToZakazOutcome::Added);
    EXPECT_EQ(AddOwnGoodToZakaz(folder.price, 2, 2, 1), AddToZakazOutcome::Added);
    EXPECT_EQ(AddOwnGoodToZakaz(folder.price, 1, 2, 30), AddToZakazOutcome::AlreadyListed);
    EXPECT_EQ(AddOwnGoodToZakaz(folder.price, 77, 2, 30), AddToZakazOutcome::NoSuchGood);
    const QVector<ZakazRow> rows = ReadZakazRows(folder.price);
    ASSERT_EQ(rows.size(), 3);
    // Id one above the list's highest, whatever the order lines hold.
    EXPECT_EQ(rows[1].id, 5);
    EXPECT_DOUBLE_EQ(rows[1].price1, 115);
    EXPECT_DOUBLE_EQ(rows[1].priceOut, 3450);
    EXPECT_EQ(rows[1].quantity, 1);
    EXPECT_EQ(rows[2].id, 6);
    EXPECT_DOUBLE_EQ(rows[2].price1, 10.01);
    EXPECT_DOUBLE_EQ(rows[2].priceOut, 10.01);
}

TEST(OrderImport, ASuperPriceGoodEntersTheOrderAtThePriceTheGoodsListShows)
{
    // Price_1 250 with Nacen 20: the goods list shows a SuperPrice good at
    // its Price_1, 250, not 250 × 1.2 = 300.
    ImportFixture f;
    f.folder.addOwnGood(4, QStringLiteral("S-4"), QStringLiteral("Акция"), 250, 20, true);
    WriteWorkbook(f.workbook, {{kNone, text("S-4"), text("Акция"), 1.0, 2.0}});
    ImportOrder(f.folder.price, f.workbook, OrderImportSettings{}, 2);
    ASSERT_EQ(f.rows().size(), 1);
    EXPECT_DOUBLE_EQ(f.rows()[0].price1, 250);
    EXPECT_DOUBLE_EQ(f.rows()[0].priceOut, 250);

    // "в Заказ" in roubles at 30: 250 × 30 = 7500.
    EmptyZakaz(f.folder.price);
    EXPECT_EQ(AddOwnGoodToZakaz(f.folder.price, 4, 2, 30), AddToZakazOutcome::Added);
    ASSERT_EQ(f.rows().size(), 1);
    EXPECT_DOUBLE_EQ(f.rows()[0].price1, 250);
    EXPECT_DOUBLE_EQ(f.rows()[0].priceOut, 7500);
}

} // namespace
} // namespace velmora::orders
