#include "tree_test_support.h"

#include "platform/db/day_numbers.h"
#include "storage/settings_store.h"
#include "suppliers/tree/contact_card.h"
#include "suppliers/tree/price_lists.h"
#include "suppliers/tree/supplier_address.h"
#include "suppliers/tree/supplier_commands.h"

#include <gtest/gtest.h>

using namespace velmora;
using velmora::testing::SupplierDatabases;

namespace {

const QString kQuoted = QStringLiteral("O'Neil \"Ёлка\"");

TEST(AddPriceList, FirstListGetsIdOneAndThePlaceholderDefaults)
{
    SupplierDatabases d;
    const std::optional<qint64> id = AddPriceList(d.priceDb, 46100);
    ASSERT_TRUE(id);
    EXPECT_EQ(*id, 1);
    const std::optional<PriceListRow> row = FindPriceListById(d.priceDb, 1);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->Postavshik, kNewPriceListName);
    EXPECT_EQ(row->Path, "-");
    EXPECT_EQ(row->SheetCount, 0);
    EXPECT_EQ(row->Obrab, "");
    EXPECT_TRUE(row->PostavVisible);
    EXPECT_EQ(row->Dates, 46100);
    EXPECT_EQ(row->PriceConversion, 1.0);
    EXPECT_EQ(row->Valuta, 0);
}

TEST(AddPriceList, OnlyOnePlaceholderAtATimeAfterTheLastId)
{
    SupplierDatabases d;
    d.addList(1, QStringLiteral("А"));
    d.addList(4, QStringLiteral("Б"));
    EXPECT_EQ(AddPriceList(d.priceDb, 1), 5);
    EXPECT_FALSE(AddPriceList(d.priceDb, 1));
    EXPECT_EQ(d.rowsOf(QStringLiteral("AllPostavSetup"), kNewPriceListName), 1);
    EXPECT_EQ(d.count(d.priceDb, QStringLiteral("SELECT count(*) FROM AllPostavSetup")), 3);
}

TEST(DeletePriceList, RemovesSheetsGoodsQuotedPricesAndHistoryAndRenumbers)
{
    SupplierDatabases d;
    d.addFullSupplier(1, QStringLiteral("А"));
    d.addFullSupplier(2, QStringLiteral("Б"));
    d.addFullSupplier(3, QStringLiteral("В"));
    SettingsStore(d.orderDb).write(QStringLiteral("Б_PriceHistoryLoad"), QStringLiteral("TypeBoolean"), QStringLiteral("-1"));
    const qint64 valutaBefore = d.allValutaRows();

    ASSERT_TRUE(DeletePriceList(d.priceDb, QStringLiteral("Б")));

    EXPECT_EQ(d.namesInIdOrder(), QStringList({"1=А", "2=В"}));
    for (const char* table : {"AllPostavSetup", "AllPostavPage", "AllTovarPostav", "AllPriceHistory"})
        EXPECT_EQ(d.rowsOf(QLatin1String(table), QStringLiteral("Б")), 0) << table;
    EXPECT_EQ(d.allValutaRows(), valutaBefore - 2);
    // The card, the brands and the settings stay with the name.
    EXPECT_EQ(d.rowsOf(QStringLiteral("postav_info"), QStringLiteral("Б")), 1);
    EXPECT_EQ(d.rowsOf(QStringLiteral("BrandNamePostav"), QStringLiteral("Б")), 1);
    EXPECT_TRUE(SettingsStore(d.orderDb).readBoolean(QStringLiteral("Б_PriceHistoryLoad")));
    // The others keep everything.
    for (const QString& other : {QStringLiteral("А"), QStringLiteral("В")}) {
        EXPECT_EQ(d.rowsOf(QStringLiteral("AllTovarPostav"), other), 2);
        EXPECT_EQ(d.valutaRowsOf(other), 2);
        EXPECT_EQ(d.rowsOf(QStringLiteral("AllPostavPage"), other), 1);
    }
}

