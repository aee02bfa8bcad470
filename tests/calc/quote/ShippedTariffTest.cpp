// The development tariff shipped in data/: every quote the windows can ask
// for must succeed, and the fees must look like a tariff (nearer and lighter
// is cheaper). The file is read once and every parcel quote is taken once.
#include "ini/EncodedName.h"
#include "quote/QuoteCat.h"
#include "quote/QuotePostal.h"
#include "quote/QuoteYoupack.h"
#include "tariff/Catalogues.h"
#include "tariff/Tariff.h"
#include "text/ConversionError.h"
#include "text/NumberText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace hakomaru;

constexpr int kWeights = 14;
constexpr int kSizes = 8;
constexpr int kPostalRows = 18;
constexpr std::int32_t kNoTotal = -1;

bool isPlace(int row) {
    return !IsSeparatorRow(PrefectureRows(true)[static_cast<size_t>(row)]);
}

std::vector<int> placeRows(bool destinationList) {
    std::vector<int> rows;
    for (int r = 0; r < static_cast<int>(PrefectureRows(destinationList).size()); ++r)
        if (isPlace(r))
            rows.push_back(r);
    return rows;
}

int rowOf(std::string_view caption) {
    const auto rows = PrefectureRows(true);
    for (size_t r = 0; r < rows.size(); ++r)
        if (rows[r] == caption)
            return static_cast<int>(r);
    ADD_FAILURE() << "no row " << caption;
    return 0;
}

std::string joined(const std::vector<std::string>& lines, size_t most = 10) {
    std::string text;
    for (size_t i = 0; i < lines.size() && i < most; ++i)
        text += lines[i] + "\n";
    if (lines.size() > most)
        text += "... " + std::to_string(lines.size() - most) + " more\n";
    return text;
}

// Every parcel quote without options, taken once for all tests.
class ShippedQuotes {
  public:
    ShippedQuotes() : tariff(readTariff(HAKOMARU_SHIPPED_DATA_DIR "/Charge.ini")) {
        const auto from = placeRows(false);
        const auto to = placeRows(true);
        you_.assign(static_cast<size_t>(kSendingRowCount * kDestinationRowCount * kWeights),
                    kNoTotal);
        cat_.assign(you_.size() * kSizes, kNoTotal);
        for (int f : from)
            for (int t : to)
                for (int w = 0; w < kWeights; ++w) {
                    TYoupackRequest y;
                    y.FromCaption = std::string(PrefectureRows(false)[static_cast<size_t>(f)]);
                    y.ToRow = t;
                    y.WeightRow = w;
                    you_[index(f, t, w)] =
                        take("ゆうパック", f, t, w, 0, [&] { return QuoteYoupack(tariff, y); });
                    for (int s = 0; s < kSizes; ++s) {
                        TCatRequest c;
                        c.FromRow = f;
                        c.ToRow = t;
                        c.WeightRow = w;
                        c.SizeRow = s;
                        cat_[index(f, t, w) * kSizes + static_cast<size_t>(s)] =
                            take("クロネコ", f, t, w, s, [&] { return QuoteCat(tariff, c); });
                    }
                }
    }

    // The total, or kNoTotal when クロネコ does not take the parcel.
    std::int32_t youFee(int from, int to, int weight) const {
        return you_[index(from, to, weight)];
    }
    std::int32_t catFee(int from, int to, int weight, int size) const {
        return cat_[index(from, to, weight) * kSizes + static_cast<size_t>(size)];
    }

    IniStore tariff;
    std::vector<std::string> failures;

  private:
    static size_t index(int from, int to, int weight) {
        return (static_cast<size_t>(from) * kDestinationRowCount + static_cast<size_t>(to)) *
                   kWeights +
               static_cast<size_t>(weight);
    }

