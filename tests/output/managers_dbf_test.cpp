// The managers' catalogue DBF_for_manager.DBF, read back by dbfread.
#include "output_test_support.h"
#include "pricing_fixture.h"

#include "output/dbase/managers_dbf.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace velmora;
using namespace velmora::output;
using namespace velmora::testing;
using velmora::output::test::ToolRun;
using velmora::output::test::readBytes;
using velmora::output::test::runTool;

namespace {

TEST_F(PricingTest, ManagersCatalogueHoldsTheSellingAndWholesalePrices)
{
    QTemporaryDir program;
    exec(QStringLiteral("UPDATE parametr SET Nacen_out = 5 WHERE Id = 4"));
    // A NUL inside a name is stored as a blank.
    addGood(1, 12, QStringLiteral("Чайник") + QChar(0) + QStringLiteral("электрический"), 100, 10);
    addGood(2, 12, QStringLiteral("Без базы"), 100, 10);
    addGood(3, 12, QStringLiteral("Без сведений"), 100, 10);
    exec(QStringLiteral("UPDATE price_main SET PriceBase = 80, Dates = ?1 WHERE Code = 1"), {today()});
    exec(QStringLiteral("UPDATE price_main SET PriceBase = 0, Dates = 0 WHERE Code = 2"));
    exec(QStringLiteral("INSERT INTO Price_Tovar_Info (Code, Art) VALUES (1, 'A1'), (2, 'A2')"));

    EXPECT_EQ(WriteManagersDbf(priceDb, program.path(), kToday), 2);
    const QString path = program.filePath(QLatin1String(kManagersDbfFileName));
    const QByteArray bytes = readBytes(path);
    ASSERT_GT(bytes.size(), 32);
    EXPECT_EQ(static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8, 385);
    EXPECT_EQ(static_cast<unsigned char>(bytes[10]) | static_cast<unsigned char>(bytes[11]) << 8, 487);
    EXPECT_EQ(static_cast<unsigned char>(bytes[29]), 201);
    EXPECT_EQ(bytes.size(), 385 + 2 * 487 + 1);

    const ToolRun run =
        runTool(QStringLiteral("/usr/bin/python3"), {QStringLiteral(VELMORA_TEST_DATA "/../output/dbf_dump.py"), path});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QJsonArray records = QJsonDocument::fromJson(run.output).object().value(QStringLiteral("records")).toArray();
    ASSERT_EQ(records.size(), 2);
    const QJsonObject first = records.at(0).toObject();
    EXPECT_EQ(first.value(QStringLiteral("NAME")).toString(), QStringLiteral("Без базы"));
    EXPECT_TRUE(first.value(QStringLiteral("KPR")).isNull());
    EXPECT_TRUE(first.value(QStringLiteral("UPDATE")).isNull());
    const QJsonObject second = records.at(1).toObject();
    EXPECT_EQ(second.value(QStringLiteral("INO")).toInt(), 1);
    EXPECT_EQ(second.value(QStringLiteral("ITEM")).toString(), QStringLiteral("A1"));
    EXPECT_EQ(second.value(QStringLiteral("GRCODE")).toInt(), 12);
    EXPECT_EQ(second.value(QStringLiteral("NAME")).toString(), QStringLiteral("Чайник электрический"));
    EXPECT_EQ(second.value(QStringLiteral("CATAL")).toDouble(), 80);
    EXPECT_EQ(second.value(QStringLiteral("KPR")).toDouble(), 1.44);
    EXPECT_EQ(second.value(QStringLiteral("PRICE")).toDouble(), 115.5);
    EXPECT_EQ(second.value(QStringLiteral("OPT")).toDouble(), 110);
    EXPECT_EQ(second.value(QStringLiteral("GARAN")).toString(), QStringLiteral("1 год"));
    EXPECT_EQ(second.value(QStringLiteral("UPDATE")).toString(), QStringLiteral("2024-03-05"));
    EXPECT_EQ(priceDb.scalar(QStringLiteral("SELECT Dates FROM parametr WHERE Id = 2")).toLongLong(), today());
}

} // namespace
