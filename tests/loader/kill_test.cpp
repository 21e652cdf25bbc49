// A load killed with SIGKILL in the middle of its write leaves the
// supplier's previous goods and a sound database.
#include "loader_test_support.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <csignal>

namespace velmora::loader::test {
namespace {

TEST(LoaderCrash, KillDuringWriteKeepsPreviousGoods)
{
    const QString name = QStringLiteral("Поставщик");
    const QString other = QStringLiteral("Другой");
    QString pricePath, orderPath;
    TestDatabases dbs;
    const QString big = dbs.dir.filePath(QStringLiteral("big.xlsx"));
    WriteLargeXlsx(big, 300000);
    AddPriceList(dbs.price, name, big);
    SheetSetup sheet;
    sheet.sheetName = QStringLiteral("Прайс");
    sheet.columnArt = 1;
    sheet.columnTovar = 2;
    sheet.columnPrice = 3;
    sheet.valuta = CurrencyRUB;
    AddSheet(dbs.price, name, sheet);
    InsertOffers(dbs.price, name, 500);
    InsertOffers(dbs.price, other, 20);
    const std::vector<StoredOffer> before = ReadOffers(dbs.price, name);
    ASSERT_EQ(before.size(), 500u);
    dbs.price.close();
    dbs.order.close();

    QProcess helper;
    helper.start(QStringLiteral(LOADER_KILL_HELPER), {dbs.pricePath, dbs.orderPath, name});
    ASSERT_TRUE(helper.waitForStarted());
    QByteArray output;
    while (!output.contains("storing") && helper.state() == QProcess::Running) {
        helper.waitForReadyRead(30000);
        output += helper.readAllStandardOutput();
    }
    ASSERT_TRUE(output.contains("storing")) << output.toStdString() << helper.readAllStandardError().toStdString();
    ASSERT_EQ(helper.state(), QProcess::Running) << "the write ended before the kill";
    ::kill(pid_t(helper.processId()), SIGKILL);
    ASSERT_TRUE(helper.waitForFinished(30000));
    EXPECT_EQ(helper.exitStatus(), QProcess::CrashExit);

    dbs.price.open(dbs.pricePath);
    EXPECT_EQ(dbs.price.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    const std::vector<StoredOffer> after = ReadOffers(dbs.price, name);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].number, before[i].number);
        EXPECT_EQ(after[i].art, before[i].art);
        EXPECT_EQ(after[i].rateRows, 1);
        EXPECT_DOUBLE_EQ(after[i].ratePrice, before[i].ratePrice);
    }
    EXPECT_EQ(CountRows(dbs.price, QStringLiteral("SELECT COUNT(*) FROM AllTovarValuta")), 520);
    EXPECT_EQ(CountRows(dbs.price, QStringLiteral("SELECT COUNT(*) FROM AllTovarPostav")), 520);
}

} // namespace
} // namespace velmora::loader::test
