#include "TariffText.h"
#include "quote/QuoteCat.h"
#include "quote/QuoteYoupack.h"
#include "text/ConversionError.h"
#include "text/NumberText.h"

#include <gtest/gtest.h>
#include <vector>

using namespace hakomaru;
using hakomaru::test::tariffFrom;

namespace {

// A fee row: three unread characters, then right-aligned 4-character fields.
std::string feeRow(const std::vector<int>& fees) {
    std::string row = "---";
    for (int fee : fees) {
        std::string field = std::to_string(fee);
        row += std::string(4 - field.size(), ' ') + field;
    }
    return row;
}

// 東京's zone row: zone 2 everywhere, 9 for 北海道, 8 for 沖縄, "b" for 大阪,
// "a" at the same-city position.
std::string tokyoZones() {
    std::string zones(55, '2');
    zones[0] = '9';
    zones[30] = 'b';
    zones[52] = '8';
    zones[54] = 'a';
    return zones;
}

const std::vector<int> kZone2 = {1100, 1200, 1300, 1400, 1500, 1600, 1700,
                                 1800, 1900, 2000, 2100, 2200, 2300, 2400};

std::string youpackTariff(std::string extra = {}) {
    return "[地帯区分]\n東京=" + tokyoZones() + "\n短い=12\n" +
           "[ゆうパック]\n第2地帯=" + feeRow(kZone2) + "\n" + "第B地帯=" + feeRow({700, 710, 720}) +
           "\n" + "第9地帯=" + feeRow({900, 910, 920}) + "\n" + "市内=" + feeRow({500, 510, 520}) +
           "\n" + extra;
}

TYoupackRequest tokyo(int toRow = 14, int weightRow = 0) {
    TYoupackRequest r;
    r.FromCaption = "東京";
    r.ToRow = toRow;
    r.WeightRow = weightRow;
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

TEST(QuoteYoupack, WorkedExample) {
    const IniStore tariff = tariffFrom(youpackTariff());
    TYoupackRequest r = tokyo();
    r.Cyaku = true;
    r.Kakitome = true;
    r.DaihikiText = "15";
    const TParcelQuote q = QuoteYoupack(tariff, r);
    EXPECT_EQ(q.Total, 1500);
    EXPECT_EQ(q.Detail, "送料¥1,100\r\n + 着払¥20\r\n + 書留¥380\r\n");
    EXPECT_EQ(q.Caption, "ゆうパック 第2地帯");
    EXPECT_FALSE(q.NotHandled);
}

TEST(QuoteYoupack, RegisteredFeeByDeclaredValue) {
    const IniStore tariff = tariffFrom(youpackTariff());
    struct Case {
        std::string amount;
        int fee; // 0: no piece; -1: no yen amount holds it
    };
    const Case cases[] = {{"0", 360},    {"10", 360},        {"10.1", 380}, {"15", 380},
                          {"15.5", 400}, {"20", 400},        {"200", 1120}, {"", 0},
                          {"abc", 0},    {".", 0},           {"-3", 360},   {"1e30", -1},
                          {"1e39", 0},   {"9999999", 40000320}};
    for (const auto& c : cases) {
        TYoupackRequest r = tokyo();
        r.Kakitome = true;
        r.DaihikiText = c.amount;
        if (c.fee == -1) {
            EXPECT_THROW(QuoteYoupack(tariff, r), ConversionError) << c.amount;
            continue;
        }
        const TParcelQuote q = QuoteYoupack(tariff, r);
        if (c.fee == 0) {
            EXPECT_EQ(q.Detail, "送料¥1,100\r\n") << c.amount;
            EXPECT_EQ(q.Total, 1100) << c.amount;
        } else {
            EXPECT_EQ(q.Total, 1100 + c.fee) << c.amount;
            EXPECT_NE(q.Detail.find(" + 書留¥" + grouped(c.fee) + "\r\n"), std::string::npos)
                << c.amount;
        }
    }
}

TEST(QuoteYoupack, AllOptionsInOrderWithTheirFormats) {
    const IniStore tariff = tariffFrom(youpackTariff("[着払]\n料金=1000\n"
                                                     "[速達]\n5kg=1500\n"
                                                     "[配達日指定]\n料金=55\n"
                                                     "[チルド]\n8kg以下=1340\n"
                                                     "[ゆうパック代引]\n基本料金=1250\n"
                                                     "[電信払込]\n料金7=1050\n"));
    TYoupackRequest r = tokyo(14, 2);
    r.Cyaku = r.Sokutatsu = r.Shitei = r.Kakitome = r.Cild = r.Daihiki = true;
    r.DaihikiText = "200";
    const TParcelQuote q = QuoteYoupack(tariff, r);
    EXPECT_EQ(q.Detail, "送料¥1,300\r\n"
                        " + 着払¥1000\r\n"
                        " + 速達¥1500\r\n"
                        " + 配達日指定¥55\r\n"
                        " + 書留¥1,120\r\n"
                        " + チルド¥1340\r\n"
                        " + 代引手数料¥1250\r\n"
                        " + 送金手数料¥1,050\r\n");
    EXPECT_EQ(q.Total, 1300 + 1000 + 1500 + 55 + 1120 + 1340 + 1250 + 1050);
}

TEST(QuoteYoupack, OptionFeesByWeightRow) {
    const IniStore tariff = tariffFrom(youpackTariff());
    struct Case {
        int weightRow;
        int express, chilled;
    };
    // Defaults: 速達 310 / 460 / 570, チルド 190 / 340 / 640; 30 kg takes the last band.
    const Case cases[] = {{0, 310, 190}, {1, 460, 190},  {2, 570, 340}, {4, 570, 340},
                          {5, 570, 640}, {12, 570, 640}, {13, 570, 640}};
    for (const auto& c : cases) {
        TYoupackRequest r = tokyo(14, c.weightRow);
        r.Sokutatsu = r.Cild = true;
        const TParcelQuote q = QuoteYoupack(tariff, r);
        EXPECT_EQ(q.Total, kZone2[static_cast<size_t>(c.weightRow)] + c.express + c.chilled)
            << c.weightRow;
    }
}

TEST(QuoteYoupack, CashOnDelivery) {
    const IniStore tariff =
        tariffFrom(youpackTariff("[電信払込]\n料金0=5\n料金1=11\n[普通為替]\n料金1=99\n"));
    struct Case {
        std::string amount;
        int sokinNo;
        int remittance;
    };
    const Case cases[] = {{"", 8, 5},  {"0", 8, 11}, {"1", 8, 11}, {"0", 0, 99},
                          {"0", 9, 0}, {"0", -1, 0}, {"250", 8, 5}};
    // An unknown method has no fees even where the file has a section "[]".
    const IniStore withEmptySection =
        tariffFrom(youpackTariff("[]\n料金1=77\n[電信払込]\n料金0=5\n料金1=11\n"));
    TYoupackRequest unknownMethod = tokyo();
    unknownMethod.Daihiki = true;
    unknownMethod.DaihikiText = "0";
    unknownMethod.SokinNo = 9;
    EXPECT_EQ(QuoteYoupack(withEmptySection, unknownMethod).Total, 1100 + 250);
    for (const auto& c : cases) {
        TYoupackRequest r = tokyo();
        r.Daihiki = true;
        r.DaihikiText = c.amount;
        r.SokinNo = c.sokinNo;
        const TParcelQuote q = QuoteYoupack(tariff, r);
        EXPECT_EQ(q.Total, 1100 + 250 + c.remittance) << c.amount << "/" << c.sokinNo;
        EXPECT_EQ(q.Detail, "送料¥1,100\r\n + 代引手数料¥250\r\n + 送金手数料¥" +
                                std::to_string(c.remittance) + "\r\n");
    }
}

TEST(QuoteYoupack, ZonesAndCaptions) {
    const IniStore tariff = tariffFrom(youpackTariff());
    // Same city: the fee comes from 市内, the caption keeps the zone character.
    TParcelQuote q = QuoteYoupack(tariff, tokyo(54));
    EXPECT_EQ(q.Total, 500);
    EXPECT_EQ(q.Caption, "ゆうパック 第a地帯");
    // Zone characters match their fee rows without regard to case.
    q = QuoteYoupack(tariff, tokyo(30));
    EXPECT_EQ(q.Total, 700);
    EXPECT_EQ(q.Caption, "ゆうパック 第b地帯");
    // A separator row is read like any other.
    EXPECT_EQ(QuoteYoupack(tariff, tokyo(1)).Total, 1100);
    // A zone row shorter than the destination gives an empty zone character.
    TYoupackRequest shortRow = tokyo(20);
    shortRow.FromCaption = "短い";
    EXPECT_EQ(YoupackCaption(tariff, "短い", 20), "ゆうパック 第地帯");
    EXPECT_EQ(conversionMessage([&] { QuoteYoupack(tariff, shortRow); }),
              "'' は整数ではありません");
    EXPECT_EQ(YoupackCaption(tariff, "東京", -1), "ゆうパック 第地帯");
    EXPECT_EQ(YoupackCaption(tariff, "😀", 3), "ゆうパック 第地帯");
}

TEST(QuoteYoupack, Failures) {
    struct Case {
        const char* name;
        std::string tariff;
        TYoupackRequest request;
        std::string message;
    };
    TYoupackRequest daihiki = tokyo();
    daihiki.Daihiki = true;
    daihiki.DaihikiText = "1.2.3";
    TYoupackRequest heavy = tokyo(14, 13);
    const Case cases[] = {
        {"no tariff", "", tokyo(), "'' は整数ではありません"},
        {"bad field", youpackTariff() + "[ゆうパック]\n第2地帯=---12x4\n", tokyo(),
         "'12x4' は整数ではありません"},
        {"Japanese in a field",
         "[地帯区分]\n東京=" + tokyoZones() + "\n[ゆうパック]\n第2地帯=---千円\n", tokyo(),
         "'千円' は整数ではありません"},
        {"field cut in a character",
         "[地帯区分]\n東京=" + tokyoZones() + "\n[ゆうパック]\n第2地帯=----千円\n", tokyo(),
         "'-千\uFFFD' は整数ではありません"},
        {"row too short", youpackTariff() + "[ゆうパック]\n第2地帯=--- 100\n", heavy,
         "'' は整数ではありません"},
        {"amount not a number", youpackTariff(), daihiki, "'1.2.3' は浮動小数点数ではありません"},
        {"unknown sender", youpackTariff(),
         [] {
             auto r = tokyo();
             r.FromCaption = "大坂";
             return r;
         }(),
         "'' は整数ではありません"},
    };
    for (const auto& c : cases) {
        const IniStore tariff = tariffFrom(c.tariff);
        EXPECT_EQ(conversionMessage([&] { QuoteYoupack(tariff, c.request); }), c.message) << c.name;
    }
}

namespace {

// 関東 → 近畿 class fields 1000..1500; 関東 → 同一市内 cheaper.
std::string catTariff(std::string extra = {}) {
    return "[関東]\n近畿=" + feeRow({1000, 1100, 1160, 1300, 1400, 1500}) + "\n" +
           "同一市内=" + feeRow({100, 600, 700, 800, 900, 1000}) + "\n" + extra;
}

TCatRequest tokyoToOsaka(int weightRow = 0, int sizeRow = 0) {
    TCatRequest r;
    r.FromRow = 14;
    r.ToRow = 30;
    r.WeightRow = weightRow;
    r.SizeRow = sizeRow;
    return r;
}

} // namespace

TEST(QuoteCat, WorkedExample) {
    const IniStore tariff = tariffFrom(catTariff());
    TCatRequest r = tokyoToOsaka(3, 2); // size class 2
    r.Home = r.Time = true;
    TParcelQuote q = QuoteCat(tariff, r);
    EXPECT_EQ(q.Total, 1460);
    EXPECT_EQ(q.Detail, "送料¥1,060\r\n + 引取¥100\r\n + タイムサービス¥300\r\n");
    EXPECT_EQ(q.Caption, "");

    r.Fukusu = true;
    r.FukusuText = "3";
    q = QuoteCat(tariff, r);
    EXPECT_EQ(q.Total, 4080);
    EXPECT_EQ(q.Detail,
              "送料¥3,180\r\n + 引取¥100\r\n + タイムサービス¥300\r\n - 複数口割引¥300\r\n");
}

TEST(QuoteCat, NotHandledReadsNothing) {
    const IniStore empty;
    for (auto [w, s] : {std::pair{13, 0}, {13, 7}, {0, 7}, {5, 7}}) {
        const TParcelQuote q = QuoteCat(empty, tokyoToOsaka(w, s));
        EXPECT_TRUE(q.NotHandled);
        EXPECT_EQ(q.Total, 0);
        EXPECT_EQ(q.Detail, "");
    }
}

TEST(QuoteCat, SizeClassesAndKeys) {
    const IniStore tariff = tariffFrom(catTariff("[タイムサービス]\n料金6=306\n料金1=301\n"
                                                 "[クール]\n料金6=216\n料金2=212\n"));
    struct Case {
        int weightRow, sizeRow;
        int total;
    };
    const Case cases[] = {
        {0, 0, 900 + 301 + 210},
        {0, 6, 1400 + 306 + 216}, // 160 cm prices as 150 cm
        {0, 5, 1400 + 306 + 216},
        {1, 0, 1000 + 300 + 212},
    };
    for (const auto& c : cases) {
        TCatRequest r = tokyoToOsaka(c.weightRow, c.sizeRow);
        r.Time = r.Cool = true;
        EXPECT_EQ(QuoteCat(tariff, r).Total, c.total) << c.weightRow << "," << c.sizeRow;
    }
    TCatRequest sameCity = tokyoToOsaka();
    sameCity.ToRow = 54;
    const TParcelQuote q = QuoteCat(tariff, sameCity);
    EXPECT_EQ(q.Total, 0); // a stored 100 is a base fee of 0
    EXPECT_EQ(q.Detail, "送料¥0\r\n");
}

TEST(QuoteCat, CashOnDeliveryClasses) {
    const IniStore tariff = tariffFrom(
        catTariff("[代金引換]\n料金0=1000\n料金1=1001\n料金2=1002\n料金3=1003\n料金4=1004\n"));
    struct Case {
        std::string amount;
        int fee;
    };
    const Case cases[] = {{"", 1000},  {"0", 1001},    {"0.5", 1001}, {"1", 1002},  {"2.9", 1002},
                          {"3", 1003}, {"9.99", 1003}, {"10", 1004},  {"30", 1004}, {"30.1", 1000}};
    for (const auto& c : cases) {
        TCatRequest r = tokyoToOsaka();
        r.Daihiki = true;
        r.DaihikiText = c.amount;
        const TParcelQuote q = QuoteCat(tariff, r);
        EXPECT_EQ(q.Total, 900 + c.fee) << c.amount;
        EXPECT_EQ(q.Detail, "送料¥900\r\n + 代金引換¥" + grouped(c.fee) + "\r\n") << c.amount;
    }
}

TEST(QuoteCat, SeveralParcels) {
    const IniStore tariff = tariffFrom(catTariff());
    struct Case {
        std::string count;
        int total;
        std::string detail;
    };
    const Case cases[] = {
        {"1", 900, "送料¥900\r\n"},
        {"2", 1600, "送料¥1,800\r\n - 複数口割引¥200\r\n"},
        {"0", 900, "送料¥0\r\n"},
        {"007", 5600, "送料¥6,300\r\n - 複数口割引¥700\r\n"},
    };
    for (const auto& c : cases) {
        TCatRequest r = tokyoToOsaka();
        r.Fukusu = true;
        r.FukusuText = c.count;
        const TParcelQuote q = QuoteCat(tariff, r);
        EXPECT_EQ(q.Total, c.total) << c.count;
        EXPECT_EQ(q.Detail, c.detail) << c.count;
    }
}

TEST(QuoteCat, Failures) {
    struct Case {
        const char* name;
        TCatRequest request;
        std::string message;
    };
    auto with = [](auto change) {
        TCatRequest r = tokyoToOsaka();
        change(r);
        return r;
    };
    const Case cases[] = {
        {"empty count", with([](TCatRequest& r) { r.Fukusu = true; }), "'' は整数ではありません"},
        {"bad count", with([](TCatRequest& r) {
             r.Fukusu = true;
             r.FukusuText = "2x";
         }),
         "'2x' は整数ではありません"},
        {"bad amount", with([](TCatRequest& r) {
             r.Daihiki = true;
             r.DaihikiText = ".";
         }),
         "'.' は浮動小数点数ではありません"},
        {"separator destination", with([](TCatRequest& r) { r.ToRow = 27; }),
         "'' は整数ではありません"},
        {"no selection", with([](TCatRequest& r) { r.FromRow = -1; }), "'' は整数ではありません"},
        {"missing region pair", with([](TCatRequest& r) { r.ToRow = 0; }),
         "'' は整数ではありません"},
    };
    // A hand-edited file with an empty section name and an empty key must
    // not give a price to a row without a region.
    const IniStore tariff = tariffFrom(catTariff(
        "[]\n=" + feeRow({1, 2, 3, 4, 5, 6}) + "\n[関東]\n=" + feeRow({1, 2, 3, 4, 5, 6}) + "\n" +
        "近畿=" + feeRow({1000, 1100, 1160, 1300, 1400, 1500})));
    for (const auto& c : cases)
        EXPECT_EQ(conversionMessage([&] { QuoteCat(tariff, c.request); }), c.message) << c.name;
}
