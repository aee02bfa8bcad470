#include "TerminalMode.h"
#include "TestTariff.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

using namespace hakomaru;
using namespace hakomaru::cli;

struct PiecesCase {
    const char* detail;
    std::vector<std::string> pieces;
};

TEST(DetailPieces, OnePiecePerLine) {
    const PiecesCase cases[] = {
        {"", {}},
        {"送料¥1,100\r\n + 着払¥25\r\n", {"送料¥1,100", " + 着払¥25"}},
        // Letter mail has no line breaks; book parcels share the first line.
        {"送料¥140 - 市内特別¥30 + 速達¥270", {"送料¥140", " - 市内特別¥30", " + 速達¥270"}},
        {"送料¥240 + 着払¥20\r\n + 速達¥310\r\n", {"送料¥240", " + 着払¥20", " + 速達¥310"}},
        {"送料¥-5\r\n - 複数口割引¥300\r\n", {"送料¥-5", " - 複数口割引¥300"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(detailPieces(c.detail), c.pieces) << c.detail;
}

struct Printed {
    int status;
    std::string out;
    std::string err;
};

Printed compare(const ParcelChoices& choices) {
    std::ostringstream out, err;
    const int status = printParcelComparison(testTariff(), choices, out, err);
    return {status, out.str(), err.str()};
}

// 東京 to 大阪, 2 kg, 60 cm.
ParcelChoices tokyoToOsaka() {
    ParcelChoices c;
    c.fromRow = 14;
    c.toRow = 30;
    return c;
}

using P = ParcelOption;

TEST(ParcelComparison, NamesTheCheaperCarrier) {
    ParcelChoices c = tokyoToOsaka();
    auto p = compare(c);
    EXPECT_EQ(p.status, 0);
    EXPECT_EQ(p.out, "東京 → 大阪 / 2kg以下 / 60cm以下\n\n"
                     "ゆうパック 第3地帯: ¥1,100\n    送料¥1,100\n"
                     "クロネコ: ¥1,060\n    送料¥1,060\n\n"
                     "クロネコのほうが ¥40 安い\n");
    EXPECT_EQ(p.err, "");

    c.options = {P::CatHome, P::CatTime}; // 1,160, then 1,460
    EXPECT_NE(compare(c).out.find("ゆうパックのほうが ¥360 安い\n"), std::string::npos);
}

TEST(ParcelComparison, SameTotal) {
    ParcelChoices c;
    c.fromRow = 14;
    c.toRow = 54; // 市内: 600 at 4 kg; 同一市内: 950 - 100 at 4 kg, 60 cm
    c.weightRow = 1;
    c.options = {P::YouDaihiki}; // 250, and 普通為替 has no remittance fees here
    c.remittance = 0;
    const auto p = compare(c);
    EXPECT_EQ(p.status, 0);
    EXPECT_NE(p.out.find("¥850\n"), std::string::npos);
    EXPECT_NE(p.out.find("\nどちらも同じ料金です\n"), std::string::npos);
}

TEST(ParcelComparison, NotHandledAndFailures) {
    ParcelChoices c;
    c.fromRow = 14;
    c.toRow = 52;     // 第9地帯: its fees are not numbers
    c.weightRow = 13; // 30 kg: not handled by クロネコ
    auto p = compare(c);
    EXPECT_EQ(p.status, 1);
    EXPECT_EQ(p.out, "東京 → 沖縄 / 30kg以下 / 60cm以下\n\n"
                     "ゆうパック 第9地帯: 計算できません\n"
                     "クロネコ: 取扱不可\n\n");
    EXPECT_EQ(p.err, "hakomaru-quote: ゆうパック: 'abcd' は整数ではありません\n");

    c.toRow = 30;
    p = compare(c);
    EXPECT_EQ(p.status, 0);
    EXPECT_NE(p.out.find("クロネコ: 取扱不可\n\nクロネコは取扱不可です\n"), std::string::npos);

    c.weightRow = 0;
    c.toRow = 0; // 北海道: no entry in section 関東
    p = compare(c);
    EXPECT_EQ(p.status, 1);
    EXPECT_NE(p.out.find("クロネコ: 計算できません\n"), std::string::npos);
    EXPECT_EQ(p.err, "hakomaru-quote: クロネコ: '' は整数ではありません\n");
}

// Both carriers for the same number of parcels, and choices the window
// would not allow refused with the reason.
TEST(ParcelComparison, AsTheWindowWouldShow) {
    ParcelChoices c = tokyoToOsaka();
    c.options = {P::CatFukusu};
    c.parcelCount = "3";
    auto p = compare(c);
    EXPECT_EQ(p.status, 0);
    EXPECT_NE(p.out.find("ゆうパック 第3地帯: ¥3,300（3 個分）\n"), std::string::npos);
    EXPECT_NE(p.out.find("クロネコのほうが ¥420 安い\n"), std::string::npos);

    c.options = {P::CatTime, P::CatCool};
    p = compare(c);
    EXPECT_EQ(p.status, 2);
    EXPECT_EQ(p.out, "");
    EXPECT_EQ(p.err, "hakomaru-quote: タイムサービス と クール は一緒に選べません\n");

    c.options.clear();
    c.amount = "50";
    p = compare(c);
    EXPECT_NE(p.out.find("クロネコ: 取扱不可\n\nクロネコは取扱不可です\n"), std::string::npos);
}

struct PostalCase {
    const char* name;
    bool letter;
    int row;
    std::string out;
    int status;
};

TEST(PostalQuotes, PrintedPerState) {
    const PostalCase cases[] = {
        {"letter_quoted", true, 13, "普通郵便 定形外 1.5kg以下: ¥1,234\n    送料¥1,234\n", 0},
        {"letter_standard", true, 1, "普通郵便 定形 25g以下: ¥84\n    送料¥84\n", 0},
        {"letter_heading", true, 3, "普通郵便 定形外・冊子小包: ¥0（この行には料金がありません）\n",
         0},
        {"letter_failed", true, 18, "", 1},
        {"book_quoted", false, 16, "冊子小包 3kg以下: ¥900\n    送料¥900\n", 0},
        {"book_not_available", false, 17, "冊子小包 4kg以下: 取扱不可\n", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::ostringstream out, err;
        int status = 0;
        if (c.letter) {
            LetterChoices r;
            r.weightRow = c.row;
            status = printLetterMail(testTariff(), r, out, err);
        } else {
            BookChoices r;
            r.weightRow = c.row;
            status = printBookParcel(testTariff(), r, out, err);
        }
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(out.str(), c.out);
        EXPECT_EQ(err.str().empty(), c.status == 0);
    }
}

} // namespace
