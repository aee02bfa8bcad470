#pragma once
// The tariff checker: reads a tariff file the way the windows do and lists
// every problem its maintainer must know, each with its section, key and
// line number, in Japanese.
#include "tools/TariffFieldName.h"
#include "tools/TariffProblem.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hakomaru {

// Every problem of a tariff file's bytes, in the order of the file's layout.
std::vector<TariffProblem> checkTariff(const std::string& bytes);

class IniStore;
namespace detail {
class Checker;
}

// The checker kept beside a file being edited. It checks the whole file
// once; after an edit within an entry's value it runs again only the checks
// that read the edited line (the line's own, and the checks across tables
// it takes part in: the zone fee rows the zone table uses, the quotes
// proven on rows that read it), so that typing a fee costs what that fee
// can change. Any other edit checks the whole file again. problems() is
// always what checkTariff() gives on the same bytes.
class TariffChecker {
  public:
    explicit TariffChecker(std::string bytes);
    ~TariffChecker();
    TariffChecker(TariffChecker&&) noexcept;
    TariffChecker& operator=(TariffChecker&&) noexcept;

    // Replaces `length` bytes at `offset` with `inserted`. The quotes are
    // proven again when problems() is next asked for, so that the edits of
    // a block share the quotes they prove again.
    void replace(size_t offset, size_t length, std::string_view inserted);

    const std::vector<TariffProblem>& problems() const;
    // The file as it is now, for quotes of it.
    const IniStore& store() const;

  private:
    std::unique_ptr<detail::Checker> checker_;
};

// The field, row or table of the tables a problem lies in, in the user's
// words ("ゆうパック 第3地帯 4kg以下"), beside its line; nothing for a problem
// outside them (a line, a section or key the program does not read, the
// file's encoding). Worked out when asked: a damaged file's problems may be
// millions.
std::optional<TariffFieldName> problemPlace(const TariffProblem& problem);

// One problem as a line: "FILE:LINE: [section] key: message".
std::string problemLine(const std::string& fileName, const TariffProblem& problem);

} // namespace hakomaru
