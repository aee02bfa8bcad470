// The help and the README say what the option tables say.
#include "HelpText.h"
#include "TempFiles.h"
#include "selection/OptionTable.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace hakomaru;
namespace fs = std::filesystem;

const std::string kReadme = test::readBytes(fs::path(HAKOMARU_SHIPPED_DATA_DIR) / "../README.md");

// A row of the README's table of request members: the boolean members of
// one kind of request, and what each chooses.
template <typename Rows, typename Keep> std::string readmeRow(const Rows& rows, Keep keep) {
    std::string members, glosses;
    for (const auto& row : rows) {
        if (!keep(row))
            continue;
        members += (members.empty() ? "`" : ", `") + std::string(row.names.json) + "`";
        glosses += (glosses.empty() ? "" : ", ") + std::string(row.names.english);
    }
    return "| | " + members + " | boolean | false | " + glosses + " |\n";
}

TEST(Readme, ListsTheOptionMembersOfTheTables) {
    const auto all = [](const auto&) { return true; };
    for (Carrier carrier : {Carrier::Youpack, Carrier::Cat}) {
        const std::string row = readmeRow(
            parcelOptions(), [carrier](const ParcelOptionRow& r) { return r.carrier == carrier; });
        EXPECT_NE(kReadme.find(row), std::string::npos) << row;
    }
    for (const std::string& row : {readmeRow(letterOptions(), all), readmeRow(bookOptions(), all)})
        EXPECT_NE(kReadme.find(row), std::string::npos) << row;
}

} // namespace
