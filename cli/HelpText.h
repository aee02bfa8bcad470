#pragma once
// The usage of hakomaru-quote, in Japanese with English glosses: the whole
// of it (--help) and each command's own (COMMAND --help). The examples it
// shows are kept as data, so that a test runs every one of them.
#include "CommandLine.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hakomaru::cli {

// Stand-ins among an example's arguments for the tariff in use and for a
// newly downloaded one, shown as this system's paths.
inline constexpr std::string_view kInstalledTariff = "{installed}";
inline constexpr std::string_view kDownloadedTariff = "{downloaded}";

// One example command. Run in a folder that holds a copy of the tariff,
// Charge.ini, and the example CSV, parcels.csv (kExampleParcels), with the
// tariff beside the program, it succeeds.
struct HelpExample {
    std::vector<std::string_view> args; // after the program's name
    std::string_view input{};           // one line on standard input; empty: none
    std::string_view output{};          // the file standard output goes to; empty: none
    std::string_view shows{};           // a line of the output, with the shipped tariff
};

struct CommandExamples {
    Mode mode;
    std::span<const HelpExample> examples;
};
// Every example the help shows, command by command.
std::vector<CommandExamples> helpExamples();

// The example as this system's shell takes it.
std::string exampleCommand(const HelpExample& example);

// --help: every command.
const std::string& helpText();
// COMMAND --help: that command's usage, options and examples.
std::string commandHelpText(Mode command);

} // namespace hakomaru::cli
