// Blocks of cells as spreadsheets copy them: LibreOffice Calc (LF) and
// Excel (CR LF) line ends, a line end after the last row or none, quoted
// cells holding tabs, line ends and quotes; and back out again.
#include "text/TabText.h"

#include <gtest/gtest.h>

namespace {

using namespace hakomaru;

TEST(TabText, Parse) {
    const std::pair<std::string, TextBlock> cases[] = {
        {"", {}},
        {"940", {{"940"}}},
        {"1\t2\n3\t4\n", {{"1", "2"}, {"3", "4"}}},
        {"1\t2\r\n3\t4\r\n", {{"1", "2"}, {"3", "4"}}},
        {"1\t2\r3\t4", {{"1", "2"}, {"3", "4"}}},
        {"1\t\t3\n\n", {{"1", "", "3"}, {""}}},
        {"1\n2\t3\n", {{"1"}, {"2", "3"}}},
        {"\"a\tb\"\t\"c\nd\"\t\"e\"\"f\"\n", {{"a\tb", "c\nd", "e\"f"}}},
        {"\"a\"b\t\"open\n", {{"\"a\"b", "\"open"}}},
    };
    for (const auto& [text, block] : cases)
        EXPECT_EQ(parseTabText(text), block) << text;
}

TEST(TabText, RoundTrip) {
    // A bare CR ends a row as an LF does: a cell holding one is quoted too.
    const TextBlock block{{"1", "a\tb", "", "\"q\""}, {"x\r\ny", "c\rr"}, {""}};
    EXPECT_EQ(tabText({{"1", "2"}, {"3", "4"}}), "1\t2\n3\t4\n");
    EXPECT_EQ(parseTabText(tabText(block)), block);
}

} // namespace
