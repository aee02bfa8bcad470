#pragma once
// hakomaru-quote set: changes one field of a tariff file from a script,
// through the same edit core and with the same byte guarantee as the
// tariff editor window.
#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace hakomaru::cli {

// Sets the field named by `field` (section, key and, for a table row, the
// column) to `value` and saves the file atomically. Prints what changed to
// `out`, as `diff` prints it: "FILE: オプション ゆうパック 速達 2kg以下: 300 → 310". Returns 0 when saved (or nothing changed), 1 when the value does
// not fit, no single field matches, the file is not Shift-JIS or cannot be
// saved, 2 when it cannot be read; the reason goes to `err`.
int runTariffSet(const std::filesystem::path& path, const std::vector<std::string>& field,
                 const std::string& value, std::ostream& out, std::ostream& err);

} // namespace hakomaru::cli
