// The option tables: every option fee entry of the tariff belongs to one
// option, and no two options of a kind answer to one name.
#include "selection/OptionTable.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

namespace {

using namespace hakomaru;

template <typename Rows> size_t feeCount(const Rows& rows) {
    size_t count = 0;
    for (const auto& row : rows)
        count += row.fees.size();
    return count;
}

TEST(OptionTable, EachTariffEntryBelongsToOneOption) {
    EXPECT_EQ(feeCount(parcelOptions()) + feeCount(letterOptions()) + feeCount(bookOptions()),
              allTariffOptions().size());
    for (const TariffOption& entry : allTariffOptions())
        EXPECT_TRUE(optionReading(entry)) << entry.section << " " << entry.key;
    using namespace tariff;
    const std::pair<TariffOption, OptionOfEntry> cases[] = {
        {kExpress[2], {ParcelOption::YouSokutatsu, "速達"}},
        {kCatCod[4], {ParcelOption::CatDaihiki, "クロネコ 代金引換"}},
        {kInCity[6], {LetterOption::InCity, "市内特別"}},
        {kBookExpress[1], {BookOption::Sokutatsu, "速達"}},
    };
    for (const auto& [entry, owner] : cases) {
        const auto found = optionReading(entry);
        ASSERT_TRUE(found) << entry.section << " " << entry.key;
        EXPECT_EQ(found->option, owner.option) << entry.section << " " << entry.key;
        EXPECT_EQ(found->name, owner.name);
    }
    EXPECT_FALSE(optionReading({"地帯区分", "東京", 0}));
}

// A command-line option names one option of its kind, and a JSON member
// one field of its request.
template <typename Rows, typename Name> void expectUnique(const Rows& rows, Name name) {
    std::set<std::string_view> seen;
    for (const auto& row : rows)
        if (const std::string_view n = name(row); !n.empty()) {
            EXPECT_TRUE(seen.insert(n).second) << n;
        }
}

TEST(OptionTable, NamesAreUniqueWithinAKind) {
    const auto commandLine = [](const auto& row) { return row.names.commandLine; };
    const auto json = [](const auto& row) { return row.names.json; };
    for (Carrier carrier : {Carrier::Youpack, Carrier::Cat})
        expectUnique(parcelOptions(), [carrier](const ParcelOptionRow& row) {
            return row.carrier == carrier ? row.names.json : std::string_view();
        });
    expectUnique(parcelOptions(), commandLine);
    expectUnique(letterOptions(), commandLine);
    expectUnique(letterOptions(), json);
    expectUnique(bookOptions(), commandLine);
    expectUnique(bookOptions(), json);
}

} // namespace
