// Price texts as suppliers, customers and catalogue files write them.
#include "storage/price_text.h"

#include <gtest/gtest.h>

#include <vector>

using namespace velmora;

namespace {

TEST(PriceText, ReadsThePriceAsWritten)
{
    struct Case {
        QString text;
        bool hasNumber;
        double value;
        QString word; // the code a currency word sets, "" for none
    };
    const std::vector<Case> cases = {
        // Plain numbers.
        {"10,5", true, 10.5, ""},
        {"10.5", true, 10.5, ""},
        {"12", true, 12, ""},
        {"-3,25", true, -3.25, ""},
        {"1,234.50", true, 1234.5, ""},
        {"1.234,50", true, 1234.5, ""},
        {"1,234", true, 1.234, ""}, // one separator is the decimal one
        {"1E+3", true, 1000, ""},
        // With words and signs.
        {"1 234,50 руб.", true, 1234.5, "RUB"},
        {"$7", true, 7, "USD"},
        {"7 USD", true, 7, "USD"},
        {"15 EUR", true, 15, "EUR"},
        {"20 evro", true, 20, "EUR"},
        {"30 грн", true, 30, "UAH"},
        {"40 бел. руб", true, 40, "BYN"},
        {"50 BYN", true, 50, "BYN"},
        {"60 р.", true, 60, "RUB"},
        {"12,500 руб", true, 12.5, "RUB"},
        // A separator before the first digit is no decimal point.
        {"руб. 12,50", true, 12.5, "RUB"},
        {"р.1200", true, 1200, "RUB"},
        {"у.е. 15", true, 15, ""},
        // A range or a list gives its first number.
        {"10-15", true, 10, ""},
        {"10 - 15", true, 10, ""},
        {"1,5-2,5", true, 1.5, ""},
        {"5,00 / 6,00", true, 5, ""},
        {"от 100 до 200 руб", true, 100, "RUB"},
        // Groups of three digits.
        {"1,234,567", true, 1234567, ""},
        {"1.234.567", true, 1234567, ""},
        {"1 234 567", true, 1234567, ""},
        {"1\u00A0234\u00A0567,89 р.", true, 1234567.89, "RUB"},
        {"1 234.50 USD", true, 1234.5, "USD"},
        {"1.234.567,89 €", true, 1234567.89, "EUR"},
        {"1234 567", true, 1234, ""}, // four leading digits group nothing
        {"10 15", true, 10, ""},
        // The euro named in Russian and by its sign.
        {"15 евро", true, 15, "EUR"},
        {"€ 20", true, 20, "EUR"},
        {"EUR 30", true, 30, "EUR"},
        {"Евро 40", true, 40, "EUR"},
        // No digits.
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

// The combined stock export's quantity: the first number, a text it cannot
// read counting 0.
TEST(PriceText, StockQuantities)
{
    const std::vector<std::pair<QString, double>> cases = {
        {"12 шт", 12},     {"1.5", 1.5},   {"1,5", 1.5},    {"1.234,5", 0},  {"1,234,567", 0},
        {"", 0},           {"нет", 0},     {" 7 ", 7},      {"10-20", 10},   {"5/10", 5},
        {"1 200", 1200},   {"1 200,5", 1200.5}, {">50", 50}, {"-3", 3}, {"12.", 12},
        {"0,12345", 0.1235}, {"есть 3 шт.", 3},
    };
    for (const auto& [text, value] : cases)
        EXPECT_DOUBLE_EQ(ParsePrice(text), value) << text.toStdString();
}

TEST(PriceText, RowCurrencyCellsNormalise)
{
    const std::vector<std::pair<QString, QString>> cases = {
        {"руб.", "RUB"}, {"RUR", "RUB"}, {"$", "USD"},    {"usd", "USD"}, {"EUR", "EUR"},     {"evro", "EUR"},
        {"евро", "EUR"}, {"€", "EUR"},   {"грн", "UAH"}, {"бел. руб", "BYN"}, {"byn", "BYN"}, {" xyz ", "XYZ"},
    };
    for (const auto& [text, code] : cases)
        EXPECT_EQ(NormaliseRowCurrencyText(text), code) << text.toStdString();
}

} // namespace