    template <class Quote>
    std::int32_t take(const char* carrier, int from, int to, int weight, int size, Quote quote) {
        const std::string where = std::string(carrier) + " " +
                                  std::string(PrefectureRows(true)[static_cast<size_t>(from)]) +
                                  "→" + std::string(PrefectureRows(true)[static_cast<size_t>(to)]) +
                                  " weight " + std::to_string(weight) + " size " +
                                  std::to_string(size) + ": ";
        try {
            const TParcelQuote q = quote();
            if (q.NotHandled)
                return kNoTotal;
            if (q.Total <= 0)
                failures.push_back(where + "total " + std::to_string(q.Total));
            return q.Total;
        } catch (const ConversionError& e) {
            failures.push_back(where + e.what());
            return kNoTotal;
        }
    }

    std::vector<std::int32_t> you_;
    std::vector<std::int32_t> cat_;
};

const ShippedQuotes& shipped() {
    static const ShippedQuotes quotes;
    return quotes;
}

TEST(ShippedTariff, EveryParcelQuoteSucceeds) {
    EXPECT_TRUE(shipped().failures.empty()) << joined(shipped().failures);
}

TEST(ShippedTariff, ParcelQuotesWithEveryOptionSucceed) {
    const IniStore& tariff = shipped().tariff;
    std::vector<std::string> failures;
    for (int f : placeRows(false))
        for (int t : placeRows(true)) {
            const std::string where = std::to_string(f) + "→" + std::to_string(t) + ": ";
            const TYoupackRequest y{.FromCaption =
                                        std::string(PrefectureRows(false)[static_cast<size_t>(f)]),
                                    .ToRow = t,
                                    .WeightRow = 4,
                                    .Cyaku = true,
                                    .Sokutatsu = true,
                                    .Shitei = true,
                                    .Kakitome = true,
                                    .Cild = true,
                                    .Daihiki = true,
                                    .DaihikiText = "15",
                                    .SokinNo = 0};
            const TCatRequest c{.FromRow = f,
                                .ToRow = t,
                                .WeightRow = 1,
                                .SizeRow = 1,
                                .Home = true,
                                .Time = true,
                                .Cool = true,
                                .Daihiki = true,
                                .Fukusu = true,
                                .DaihikiText = "2",
                                .FukusuText = "3"};
            try {
                if (QuoteYoupack(tariff, y).Total <= 0 || QuoteCat(tariff, c).Total <= 0)
                    failures.push_back(where + "total not positive");
            } catch (const ConversionError& e) {
                failures.push_back(where + e.what());
            }
        }
    EXPECT_TRUE(failures.empty()) << joined(failures);
}

// The zone table gives every destination row, separators included, a zone
// that has its own fee row.
TEST(ShippedTariff, ZoneTableCoversEveryDestinationRow) {
    const IniStore& tariff = shipped().tariff;
    for (int f : placeRows(false)) {
        const auto caption = PrefectureRows(false)[static_cast<size_t>(f)];
        SCOPED_TRACE(std::string(caption));
        const auto zones = tariff.find(sjisName("地帯区分"), sjisName(caption));
        ASSERT_TRUE(zones);
        ASSERT_EQ(zones->size(), static_cast<size_t>(kDestinationRowCount));
        for (char zone : *zones) {
            ASSERT_GT(zone, ' ');
            ASSERT_LT(static_cast<unsigned char>(zone), 0x80);
            EXPECT_TRUE(tariff.find(sjisName("ゆうパック"),
                                    sjisName("第") + std::string(1, zone) + sjisName("地帯")))
                << zone;
        }
    }
}

