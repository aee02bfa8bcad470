#pragma once
// The command line of hakomaru-quote, read into the choices that the
// windows' selection models then apply (selection/Choices.h): the rows, the amount and
// the options in the order given. Option syntax: "--name value" or
// "--name=value".
#include "selection/Choices.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hakomaru::cli {

enum class Mode {
    Help,    // --help: print the usage
    Version, // --version: print the program's version
    Jsonl,   // --jsonl: answer JSON Lines requests from standard input
    Parcel,  // compare ゆうパック and クロネコ for one parcel
    Letter,  // "letter": one item of letter mail
    Book,    // "book": one book parcel
    Check,   // "check": list the problems of a tariff file
    Compare, // "compare": both carriers for every parcel of a CSV file
    Rows,    // "rows": print the selection lists with their row numbers
    Set,     // "set": change one field of a tariff file
    Diff,    // "diff": the fields in which two tariff files differ
};

struct Invocation {
    Mode mode = Mode::Help;
    std::optional<Mode> helpTopic;               // Mode::Help: one command's help; none: all
    std::optional<std::filesystem::path> tariff; // --tariff FILE
    ParcelChoices parcel;                        // Mode::Parcel
    LetterChoices letter;                        // Mode::Letter
    BookChoices book;                            // Mode::Book
    std::string csv;                             // Mode::Compare: --csv FILE, "-" standard input
    bool bom = true;                             // Mode::Compare: false after --no-bom
    int remittance = 8;                          // Mode::Compare: --sokin N
    std::vector<std::string> field;              // Mode::Set: SECTION KEY [COLUMN]
    std::string value;                           // Mode::Set: VALUE
    std::vector<std::filesystem::path> files;    // Mode::Diff: OLD NEW
};

// Whether the command reads the tariff, and so takes --tariff FILE.
bool readsTariff(Mode mode);

// Reads the arguments after the program name. Throws UsageError for an
// unknown option, a missing value, an unknown name or an out-of-range value.
Invocation parseCommandLine(std::span<const std::string_view> args);

} // namespace hakomaru::cli
