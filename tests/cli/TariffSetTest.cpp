// `hakomaru-quote set`: the change is saved and listed, the file stays
// clean for the checker, and several writers at once take turns.
#include "TariffSet.h"
#include "tools/TariffCheck.h"
#include "tools/TariffEdit.h"

#include "Process.h"
#include "TempFiles.h"
#include "ini/IniStore.h"
#include "text/Sjis.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

using namespace hakomaru;
namespace fs = std::filesystem;

const fs::path kShippedTariff = fs::path(HAKOMARU_SHIPPED_DATA_DIR) / "Charge.ini";

// A file in a folder of this test process's own, so that test runs of two
// checkouts at once do not meet.
fs::path scratchFile(const std::string& name) {
    static const test::TempDir folder;
    return folder / (name + ".ini");
}

// `set` from the command line: the change is saved and printed with the
// field's name in table words, as `diff` and the editor name it; the file
// stays clean for the checker, a value that does not fit exits 1.
TEST(TariffEdit, SetCommandSavesAndStaysClean) {
    const fs::path path = scratchFile("set-tariff");
    fs::copy_file(kShippedTariff, path, fs::copy_options::overwrite_existing);
    std::ostringstream err;
    const std::vector<std::pair<std::vector<std::string>, std::string>> fields{
        {{"ゆうパック", "第1地帯", "2kg以下"}, "ゆうパック 第1地帯 2kg以下: 600 → 123"},
        {{"北海道", "関東", "60cm以下"}, "クロネコ 北海道発 関東 60cm以下: 1400 → 123"},
        {{"地帯区分", "東京", "大阪"}, "地帯区分 東京 大阪: 4 → 5"},
        {{"複数口", "料金"}, "オプション クロネコ 複数口: 100 → 123"}};
    for (const auto& [field, printed] : fields) {
        std::ostringstream out;
        // As a Japanese input method types it: full-width digits.
        EXPECT_EQ(cli::runTariffSet(path, field, field[0] == "地帯区分" ? "５" : "１２３", out, err),
                  0)
            << err.str();
        EXPECT_EQ(out.str(), utf8Of(path) + ": " + printed + "\n");
    }
    EXPECT_EQ(checkTariff(readFileBytes(path)).size(), 0u);
    std::ostringstream out;
    EXPECT_EQ(cli::runTariffSet(path, {"複数口", "料金"}, "1x", out, err), 1);
    EXPECT_NE(err.str().find("この欄は 0 から 99,999 までの数字です"), std::string::npos);
    const std::string saved = readFileBytes(path);
    size_t differing = 0;
    const std::string shipped = readFileBytes(kShippedTariff);
    ASSERT_EQ(saved.size(), shipped.size());
    for (size_t i = 0; i < saved.size(); ++i)
        differing += saved[i] != shipped[i];
    EXPECT_LE(differing, 4u + 3u + 1u + 3u);
    fs::remove(path);
}

// A `set` that would take the tariff past the size every reader accepts
// (16 MiB) is refused, and the file stays as it was, readable; one that
// leaves it at exactly that size is made.
TEST(TariffEdit, SetNeverTakesTheTariffPastTheReadersLimit) {
    const fs::path path = scratchFile("limit-tariff");
    std::string bytes = readFileBytes(kShippedTariff);
    bytes += ";" + std::string(kIniFileLimit - bytes.size() - 3, '-') + "\r\n";
    ASSERT_EQ(bytes.size(), kIniFileLimit);
    test::writeBytes(path, bytes);
    std::ostringstream out, err;
    EXPECT_EQ(cli::runTariffSet(path, {"速達", "2kg"}, "3000", out, err), 1);
    EXPECT_NE(err.str().find("保存すると 16,777,217 バイトになり、上限の 16 MiB を超えます"),
              std::string::npos)
        << err.str();
    EXPECT_EQ(readFileBytes(path), bytes);
    EXPECT_EQ(cli::runTariffSet(path, {"速達", "2kg"}, "310", out, err), 0) << err.str();
    fs::remove(path);
}

// Ten `set` programs at once, each on its own field of one file, three
// rounds: they take turns, and every change is in the file.
TEST(TariffEdit, ConcurrentSetsAllLand) {
    const fs::path path = scratchFile("concurrent-tariff");
    const TariffGrid youpack = TariffDocument(readFileBytes(kShippedTariff)).grids()[1];
    ASSERT_GE(youpack.columns.size(), 10u);
    for (int round = 0; round < 3; ++round) {
        fs::copy_file(kShippedTariff, path, fs::copy_options::overwrite_existing);
        std::vector<std::thread> runs;
        std::vector<int> statuses(10, -1);
        for (int i = 0; i < 10; ++i) {
            const std::string column = youpack.columns[static_cast<size_t>(i)];
            const std::string value = std::to_string(2000 + 10 * round + i);
            runs.emplace_back([&, i, column, value] {
                statuses[static_cast<size_t>(i)] =
                    test::runProgram(
                        HAKOMARU_QUOTE_EXE,
                        {"set", "--tariff", utf8Of(path), "ゆうパック", "第1地帯", column, value},
                        "")
                        .status;
            });
        }
        for (std::thread& run : runs)
            run.join();
        for (const int status : statuses)
            EXPECT_EQ(status, 0) << "round " << round;
        const TariffDocument saved(readFileBytes(path));
        for (size_t i = 0; i < 10; ++i)
            EXPECT_EQ(TariffDocument::shown(saved.grids()[1].cell(0, i)),
                      std::to_string(2000 + 10 * round + static_cast<int>(i)))
                << "round " << round << ", " << youpack.columns[i];
    }
    fs::remove(path);
}

// A `set` run while another program holds the writers' lock waits for it,
// then says why it gives up, exits 1 and leaves the file as it was.
TEST(TariffEdit, SetWaitsForAnotherWriterThenChangesNothing) {
    const fs::path path = scratchFile("held-tariff");
    fs::copy_file(kShippedTariff, path, fs::copy_options::overwrite_existing);
    test::ProgramRun run;
    auto waited = std::chrono::steady_clock::duration::zero();
    editFile(path, [&](const FileBytes&) {
        const auto start = std::chrono::steady_clock::now();
        run = test::runProgram(HAKOMARU_QUOTE_EXE,
                               {"set", "--tariff", utf8Of(path), "複数口", "料金", "123"}, "");
        waited = std::chrono::steady_clock::now() - start;
        return std::optional<std::string>();
    });
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(std::string(kBusyReason)), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_GE(waited, kWriterWait);
    EXPECT_EQ(readFileBytes(path), readFileBytes(kShippedTariff));
    fs::remove(path);
}

#ifndef _WIN32 // the lock taken as the POSIX save takes it, with flock
// A `set` that another writer keeps waiting past the wait says why, exits
// 1 and leaves the file as it was.
TEST(TariffEdit, SetKeptWaitingChangesNothing) {
    const fs::path path = scratchFile("busy-tariff");
    fs::copy_file(kShippedTariff, path, fs::copy_options::overwrite_existing);
    const int held = ::open(path.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    std::ostringstream out, err;
    EXPECT_EQ(cli::runTariffSet(path, {"複数口", "料金"}, "123", out, err), 1);
    ::close(held);
    EXPECT_NE(err.str().find(std::string(kBusyReason)), std::string::npos) << err.str();
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(readFileBytes(path), readFileBytes(kShippedTariff));
    fs::remove(path);
}
#endif

} // namespace
