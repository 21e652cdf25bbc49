#include "tree_test_support.h"

#include "platform/db/db_error.h"
#include "storage/settings_store.h"
#include "suppliers/tree/contact_card.h"
#include "suppliers/tree/price_lists.h"
#include "suppliers/tree/rename_price_list.h"

#include <gtest/gtest.h>

using namespace velmora;
using velmora::testing::SupplierDatabases;

namespace {

const QStringList kKeyedTables = {"AllPostavSetup", "AllPostavPage", "AllTovarPostav",
                                  "BrandNamePostav", "AllPriceHistory", "postav_info"};

struct RenameTest : ::testing::Test {
    SupplierDatabases d;
    SettingsStore settings{d.orderDb};

    void SetUp() override
    {
        d.addFullSupplier(1, QStringLiteral("Альфа"));
        d.addFullSupplier(2, QStringLiteral("Бета"));
        settings.write(QStringLiteral("Альфа_PostavDisable"), QStringLiteral("TypeBoolean"), QStringLiteral("-1"));
        settings.write(QStringLiteral("Альфа_DataLoad"), QStringLiteral("TypeInteger"), QStringLiteral("123"));
        settings.write(QStringLiteral("АльфаSpinEdit_p1_1"), QStringLiteral("TypeInteger"), QStringLiteral("500"));
    }

    qint64 settingRows(const QString& name)
    {
        return d.count(d.orderDb, QStringLiteral("SELECT count(*) FROM settings WHERE ParName = ?1 COLLATE BINARY"), {name});
    }
};

TEST_F(RenameTest, EveryRowKeyedByTheNameFollows)
{
    d.orderDb.exec(QStringLiteral("INSERT INTO SelectTempPostav (TemplateName, Postavshik, Obrab) VALUES"
                                  " ('Шаблон', 'Альфа', 1), ('Шаблон', 'Бета', 1), ('Другой', 'Альфа', 0)"));
    const QString newName = QStringLiteral("O'Neil \"Ёлка\"");
    ASSERT_EQ(RenamePriceList(d.priceDb, d.orderDb, 1, newName), RenameResult::Renamed);
    const QString templateRows = QStringLiteral("SELECT count(*) FROM SelectTempPostav WHERE Postavshik = ?1 COLLATE BINARY");
    EXPECT_EQ(d.count(d.orderDb, templateRows, {newName}), 2);
    EXPECT_EQ(d.count(d.orderDb, templateRows, {QStringLiteral("Альфа")}), 0);
    EXPECT_EQ(d.count(d.orderDb, templateRows, {QStringLiteral("Бета")}), 1);
    for (const QString& table : kKeyedTables) {
        EXPECT_EQ(d.rowsOf(table, QStringLiteral("Альфа")), 0) << table.toStdString();
        EXPECT_GE(d.rowsOf(table, newName), 1) << table.toStdString();
    }
    EXPECT_EQ(d.rowsOf(QStringLiteral("AllTovarPostav"), newName), 2);
    EXPECT_EQ(d.valutaRowsOf(newName), 2);
    EXPECT_EQ(ReadContactCard(d.priceDb, newName).Name_full, "Альфа ООО");
    EXPECT_EQ(settingRows(QStringLiteral("Альфа_PostavDisable")), 0);
    EXPECT_TRUE(settings.readBoolean(newName + "_PostavDisable"));
    EXPECT_EQ(settings.readInteger(newName + "_DataLoad"), 123);
    EXPECT_EQ(settings.readInteger(newName + "SpinEdit_p1_1"), 500);
    // The other list is untouched.
    for (const QString& table : kKeyedTables)
        EXPECT_GE(d.rowsOf(table, QStringLiteral("Бета")), 1) << table.toStdString();
}

TEST_F(RenameTest, RefusalsAndNoOpsTouchNothing)
{
    const struct {
        QString newName;
        RenameResult expected;
    } cases[] = {
        {QStringLiteral("Альфа"), RenameResult::Unchanged},
        {QStringLiteral(""), RenameResult::EmptyName},
        {QStringLiteral("   "), RenameResult::EmptyName},
        {QStringLiteral("Бета"), RenameResult::NameTaken},
        {QStringLiteral("бЕТА"), RenameResult::NameTaken},
        {QStringLiteral(" Бета "), RenameResult::NameTaken},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RenamePriceList(d.priceDb, d.orderDb, 1, c.newName), c.expected) << c.newName.toStdString();
        EXPECT_EQ(d.namesInIdOrder(), QStringList({"1=Альфа", "2=Бета"}));
        for (const QString& table : kKeyedTables)
            EXPECT_GE(d.rowsOf(table, QStringLiteral("Альфа")), 1) << table.toStdString();
        EXPECT_EQ(d.rowsOf(QStringLiteral("AllTovarPostav"), QStringLiteral("Бета")), 2);
        EXPECT_EQ(settingRows(QStringLiteral("Альфа_PostavDisable")), 1);
    }
    EXPECT_FALSE(RenameRefusalText(RenameResult::NameTaken, "Бета").isEmpty());
    EXPECT_TRUE(RenameRefusalText(RenameResult::Renamed, "x").isEmpty());
    EXPECT_EQ(RenamePriceList(d.priceDb, d.orderDb, 99, QStringLiteral("Гамма")), RenameResult::NoSuchList);
    // Id 1 shown as "Бета": the lists were renumbered since.
    EXPECT_EQ(RenamePriceList(d.priceDb, d.orderDb, 1, QStringLiteral("Гамма"), QStringLiteral("Бета")),
              RenameResult::NotShown);
    EXPECT_EQ(d.namesInIdOrder(), QStringList({"1=Альфа", "2=Бета"}));
    EXPECT_EQ(RenamePriceList(d.priceDb, d.orderDb, 1, QStringLiteral("Гамма"), QStringLiteral("Альфа")),
              RenameResult::Renamed);
}

