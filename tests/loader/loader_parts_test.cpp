// Price texts, currency words, column specs, links and sheet choice.
#include "suppliers/loader/file_stamp.h"
#include "suppliers/loader/price_text.h"
#include "suppliers/loader/sheet_columns.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace velmora::loader {
namespace {

TEST(PriceText, ParsesLikeTheListsAreWritten)
{
    struct Case {
        QString text;
        bool hasNumber;
        double value;
        QString word; // the code a currency word sets, "" for none
    };
    const std::vector<Case> cases = {
        {"10,5", true, 10.5, ""},
        {"10.5", true, 10.5, ""},
        {"12", true, 12, ""},
        {"-3,25", true, -3.25, ""},
        {"1 234,50 руб.", true, 1234.5, "RUB"},
        {"1,234.50", true, 1234.5, ""},
        {"1.234,50", true, 1234.5, ""},
        {"1.234.567", true, 1.234567, ""},
        {"$7", true, 7, "USD"},
        {"7 USD", true, 7, "USD"},
        {"15 EUR", true, 15, "EUR"},
        {"20 evro", true, 20, "EUR"},
        {"30 грн", true, 30, "UAH"},
        {"40 бел. руб", true, 40, "BYN"},
        {"50 BYN", true, 50, "BYN"},
        {"60 р.", true, 60, "RUB"},
        {"звоните", false, 0, ""},
        {"", false, 0, ""},
        {"nan", false, 0, ""},
        {"inf", false, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        QString code;
        const ParsedPrice price = ParsePriceText(c.text, &code);
        EXPECT_EQ(price.hasNumber, c.hasNumber);
        EXPECT_DOUBLE_EQ(price.value, c.value);
        EXPECT_EQ(code, c.word);
    }
}

TEST(PriceText, RowCurrencyCellsNormalise)
{
    const std::vector<std::pair<QString, QString>> cases = {
        {"руб.", "RUB"}, {"RUR", "RUB"}, {"$", "USD"}, {"usd", "USD"}, {"EUR", "EUR"}, {"evro", "EUR"},
        {"грн", "UAH"}, {"бел. руб", "BYN"}, {"byn", "BYN"}, {" xyz ", "XYZ"},
    };
    for (const auto& [text, code] : cases)
        EXPECT_EQ(NormaliseRowCurrencyText(text), code) << text.toStdString();
}

TEST(SheetColumns, DecodeSpecs)
{
    struct Case {
        qint64 spec;
        bool mayBeHyperlink;
        std::array<int, 4> columns;
        int hyperlink;
    };
    const std::vector<Case> cases = {
        {0, false, {0, 0, 0, 0}, 0},
        {3, false, {3, 0, 0, 0}, 0},
        {305, false, {3, 5, 0, 0}, 0},
        {30506, false, {3, 5, 6, 0}, 0},
        {1020304, false, {1, 2, 3, 4}, 0},
        {27, false, {27, 0, 0, 0}, 0},
        {100000003, true, {0, 0, 0, 0}, 3},
        {100000003, false, {3, 0, 0, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spec);
        const FieldColumns field = DecodeFieldColumns(c.spec, c.mayBeHyperlink);
        EXPECT_EQ(field.columns, c.columns);
        EXPECT_EQ(field.hyperlinkColumn, c.hyperlink);
    }
    EXPECT_EQ(DecodePriceColumn(305), 5);
    EXPECT_EQ(DecodePriceColumn(0), 0);
}

TEST(SheetColumns, LinksFromFormulas)
{
    EXPECT_EQ(LinkFromFormula(QStringLiteral("=HYPERLINK(\"http://a/b\",\"x\")")), QStringLiteral("http://a/b"));
    EXPECT_EQ(LinkFromFormula(QStringLiteral("=ГИПЕРССЫЛКА(\"http://a/c\";\"y\")")), QStringLiteral("http://a/c"));
    EXPECT_EQ(LinkFromFormula(QStringLiteral("=hyperlink(\"http://a/d\")")), QStringLiteral("http://a/d"));
    EXPECT_EQ(LinkFromFormula(QStringLiteral("=SUM(A1:A2)")), QString());
    EXPECT_EQ(LinkFromFormula(QString()), QString());
}

TEST(SheetColumns, ChooseWorksheet)
{
    const QStringList sheets = {QStringLiteral("Лист1"), QStringLiteral("Прайс-лист 2012"), QStringLiteral(" Прайс опт ")};
    EXPECT_EQ(ChooseWorksheet(sheets, QStringLiteral("[прайс-лист]")), 2);
    EXPECT_EQ(ChooseWorksheet(sheets, QStringLiteral("[прайс]")), 3) << "the last match wins";
    EXPECT_EQ(ChooseWorksheet(sheets, QStringLiteral("лист1")), 1);
    EXPECT_EQ(ChooseWorksheet(sheets, QStringLiteral("прайс опт")), 3);
    EXPECT_EQ(ChooseWorksheet(sheets, QStringLiteral("Лист")), 0);
    EXPECT_EQ(ChooseWorksheet({QStringLiteral("Один")}, QStringLiteral("Другой")), 1);
}

TEST(FileStamp, PacksDosDateAndTime)
{
    // 10.12.2026 08:30:15 -> date (46 << 9 | 12 << 5 | 10), time (8 << 11 | 30 << 5 | 7)
    const QDateTime time(QDate(2026, 12, 10), QTime(8, 30, 15));
    EXPECT_EQ(PackedDosTime(time), (qint64(46 << 9 | 12 << 5 | 10) << 16) | (8 << 11 | 30 << 5 | 7));
    EXPECT_EQ(PackedDosTime(QDateTime(QDate(1979, 1, 1), QTime(0, 0))), 0);
    EXPECT_EQ(FileDosStamp(QStringLiteral("/nonexistent/file")), 0);
}

} // namespace
} // namespace velmora::loader
