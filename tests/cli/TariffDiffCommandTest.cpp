// `hakomaru-quote diff` exits by what it found.
#include "TariffDiffCommand.h"

#include "ini/IniStore.h"
#include "text/Sjis.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace {

using namespace hakomaru;
namespace fs = std::filesystem;

const std::string kShipped = readFileBytes(fs::path(HAKOMARU_SHIPPED_DATA_DIR) / "Charge.ini");

TEST(TariffDiff, CommandExitStatus) {
    const fs::path dir = fs::path(testing::TempDir()) / ("diff-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    auto file = [&](const std::string& name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return dir / name;
    };
    const fs::path old = file("old.ini", kShipped);
    std::string changed = kShipped;
    changed.replace(changed.find(toSjis("2kg=300")), 7, "2kg=310");
    const struct {
        fs::path after;
        int status;
        std::string out, errPart; // the fields alone on `out`; the summary and messages on `err`
    } cases[] = {
        {file("same.ini", kShipped), 0, "", ": 違いはありません\n"},
        {file("new.ini", changed), 1, "オプション ゆうパック 速達 2kg以下: 300 → 310\n",
         ": 1 か所が違います\n"},
        {dir / "missing.ini", 2, "", "missing.ini は開けません（"},
        {file("utf8.ini", "[速達]\n2kg=300\n[地帯区分]\n東京=1\n"), 2, "", "Shift-JIS"},
    };
    for (const auto& c : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(cli::runTariffDiff(old, c.after, out, err), c.status) << c.after;
        EXPECT_EQ(out.str(), c.out);
        EXPECT_NE(err.str().find(c.errPart), std::string::npos) << err.str();
    }
    fs::remove_all(dir);
}

} // namespace
