// hakomaru-quote check: its exit status and summary on a clean, a broken
// and an unreadable file.
#include "TariffCheckCommand.h"
#include "ini/IniStore.h"
#include "text/Sjis.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace {

namespace fs = std::filesystem;

const fs::path kShippedTariff = fs::path(HAKOMARU_SHIPPED_DATA_DIR) / "Charge.ini";

// The shipped tariff with one option fee that is not a number.
std::string brokenTariff() {
    std::string text = hakomaru::fromSjis(hakomaru::readFileBytes(kShippedTariff));
    const auto at = text.find("料金=30", text.find("[着払]"));
    EXPECT_NE(at, std::string::npos);
    return hakomaru::toSjis(text.replace(at, std::string("料金=30").size(), "料金=3x"));
}

struct StatusCase {
    const char* name;
    std::function<fs::path(const fs::path& dir)> file;
    int status;
    std::string outPart;
};

void PrintTo(const StatusCase& c, std::ostream* os) {
    *os << c.name;
}

class TariffCheckStatus : public testing::TestWithParam<StatusCase> {};

TEST_P(TariffCheckStatus, ExitStatusTellsCleanBrokenOrUnreadable) {
    const fs::path dir =
        fs::temp_directory_path() /
        ("hakomaru-check-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         GetParam().name);
    fs::create_directories(dir);
    std::ostringstream out, err;
    const int status = hakomaru::cli::runTariffCheck(GetParam().file(dir), out, err);
    fs::remove_all(dir);
    EXPECT_EQ(status, GetParam().status);
    EXPECT_NE(out.str().find(GetParam().outPart), std::string::npos) << out.str();
    EXPECT_EQ(err.str().empty(), status != 2) << err.str();
}

INSTANTIATE_TEST_SUITE_P(
    Files, TariffCheckStatus,
    testing::Values(
        StatusCase{"Clean", [](const fs::path&) { return kShippedTariff; }, 0, "問題はありません"},
        StatusCase{"Broken",
                   [](const fs::path& dir) {
                       std::ofstream(dir / "Charge.ini", std::ios::binary)
                           << brokenTariff();
                       return dir / "Charge.ini";
                   },
                   1, "問題が 1 件あります"},
        StatusCase{"Missing", [](const fs::path& dir) { return dir / "Charge.ini"; }, 2, ""},
        StatusCase{"Folder", [](const fs::path& dir) { return dir; }, 2, ""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
