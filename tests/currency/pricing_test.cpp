#include "suppliers/pricing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace velmora;

namespace {

struct PricingCase {
    const char* what;
    QuotedOffer offer;
    double factor;
    const char* degree;
    bool ormita;
    StoredPrices expected;
};

class StoredPriceRule : public ::testing::TestWithParam<PricingCase> {};

TEST_P(StoredPriceRule, MatchesTheLoaderFormula)
{
    const PricingCase c = GetParam();
    const StoredPrices got =
        ComputeStoredPrices(c.offer, c.factor, PriceRounding::fromDegreeText(QString::fromLatin1(c.degree), c.ormita));
    EXPECT_NEAR(got.price, c.expected.price, 1e-9) << c.what;
    EXPECT_NEAR(got.priceMax, c.expected.priceMax, 1e-9) << c.what;
    EXPECT_NEAR(got.priceOut, c.expected.priceOut, 1e-9) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StoredPriceRule,
    ::testing::Values(
        // USD 90, EUR 100, display EUR: K = 0.9; 10 x 1.1 x 0.9 = 9.9,
        // 12 x 0.9 = 10.8 (no conversion), 9.9 x 1.25 = 12.375 -> 12.38.
        PricingCase{"markup 25", {10, 12, 1.1, 25}, 0.9, "2", false, {9.9, 10.8, 12.38}},
        PricingCase{"no markup", {10, 0, 1, 0}, 73.4567, "2", false, {734.57, 0, 734.57}},
        // A discount lowers Price as well as PriceOut, never Pricemax.
        PricingCase{"markup -10", {100, 120, 1, -10}, 1, "2", false, {90, 120, 90}},
        PricingCase{"whole numbers", {10.4, 10.6, 1, 10}, 1, "0", false, {10, 11, 11}},
        PricingCase{"tens", {1234, 1234, 1, 0}, 1, "-1", false, {1230, 1230, 1230}},
        // "X": no rounding; a stored currency value keeps four decimals.
        PricingCase{"unrounded", {10, 10, 1.1, 25}, 0.333333, "X", false, {3.6667, 3.3333, 4.5833}},
        // Ormita rounds Price and PriceOut even under "X", Pricemax not.
        PricingCase{"ormita unrounded", {10, 10, 1.1, 25}, 0.333333, "X", true, {3.67, 3.3333, 4.59}},
        PricingCase{"not a number means 2", {1, 1, 1, 0}, 1.23456, "abc", false, {1.23, 1.23, 1.23}},
        // Decimal halves round up as written.
        PricingCase{"half up", {1.005, 2.675, 1, 0}, 1, "2", false, {1.01, 2.68, 1.01}}));

TEST(StoredPriceRule, NonFiniteResultsAreStoredAsZero)
{
    const QuotedOffer offer{std::numeric_limits<double>::infinity(), std::nan(""), 1, 0};
    const StoredPrices got = ComputeStoredPrices(offer, 1, PriceRounding{});
    EXPECT_EQ(got, (StoredPrices{0, 0, 0}));
}

TEST(PriceRounding, FromDegreeText)
{
    EXPECT_EQ(PriceRounding::fromDegreeText(QStringLiteral("2")).priceDigits, 2);
    EXPECT_EQ(PriceRounding::fromDegreeText(QStringLiteral(" 3 ")).priceMaxDigits, 3);
    EXPECT_EQ(PriceRounding::fromDegreeText(QStringLiteral("")).priceDigits, 2);
    EXPECT_FALSE(PriceRounding::fromDegreeText(QStringLiteral("X")).priceDigits.has_value());
    EXPECT_FALSE(PriceRounding::fromDegreeText(QStringLiteral("X")).priceMaxDigits.has_value());
    EXPECT_EQ(PriceRounding::fromDegreeText(QStringLiteral("X"), true).priceDigits, 2);
    EXPECT_EQ(PriceRounding::fromDegreeText(QStringLiteral("1000")).priceDigits, 2);
}

} // namespace
