// The order to one supplier and the list of goods that could not be
// ordered, read back with openpyxl.
#include "order_test_support.h"

#include "orders/supplier_order_exports.h"
#include "platform/files/cp1251.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace velmora::orders {
namespace {

using test::BoldCells;
using test::Cell;
using test::OrderFolder;
using test::ReadCells;

// The monitor (ordered 5) has 3 units at Альфа; the cable (ordered 2) is
// offered by Альфа without units.
struct SupplierOrderFixture {
    OrderFolder folder;

    SupplierOrderFixture()
    {
        folder.addOwnGood(10, QStringLiteral("OWN-10"), QStringLiteral("Монитор"), 80);
        folder.addZakaz(1, 10, QStringLiteral("Монитор"), 5, 90);
        folder.addZakaz(2, 20, QStringLiteral("Кабель"), 2, 1.5);
        folder.addSvod(10, QStringLiteral("ООО \"Альфа/Бета\""), 100, QStringLiteral("3"), QStringLiteral("Монитор 24"));
        folder.addSvod(20, QStringLiteral("ООО \"Альфа/Бета\""), 1, QStringLiteral("0"), QStringLiteral("Кабель HDMI"));
        folder.price.exec(QStringLiteral(
            "INSERT INTO ZakazPostav (Code, Postavshik, Obrab) VALUES (10, 'ООО \"Альфа/Бета\"', '3'), (20, 'ООО \"Альфа/Бета\"', '0');"
            "INSERT INTO postav_info (Postavshik, Name_full, Address, Person, Phones, Mail)"
            " VALUES ('ООО \"Альфа/Бета\"', 'Альфа', 'Москва', 'Смирнов', '+7 495', 'a@b.ru')"));
    }

    QString supplier() const { return QStringLiteral("ООО \"Альфа/Бета\""); }

    SupplierOrderInput input(ExportChoice choice, bool supplierPrices)
    {
        SupplierOrderInput in;
        in.priceDb = &folder.price;
        in.orderNumberText = QStringLiteral("00007");
        in.choice = choice;
        in.supplierPrices = supplierPrices;
        in.programFolder = folder.program;
        in.today = QDate(2024, 12, 10);
        return in;
    }

