#include "TariffDiffCommand.h"

#include "system/FileRead.h"
#include "tools/TariffDiff.h"

#include <optional>
#include <ostream>

namespace hakomaru::cli {
namespace {

std::optional<TariffDocument> readTariff(const std::filesystem::path& path, std::ostream& err) {
    const FileBytes file = readRegularFile(path, kIniFileLimit);
    if (!file.ok()) {
        err << "hakomaru-quote: " << fileOpenMessage(utf8Of(path), file.reason) << "\n";
        return std::nullopt;
    }
    TariffDocument document(file.bytes);
    // Names in another encoding match nothing: every field would differ.
    if (!document.readOnlyReason().empty()) {
        err << "hakomaru-quote: " << utf8Of(path)
            << ": Shift-JIS (コードページ 932) でないため比べられません\n";
        return std::nullopt;
    }
    return document;
}

} // namespace

int runTariffDiff(const std::filesystem::path& before, const std::filesystem::path& after,
                  std::ostream& out, std::ostream& err) {
    const auto older = readTariff(before, err);
    const auto newer = readTariff(after, err);
    if (!older || !newer)
        return 2;
    const auto differences = diffTariffs(*older, *newer);
    for (const TariffChange& change : differences)
        out << differenceLine(change) << '\n';
    // The summary goes with the messages, so that a script reading the
    // fields gets nothing else.
    const std::string files = utf8Of(before) + " → " + utf8Of(after);
    if (differences.empty())
        err << files << ": 違いはありません\n";
    else
        err << files << ": " << differences.size() << " か所が違います\n";
    return differences.empty() ? 0 : 1;
}

} // namespace hakomaru::cli
