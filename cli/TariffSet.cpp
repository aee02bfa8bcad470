#include "TariffSet.h"

#include "system/FileRead.h"
#include "system/FileSave.h"
#include "tools/TariffDiff.h"

#include <ostream>

namespace hakomaru::cli {

int runTariffSet(const std::filesystem::path& path, const std::vector<std::string>& field,
                 const std::string& value, std::ostream& out, std::ostream& err) {
    const std::string name = utf8Of(path);
    // Decided under the writers' lock, on the file as it is then: another
    // writer's change saved just before is kept.
    int status = 0;
    std::string failure;
    std::vector<TariffChange> changes;
    auto edit = [&](const FileBytes& file) -> std::optional<std::string> {
        // Called again when another program changed the file meanwhile.
        status = 0;
        changes.clear();
        if (!file.ok()) {
            status = 2;
            failure = fileOpenMessage(name, file.reason);
            return std::nullopt;
        }
        TariffDocument document(file.bytes);
        if (!document.readOnlyReason().empty()) {
            status = 1;
            failure = name + ": " + document.readOnlyReason();
            return std::nullopt;
        }
        const auto found = document.find(
            field[0], field[1],
            field.size() > 2 ? std::optional<std::string_view>(field[2]) : std::nullopt);
        if (const auto* reason = std::get_if<std::string>(&found)) {
            status = 1;
            failure = name + ": " + *reason;
            return std::nullopt;
        }
        const TariffDocument original = document; // not parsed twice
        if (const auto refused = document.set(std::get<TariffAddress>(found), value)) {
            status = 1;
            failure = name + ": " + *refused;
            return std::nullopt;
        }
        changes = diffTariffs(original, document);
        if (changes.empty())
            return std::nullopt;
        return document.bytes();
    };
    try {
        editFile(path, edit);
    } catch (const SaveError& error) {
        err << "hakomaru-quote: " << error.what() << "\n";
        return 1;
    }
    if (status != 0) {
        err << "hakomaru-quote: " << failure << "\n";
        return status;
    }
    if (changes.empty()) {
        out << name << ": 変更はありません\n";
        return 0;
    }
    // Named as the editor, its lists and `diff` name the field.
    for (const TariffChange& change : changes)
        out << name << ": " << differenceLine(change) << "\n";
    return 0;
}

} // namespace hakomaru::cli
