// hakomaru-quote: quotes parcels and postal items from the command line.
#include "CommandLine.h"
#include "CsvCompare.h"
#include "HelpText.h"
#include "JsonlBatch.h"
#include "ProgramPath.h"
#include "Selections.h"
#include "Tariff.h"
#include "TariffCheck.h"
#include "TerminalMode.h"
#include "UsageError.h"

#include <fstream>
#include <iostream>
#include <memory>
#include <vector>

using namespace hakomaru;
using namespace hakomaru::cli;

namespace {

// The CSV input of the batch comparison: a file, or standard input for "-".
// Nothing when the file cannot be opened.
std::unique_ptr<std::istream> openCsvInput(const std::string& name) {
    if (name == "-")
        return std::make_unique<std::istream>(std::cin.rdbuf());
    std::error_code ec;
    auto in = std::make_unique<std::ifstream>();
    if (!std::filesystem::is_directory(name, ec))
        in->open(name, std::ios::binary);
    if (!in->is_open())
        return nullptr;
    return in;
}

int compare(const IniStore& tariff, const Invocation& inv) {
    const auto input = openCsvInput(inv.csv);
    if (!input) {
        std::cerr << "hakomaru-quote: ファイル " << inv.csv << " は開けません\n";
        return 2;
    }
    const int status = runCsvComparison(tariff, *input, std::cout, {inv.bom, inv.remittance});
    if (status != 0 && std::cout)
        std::cerr << "hakomaru-quote: 計算できない行があります（エラー列をご覧ください）\n";
    return status;
}

// Reads the tariff once and runs the chosen mode; returns the exit status.
int quote(const Invocation& inv, const char* argv0) {
    // A tariff named on the command line must exist; the default one beside
    // the program reads as empty when it is missing, as in the windows.
    std::error_code ec;
    const auto path = inv.tariff ? *inv.tariff : tariffPathIn(programDirectory(argv0));
    if (inv.mode == Mode::Check) {
        // The default tariff is named as the file it leads to: the Debian
        // package's Charge.ini beside the program is a link to
        // /etc/hakomaru/Charge.ini, the file a user edits.
        std::filesystem::path named = path;
        if (!inv.tariff)
            if (auto resolved = std::filesystem::weakly_canonical(path, ec); !ec)
                named = resolved;
        return runTariffCheck(named, std::cout, std::cerr);
    }
    if (!std::filesystem::is_regular_file(path, ec)) {
        std::cerr << "hakomaru-quote: ファイル " << path.string() << " は開けません\n";
        if (inv.tariff)
            return 2;
    }
    const IniStore tariff = readTariff(path);

    switch (inv.mode) {
    case Mode::Jsonl:
        return runJsonlBatch(tariff, std::cin, std::cout);
    case Mode::Parcel:
        return printParcelComparison(tariff, inv.youpack, inv.cat, std::cout, std::cerr);
    case Mode::Letter:
        return printLetterMail(tariff, inv.letter, std::cout, std::cerr);
    case Mode::Book:
        return printBookParcel(tariff, inv.book, std::cout, std::cerr);
    case Mode::Compare:
        return compare(tariff, inv);
    case Mode::Check:
    case Mode::Rows:
    case Mode::Help:
        break;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    Invocation inv;
    try {
        inv = parseCommandLine(args);
    } catch (const UsageError& error) {
        std::cerr << "hakomaru-quote: " << error.what() << "\n"
                  << "使い方は hakomaru-quote --help をご覧ください\n";
        return 2;
    }
    int status = 0;
    if (inv.mode == Mode::Help)
        std::cout << helpText();
    else if (inv.mode == Mode::Rows)
        printSelectionRows(std::cout);
    else
        status = quote(inv, argv[0]);
    // A full disk or a closed pipe: the output is incomplete.
    if (!std::cout.flush()) {
        std::cerr << "hakomaru-quote: 標準出力に書き込めません\n";
        return 1;
    }
    return status;
}