TEST_F(RenameTest, AFailureHalfWayLeavesBothDatabasesAsTheyWere)
{
    d.priceDb.exec(QStringLiteral("CREATE TRIGGER no_history_rename BEFORE UPDATE ON AllPriceHistory "
                                  "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    EXPECT_THROW(RenamePriceList(d.priceDb, d.orderDb, 1, QStringLiteral("Гамма")), db::DbError);
    EXPECT_EQ(d.namesInIdOrder(), QStringList({"1=Альфа", "2=Бета"}));
    EXPECT_EQ(d.rowsOf(QStringLiteral("AllTovarPostav"), QStringLiteral("Альфа")), 2);
    EXPECT_EQ(d.rowsOf(QStringLiteral("AllPostavPage"), QStringLiteral("Альфа")), 1);
    EXPECT_EQ(settingRows(QStringLiteral("Альфа_PostavDisable")), 1);
    EXPECT_EQ(settingRows(QStringLiteral("Гамма_PostavDisable")), 0);
}

TEST_F(RenameTest, ChangingOnlyTheCaseIsARename)
{
    ASSERT_EQ(RenamePriceList(d.priceDb, d.orderDb, 1, QStringLiteral("АЛЬФА")), RenameResult::Renamed);
    EXPECT_EQ(d.rowsOf(QStringLiteral("AllPostavSetup"), QStringLiteral("АЛЬФА")), 1);
    EXPECT_EQ(d.rowsOf(QStringLiteral("AllTovarPostav"), QStringLiteral("АЛЬФА")), 2);
    EXPECT_EQ(d.rowsOf(QStringLiteral("postav_info"), QStringLiteral("АЛЬФА")), 1);
    EXPECT_EQ(settingRows(QStringLiteral("АЛЬФА_PostavDisable")), 1);
}

TEST_F(RenameTest, LeftoversUnderTheNewNameAreNotInherited)
{
    // A list once named "Гамма" was deleted; its card and settings stayed.
    d.addCard(QStringLiteral("Гамма"), QStringLiteral("старая карточка"));
    settings.write(QStringLiteral("Гамма_DataLoad"), QStringLiteral("TypeInteger"), QStringLiteral("999"));
    ASSERT_EQ(RenamePriceList(d.priceDb, d.orderDb, 1, QStringLiteral("Гамма")), RenameResult::Renamed);
    EXPECT_EQ(d.rowsOf(QStringLiteral("postav_info"), QStringLiteral("Гамма")), 1);
    EXPECT_EQ(ReadContactCard(d.priceDb, QStringLiteral("Гамма")).Name_full, "Альфа ООО");
    EXPECT_EQ(settingRows(QStringLiteral("Гамма_DataLoad")), 1);
    EXPECT_EQ(settings.readInteger(QStringLiteral("Гамма_DataLoad")), 123);
}

TEST_F(RenameTest, SettingsOfAListWhoseNameStartsWithTheOldNameStay)
{
    d.addList(3, QStringLiteral("Альфа_Б"));
    settings.write(QStringLiteral("Альфа_Б_PostavDisable"), QStringLiteral("TypeBoolean"), QStringLiteral("-1"));
    settings.write(QStringLiteral("Edit_KursDollar"), QStringLiteral("TypeText"), QStringLiteral("x"));
    ASSERT_EQ(RenamePriceList(d.priceDb, d.orderDb, 1, QStringLiteral("Гамма")), RenameResult::Renamed);
    EXPECT_EQ(settingRows(QStringLiteral("Альфа_Б_PostavDisable")), 1);
    EXPECT_EQ(settingRows(QStringLiteral("Edit_KursDollar")), 1);
}

} // namespace
