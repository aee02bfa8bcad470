// A front end's choices applied to the windows' models: what the window ends
// with, and the options it refuses with the reason.
#include "selection/Choices.h"
#include "text/ConversionError.h"

#include <gtest/gtest.h>

namespace {

using namespace hakomaru;
using P = ParcelOption;
using L = LetterOption;
using B = BookOption;

std::string flags(std::initializer_list<bool> on) {
    std::string text;
    for (bool b : on)
        text += b ? '1' : '0';
    return text;
}

// The requests' boxes (ゆうパック: 着払 速達 指定 書留 チルド 代引; クロネコ: 自宅
// タイム クール 代引 複数口), "-" for a carrier shown 取扱不可, or the refusal.
std::string outcome(const ParcelChoices& c) {
    try {
        const ParcelSelected s = selectParcel(c);
        const TYoupackRequest& y = s.youpack;
        const TCatRequest& k = s.cat;
        return (s.youpackHandled
                    ? flags({y.Cyaku, y.Sokutatsu, y.Shitei, y.Kakitome, y.Cild, y.Daihiki})
                    : "-") +
               " " + (s.catHandled ? flags({k.Home, k.Time, k.Cool, k.Daihiki, k.Fukusu}) : "-");
    } catch (const SelectionRefused& refused) {
        return refused.what();
    }
}

TEST(Choices, Parcel) {
    struct Case {
        std::vector<P> options;
        const char* amount;
        int weightRow;
        const char* outcome;
    };
    const Case cases[] = {
        {{}, "", 0, "000000 00000"},
        // 書留 above 5 in every band ゆうパック takes.
        {{}, "8", 0, "000100 00000"},
        {{}, "50", 0, "000100 -"},
        {{P::Kakitome, P::YouCild}, "250", 0, "- -"},
        // クロネコ 代金引換 is in use exactly when named.
        {{P::CatTime}, "3", 0, "000000 01000"},
        {{P::CatDaihiki}, "3", 0, "000000 00010"},
        {{P::CatTime, P::CatDaihiki},
         "3",
         0,
         "タイムサービス と クロネコ 代金引換 は一緒に選べません"},
        {{P::CatDaihiki, P::CatTime},
         "",
         0,
         "タイムサービス と クロネコ 代金引換 は一緒に選べません"},
        {{P::YouCild, P::YouCyaku}, "", 0, "送料着払い と チルド は一緒に選べません"},
        {{P::CatCool}, "", 9, "クール は 15kg以下・120cm以下の荷物にだけ選べます"},
        {{P::CatCool, P::CatTime}, "", 13, "000000 -"},
        {{P::YouSokutatsu, P::YouSokutatsu, P::CatFukusu}, "", 0, "010000 00001"},
    };
    for (const Case& c : cases) {
        ParcelChoices choices;
        choices.fromRow = 14;
        choices.toRow = 30;
        choices.weightRow = c.weightRow;
        choices.amount = c.amount;
        choices.options = c.options;
        choices.parcelCount = "3";
        EXPECT_EQ(outcome(choices), c.outcome) << c.amount << " " << c.options.size();
    }
    ParcelChoices counted;
    counted.fromRow = 30;
    counted.toRow = 54;
    counted.weightRow = 2;
    counted.sizeRow = 1;
    counted.options = {P::CatFukusu};
    counted.parcelCount = "3";
    counted.remittance = 2;
    const ParcelSelected s = selectParcel(counted);
    EXPECT_EQ(std::tie(s.cat.FromRow, s.cat.ToRow, s.cat.WeightRow, s.cat.SizeRow),
              std::make_tuple(30, 54, 2, 1));
    EXPECT_EQ(s.youpack.FromCaption, "大阪");
    EXPECT_EQ(s.cat.FukusuText, "3");
    EXPECT_EQ(s.youpack.SokinNo, 2);
    // An amount that is no number is refused as the quotes would refuse it.
    counted.amount = ".";
    EXPECT_THROW(selectParcel(counted), ConversionError);
}

template <typename Option, typename Select, typename Flags>
std::string postal(Select select, Flags flagsOf, int weightRow, const char* amount,
                   std::vector<Option> options) {
    PostalChoices<Option> c;
    c.weightRow = weightRow;
    c.amount = amount;
    c.options = std::move(options);
    try {
        return flagsOf(select(c));
    } catch (const SelectionRefused& refused) {
        return refused.what();
    }
}

TEST(Choices, LetterAndBook) {
    const auto letter = [](int row, const char* amount, std::vector<L> options) {
        return postal(
            selectLetterMail,
            [](const TLetterMailRequest& r) {
                return flags({r.InCity, r.Sokutatsu, r.Haitatsu, r.Morning10, r.KaniKakitome,
                              r.Kakitome, r.Gentei, r.Daihiki}) +
                       " " + r.DaihikiText;
            },
            row, amount, std::move(options));
    };
    const auto book = [](int row, const char* amount, std::vector<B> options) {
        return postal(
            selectBookParcel,
            [](const TBookParcelRequest& r) {
                return flags({r.Cyaku, r.Sokutatsu, r.Shitei, r.Kani, r.Kakitome, r.Daihiki}) +
                       " " + r.DaihikiText;
            },
            row, amount, std::move(options));
    };
    // 本人限定受取 brings 書留.
    EXPECT_EQ(letter(6, "", {L::Gentei}), "00000110 0");
    EXPECT_EQ(letter(6, "8", {L::Daihiki}), "00000101 8");
    EXPECT_EQ(letter(6, "8", {L::Haitatsu}),
              "配達記録 と 書留 は一緒に選べません（代引金額が5万円を超えると書留が付きます）");
    EXPECT_EQ(letter(6, "", {L::Gentei, L::Haitatsu}),
              "配達記録 と 書留 は一緒に選べません（本人限定受取には書留が付きます）");
    EXPECT_EQ(letter(6, "", {L::Kakitome, L::KaniKakitome}), "簡易書留 と 書留 は一緒に選べません");
    EXPECT_EQ(letter(10, "", {L::InCity}), "市内特別 は 250g以下にだけ選べます");
    EXPECT_EQ(letter(6, "201", {}), "代引き可能な金額の上限は200万円です。");
    EXPECT_EQ(book(6, "6", {B::Kani}),
              "簡易書留 と 書留 は一緒に選べません（代引金額が5万円を超えると書留が付きます）");
    EXPECT_EQ(book(6, "", {B::Daihiki, B::Cyaku}), "着払い と 代金引換 は一緒に選べません");
    EXPECT_EQ(book(6, "3", {B::Sokutatsu, B::Daihiki}), "010001 3");
    EXPECT_EQ(book(6, "8", {B::Kakitome}), "000010 8"); // already checked by the amount
    LetterChoices notANumber;
    notANumber.amount = "1.2.3";
    EXPECT_THROW(selectLetterMail(notANumber), ConversionError);
    // The remittance method goes with the request.
    LetterChoices letterSent;
    letterSent.remittance = 3;
    EXPECT_EQ(selectLetterMail(letterSent).SokinNo, 3);
    BookChoices bookSent;
    bookSent.remittance = 4;
    EXPECT_EQ(selectBookParcel(bookSent).SokinNo, 4);
}

} // namespace
