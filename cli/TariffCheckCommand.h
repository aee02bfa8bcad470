#pragma once
// hakomaru-quote check: lists every problem of a tariff file, one per line,
// as the tariff checker of the core finds them.
#include <filesystem>
#include <iosfwd>

namespace hakomaru::cli {

// Checks the file and prints the problems and a summary to `out`. Returns 0
// when the file is clean, 1 when it has problems, 2 when it cannot be read
// (the reason goes to `err`).
int runTariffCheck(const std::filesystem::path& path, std::ostream& out, std::ostream& err);

} // namespace hakomaru::cli
