// Two tariffs compared: the shipped one, and the same with fields changed
// through the edit core and entries outside the layout added and changed;
// the comparison lists exactly those.
#include "tools/TariffDiff.h"

#include "ini/IniStore.h"
#include "text/Sjis.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>

namespace {

using namespace hakomaru;
namespace fs = std::filesystem;

const std::string kShipped = readFileBytes(fs::path(HAKOMARU_SHIPPED_DATA_DIR) / "Charge.ini");

using Difference = std::tuple<std::string, std::string, std::string, std::string, std::string>;

std::set<Difference> differences(const std::string& before, const std::string& after) {
    std::set<Difference> found;
    for (const TariffChange& c : diffTariffs(TariffDocument(before), TariffDocument(after)))
        found.emplace(c.table, c.row, c.column, c.before, c.after);
    return found;
}

TEST(TariffDiff, ListsTheFieldsChanged) {
    struct Edit {
        std::vector<std::string> field; // section, key[, column]
        std::string value;
        Difference expected;
    };
    const Edit edits[] = {
        {{"地帯区分", "東京", "大阪"}, "5", {"地帯区分", "東京", "大阪", "4", "5"}},
        {{"ゆうパック", "第4地帯", "2kg"},
         "1000",
         {"ゆうパック", "第4地帯", "2kg以下", "940", "1000"}},
        {{"北海道", "関東", "60cm"},
         "1500",
         {"クロネコ 北海道発", "関東", "60cm以下", "1400", "1500"}},
        {{"速達", "2kg"}, "320", {"オプション", "ゆうパック 速達 2kg以下", "", "300", "320"}},
        {{"電信払込", "料金3"},
         "260",
         {"送金手数料", "電信払込", "5万円超 10万円以下", "250", "260"}},
    };
    TariffDocument edited(kShipped);
    std::set<Difference> expected;
    for (const Edit& e : edits) {
        const auto at = edited.find(e.field[0], e.field[1],
                                    e.field.size() > 2 ? std::optional(e.field[2]) : std::nullopt);
        ASSERT_TRUE(std::holds_alternative<TariffAddress>(at)) << e.field[0];
        ASSERT_FALSE(edited.set(std::get<TariffAddress>(at), e.value));
        expected.insert(e.expected);
    }
    // Entries outside the layout: one added, one changed, one gone; a
    // comment, an entry a later section hides and one a later line of the
    // same key hides do not count.
    const std::string before = kShipped + toSjis("[メモ]\r\n担当=山田\r\n古い=1\r\n");
    const std::string after = edited.bytes() + toSjis("; 新料金\r\n[メモ]\r\n担当=鈴木\r\n担当=佐藤\r\n"
                                                      "[控え]\r\nx=1\r\n[控え]\r\ny=2\r\n");
    expected.insert({"その他の行", "[メモ] 担当", "", "山田", "佐藤"});
    expected.insert({"その他の行", "[控え] y", "", "（なし）", "2"});
    expected.insert({"その他の行", "[メモ] 古い", "", "1", "（なし）"});
    EXPECT_EQ(differences(before, after), expected);
    EXPECT_TRUE(differences(after, after).empty());
}

// Fields that are parts of a character, or hold a control character, show
// which bytes they hold.
TEST(TariffDiff, BytesThatAreNoWholeCharacterShownAsEscapes) {
    std::string after = kShipped;
    const std::string hokkaido = toSjis("北海道=15");
    after.replace(after.find(hokkaido), hokkaido.size(), toSjis("北海道=Ｐ"));
    after.replace(after.find("2kg=300"), 7,
                  std::string("2kg=3\x01"
                              "0",
                              7));
    EXPECT_EQ(
        differences(kShipped, after),
        (std::set<Difference>{{"地帯区分", "北海道", "北海道", "1", "<82>"},
                              {"地帯区分", "北海道", "━━東北", "5", "<6F>"},
                              {"オプション", "ゆうパック 速達 2kg以下", "", "300", "3<01>0"}}));
}

} // namespace
