#include "TariffCheckCommand.h"

#include "system/FileRead.h"
#include "tools/TariffCheck.h"

#include <ostream>

namespace hakomaru::cli {

int runTariffCheck(const std::filesystem::path& path, std::ostream& out, std::ostream& err) {
    const FileBytes file = readRegularFile(path, kIniFileLimit);
    if (!file.ok()) {
        err << "hakomaru-quote: " << fileOpenMessage(utf8Of(path), file.reason) << "\n";
        return 2;
    }
    const auto problems = checkTariff(file.bytes);
    for (const TariffProblem& problem : problems)
        out << problemLine(utf8Of(path), problem) << '\n';
    if (problems.empty())
        out << utf8Of(path) << ": 問題はありません\n";
    else
        out << utf8Of(path) << ": 問題が " << problems.size() << " 件あります\n";
    return problems.empty() ? 0 : 1;
}

} // namespace hakomaru::cli