// A missing or misspelt option entry would silently fall back to the
// built-in default; the shipped file names every one of them.
TEST(ShippedTariff, EveryOptionFeeIsInTheFile) {
    struct Entry {
        std::string section, key;
    };
    std::vector<Entry> entries = {
        {"着払", "料金"},         {"速達", "2kg"},        {"速達", "4kg"},
        {"速達", "5kg"},          {"配達日指定", "料金"}, {"チルド", "4kg以下"},
        {"チルド", "8kg以下"},    {"チルド", "20kg以下"}, {"ゆうパック代引", "基本料金"},
        {"自宅から", "料金"},     {"複数口", "料金"},     {"冊子小包", "着払い"},
        {"冊子小包", "速達1"},    {"冊子小包", "速達2"},  {"冊子小包", "配達日指定"},
        {"冊子小包", "簡易書留"}, {"冊子小包", "書留"},   {"冊子小包", "代引料金"},
        {"普通郵便", "代引料金"}, {"配達記録", "料金"},   {"簡易書留", "料金"},
        {"書留", "料金"},         {"本人限定", "料金"},
    };
    auto numbered = [&](const std::string& section, int first, int last) {
        for (int n = first; n <= last; ++n)
            entries.push_back({section, "料金" + std::to_string(n)});
    };
    numbered("タイムサービス", 1, 6);
    numbered("クール", 1, 6);
    numbered("代金引換", 0, 4);
    numbered("市内特別", 1, 7);
    numbered("普通速達", 1, 3);
    numbered("翌朝10時", 1, 3);
    for (int method = 0; method <= 8; ++method)
        numbered(std::string(RemittanceMethodName(method)), 0, 7);

    for (const Entry& e : entries) {
        const auto value = shipped().tariff.find(sjisName(e.section), sjisName(e.key));
        ASSERT_TRUE(value) << e.section << "/" << e.key;
        const auto fee = parseWholeNumber(*value);
        ASSERT_TRUE(fee) << e.section << "/" << e.key;
        EXPECT_GE(*fee, 0) << e.section << "/" << e.key;
    }
}

// The base fee of one carrier for a sending row, destination row, weight row
// and size row; kNoTotal where the carrier does not take the parcel.
struct Carrier {
    const char* name; // for the test names
    int weights;      // weight rows to compare
    int sizes;        // size rows to compare
    std::int32_t (*fee)(int from, int to, int weight, int size);
};

const Carrier kCarriers[] = {
    {"Youpack", kWeights, 1, [](int f, int t, int w, int) { return shipped().youFee(f, t, w); }},
    {"Cat", kWeights - 1, kSizes - 1,
     [](int f, int t, int w, int s) { return shipped().catFee(f, t, w, s); }},
};

void PrintTo(const Carrier& carrier, std::ostream* os) {
    *os << carrier.name;
}

class ParcelFees : public ::testing::TestWithParam<Carrier> {
  protected:
    // Calls check(from, to, weight, size) for every parcel the carrier takes.
    template <class Check> void forEachParcel(Check check) const {
        for (int f : placeRows(false))
            for (int t : placeRows(true))
                for (int w = 0; w < GetParam().weights; ++w)
                    for (int s = 0; s < GetParam().sizes; ++s)
                        check(f, t, w, s);
    }
    std::int32_t fee(int from, int to, int weight, int size) const {
        return GetParam().fee(from, to, weight, size);
    }
    static std::string describe(int from, int to, int weight, int size) {
        return std::string(PrefectureRows(true)[static_cast<size_t>(from)]) + "→" +
               std::string(PrefectureRows(true)[static_cast<size_t>(to)]) + " weight " +
               std::to_string(weight) + " size " + std::to_string(size);
    }
};

TEST_P(ParcelFees, SameCityIsCheapestAndOwnPrefectureNext) {
    std::vector<std::string> wrong;
    forEachParcel([&](int f, int t, int w, int s) {
        if (t == kSameCityRow)
            return;
        if (fee(f, kSameCityRow, w, s) > fee(f, t, w, s))
            wrong.push_back("same city dearer than " + describe(f, t, w, s));
        if (t != f && fee(f, f, w, s) > fee(f, t, w, s))
            wrong.push_back("own prefecture dearer than " + describe(f, t, w, s));
    });
    EXPECT_TRUE(wrong.empty()) << joined(wrong);
}

