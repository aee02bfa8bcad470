// hakomaru-quote: quotes parcels and postal items from the command line.
#include "CommandLine.h"
#include "CsvCompare.h"
#include "HelpText.h"
#include "JsonlBatch.h"
#include "ProgramVersion.h"
#include "Selections.h"
#include "TariffCheckCommand.h"
#include "TariffDiffCommand.h"
#include "TariffSet.h"
#include "TerminalMode.h"
#include "UsageError.h"
#include "system/FileRead.h"
#include "system/ProcessIo.h"
#include "system/ProgramFile.h"
#include "tariff/Tariff.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

using namespace hakomaru;
using namespace hakomaru::cli;

namespace {

// The CSV input of the batch comparison: a file, or standard input for "-".
// A regular file only: a FIFO or a device would block or never end (standard
// input is "-"). Nothing when the file cannot be opened, with the message
// written.
struct CsvFileStream : std::istream {
    explicit CsvFileStream(ReadableFile file) : std::istream(nullptr), buffer(std::move(file)) {
        rdbuf(&buffer);
    }
    ReadableFileBuf buffer;
};

std::unique_ptr<std::istream> openCsvInput(const std::string& name) {
    if (name == "-")
        return std::make_unique<std::istream>(std::cin.rdbuf());
    auto in = std::make_unique<CsvFileStream>(ReadableFile(pathFromUtf8(name)));
    if (!in->buffer.file().ok()) {
        std::cerr << "hakomaru-quote: " << fileOpenMessage(name, in->buffer.file().reason())
                  << "\n";
        return nullptr;
    }
    return in;
}

int compare(const IniStore& tariff, const Invocation& inv) {
    const auto input = openCsvInput(inv.csv);
    if (!input)
        return 2;
    // A script reading the answers through a pipe gets each one as soon as
    // its line has been read; a file gets buffered writes.
    struct stat output {};
    const bool flush = flushEachRowTo(::fstat(STDOUT_FILENO, &output) == 0
                                          ? std::optional<unsigned>(output.st_mode)
                                          : std::nullopt);
    const int status =
        runCsvComparison(tariff, *input, std::cout, {inv.bom, inv.remittance, flush});
    // A read error midway ends the input early: the output is incomplete.
    if (const auto* file = dynamic_cast<const CsvFileStream*>(input.get());
        file && file->buffer.failed()) {
        std::cerr << "hakomaru-quote: " << fileOpenMessage(inv.csv, file->buffer.file().reason())
                  << "\n";
        return 2;
    }
    if (status != 0 && std::cout)
        std::cerr << "hakomaru-quote: 計算できない行があります（エラー列をご覧ください）\n";
    return status;
}

// Reads the tariff once and runs the chosen mode; returns the exit status.
int quote(const Invocation& inv, const char* argv0) {
    // A tariff named on the command line must exist; the default one beside
    // the program reads as empty when it is missing, as in the windows.
    const auto path =
        inv.tariff ? *inv.tariff : tariffPathIn(sys::programFile(argv0).parent_path());
    if (inv.mode == Mode::Check || inv.mode == Mode::Set) {
        // The default tariff is named as the file it leads to: the Debian
        // package's Charge.ini beside the program is a link to
        // /etc/hakomaru/Charge.ini, the file a user edits.
        std::filesystem::path named = path;
        std::error_code ec;
        if (!inv.tariff)
            if (auto resolved = std::filesystem::weakly_canonical(path, ec); !ec)
                named = resolved;
        if (inv.mode == Mode::Set)
            return runTariffSet(named, inv.field, inv.value, std::cout, std::cerr);
        return runTariffCheck(named, std::cout, std::cerr);
    }
    const IniStore tariff = readTariff(path);
    if (!tariff.readFailure().empty()) {
        std::cerr << "hakomaru-quote: " << fileOpenMessage(utf8Of(path), tariff.readFailure())
                  << "\n";
        if (inv.tariff)
            return 2;
    }

    switch (inv.mode) {
    case Mode::Jsonl:
        return runJsonlBatch(tariff, std::cin, std::cout);
    case Mode::Parcel:
        return printParcelComparison(tariff, inv.parcel, std::cout, std::cerr);
    case Mode::Letter:
        return printLetterMail(tariff, inv.letter, std::cout, std::cerr);
    case Mode::Book:
        return printBookParcel(tariff, inv.book, std::cout, std::cerr);
    case Mode::Compare:
        return compare(tariff, inv);
    case Mode::Check:
    case Mode::Set:
    case Mode::Diff:
    case Mode::Rows:
    case Mode::Help:
    case Mode::Version:
        break;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    sys::useByteStandardStreams();
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> arguments = sys::commandLineArguments(argc, argv);
    const std::vector<std::string_view> args(arguments.begin(), arguments.end());
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
        std::cout << (inv.helpTopic ? commandHelpText(*inv.helpTopic) : helpText());
    else if (inv.mode == Mode::Version)
        std::cout << "hakomaru-quote " << kProgramVersion << "\n";
    else if (inv.mode == Mode::Rows)
        printSelectionRows(std::cout);
    else if (inv.mode == Mode::Diff)
        status = runTariffDiff(inv.files[0], inv.files[1], std::cout, std::cerr);
    else
        status = quote(inv, argv[0]);
    // A full disk or a closed pipe: the output is incomplete.
    if (!std::cout.flush()) {
        std::cerr << "hakomaru-quote: 標準出力に書き込めません\n";
        return 1;
    }
    return status;
}
