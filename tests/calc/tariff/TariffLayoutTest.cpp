// The tariff layout table against the shipped tariff: every table value is
// long enough for its last field and reads a number for every priced row,
// every zone has its fee row, and every region the lists use has a section.
#include "tariff/TariffLayout.h"
#include "ini/EncodedName.h"
#include "ini/IniValues.h"
#include "tariff/Catalogues.h"
#include "tariff/Tariff.h"
#include "tariff/TariffOptions.h"
#include "text/ConversionError.h"
#include "text/Sjis.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace hakomaru;

const IniStore kShipped = readTariff(HAKOMARU_SHIPPED_DATA_DIR "/Charge.ini");

// The positions the file's maintainers know, at the ends of each table and
// where rows share or skip a field.
TEST(TariffLayout, FieldPositions) {
    struct Case {
        const FeeTable* table;
        int row;
        size_t first; // 0: no field
    };
    const Case cases[] = {
        {&tariff::kYoupackFees, 0, 4},  {&tariff::kYoupackFees, 13, 56},
        {&tariff::kYoupackFees, 14, 0}, {&tariff::kCatFees, 0, 4},
        {&tariff::kCatFees, 5, 24},     {&tariff::kLetterFees, 0, 0},
        {&tariff::kLetterFees, 1, 8},   {&tariff::kLetterFees, 3, 0},
        {&tariff::kLetterFees, 4, 20},  {&tariff::kLetterFees, 17, 72},
        {&tariff::kBookFees, 3, 0},     {&tariff::kBookFees, 4, 1},
        {&tariff::kBookFees, 7, 1},     {&tariff::kBookFees, 8, 4},
        {&tariff::kBookFees, 16, 28},   {&tariff::kBookFees, 17, 0},
    };
    for (const Case& c : cases) {
        const auto& p = c.table->positions;
        const size_t got = c.row < static_cast<int>(p.size()) ? p[static_cast<size_t>(c.row)] : 0;
        EXPECT_EQ(got, c.first) << c.table->section << " row " << c.row;
    }
    EXPECT_EQ(feeRowLength(tariff::kYoupackFees), 59u);
    EXPECT_EQ(feeRowLength(tariff::kCatFees), 27u);
    EXPECT_EQ(feeRowLength(tariff::kLetterFees), 75u);
    EXPECT_EQ(feeRowLength(tariff::kBookFees), 30u);
}

// Every row a table prices reads a fee; a row it does not price reads an
// empty field.
void expectReadable(const FeeTable& table, std::string_view section, std::string_view key) {
    SCOPED_TRACE(std::string(section) + " / " + std::string(key));
    const auto value = kShipped.find(sjisName(section), sjisName(key));
    ASSERT_TRUE(value);
    EXPECT_GE(value->size(), feeRowLength(table));
    for (size_t row = 0; row <= table.positions.size(); ++row) {
        if (row < table.positions.size() && table.positions[row] > 0)
            EXPECT_GE(feeOfRow(table, *value, static_cast<long long>(row)), 0) << row;
        else
            EXPECT_THROW(feeOfRow(table, *value, static_cast<long long>(row)), ConversionError);
    }
}

TEST(TariffLayout, ShippedTablesFollowIt) {
    for (const FeeTable* table : {&tariff::kLetterFees, &tariff::kBookFees})
        for (std::string_view key : table->keys)
            expectReadable(*table, table->section, key);

    expectReadable(tariff::kYoupackFees, tariff::kYoupackFees.section, tariff::kYoupackSameCityKey);
    for (std::string_view caption : PrefectureRows(false)) {
        if (IsSeparatorRow(caption))
            continue;
        const auto zones = kShipped.find(sjisName(tariff::kZoneSection), sjisName(caption));
        ASSERT_TRUE(zones) << caption;
        ASSERT_EQ(zones->size(), tariff::kZoneCharacters) << caption;
        // The last character names the same city's zone in the caption only.
        for (char zone : zones->substr(0, tariff::kZoneCharacters - 1)) {
            ASSERT_TRUE(tariff::isZoneCharacter(zone)) << caption;
            const std::string key = fromSjis(tariff::zoneFeeKey(std::string(1, zone)));
            expectReadable(tariff::kYoupackFees, tariff::kYoupackFees.section, key);
        }
    }

    // The region names the lists map to are the table's, no more, no less.
    std::set<std::string_view> listed;
    for (int row = 0; row < kDestinationRowCount; ++row)
        listed.insert(CatRegionOf(row));
    listed.erase("");
    listed.erase(tariff::kCatSameCityKey);
    EXPECT_EQ(listed,
              std::set<std::string_view>(tariff::kCatRegions.begin(), tariff::kCatRegions.end()));
    for (std::string_view from : tariff::kCatRegions) {
        for (std::string_view to : tariff::kCatRegions)
            expectReadable(tariff::kCatFees, from, to);
        expectReadable(tariff::kCatFees, from, tariff::kCatSameCityKey);
    }
}

} // namespace

// Exactly what an option entry prices, from the rule each quote reads it by:
// the weights from the bound of the row before the first to the last.
TEST(TariffLayout, OptionNotes) {
    using namespace tariff;
    const std::pair<TariffOption, std::string> cases[] = {
        {kCarriageForward, ""},
        {kExpress[0], "重量 2kg以下"},
        {kExpress[2], "重量 4kg超 30kg以下"},
        {kChilled[1], "重量 4kg超 8kg以下"},
        {kChilled[2], "重量 8kg超 30kg以下"},
        {kCool[0], "60cm以下・2kg以下"},
        {kTimeService[5], "150cm以下・25kg以下"},
        {kCatCod[0], "代引金額 空欄・30万円超"},
        {kInCity[0], "定形 50g以下"},
        {kInCity[6], "定形外 200g超 250g以下"},
        {kLetterExpress[1], "定形外 250g超 1kg以下"},
        {kMorning10[0], "定形 50g以下・定形外 250g以下"},
        {kBookExpress[0], "定形外 2kg以下"},
        {kBookExpress[1], "定形外 2kg超 3kg以下"},
    };
    for (const auto& [option, note] : cases)
        EXPECT_EQ(tariffOptionNote(option), note) << option.section << " " << option.key;
}

// The in-city discount entry of each postal weight row: the standard-size
// rows share the first, the headings and the rows past the last in-city
// weight have none.
TEST(TariffLayout, InCityEntryOfEachRow) {
    using namespace tariff;
    for (int row = 0; row < kPostalWeightRowCount; ++row) {
        const TariffOption* entry = letterInCityOption(row);
        if (row == 0 || row == 3 || row > 9)
            EXPECT_EQ(entry, nullptr) << row;
        else
            EXPECT_EQ(entry, &kInCity[row <= 2 ? 0 : static_cast<size_t>(row - 3)]) << row;
    }
}
