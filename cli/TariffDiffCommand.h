#pragma once
// hakomaru-quote diff: every field in which two tariff files differ, one per
// line, as the core's comparison finds them; for checking a new tariff
// against the one in use before installing it.
#include <filesystem>
#include <iosfwd>

namespace hakomaru::cli {

// Compares `before` with `after`, prints each difference to `out` and a
// summary to `err`. Returns 0 when no field differs, 1 when some do, 2 when a file
// cannot be read or is not Shift-JIS (the reason goes to `err`).
int runTariffDiff(const std::filesystem::path& before, const std::filesystem::path& after,
                  std::ostream& out, std::ostream& err);

} // namespace hakomaru::cli
