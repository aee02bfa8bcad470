#include "tools/TariffCheck.h"

#include "tools/TariffCheckRules.h"
#include "tools/TariffQuoteProofs.h"
#include "tools/TariffRecheck.h"

#include "text/Sjis.h"

#include <stdexcept>

namespace hakomaru {
namespace detail {

// The format rules and the quote proofs kept by the re-check engine.
class Checker {
  public:
    explicit Checker(std::string bytes) : engine_(std::move(bytes)), rules_(engine_) {}

    // Checks the whole file. The checks are kept as units, each with the
    // problems it found and the lines it read, so that an edit runs again
    // only the units that read the edited line.
    void run() {
        readable_ = rules_.addChecks();
        if (readable_)
            addQuoteProofs(engine_);
    }

    const std::vector<TariffProblem>& problems() { return engine_.problems(); }

    // False, changing nothing, where the whole file must be checked anew.
    bool replace(size_t offset, size_t length, std::string_view inserted) {
        return readable_ && !rules_.reportsBadBytes() && engine_.replace(offset, length, inserted);
    }

    const IniStore& store() const { return engine_.store(); }
    std::vector<TariffProblem> take() { return engine_.take(); }

  private:
    RecheckEngine engine_;
    TariffFormatRules rules_;
    bool readable_ = true;
};

} // namespace detail

using detail::Checker;

std::vector<TariffProblem> checkTariff(const std::string& bytes) {
    Checker checker(bytes);
    checker.run();
    checker.problems();
    return checker.take();
}

TariffChecker::TariffChecker(std::string bytes)
    : checker_(std::make_unique<Checker>(std::move(bytes))) {
    checker_->run();
}

TariffChecker::~TariffChecker() = default;
TariffChecker::TariffChecker(TariffChecker&&) noexcept = default;
TariffChecker& TariffChecker::operator=(TariffChecker&&) noexcept = default;

void TariffChecker::replace(size_t offset, size_t length, std::string_view inserted) {
    if (!checker_->replace(offset, length, inserted)) {
        std::string bytes(checker_->store().bytes());
        bytes.replace(offset, length, inserted);
        checker_ = std::make_unique<Checker>(std::move(bytes));
        checker_->run();
    }
}

const std::vector<TariffProblem>& TariffChecker::problems() const {
    return checker_->problems();
}

const IniStore& TariffChecker::store() const {
    return checker_->store();
}

std::optional<TariffFieldName> problemPlace(const TariffProblem& problem) {
    if (problem.section.empty())
        return std::nullopt;
    // The names as the problem shows them, back in the file's code page:
    // the tables' names are whole characters, shown as they are.
    try {
        return tariffFieldName(toSjis(problem.section), toSjis(problem.key), problem.position);
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    }
}

std::string problemLine(const std::string& fileName, const TariffProblem& problem) {
    std::string line = fileName;
    if (problem.line > 0)
        line += ":" + std::to_string(problem.line);
    line += ":";
    if (!problem.section.empty())
        line += " [" + problem.section + "]";
    if (!problem.key.empty())
        line += " " + problem.key;
    if (!problem.section.empty() || !problem.key.empty())
        line += ":";
    return line + " " + problem.message;
}

} // namespace hakomaru
