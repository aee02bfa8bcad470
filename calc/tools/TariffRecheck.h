#pragma once
// The tariff checker's re-check engine. It holds the file's lines and
// sections, and the checks as units, each with the problems it found and
// the lines it read, and the quotes proven on the rows the checks passed,
// each with the lines its quotes read; after an edit within an entry's
// value it runs again only the units and proofs that read the edited line.
// What is checked is not its business: the format rules
// (tools/TariffCheckRules.h) add the units, the quote proofs
// (tools/TariffQuoteProofs.h) the proofs.
#include "ini/IniStore.h"
#include "tools/TariffProblem.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace hakomaru::detail {

// The code page 932 bytes of a name written in the code.
const std::string& sj(std::string_view utf8);
std::string num(std::size_t n);

// A line, name or value as a message quotes it: whole when short, else its
// first bytes cut between two characters and marked "…", so that a damaged
// file's line of millions of bytes gives a message of one line.
std::string excerpt(std::string_view sjis);

// Which quote a check belongs to: the calculators are proven on a quote's
// rows only when every check of that quote passed.
enum class Group { None, Youpack, Cat, Letter, Book };
inline constexpr std::size_t kGroups = 5;

// A section as the store finds it: the last header of that name, up to the
// next header.
struct SectionSpan {
    std::string_view name;
    std::size_t header; // index into the lines
    std::size_t end;    // one past its last line
};

class RecheckEngine {
  public:
    explicit RecheckEngine(std::string bytes);
    RecheckEngine(const RecheckEngine&) = delete;
    RecheckEngine& operator=(const RecheckEngine&) = delete;

    // ---- For the checks ----

    // Adds a check and runs it; true when it found no problem.
    bool unit(Group group, std::function<void()> check);
    // Adds a proof: the calculator run on some rows of one quote, stopping
    // at the first failure (proves()). It runs when the problems are asked
    // for, if every check of its quote passed.
    void addProof(Group group, std::function<void()> quotes);
    // The quote `quote` run for the running proof: false, noting the
    // failure, when it throws.
    template <typename Quote>
    bool proves(std::string_view section, const std::string& what, Quote quote);

    // A problem the running unit found.
    void add(TariffProblemKind kind, std::size_t line, std::string_view section,
             std::string_view key, std::string message, std::size_t position = 0);
    TariffProblem& lastProblem() { return found_.back(); }
    // The problems the unit (by the order it was added in) found.
    std::size_t problemsOfUnit(std::size_t u) const { return units_[u].found; }

    // The running unit reads the line at `index`.
    void depend(std::size_t index) const;
    // The line of the entry the quotes read: the one the store finds.
    std::optional<std::size_t> readEntry(std::string_view section, std::string_view key) const;

    // Every line but blank and comment lines, in order.
    const std::vector<IniLine>& lines() const { return lines_; }
    std::size_t lineNumber(std::size_t index) const { return lines_[index].number; }
    const SectionSpan* findSpan(std::string_view name) const;
    // The span a line lies in; null before the first header.
    const SectionSpan* spanAt(std::size_t index) const;
    const SectionSpan& spanOfLine(std::size_t index) const;
    std::string_view sectionOfLine(std::size_t index) const;
    // For each key of a span's entries, its last entry line: the one the
    // store would find were the section not hidden by a later one.
    IniNameIndex lastEntries(const SectionSpan& span) const;
    // The entries of a section that the store finds: for a key written
    // twice, only the later line; none of a section a later one hides.
    std::vector<std::size_t> effectiveEntries(const SectionSpan& span) const;

    const IniStore& store() const { return store_; }
    std::string_view bytes() const { return bytes_; }

    // ---- For the checker ----

    // Every problem: the units' in their order, then the first failure of
    // each quote whose checks all passed.
    const std::vector<TariffProblem>& problems();
    // Replaces `length` bytes at `offset` with `inserted` and checks again
    // what reads the line they lie on. False, changing nothing, where the
    // edit is not one within an entry's value that keepsOtherLines() allows:
    // the whole file must then be checked anew.
    bool replace(std::size_t offset, std::size_t length, std::string_view inserted);
    // The problems, for a checker that is not asked again.
    std::vector<TariffProblem> take() { return std::move(found_); }

  private:
    struct Unit {
        Group group;
        std::function<void()> check;
        std::size_t found = 0; // its problems, in its stretch of found_
    };

    struct Proof {
        Group group;
        std::function<void()> quotes;
        bool done = false;
        std::optional<TariffProblem> failure = {};
    };

    void rerun(std::size_t u);
    std::optional<std::size_t> lineHolding(const char* at) const;
    void prove(std::size_t p);

    IniStore store_;
    std::string_view bytes_;     // the store's bytes
    std::vector<IniLine> lines_; // every line but blank and comment lines, in order
    std::vector<SectionSpan> spans_;
    IniNameIndex spanIndex_; // name -> the last span of that name, the one the store reads
    std::pair<std::string, std::string> shownSection_; // the last section name, converted
    std::vector<Unit> units_;
    // The units' problems in order, then the proofs'. The problems of a
    // damaged file may be millions: they are kept in one list, each unit's
    // in its stretch of it, and the proofs' failures at its end.
    std::vector<TariffProblem> found_;
    std::size_t proofFailures_ = 0; // at the end of found_
    bool proofsShown_ = false;      // the proofs' failures are in found_
    std::vector<Proof> proofs_;
    std::size_t current_ = 0; // the running unit
    std::size_t proving_ = 0; // the running proof
    // By line index: the units and the proofs that read the line (the few
    // lines of the tables, of a file that may hold millions).
    mutable std::unordered_map<std::size_t, std::vector<std::size_t>> unitsOfLine_;
    std::unordered_map<std::size_t, std::vector<std::size_t>> proofsOfLine_;
};

template <typename Quote>
bool RecheckEngine::proves(std::string_view section, const std::string& what, Quote quote) {
    try {
        quote();
        return true;
    } catch (const std::exception& error) {
        proofs_[proving_].failure = TariffProblem{TariffProblemKind::QuoteFails,
                                                  0,
                                                  excerpt(sj(section)),
                                                  {},
                                                  what + " の計算に失敗します: " + error.what()};
        return false;
    }
}

} // namespace hakomaru::detail