TEST_P(ParcelFees, HeavierOrLargerIsNeverCheaper) {
    std::vector<std::string> wrong;
    forEachParcel([&](int f, int t, int w, int s) {
        if (w + 1 < GetParam().weights && fee(f, t, w + 1, s) < fee(f, t, w, s))
            wrong.push_back("next weight cheaper: " + describe(f, t, w, s));
        if (s + 1 < GetParam().sizes && fee(f, t, w, s + 1) < fee(f, t, w, s))
            wrong.push_back("next size cheaper: " + describe(f, t, w, s));
    });
    EXPECT_TRUE(wrong.empty()) << joined(wrong);
}

// From the main islands, Okinawa is the dearest destination and Hokkaido
// the next.
TEST_P(ParcelFees, IslandsAreDearest) {
    struct Case {
        const char* from;
        const char* dearest;
        const char* except; // a destination that may be dearer still
    };
    const Case cases[] = {
        {"東京", "沖縄", ""},       {"東京", "北海道", "沖縄"},   {"大阪", "沖縄", ""},
        {"大阪", "北海道", "沖縄"}, {"鹿児島", "北海道", "沖縄"}, {"北海道", "沖縄", ""},
    };
    for (const Case& c : cases) {
        const int from = rowOf(c.from);
        const int dearest = rowOf(c.dearest);
        std::vector<std::string> wrong;
        for (int t : placeRows(true))
            for (int w = 0; w < GetParam().weights; ++w)
                for (int s = 0; s < GetParam().sizes; ++s)
                    if (PrefectureRows(true)[static_cast<size_t>(t)] != c.except &&
                        fee(from, t, w, s) > fee(from, dearest, w, s))
                        wrong.push_back(describe(from, t, w, s));
        EXPECT_TRUE(wrong.empty()) << c.from << " → " << c.dearest << " is not dearest:\n"
                                   << joined(wrong);
    }
}

INSTANTIATE_TEST_SUITE_P(Carriers, ParcelFees, ::testing::ValuesIn(kCarriers),
                         [](const auto& info) { return std::string(info.param.name); });

// Every postal row with and without next-morning delivery, with no option
// and with every option; rows that have a price must cost more the heavier.
TEST(ShippedTariff, PostalQuotesSucceedAndRiseWithWeight) {
    const IniStore& tariff = shipped().tariff;
    for (bool morning : {false, true})
        for (bool options : {false, true}) {
            SCOPED_TRACE(std::string(morning ? "翌朝10時" : "normal") +
                         (options ? ", every option" : ""));
            std::int32_t lastLetter = 0;
            std::int32_t lastBook = 0;
            for (int row = 0; row < kPostalRows; ++row) {
                SCOPED_TRACE("row " + std::to_string(row));
                const TLetterMailRequest letter{.WeightRow = row,
                                                .InCity = options,
                                                .Sokutatsu = options,
                                                .Haitatsu = options,
                                                .Morning10 = morning,
                                                .KaniKakitome = options,
                                                .Kakitome = options,
                                                .Gentei = options,
                                                .Daihiki = options,
                                                .DaihikiText = "3",
                                                .SokinNo = 0};
                const TBookParcelRequest book{.WeightRow = row,
                                              .Cyaku = options,
                                              .Sokutatsu = options,
                                              .Shitei = options,
                                              .Kani = options,
                                              .Kakitome = options,
                                              .Daihiki = options,
                                              .DaihikiText = "3",
                                              .SokinNo = 0};
                TPostalQuote l, b;
                ASSERT_NO_THROW(l = QuoteLetterMail(tariff, letter));
                ASSERT_NO_THROW(b = QuoteBookParcel(tariff, book));
                if (l.State == PostalState::Quoted) {
                    EXPECT_GT(l.Total, 0);
                    // The two standard-size rows start a new scale.
                    if (row != 1 && row != 4) {
                        EXPECT_GE(l.Total, lastLetter);
                    }
                    lastLetter = l.Total;
                }
                if (b.State == PostalState::Quoted) {
                    EXPECT_GT(b.Total, 0);
                    EXPECT_GE(b.Total, lastBook);
                    lastBook = b.Total;
                }
            }
        }
}

} // namespace