    QString exportOrder(ExportChoice choice, bool supplierPrices)
    {
        return ExportOrderPostav(input(choice, supplierPrices), ReadDistribution(folder.price), supplier());
    }
};

TEST(SupplierOrder, TheSelectedUnitsWithTheSuppliersContactsAndPrices)
{
    SupplierOrderFixture f;
    const QString path = f.exportOrder(ExportChoice::Selected, true);
    EXPECT_EQ(QFileInfo(path).fileName(), QStringLiteral("10.12.2024_ООО__Альфа_Бета_.xlsx"));
    EXPECT_EQ(QFileInfo(path).absolutePath(), QFileInfo(f.folder.program + QStringLiteral("Orders")).absoluteFilePath());
    const QStringList cells = ReadCells(path);
    const std::vector<std::pair<QString, QString>> expected = {
        {"C7", "ООО \"Альфа/Бета\""}, {"E8", "00007"}, {"C8", "Москва"}, {"C9", "Смирнов"}, {"C10", "+7 495"},
        {"B11", "a@b.ru"},
        {"A14", "1"}, {"B14", "S-10"}, {"C14", "Монитор 24"}, {"D14", "100"}, {"E14", "3"}, {"F14", "=D14*E14"},
        {"G14", "<none>"},
        {"A15", "<none>"}, {"F15", "<none>"}, {"F16", "=SUM(F14:F14)"}, {"E16", "Итого:"},
        {"sheet", "Заказ 00007"}, {"active", "A1"},
    };
    for (const auto& [address, value] : expected)
        EXPECT_EQ(Cell(cells, address), value) << address.toStdString();

    // A second export the same day gets its own file.
    EXPECT_EQ(QFileInfo(f.exportOrder(ExportChoice::Selected, true)).fileName(),
              QStringLiteral("10.12.2024_ООО__Альфа_Бета__2.xlsx"));
}

TEST(SupplierOrder, AllGoodsWithTheOrderedQuantitiesAtTheSalePricesAndTheOwnArticle)
{
    SupplierOrderFixture f;
    QFile ini(f.folder.program + QStringLiteral("Velmora_Light.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(encodeCp1251(QStringLiteral("[ExportZakazExcel]\r\nArtTovarZakazAdd=1\r\n")));
    ini.close();

    const QStringList cells = ReadCells(f.exportOrder(ExportChoice::AllGoods, false));
    // Ordered by the supplier's goods name: the cable first.
    const std::vector<std::pair<QString, QString>> expected = {
        {"C14", "Кабель HDMI"}, {"D14", "1.5"}, {"E14", "2"}, {"G14", "<none>"},
        {"C15", "Монитор 24"}, {"D15", "90"}, {"E15", "5"}, {"G15", "OWN-10"},
        {"F16", "<none>"}, {"F17", "=SUM(F14:F15)"},
    };
    for (const auto& [address, value] : expected)
        EXPECT_EQ(Cell(cells, address), value) << address.toStdString();
}

TEST(SupplierOrder, AFolderThatCannotBeMadeIsSaid)
{
    SupplierOrderFixture f;
    QFile blocker(f.folder.program + QStringLiteral("Orders"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    try {
        f.exportOrder(ExportChoice::Selected, true);
        ADD_FAILURE() << "no error";
    } catch (const OrderExportError& error) {
        EXPECT_TRUE(error.message().startsWith(QStringLiteral("Невозможно создать директорию "))) << error.message().toStdString();
    }
}

TEST(NotOrderedGoods, RowsFillFromRowFiveUnderTheHeader)
{
    OrderFolder folder;
    const NotFoundRows rows = {{QStringLiteral("X-9"), QStringLiteral("Неизвестный"), QStringLiteral("7"), QStringLiteral("4")},
                               {QString(), QStringLiteral("Кабель"), QStringLiteral("договорная"), QStringLiteral("1.5")}};
    const QString path = ExportNoTovar(rows, kNotImportedFileName, kNotImportedTemplate, folder.program);
    EXPECT_EQ(path, folder.program + QStringLiteral("Ошибки импорта заказов/Не найденные товары.xlsx"));
    const QStringList cells = ReadCells(path);
    const std::vector<std::pair<QString, QString>> expected = {
        {"A4", "№"}, {"B4", "Артикул"}, {"E4", "Кол-во"},
        {"A5", "1"}, {"B5", "X-9"}, {"C5", "Неизвестный"}, {"D5", "7"}, {"E5", "4"},
        {"A6", "2"}, {"B6", "<none>"}, {"C6", "Кабель"}, {"D6", "договорная"}, {"E6", "1.5"},
        {"A7", "<none>"}, {"active", "A4"},
    };
    for (const auto& [address, value] : expected)
        EXPECT_EQ(Cell(cells, address), value) << address.toStdString();
    EXPECT_TRUE(BoldCells(cells).contains(QStringLiteral("A4")));

    // Nothing to write: no file, the header never touched.
    EXPECT_EQ(ExportNoTovar({}, kNotOfferedFileName, kNotOfferedTemplate, folder.program), QString());
    EXPECT_FALSE(QFileInfo::exists(folder.program + QStringLiteral("Ошибки импорта заказов/Нет товаров у поставщиков.xlsx")));
}

TEST(NotOrderedGoods, AFailedSaveIsReported)
{
    OrderFolder folder;
    // A folder where the file would go.
    QDir().mkpath(folder.program + QStringLiteral("Ошибки импорта заказов/Нет товаров у поставщиков.xlsx"));
    const NotFoundRows rows = {{QStringLiteral("A"), QStringLiteral("Б"), QStringLiteral("1"), QStringLiteral("1")}};
    EXPECT_THROW(ExportNoTovar(rows, kNotOfferedFileName, kNotOfferedTemplate, folder.program), OrderExportError);
    // And a template that is missing.
    QFile::remove(folder.program + QStringLiteral("notzakaz.xlsx"));
    EXPECT_THROW(ExportNoTovar(rows, QStringLiteral("x.xls"), kNotOfferedTemplate, folder.program), OrderExportError);
}

} // namespace
} // namespace velmora::orders
