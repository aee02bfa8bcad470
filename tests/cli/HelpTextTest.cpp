// The help runs as it says, and the README says what the option tables say.
#include "HelpText.h"
#include "ExampleParcels.h"
#include "Process.h"
#include "TempFiles.h"
#include "UsageError.h"
#include "selection/OptionTable.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace hakomaru;
namespace fs = std::filesystem;

const fs::path kShippedTariff = fs::path(HAKOMARU_SHIPPED_DATA_DIR) / "Charge.ini";
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

// Every example of the help runs and succeeds: in a folder holding the
// files the examples name, with the shipped tariff beside a copy of the
// program and in place of the tariffs an example names.
TEST(HelpExamples, EveryOneSucceeds) {
    for (const cli::CommandExamples& command : cli::helpExamples()) {
        test::TempDir dir;
        const fs::path program = dir / fs::path(HAKOMARU_QUOTE_EXE).filename().string();
        fs::copy_file(HAKOMARU_QUOTE_EXE, program);
        for (const char* name : {"Charge.ini", "installed.ini", "downloaded.ini"})
            fs::copy_file(kShippedTariff, dir / name);
        test::writeBytes(dir / "parcels.csv", std::string(cli::kExampleParcels));
        const fs::path before = fs::current_path();
        fs::current_path(dir.path());
        for (const cli::HelpExample& example : command.examples) {
            std::vector<std::string> args;
            for (std::string_view arg : example.args)
                args.emplace_back(arg == cli::kInstalledTariff    ? "installed.ini"
                                  : arg == cli::kDownloadedTariff ? "downloaded.ini"
                                                                  : arg);
            const std::string input =
                example.input.empty() ? "" : std::string(example.input) + "\n";
            const test::ProgramRun run = test::runProgram(program, args, input);
            EXPECT_EQ(run.status, 0) << cli::exampleCommand(example) << "\n" << run.err;
            EXPECT_NE(run.out.find(example.shows), std::string::npos) << run.out;
        }
        fs::current_path(before);
    }
}

// A command takes --tariff exactly when it reads the tariff, as its help
// says; the others refuse it with the reason.
TEST(HelpExamples, TariffWhereTheCommandReadsIt) {
    for (const cli::CommandExamples& command : cli::helpExamples()) {
        std::vector<std::string_view> args = command.examples.front().args;
        args.insert(args.end(), {"--tariff", "t.ini"});
        if (cli::readsTariff(command.mode)) {
            EXPECT_EQ(cli::parseCommandLine(args).tariff, "t.ini") << args.front();
            EXPECT_NE(cli::commandHelpText(command.mode).find("--tariff FILE"), std::string::npos);
        } else {
            EXPECT_THROW(cli::parseCommandLine(args), cli::UsageError) << args.front();
            EXPECT_EQ(cli::commandHelpText(command.mode).find("--tariff"), std::string::npos);
        }
    }
}

} // namespace