TEST(DeletePriceList, UnknownNameChangesNothing)
{
    SupplierDatabases d;
    d.addFullSupplier(1, QStringLiteral("А"));
    EXPECT_FALSE(DeletePriceList(d.priceDb, QStringLiteral("Нет такого")));
    EXPECT_EQ(d.namesInIdOrder(), QStringList({"1=А"}));
}

TEST(SortPriceLists, RenumbersInAlphabeticalOrder)
{
    SupplierDatabases d;
    d.addList(1, QStringLiteral("Б"));
    d.addList(2, QStringLiteral("а"));
    d.addList(3, QStringLiteral("В"));
    d.addList(5, QStringLiteral("Ёж"));
    SortPriceLists(d.priceDb);
    EXPECT_EQ(d.namesInIdOrder(), QStringList({"1=а", "2=Б", "3=В", "4=Ёж"}));
}

TEST(SortPriceLists, WorksBeyondAThousandLists)
{
    SupplierDatabases d;
    db::Transaction tx(d.priceDb);
    for (int i = 1; i <= 1005; ++i)
        d.addList(i, QStringLiteral("L%1").arg(1005 - i, 4, 10, QLatin1Char('0')));
    tx.commit();
    SortPriceLists(d.priceDb);
    EXPECT_EQ(d.count(d.priceDb, QStringLiteral("SELECT count(DISTINCT Id) FROM AllPostavSetup")), 1005);
    EXPECT_EQ(FindPriceListById(d.priceDb, 1)->Postavshik, "L0000");
    EXPECT_EQ(FindPriceListById(d.priceDb, 1005)->Postavshik, "L1004");
}

TEST(DisablePriceList, DisablingDropsTheGoodsAndEnablingBringsNothingBack)
{
    SupplierDatabases d;
    d.addFullSupplier(1, kQuoted);
    d.addFullSupplier(2, QStringLiteral("Другой"));
    EXPECT_FALSE(IsPriceListDisabled(d.orderDb, kQuoted));

    EXPECT_TRUE(SetPriceListDisabled(d.priceDb, d.orderDb, kQuoted, true));
    EXPECT_TRUE(IsPriceListDisabled(d.orderDb, kQuoted));
    EXPECT_EQ(d.rowsOf(QStringLiteral("AllTovarPostav"), kQuoted), 0);
    EXPECT_EQ(d.allValutaRows(), 2);
    // Row and sheet settings stay.
    EXPECT_TRUE(FindPriceList(d.priceDb, kQuoted));
    EXPECT_EQ(d.rowsOf(QStringLiteral("AllPostavPage"), kQuoted), 1);
    EXPECT_EQ(d.rowsOf(QStringLiteral("AllTovarPostav"), QStringLiteral("Другой")), 2);

    EXPECT_FALSE(SetPriceListDisabled(d.priceDb, d.orderDb, kQuoted, false));
    EXPECT_FALSE(IsPriceListDisabled(d.orderDb, kQuoted));
    EXPECT_EQ(d.rowsOf(QStringLiteral("AllTovarPostav"), kQuoted), 0);
}

TEST(QuotedNames, EveryCommandHandlesQuotesInTheName)
{
    SupplierDatabases d;
    d.addFullSupplier(1, kQuoted);
    d.addFullSupplier(2, QStringLiteral("Д'Арт"));
    ASSERT_TRUE(FindPriceList(d.priceDb, kQuoted));
    EXPECT_EQ(ReadGoodsSummary(d.priceDb, kQuoted).count, 2);
    SaveContactCard(d.priceDb, kQuoted, ContactCard{"a'b", "\"c\"", "d", "e", "f"});
    EXPECT_EQ(ReadContactCard(d.priceDb, kQuoted).Address, "\"c\"");
    ASSERT_TRUE(DeletePriceList(d.priceDb, QStringLiteral("Д'Арт")));
    EXPECT_EQ(d.rowsOf(QStringLiteral("AllTovarPostav"), QStringLiteral("Д'Арт")), 0);
    EXPECT_EQ(d.namesInIdOrder(), QStringList({"1=" + kQuoted}));
}

