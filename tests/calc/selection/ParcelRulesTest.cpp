// The option rules at their edges: the amount bands, クール and 市内特別 by
// rows. The windows and the quote tool applying them are tested against
// each other in tests/ui/DifferentialTest.cpp.
#include "selection/ParcelRules.h"

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

} // namespace
