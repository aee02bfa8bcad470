// The option rules at their edges: the amount bands, クール and 市内特別 by
// rows, and N parcels of each carrier. How the quote tool applies them is
// tested against the real windows (tests/ui/DifferentialTest.cpp).
#include "ParcelRules.h"

#include <gtest/gtest.h>

namespace {

using namespace hakomaru;
using enum BoxChange;

TEST(ParcelAmountRule, BandEdges) {
    struct Case {
        float amount;
        bool youpack, cat;
        BoxChange registered, catCod;
    };
    const Case cases[] = {
        {-1, true, true, Keep, Keep},
        {0, true, true, Uncheck, Uncheck},
        {0.1f, true, true, Keep, Check},
        {5, true, true, Keep, Check},
        {5.1f, true, true, Check, Check},
        {30, true, true, Check, Check},
        {30.1f, true, false, Keep, Uncheck},
        {200, true, false, Keep, Uncheck},
        {200.1f, false, false, Uncheck, Uncheck},
    };
    for (const Case& c : cases) {
        const ParcelAmountRule rule = parcelAmountRule(c.amount);
        EXPECT_EQ(rule.youpackHandles, c.youpack) << c.amount;
        EXPECT_EQ(rule.catHandles, c.cat) << c.amount;
        EXPECT_EQ(rule.registered, c.registered) << c.amount;
        EXPECT_EQ(rule.catCashOnDelivery, c.catCod) << c.amount;
    }
    EXPECT_FALSE(postalAmountRefused(200));
    EXPECT_TRUE(postalAmountRefused(200.1f));
    EXPECT_FALSE(registeredRequired(5));
    EXPECT_TRUE(registeredRequired(5.1f));
}

TEST(RowLimits, CoolAndInCity) {
    EXPECT_TRUE(coolAvailable(8, 3));  // 15kg以下, 120cm以下
    EXPECT_FALSE(coolAvailable(9, 0)); // 16kg以下
    EXPECT_FALSE(coolAvailable(0, 4)); // 140cm以下
    EXPECT_TRUE(inCityAvailable(9));   // 250g以下
    EXPECT_FALSE(inCityAvailable(10)); // 500g以下
}

TEST(Exclusions, AreSymmetric) {
    for (int i = 0; i <= static_cast<int>(ParcelOption::CatFukusu); ++i)
        for (ParcelOption other : excludedBy(static_cast<ParcelOption>(i))) {
            const auto back = excludedBy(other);
            EXPECT_NE(std::find(back.begin(), back.end(), static_cast<ParcelOption>(i)),
                      back.end());
        }
}

TEST(SeveralParcels, BothCarriersForTheSameCount) {
    TCatRequest cat;
    EXPECT_EQ(parcelCount(cat), 1);
    cat.Fukusu = true;
    cat.FukusuText = "3";
    EXPECT_EQ(parcelCount(cat), 3);
    cat.FukusuText = "0";
    EXPECT_EQ(parcelCount(cat), 1);
    EXPECT_EQ(youpackTotalFor(940, 3), 2820);
    EXPECT_EQ(youpackTotalFor(2147483647, 999), 2147483647LL * 999); // no wrap
    EXPECT_EQ(compareCarriers(2820, 2280).cheaper, Cheaper::Cat);
    EXPECT_EQ(compareCarriers(2820, 2280).difference, 540);
    EXPECT_EQ(compareCarriers(5, 5).cheaper, Cheaper::Same);
}

} // namespace