TEST(ContactCard, InsertedThenUpdatedWithEmptyTexts)
{
    SupplierDatabases d;
    EXPECT_EQ(ReadContactCard(d.priceDb, QStringLiteral("А")), ContactCard{});
    SaveContactCard(d.priceDb, QStringLiteral("А"), ContactCard{"ООО А", "a.ru", "Пётр", "1", "a@a.ru"});
    SaveContactCard(d.priceDb, QStringLiteral("А"), ContactCard{"ООО А", QString(), "Пётр", "2", QString()});
    EXPECT_EQ(d.rowsOf(QStringLiteral("postav_info"), QStringLiteral("А")), 1);
    EXPECT_EQ(ReadContactCard(d.priceDb, QStringLiteral("А")), (ContactCard{"ООО А", "", "Пётр", "2", ""}));
    EXPECT_EQ(d.count(d.priceDb, QStringLiteral("SELECT count(*) FROM postav_info WHERE Address IS NULL OR Mail IS NULL")), 0);
}

TEST(GoodsSummary, NoGoodsGivesNoDate)
{
    SupplierDatabases d;
    d.addList(1, QStringLiteral("А"));
    const GoodsSummary none = ReadGoodsSummary(d.priceDb, QStringLiteral("А"));
    EXPECT_EQ(none.count, 0);
    EXPECT_FALSE(none.firstDates);
    d.addGoods(QStringLiteral("А"), QStringLiteral("1"));
    EXPECT_EQ(ReadGoodsSummary(d.priceDb, QStringLiteral("А")).firstDates, 46001);
}

TEST(SupplierAddress, OnlyWebAndMailAddressesOpen)
{
    const struct {
        const char* text;
        const char* url; // "" = must not open
    } cases[] = {
        {"www.site.ru", "http://www.site.ru"},
        {"  site.ru/price  ", "http://site.ru/price"},
        {"site.ru:8080/x", "http://site.ru:8080/x"},
        {"https://site.ru/a?b=1", "https://site.ru/a?b=1"},
        {"HTTP://Site.ru", "http://site.ru"},
        {"mailto:sale@site.ru", "mailto:sale@site.ru"},
        {"sale@site.ru", "mailto:sale@site.ru"},
        {"", ""},
        {"   ", ""},
        {"file:///etc/passwd", ""},
        {"javascript:alert(1)", ""},
        {"C:\\Windows\\calc.exe", ""},
        {"smb://server/share", ""},
        {"http://", ""},
    };
    for (const auto& c : cases) {
        const QUrl url = SupplierAddressUrl(QString::fromUtf8(c.text));
        if (*c.url == 0)
            EXPECT_FALSE(url.isValid()) << c.text << " -> " << url.toString().toStdString();
        else
            EXPECT_EQ(url.toString(), QString::fromUtf8(c.url)) << c.text;
    }
    EXPECT_EQ(SupplierAddressFailureText("x.ru"), "Не получается открыть сайт:\rx.ru");
}

TEST(SupplierAddress, RefusedOrFailedOpensShowTheMessage)
{
    QStringList messages;
    QList<QUrl> opened;
    bool succeeds = true;
    const MessageSink sink = [&](const QString& t) { messages << t; };
    const auto opener = [&](const QUrl& url) { opened << url; return succeeds; };
    OpenSupplierAddress("", sink, opener);
    OpenSupplierAddress("site.ru", sink, opener);
    OpenSupplierAddress("file:///etc/passwd", sink, opener);
    succeeds = false;
    OpenSupplierAddress("https://down.ru", sink, opener);
    EXPECT_EQ(opened, QList<QUrl>({QUrl("http://site.ru"), QUrl("https://down.ru")}));
    EXPECT_EQ(messages, QStringList({"Не получается открыть сайт:\rfile:///etc/passwd",
                                     "Не получается открыть сайт:\rhttps://down.ru"}));
}

} // namespace
