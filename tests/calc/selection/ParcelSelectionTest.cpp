// The main window's option rules without a window: sequences of a person's
// events, the boxes they leave checked and disabled, and where the model
// asked for a recalculation, in order.
#include "selection/ParcelSelection.h"

#include <gtest/gtest.h>

#include <array>
#include <sstream>

namespace {

using namespace hakomaru;

constexpr std::array<std::string_view, kParcelOptionCount> kBoxes{
    "cyaku", "sokutatsu", "shitei", "kakitome", "cild",  "ydaihiki",
    "home",  "time",      "cool",   "cdaihiki", "fukusu"};

// What the model asked of the window: y and c recalculate ゆうパック and
// クロネコ, Y! and C! show 取扱不可, - shows ¥--- for no destination.
struct Trace final : ParcelDisplay {
    std::string calls;
    void recalcYoupack() override { calls += "y"; }
    void recalcCat() override { calls += "c"; }
    void showNotHandled(Carrier carrier) override {
        calls += carrier == Carrier::Youpack ? "Y!" : "C!";
    }
    void showNoDestination() override { calls += "-"; }
};

// Events as words: a box's name clicks it; w, s, f, t and a number pick a
// row of the weight, size, sending or destination list; $ and a text types
// it after selecting the amount, one key at a time; = and a text replaces
// the amount at once; # and a text replaces the count; use and nouse turn
// クロネコ cash on delivery on or off.
void run(ParcelSelection& m, const std::string& events) {
    std::istringstream words(events);
    for (std::string e; words >> e;) {
        const std::string rest = e.substr(1);
        const auto box = std::find(kBoxes.begin(), kBoxes.end(), e);
        if (box != kBoxes.end())
            m.click(static_cast<ParcelOption>(box - kBoxes.begin()));
        else if (e == "use" || e == "nouse")
            m.useCatCashOnDelivery(e == "use");
        else if (e[0] == '$')
            for (size_t n = 1; n <= rest.size(); ++n)
                m.typeAmount(rest.substr(0, n));
        else if (e[0] == '=')
            m.typeAmount(rest);
        else if (e[0] == '#')
            m.typeCount(rest);
        else if (e[0] == 'w')
            m.chooseWeight(std::stoi(rest));
        else if (e[0] == 's')
            m.chooseSize(std::stoi(rest));
        else if (e[0] == 'f')
            m.chooseFrom(std::stoi(rest));
        else
            m.chooseTo(std::stoi(rest));
    }
}

// The checked boxes, "/", the disabled ones, then what differs from a fresh
// window: groups off, the count shown, the rows, the texts.
std::string state(const ParcelSelection& m) {
    std::string checked, disabled, rest;
    for (size_t i = 0; i < kParcelOptionCount; ++i) {
        const BoxState b = m.box(static_cast<ParcelOption>(i));
        if (b.checked)
            checked += std::string(kBoxes[i]) + " ";
        if (!b.enabled)
            disabled += " " + std::string(kBoxes[i]);
    }
    auto add = [&rest](bool on, const std::string& text) {
        if (on)
            rest += " " + text;
    };
    add(!m.groupEnabled(Carrier::Youpack), "you-off");
    add(!m.groupEnabled(Carrier::Cat), "cat-off");
    add(m.countShown(), "count-shown");
    add(m.fromRow() != 0, "f" + std::to_string(m.fromRow()));
    add(m.toRow() != 0, "t" + std::to_string(m.toRow()));
    add(m.weightRow() != 0, "w" + std::to_string(m.weightRow()));
    add(m.sizeRow() != 0, "s" + std::to_string(m.sizeRow()));
    add(m.amountText() != "0", "$" + m.amountText());
    add(m.countText() != "1", "#" + m.countText());
    return checked + "/" + disabled + (rest.empty() ? "" : " |" + rest);
}

struct Case {
    const char* events;
    const char* state;
    const char* calls; // nullptr: not compared
};

TEST(ParcelSelection, EventSequences) {
    const Case cases[] = {
        // A window started with the preferences' defaults: クロネコ 代金引換
        // is not in use.
        {"", "/ cdaihiki", ""},
        {"use", "/", ""},
        // ゆうパック exclusions, checked and unchecked in turn.
        {"cyaku", "cyaku / shitei cild ydaihiki cdaihiki", "y"},
        {"cyaku sokutatsu", "cyaku sokutatsu / shitei cild ydaihiki cdaihiki", "yy"},
        {"cyaku sokutatsu cyaku", "sokutatsu / shitei cdaihiki", "yyy"},
        {"sokutatsu sokutatsu", "/ cdaihiki", "yy"},
        {"sokutatsu cild sokutatsu", "cild / cyaku shitei cdaihiki", "yyy"},
        {"shitei", "shitei / cyaku sokutatsu cild cdaihiki", "y"},
        {"shitei shitei", "/ cdaihiki", "yy"},
        {"ydaihiki shitei shitei", "ydaihiki / cyaku cdaihiki", "yyy"},
        {"cild", "cild / cyaku shitei cdaihiki", "y"},
        {"sokutatsu cild cild", "sokutatsu / shitei cdaihiki", "yyy"},
        {"ydaihiki cild cild", "ydaihiki / cyaku cdaihiki", "yyy"},
        {"ydaihiki cild ydaihiki", "cild / cyaku shitei cdaihiki", "yyy"},
        {"ydaihiki ydaihiki", "/ cdaihiki", "yy"},
        {"cyaku cild cyaku", "/ cdaihiki", "yy"}, // a disabled box ignores the click
        {"kakitome home", "kakitome home / cdaihiki", "yc"},
        // クロネコ exclusions and the クール rows.
        {"time", "time / cool cdaihiki", "c"},
        {"time time", "/ cdaihiki", "cc"},
        {"use time time", "/", "cc"},
        {"cool cool", "/ cdaihiki", "cc"},
        {"cool w8", "cool / time cdaihiki | w8", "cyc"},
        {"cool w9", "/ cool cdaihiki | w9", "ccyc"},
        {"cool s3", "cool / time cdaihiki | s3", "cyc"},
        {"cool s4", "/ cool cdaihiki | s4", "ccyc"},
        {"w9 s0", "/ cool cdaihiki | w9", "ycyc"},
        {"w9 w0", "/ cdaihiki", "ycyc"},
        {"w9 time w0", "time / cool cdaihiki", "yccyc"},
        {"time w9 time", "/ cool cdaihiki | w9", "cycc"},
        {"w13", "/ cool cdaihiki | cat-off w13", "yc"},
        {"w13 w0", "/ cdaihiki", "ycyc"},
        // Turning クロネコ cash on delivery on enables it whatever else is checked.
        {"time use", "time / cool", "c"},
        {"use cdaihiki nouse", "cdaihiki / time cdaihiki", "c"},
        {"use cdaihiki cdaihiki", "/", "cc"},
        // The amount's bands, typed a key at a time.
        {"use $5", "cdaihiki / time | $5", "cyc"},
        {"use $50", "/ | cat-off $50",
         "cycc"
         "C!y"},
        {"use =50", "/ | cat-off $50", "C!y"},
        {"use $5.1", "kakitome cdaihiki / time | $5.1", nullptr},
        {"use =5.1", "kakitome cdaihiki / time | $5.1", "ycyc"},
        {"use =30", "kakitome cdaihiki / time | $30", "ycyc"},
        {"use =30.1", "/ | cat-off $30.1", "C!y"},
        {"use $30.1", "kakitome / | cat-off $30.1", nullptr},
        {"use $200", "kakitome / | cat-off $200", nullptr},
        {"use $200.1", "/ | you-off cat-off $200.1", nullptr},
        {"use =200.1", "/ | you-off cat-off $200.1", "C!Y!"},
        {"use $8 $80", "kakitome / | cat-off $80", "ycyccC!y"},
        {"=3", "/ cdaihiki | $3", "yc"},
        {"=3 =3", "/ cdaihiki | $3", "yc"},
        {"=50 home", "/ cdaihiki | cat-off $50", "C!y"},
        {"use $250 $0", "/", nullptr},
        {"=300 =.", "/ cdaihiki | you-off cat-off $.", "C!Y!"},
        {"use =12 =", "/", nullptr},
        {"use time $1", "time cdaihiki / time cool cdaihiki | $1", "ccyc"},
        {"use time $1 $0", "time / cool cdaihiki", nullptr},
        // Several parcels: the count edit follows the box.
        {"fukusu", "fukusu / cdaihiki | count-shown", "c"},
        {"fukusu #3", "fukusu / cdaihiki | count-shown #3", "cc"},
        {"fukusu #1", "fukusu / cdaihiki | count-shown", "c"},
        {"fukusu # fukusu", "/ cdaihiki", "ccc"},
        // The prefecture lists' separator rows.
        {"f1", "/ cdaihiki | f2", "yc"},
        {"t44", "/ cdaihiki | t44", "-"},
        {"t54", "/ cdaihiki | t54", "yc"},
    };
    for (const Case& c : cases) {
        Trace trace;
        ParcelSelection m(&trace);
        m.useCatCashOnDelivery(false); // the start-up, with the preference's default
        run(m, c.events);
        EXPECT_EQ(state(m), c.state) << c.events;
        if (c.calls) {
            EXPECT_EQ(trace.calls, c.calls) << c.events;
        }
    }
}

// The requests carry the rows, the boxes and the texts as they stand.
TEST(ParcelSelection, Requests) {
    ParcelSelection m;
    m.useCatCashOnDelivery(true);
    run(m, "f30 t54 w2 s1 =8 cyaku cild home fukusu #4");
    const TYoupackRequest you = m.youpackRequest();
    EXPECT_EQ(you.FromCaption, "大阪");
    EXPECT_EQ(std::tie(you.ToRow, you.WeightRow, you.DaihikiText),
              std::make_tuple(54, 2, std::string("8")));
    EXPECT_EQ(
        (std::array{you.Cyaku, you.Sokutatsu, you.Shitei, you.Kakitome, you.Cild, you.Daihiki}),
        (std::array{true, false, false, true, false, false}));
    const TCatRequest cat = m.catRequest();
    EXPECT_EQ(std::tie(cat.FromRow, cat.ToRow, cat.WeightRow, cat.SizeRow),
              std::make_tuple(30, 54, 2, 1));
    EXPECT_EQ((std::array{cat.Home, cat.Time, cat.Cool, cat.Daihiki, cat.Fukusu}),
              (std::array{true, false, false, true, true}));
    EXPECT_EQ(std::tie(cat.DaihikiText, cat.FukusuText),
              std::make_tuple(std::string("8"), std::string("4")));
}

// Before the start-up applies the preference, the amount's step turns an
// unused クロネコ 代金引換 off too.
TEST(ParcelSelection, AmountDisablesAnUnusedCatCashOnDelivery) {
    ParcelSelection m;
    EXPECT_EQ(state(m), "/");
    m.typeAmount("3");
    EXPECT_EQ(state(m), "/ cdaihiki | $3");
}

// A failed recalculation ends the event where it is: the boxes keep what the
// steps before it did, and the model goes on with the next event.
TEST(ParcelSelection, FailedRecalculationEndsTheEvent) {
    struct Failing final : ParcelDisplay {
        void recalcCat() override { throw std::runtime_error("bad fee"); }
    } failing;
    ParcelSelection m(&failing);
    m.useCatCashOnDelivery(true);
    EXPECT_THROW(m.click(ParcelOption::CatTime), std::runtime_error);
    EXPECT_EQ(state(m), "time / cool cdaihiki");
    EXPECT_THROW(m.chooseWeight(9), std::runtime_error);
    EXPECT_EQ(state(m), "time / cool cdaihiki | w9");
    m.typeAmount("8"); // the amount's rule drops the failure
    EXPECT_EQ(state(m), "kakitome time cdaihiki / time cool cdaihiki | w9 $8");
    m.restoreRows(53, 60); // rows the lists lack
    EXPECT_EQ(std::make_pair(m.fromRow(), m.toRow()), std::make_pair(0, 0));
    m.restoreRows(1, 44); // the sending list skips a separator
    EXPECT_EQ(std::make_pair(m.fromRow(), m.toRow()), std::make_pair(2, 44));

    // The amount enables both groups before its recalculations, which may fail.
    struct FailingYoupack final : ParcelDisplay {
        void recalcYoupack() override { throw std::runtime_error("bad fee"); }
    } failingYoupack;
    ParcelSelection n(&failingYoupack);
    n.typeAmount("50");
    EXPECT_FALSE(n.groupEnabled(Carrier::Cat));
    n.typeAmount("3");
    EXPECT_TRUE(n.groupEnabled(Carrier::Cat));
}

} // namespace
