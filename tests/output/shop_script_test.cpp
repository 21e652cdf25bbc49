#include "output/output_error.h"
#include "output/shop_script/shop_script_catalog.h"
#include "output_test_support.h"
#include "platform/files/cp1251.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::output;
using namespace velmora::output::test;

TEST(ShopScriptCatalog, GroupsAndGoodsMatchTheGoldenFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("CatalogUpdate.csv");
    ShopScriptCatalog file(path, 2);
    file.WriteGroup(1, QStringLiteral("Cat"));
    file.WriteGood({QStringLiteral("A1"), QStringLiteral("Товар"), QString(), 12.5});
    file.WriteGroup(2, QStringLiteral("Grp"));
    file.WriteGroup(3, QStringLiteral("Sub"));
    file.Commit();
    EXPECT_EQ(readBytes(path), readBytes(dataFile(QStringLiteral("CatalogUpdate.csv"))));
}

TEST(ShopScriptCatalog, OnlyFieldsThatWouldBreakTheLineAreQuoted)
{
    struct Case {
        QString text;
        QString written;
    };
    const Case cases[] = {
        {QStringLiteral("Кабель; 2 м"), QStringLiteral("\"Кабель; 2 м\"")},
        {QStringLiteral("Чайник \"Витязь\""), QStringLiteral("\"Чайник \"\"Витязь\"\"\"")},
        {QStringLiteral("две\r\nстроки"), QStringLiteral("\"две\r\nстроки\"")},
        {QStringLiteral("перевод\nстроки"), QStringLiteral("\"перевод\nстроки\"")},
        {QStringLiteral("1,5 м, 'белый'\tнабор"), QStringLiteral("1,5 м, 'белый'\tнабор")},
        // A NUL would end the field for the importer: a blank.
        {QStringLiteral("Кабель") + QChar(0) + QStringLiteral("USB;2"), QStringLiteral("\"Кабель USB;2\"")},
        {QString(), QString()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShopScriptField(c.text), c.written) << c.text.toStdString();

    QTemporaryDir dir;
    const QString path = dir.filePath("CatalogUpdate.csv");
    ShopScriptCatalog file(path, 2);
    file.WriteGroup(2, QStringLiteral("Кабели; провода"));
    file.WriteGood({QStringLiteral("K;1"), QStringLiteral("Кабель \"USB\""), QStringLiteral("1,5 м"), 0});
    file.WriteGroup(1, QStringLiteral("Сеть") + QChar(0));
    file.WriteGood({QStringLiteral("N") + QChar(0) + u'1', QStringLiteral("Кабель") + QChar(0) + QStringLiteral("LAN"),
                    QChar(0), 1});
    file.Commit();
    const QByteArray bytes = readBytes(path);
    EXPECT_FALSE(bytes.contains('\0'));
    EXPECT_EQ(decodeCp1251(bytes),
              QStringLiteral("Внутренний код (артикул);Наименование;Краткое описание;Цена\r\n"
                             ";\"!Кабели; провода\";;\r\n"
                             "\"K;1\";\"Кабель \"\"USB\"\"\";1,5 м;0;\r\n"
                             ";Сеть ;;\r\n"
                             "N 1;Кабель LAN; ;1;\r\n"));
}

TEST(ShopScriptCatalog, PricesAreRoundedHalfUpWithADecimalComma)
{
    struct Case {
        double price;
        int degree;
        const char* text;
    };
    const Case cases[] = {{12.5, 2, "12,5"}, {12.345, 2, "12,35"}, {100, 2, "100"},   {0, 2, "0"},
                          {2.675, 2, "2,68"}, {12.345, 0, "12"},   {1234.5, -1, "1230"}};
    for (const Case& c : cases)
        EXPECT_EQ(ShopScriptPriceText(c.price, c.degree), QString::fromLatin1(c.text)) << c.price << " " << c.degree;
}

TEST(ShopScriptCatalog, AnUnfinishedFileLeavesThePreviousOne)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("CatalogUpdate.csv");
    writeBytes(path, "previous");
    {
        ShopScriptCatalog file(path, 2);
        file.WriteGroup(1, QStringLiteral("Cat"));
    }
    EXPECT_EQ(readBytes(path), QByteArray("previous"));
    EXPECT_THROW(ShopScriptCatalog(dir.filePath("missing/CatalogUpdate.csv"), 2), OutputError);
}
