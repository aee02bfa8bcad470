#include "TariffSet.h"

#include "FileRead.h"
#include "IniStore.h"
#include "TariffEdit.h"

#include <ostream>

namespace hakomaru::cli {

int runTariffSet(const std::filesystem::path& path, const std::vector<std::string>& field,
                 const std::string& value, std::ostream& out, std::ostream& err) {
    const FileBytes file = readRegularFile(path, kIniFileLimit);
    if (!file.ok()) {
        err << "hakomaru-quote: " << fileOpenMessage(path.string(), file.shownReason()) << "\n";
        return 2;
    }
    const std::string name = path.string();
    TariffDocument document(file.bytes);
    if (!document.readOnlyReason().empty()) {
        err << "hakomaru-quote: " << name << ": " << document.readOnlyReason() << "\n";
        return 1;
    }
    const auto found =
        document.find(field[0], field[1],
                      field.size() > 2 ? std::optional<std::string_view>(field[2]) : std::nullopt);
    if (const auto* reason = std::get_if<std::string>(&found)) {
        err << "hakomaru-quote: " << name << ": " << *reason << "\n";
        return 1;
    }
    const TariffDocument original = document;
    if (const auto refused = document.set(std::get<TariffAddress>(found), value)) {
        err << "hakomaru-quote: " << name << ": " << *refused << "\n";
        return 1;
    }
    const auto changes = document.changesFrom(original);
    if (changes.empty()) {
        out << name << ": 変更はありません\n";
        return 0;
    }
    try {
        saveFileBytes(path, document.bytes());
    } catch (const SaveError& error) {
        err << "hakomaru-quote: " << error.what() << "\n";
        return 1;
    }
    // Named as the command line named it: the file's section and key.
    const TariffChange& c = changes.front();
    out << name << ": [" << field[0] << "] " << field[1] << (field.size() > 2 ? " " + field[2] : "")
        << ": " << c.before << " → " << c.after << "\n";
    return 0;
}

} // namespace hakomaru::cli
