#include "quote/QuotePostal.h"
#include "TariffText.h"
#include "text/ConversionError.h"
#include "text/NumberText.h"

#include <gtest/gtest.h>
#include <vector>

using namespace hakomaru;
using hakomaru::test::tariffFrom;

namespace {

std::string fields(const std::vector<int>& fees, size_t width, std::string lead = {}) {
    for (int fee : fees) {
        std::string field = std::to_string(fee);
        lead += std::string(width - field.size(), ' ') + field;
    }
    return lead;
}

// Letter-mail base fees by postal weight row; rows 0 and 3 are headings.
const std::vector<int> kLetter = {0,    80,   90,   0,    120,  140,  140,  200,  250,
                                  1234, 390,  580,  750,  1000, 1150, 1300, 1400, 1600};
const std::vector<int> kBook = {180, 200, 215, 300, 350, 400, 450, 500, 550, 600};

std::string postalTariff(std::string extra = {}) {
    std::vector<int> morning;
    for (int fee : kLetter)
        morning.push_back(fee + 2000);
    return "[普通郵便]\n料金=" + fields(kLetter, 4, "---") + "\n翌朝10時=" +
           fields(morning, 4, "---") + "\n[冊子小包]\n料金=" + fields(kBook, 3) + "\n" + extra;
}

TLetterMailRequest letter(int row) {
    TLetterMailRequest r;
    r.WeightRow = row;
    return r;
}

TBookParcelRequest book(int row) {
    TBookParcelRequest r;
    r.WeightRow = row;
    return r;
}

std::string conversionMessage(auto quote) {
    try {
        quote();
    } catch (const ConversionError& e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace

TEST(QuoteLetterMail, HeadingsAreNotPriced) {
    const IniStore none;
    for (int row : {0, 3}) {
        TLetterMailRequest r = letter(row);
        r.InCity = r.Sokutatsu = r.Daihiki = true;
        r.DaihikiText = "x";
        EXPECT_EQ(QuoteLetterMail(none, r).State, PostalState::NoQuote);
    }
    EXPECT_EQ(conversionMessage([&] { QuoteLetterMail(none, letter(1)); }),
              "'' は整数ではありません");
}

TEST(QuoteLetterMail, BaseFeeAndExamples) {
    const IniStore tariff = tariffFrom(postalTariff());
    TLetterMailRequest r = letter(9);
    r.Sokutatsu = r.Kakitome = true;
    TPostalQuote q = QuoteLetterMail(tariff, r);
    EXPECT_EQ(q.State, PostalState::Quoted);
    EXPECT_EQ(q.Detail, "送料¥1,234 + 速達¥270 + 書留¥420");
    EXPECT_EQ(q.Total, 1924);

    for (int row = 1; row < 18; ++row) {
        if (row == 3)
            continue;
        EXPECT_EQ(QuoteLetterMail(tariff, letter(row)).Total, kLetter[static_cast<size_t>(row)])
            << row;
    }
    // Next morning 10 o'clock: the base fee from its own string, then the surcharge.
    r = letter(12);
    r.Morning10 = true;
    q = QuoteLetterMail(tariff, r);
    EXPECT_EQ(q.Total, 750 + 2000 + 360);
    EXPECT_EQ(q.Detail, "送料¥2,750 + 翌朝10時¥360");
}

TEST(QuoteLetterMail, OptionFeesByRow) {
    const IniStore tariff = tariffFrom(postalTariff());
    struct Case {
        int row;
        int inCity, express, morning;
    };
    const Case cases[] = {
        {1, 15, 270, 330}, {2, 15, 270, 330},  {4, 20, 270, 330},  {5, 25, 270, 330},
        {6, 30, 270, 330}, {7, 40, 270, 330},  {8, 45, 270, 330},  {9, 50, 270, 330},
        {10, 0, 370, 360}, {12, 0, 370, 360},  {13, 0, 630, 390},  {17, 0, 630, 390},
    };
    for (const auto& c : cases) {
        TLetterMailRequest r = letter(c.row);
        r.InCity = r.Sokutatsu = true;
        TPostalQuote q = QuoteLetterMail(tariff, r);
        const int base = kLetter[static_cast<size_t>(c.row)];
        EXPECT_EQ(q.Total, base - c.inCity + c.express) << c.row;
        EXPECT_EQ(q.Detail, "送料¥" + grouped(base) + " - 市内特別¥" + std::to_string(c.inCity) +
                                " + 速達¥" + std::to_string(c.express))
            << c.row;
    }
}

TEST(QuoteLetterMail, EveryOptionInOrderOnOneLine) {
    const IniStore tariff = tariffFrom(postalTariff("[書留]\n料金=1234\n[電信払込]\n料金3=1050\n"
                                                    "[市内特別]\n料金1=16\n"));
    TLetterMailRequest r = letter(1);
    r.InCity = r.Sokutatsu = r.Haitatsu = r.Morning10 = r.KaniKakitome = r.Kakitome = r.Gentei =
        r.Daihiki = true;
    r.DaihikiText = "10";
    const TPostalQuote q = QuoteLetterMail(tariff, r);
    EXPECT_EQ(q.Detail, "送料¥2,080 - 市内特別¥16 + 速達¥270 + 配達記録¥210 + 翌朝10時¥330"
                        " + 簡易書留¥350 + 書留¥1234 + 本人限定¥100 + 代引手数料¥250"
                        " + 送金手数料¥1,050");
    EXPECT_EQ(q.Total, 2080 - 16 + 270 + 210 + 330 + 350 + 1234 + 100 + 250 + 1050);
}

TEST(QuoteLetterMail, CashOnDelivery) {
    const IniStore tariff =
        tariffFrom(postalTariff("[電信払込]\n料金0=7\n料金1=11\n[普通郵便]\n代引料金=260\n"));
    // The second [普通郵便] hides the first: fees must come from one section only.
    const IniStore base = tariffFrom(postalTariff("[電信払込]\n料金0=7\n料金1=11\n"));
    TLetterMailRequest r = letter(1);
    r.Daihiki = true;
    TPostalQuote q = QuoteLetterMail(base, r);
    EXPECT_EQ(q.Detail, "送料¥80 + 代引手数料¥250 + 送金手数料¥7");
    EXPECT_EQ(q.Total, 80 + 250 + 7);
    r.DaihikiText = "0";
    EXPECT_EQ(QuoteLetterMail(base, r).Total, 80 + 250 + 11);
    r.SokinNo = 42;
    EXPECT_EQ(QuoteLetterMail(base, r).Detail, "送料¥80 + 代引手数料¥250 + 送金手数料¥0");
    EXPECT_EQ(conversionMessage([&] { QuoteLetterMail(tariff, r); }), "'' は整数ではありません");
    r.DaihikiText = ".";
    EXPECT_EQ(conversionMessage([&] { QuoteLetterMail(base, r); }),
              "'.' は浮動小数点数ではありません");
}

TEST(QuoteLetterMail, StrictBaseFeeField) {
    struct Case {
        std::string field;
        std::string message; // empty: quoted as 80
    };
    const Case cases[] = {{"  80", ""}, {"0080", ""}, {"80  ", "'80  ' は整数ではありません"},
                          {" 8.0", "' 8.0' は整数ではありません"}, {"    ", "'    ' は整数ではありません"}};
    for (const auto& c : cases) {
        const IniStore tariff = tariffFrom("[普通郵便]\n料金=-------" + c.field + "|\n");
        if (c.message.empty())
            EXPECT_EQ(QuoteLetterMail(tariff, letter(1)).Total, 80) << c.field;
        else
            EXPECT_EQ(conversionMessage([&] { QuoteLetterMail(tariff, letter(1)); }), c.message);
    }
}

TEST(QuoteBookParcel, RowsWithoutPrice) {
    const IniStore none;
    for (int row : {0, 1, 2, 3})
        EXPECT_EQ(QuoteBookParcel(none, book(row)).State, PostalState::NoQuote) << row;
    EXPECT_EQ(QuoteBookParcel(none, book(17)).State, PostalState::NotAvailable);
    EXPECT_EQ(conversionMessage([&] { QuoteBookParcel(none, book(4)); }),
              "'' は整数ではありません");
}

TEST(QuoteBookParcel, FieldsByRow) {
    const IniStore tariff = tariffFrom(postalTariff());
    const int expected[] = {180, 180, 180, 180, 200, 215, 300, 350, 400, 450, 500, 550, 600};
    for (int row = 4; row <= 16; ++row) {
        const TPostalQuote q = QuoteBookParcel(tariff, book(row));
        EXPECT_EQ(q.Total, expected[row - 4]) << row;
        EXPECT_EQ(q.Detail, "送料¥" + std::to_string(expected[row - 4])) << row;
    }
}

TEST(QuoteBookParcel, OptionsEachOnTheirLine) {
    const IniStore tariff = tariffFrom(postalTariff());
    TBookParcelRequest r = book(9);
    r.Cyaku = r.Sokutatsu = true;
    TPostalQuote q = QuoteBookParcel(tariff, r);
    EXPECT_EQ(q.Detail, "送料¥215 + 着払¥20\r\n + 速達¥310\r\n");
    EXPECT_EQ(q.Total, 545);

    const IniStore dear = tariffFrom(postalTariff(
        "[冊子小包]\n料金=" + fields(kBook, 3) + "\n着払い=21\n書留=1000\n[電信払込]\n料金7=1050\n"));
    r = book(15);
    r.Cyaku = r.Sokutatsu = r.Shitei = r.Kani = r.Kakitome = r.Daihiki = true;
    r.DaihikiText = "150";
    q = QuoteBookParcel(dear, r);
    EXPECT_EQ(q.Detail, "送料¥550 + 着払¥21\r\n + 速達¥460\r\n + 配達日指定¥50\r\n"
                        " + 簡易書留¥250\r\n + 書留¥1000\r\n + 代引手数料¥250\r\n"
                        " + 送金手数料¥1,050\r\n");
    EXPECT_EQ(q.Total, 550 + 21 + 460 + 50 + 250 + 1000 + 250 + 1050);

    r = book(14);
    r.Sokutatsu = true;
    EXPECT_EQ(QuoteBookParcel(tariff, r).Total, 500 + 310);
}

TEST(QuoteBookParcel, CashOnDeliveryByAmountClass) {
    const IniStore tariff = tariffFrom(
        postalTariff("[電信払込]\n料金0=7\n料金1=11\n料金7=1050\n[普通為替]\n料金1=13\n"));
    struct Case {
        std::string amount;
        int sokinNo;
        int remittance;
    };
    // An empty amount is class 0; the amount 0 is class 1.
    const Case cases[] = {{"", 8, 7}, {"0", 8, 11}, {"150", 8, 1050}, {"0", 0, 13}, {"0", 9, 0}};
    for (const auto& c : cases) {
        TBookParcelRequest r = book(8);
        r.Daihiki = true;
        r.DaihikiText = c.amount;
        r.SokinNo = c.sokinNo;
        const TPostalQuote q = QuoteBookParcel(tariff, r);
        EXPECT_EQ(q.Total, 200 + 250 + c.remittance) << c.amount << "/" << c.sokinNo;
        EXPECT_EQ(q.Detail, "送料¥200 + 代引手数料¥250\r\n + 送金手数料¥" + grouped(c.remittance) +
                                "\r\n")
            << c.amount << "/" << c.sokinNo;
    }
}

TEST(QuoteBookParcel, Failures) {
    const IniStore bad = tariffFrom("[冊子小包]\n料金=180 8x\n");
    EXPECT_EQ(conversionMessage([&] { QuoteBookParcel(bad, book(8)); }),
              "' 8x' は整数ではありません");
    EXPECT_EQ(conversionMessage([&] { QuoteBookParcel(bad, book(9)); }), "'' は整数ではありません");
    const IniStore tariff = tariffFrom(postalTariff());
    TBookParcelRequest r = book(4);
    r.Daihiki = true;
    r.DaihikiText = "1..";
    EXPECT_EQ(conversionMessage([&] { QuoteBookParcel(tariff, r); }),
              "'1..' は浮動小数点数ではありません");
}
