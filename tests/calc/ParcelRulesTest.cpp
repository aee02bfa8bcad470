// The option rules at their edges: the amount bands, クール by rows, the
// options that exclude each other, and N parcels of each carrier.
#include "ParcelRules.h"
#include "ConversionError.h"

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

// What the window would price for a row of selections, or the refusal.
struct WindowCase {
    const char* name;
    const char* amount;
    void (*select)(TYoupackRequest&, TCatRequest&);
    const char* refusal; // empty: accepted
    bool youpack = true, cat = true, registered = false;
};

TEST(MainWindowRules, RefuseOrAdjust) {
    const WindowCase cases[] = {
        {"plain", "", [](auto&, auto&) {}, ""},
        {"registered_at_5_1", "5.1", [](auto&, auto&) {}, "", true, true, true},
        {"registered_above_30", "30.1", [](auto&, auto&) {}, "", true, false, true},
        {"both_refuse_above_200", "200.1", [](auto&, auto&) {}, "", false, false, false},
        {"time_and_cool", "", [](auto&, TCatRequest& c) { c.Time = c.Cool = true; },
         "タイムサービス と クール は一緒に選べません"},
        {"time_and_cod", "1", [](auto&, TCatRequest& c) { c.Time = c.Daihiki = true; },
         "タイムサービス と クロネコ 代金引換 は一緒に選べません"},
        {"cyaku_and_cod", "", [](TYoupackRequest& y, auto&) { y.Cyaku = y.Daihiki = true; },
         "送料着払い と ゆうパック 代金引換 は一緒に選べません"},
        {"cool_too_heavy", "",
         [](auto&, TCatRequest& c) {
             c.Cool = true;
             c.WeightRow = 11;
         },
         "クール は 15kg以下・120cm以下の荷物にだけ選べます"},
        // A carrier that shows 取扱不可 has its whole group disabled.
        {"cat_not_handled", "30.1", [](auto&, TCatRequest& c) { c.Time = c.Cool = true; }, "", true,
         false, true},
    };
    for (const WindowCase& c : cases) {
        SCOPED_TRACE(c.name);
        TYoupackRequest you;
        TCatRequest cat;
        you.DaihikiText = c.amount;
        c.select(you, cat);
        if (*c.refusal) {
            try {
                applyMainWindowRules(you, cat);
                ADD_FAILURE() << "accepted";
            } catch (const SelectionRefused& e) {
                EXPECT_EQ(std::string(e.what()), c.refusal);
            }
            continue;
        }
        const ParcelAvailability a = applyMainWindowRules(you, cat);
        EXPECT_EQ(a.youpack, c.youpack);
        EXPECT_EQ(a.cat, c.cat);
        EXPECT_EQ(you.Kakitome, c.registered);
        EXPECT_EQ(cat.DaihikiText, you.DaihikiText);
        EXPECT_FALSE(you.DaihikiText.empty()); // the edit holds "0" at least
    }
    TYoupackRequest you;
    TCatRequest cat;
    you.DaihikiText = ".";
    EXPECT_THROW(applyMainWindowRules(you, cat), ConversionError);
}

TEST(PostalRules, RegisteredAddedAndRefusals) {
    TLetterMailRequest letter;
    letter.Gentei = true;
    applyLetterRules(letter);
    EXPECT_TRUE(letter.Kakitome);

    letter = {};
    letter.DaihikiText = "6";
    letter.KaniKakitome = true;
    EXPECT_THROW(applyLetterRules(letter), SelectionRefused);

    letter = {};
    letter.InCity = true;
    letter.WeightRow = 10;
    EXPECT_THROW(applyLetterRules(letter), SelectionRefused);

    TBookParcelRequest book;
    book.DaihikiText = "200.5";
    EXPECT_THROW(applyBookRules(book), SelectionRefused);
    book.DaihikiText = "6";
    applyBookRules(book);
    EXPECT_TRUE(book.Kakitome);
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
