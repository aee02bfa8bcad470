#pragma once
// The tariff checker: reads a tariff file the way the windows do and lists
// every problem its maintainer must know, each with its section, key and
// line number, in Japanese.
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hakomaru {

enum class TariffProblemKind {
    NotShiftJis,        // the file is UTF-8, or holds bytes that are not code page 932
    LineOutsideSection, // text before the first section header: never read
    LineWithoutEquals,  // a line in a section without "=": never found as a key
    DuplicateSection,   // a later header hides the earlier section
    DuplicateKey,       // a later entry hides the earlier one
    UnknownSection,
    UnknownKey,
    MissingEntry,     // a table row the quotes need: zone row, fee row, region pair
    ShortZoneRow,     // fewer than 55 zone characters
    BadZoneCharacter, // a zone character that is not one single-byte character
    MissingZoneFee,   // a zone character without its fee row under "ゆうパック"
    ShortFeeRow,      // a fee row that ends before its last field
    BadField,         // a fixed-width field that would fail conversion
    NotWholeNumber,   // a single-valued entry that silently falls back to its default
    NegativeFee,      // a fee field or option fee below zero (or below the shop discount)
    ImplausibleFee,   // an option fee larger than any real fee: a typing error
    QuoteFails,       // the real calculator fails on a row the other checks passed
};

struct TariffProblem {
    TariffProblemKind kind;
    size_t line = 0;     // where it lies or where it is missing from; 0 when nowhere
    std::string section; // UTF-8
    std::string key;     // UTF-8; empty for a problem of a whole section or line
    std::string message; // UTF-8, Japanese
    size_t position = 0; // the field's first byte in the value, from 1; 0: the whole entry
    // Where else the problem lies, as (line, position): every zone character
    // that uses a zone without a fee row.
    std::vector<std::pair<size_t, size_t>> places = {};
};

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

// One problem as a line: "FILE:LINE: [section] key: message".
std::string problemLine(const std::string& fileName, const TariffProblem& problem);

} // namespace hakomaru
