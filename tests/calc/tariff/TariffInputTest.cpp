// What a field accepts while it is typed: the cell editor refuses a
// keystroke that no further typing can mend and lets an unfinished value
// stand, and each refusal says in plain words what the field holds.
#include "tariff/TariffInput.h"

#include <gtest/gtest.h>

namespace {

using namespace hakomaru;

struct TypingCase {
    TariffInputKind kind;
    const char* typed;
    TypedState state;
    const char* value; // Accepted: what is written
};

TEST(TariffInput, TypedValues) {
    using enum TypedState;
    const TypingCase cases[] = {
        {TariffInputKind::Fee, "1400", Accepted, "1400"},
        {TariffInputKind::Fee, "１４００", Accepted, "1400"},
        {TariffInputKind::Fee, "001400", Accepted, "1400"},
        {TariffInputKind::Fee, "14000", Refused, ""},
        {TariffInputKind::Fee, "ab12", Refused, ""},
        {TariffInputKind::Fee, "", Unfinished, ""},
        {TariffInputKind::Fee, "1,4", Unfinished, ""},
        {TariffInputKind::Fee, "1,400", Accepted, "1400"},
        {TariffInputKind::Fee, "1400,", Refused, ""},
        {TariffInputKind::Fee, "－5", Refused, ""},
        {TariffInputKind::Option, "99,999", Accepted, "99999"},
        {TariffInputKind::Option, "100000", Refused, ""},
        {TariffInputKind::Option, "9999999999999", Refused, ""},
        {TariffInputKind::Zone, "３", Accepted, "3"},
        {TariffInputKind::Zone, "4", Refused, ""},
        {TariffInputKind::Zone, "33", Refused, ""},
        {TariffInputKind::Zone, "", Unfinished, ""},
    };
    for (const TypingCase& c : cases) {
        TariffInputRule rule{c.kind, 4, [](char z) { return z == '3'; }, "3"};
        const TypedValue read = readTyped(rule, c.typed);
        EXPECT_EQ(read.state, c.state) << c.typed;
        EXPECT_EQ(read.value, c.value) << c.typed;
    }
}

TEST(TariffInput, RulesInPlainWords) {
    EXPECT_EQ(inputRuleText({TariffInputKind::Fee, 4, {}, {}}), "この欄は 4 桁までの数字です");
    EXPECT_EQ(inputRuleText({TariffInputKind::Option, 0, {}, {}}),
              "この欄は 0 から 99,999 までの数字です");
    EXPECT_EQ(inputRuleText({TariffInputKind::Zone, 0, {}, "12"}),
              "この欄は地帯の文字 1 文字です（料金行のある地帯: 1 2）");
}

} // namespace
