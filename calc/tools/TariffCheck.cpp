#include "tools/TariffCheck.h"
#include "tariff/TariffLayout.h"
#include "tariff/TariffOptions.h"

#include "ini/EncodedName.h"
#include "ini/IniStore.h"
#include "quote/QuoteCat.h"
#include "quote/QuotePostal.h"
#include "quote/QuoteYoupack.h"
#include "system/FileRead.h"
#include "tariff/Catalogues.h"
#include "tariff/FixedWidthField.h"
#include "text/ConversionError.h"
#include "text/NumberText.h"
#include "text/Sjis.h"
#include "text/Trim.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <system_error>
#include <unordered_map>

namespace hakomaru {
namespace {

using Kind = TariffProblemKind;
using LineKind = IniLine::Kind;

const std::string& sj(std::string_view utf8) {
    return sjisName(utf8);
}

std::string num(size_t n) {
    return std::to_string(n);
}

// A line, name or value as a message quotes it: whole when short, else its
// first bytes cut between two characters and marked "…", so that a damaged
// file's line of millions of bytes gives a message of one line; fewer of
// them where they show as escapes ("<FC>"), four characters a byte.
std::string excerpt(std::string_view sjis) {
    constexpr size_t kShown = 64;
    if (sjis.size() <= kShown)
        return shownFromSjis(sjis);
    for (size_t limit = kShown;; limit /= 2) {
        size_t cut = 0;
        for (;;) {
            const size_t step = isSjisLeadByte(static_cast<unsigned char>(sjis[cut])) ? 2 : 1;
            if (cut + step > limit)
                break;
            cut += step;
        }
        std::string shown = shownFromSjis(sjis.substr(0, cut));
        if (shown.size() <= 3 * kShown || limit < 8)
            return shown + "…";
    }
}

using tariff::kCatRegions;
using tariff::kZoneCharacters;
using tariff::kZoneSection;
constexpr std::string_view kYoupackSection = tariff::kYoupackFees.section;
constexpr std::string_view kLetterSection = tariff::kLetterFees.section;
constexpr std::string_view kBookSection = tariff::kBookFees.section;

// A section as the store finds it: the last header of that name, up to the
// next header.
struct SectionSpan {
    std::string_view name;
    size_t header; // index into the lines
    size_t end;    // one past its last line
};

} // namespace

namespace detail {

// Which quote a check belongs to: the calculators are proven on a quote's
// rows only when every check of that quote passed.
enum class Group { None, Youpack, Cat, Letter, Book };
constexpr size_t kGroups = 5;

class Checker {
  public:
    explicit Checker(std::string bytes) : store_(std::move(bytes)), bytes_(store_.bytes()) {
        // Blank and comment lines have nothing to check and are not kept: a
        // damaged file may hold millions of them.
        forEachIniLine(bytes_, [this](const IniLine& line) {
            if (line.kind != LineKind::Ignored || (!line.text.empty() && line.text.front() != ';'))
                lines_.push_back(line);
        });
        for (size_t i = 0; i < lines_.size(); ++i) {
            if (lines_[i].kind != LineKind::Section)
                continue;
            if (!spans_.empty())
                spans_.back().end = i;
            spans_.push_back({lines_[i].name, i, lines_.size()});
            spanIndex_.insert_or_assign(lines_[i].name, spans_.size() - 1);
        }
    }

    // Checks the whole file. The checks are kept as units, each with the
    // problems it found and the lines it read, so that an edit runs again
    // only the units that read the edited line.
    void run() {
        unit(Group::None, [this] { readable_ = encoding(); });
        if (!readable_)
            return;
        unit(Group::None, [this] { structure(); });
        zoneTable();
        youpackFees();
        catFees();
        letterFees();
        bookFees();
        options();
        proveQuotes();
    }

    // Every problem: the units' in their order, then the first failure of
    // each quote whose checks all passed. The problems of a damaged file may
    // be millions: they are kept in one list, each unit's in its stretch of
    // it, and the proofs' failures at its end.
    const std::vector<TariffProblem>& problems() {
        if (proofsShown_ || !readable_)
            return found_;
        std::array<bool, kGroups> clean;
        clean.fill(true);
        for (const Unit& u : units_)
            clean[static_cast<size_t>(u.group)] =
                clean[static_cast<size_t>(u.group)] && u.found == 0;
        for (const Group group : {Group::Youpack, Group::Cat, Group::Letter, Group::Book}) {
            if (!clean[static_cast<size_t>(group)])
                continue;
            for (size_t i = 0; i < proofs_.size(); ++i) {
                if (proofs_[i].group != group)
                    continue;
                if (!proofs_[i].done)
                    prove(i);
                if (proofs_[i].failure) {
                    found_.push_back(*proofs_[i].failure);
                    ++proofFailures_;
                    break;
                }
            }
        }
        proofsShown_ = true;
        return found_;
    }

    // Replaces `length` bytes at `offset` with `inserted` and checks again
    // what reads the line they lie on. False, changing nothing, where the
    // edit is not one within an entry's value that keepsOtherLines() allows:
    // the whole file must then be checked anew.
    bool replace(size_t offset, size_t length, std::string_view inserted) {
        // A byte that is not Shift-JIS is reported by its column, which an
        // edit before it on its line would move.
        if (!readable_ || units_.front().found > 0 ||
            !keepsOtherLines(bytes_, offset, length, inserted))
            return false;
        const char* const oldBase = bytes_.data();
        const auto holding = lineHolding(oldBase + offset);
        if (!holding)
            return false;
        const size_t index = *holding;
        const IniLine& edited = lines_[index];
        const size_t lineStart = static_cast<size_t>(edited.text.data() - oldBase);
        if (edited.kind != LineKind::Entry ||
            oldBase + offset < edited.value.data() ||
            bytes_.substr(lineStart, offset - lineStart).find_first_of("\r\n") != bytes_.npos)
            return false;

        std::string bytes(bytes_);
        bytes.replace(offset, length, inserted);
        IniStore store(std::move(bytes));
        const char* const newBase = store.bytes().data();
        const IniLine line = iniLineAt(store.bytes(), lineStart, true);
        if (line.kind != LineKind::Entry || line.name != edited.name)
            return false;
        // Every other line keeps its text: its views move with the bytes.
        const size_t end = offset + length;
        const auto moved = [&](std::string_view view) {
            if (!view.data())
                return view; // a part the line has not: a header's value
            const auto at = static_cast<size_t>(view.data() - oldBase);
            return std::string_view(newBase + (at >= end ? at - length + inserted.size() : at),
                                    view.size());
        };
        for (size_t i = 0; i < lines_.size(); ++i) {
            IniLine& l = lines_[i];
            if (i == index) {
                l.text = line.text, l.name = line.name, l.value = line.value;
                continue;
            }
            l.text = moved(l.text), l.name = moved(l.name), l.value = moved(l.value);
        }
        spanIndex_.clear();
        for (size_t i = 0; i < spans_.size(); ++i) {
            spans_[i].name = moved(spans_[i].name);
            spanIndex_.insert_or_assign(spans_[i].name, i);
        }
        store_ = std::move(store);
        bytes_ = store_.bytes();

        if (const auto units = unitsOfLine_.find(index); units != unitsOfLine_.end())
            for (const size_t u : std::vector<size_t>(units->second))
                rerun(u);
        if (const auto proofs = proofsOfLine_.find(index); proofs != proofsOfLine_.end())
            for (const size_t p : proofs->second)
                proofs_[p].done = false;
        return true;
    }

    const IniStore& store() const { return store_; }

    // The problems, for a checker that is not asked again.
    std::vector<TariffProblem> take() { return std::move(found_); }

  private:
    struct Unit {
        Group group;
        std::function<void()> check;
        size_t found = 0; // its problems, in its stretch of found_
    };

    // A proof: the calculator run on some rows of one quote, stopping at
    // the first failure.
    struct Proof {
        Group group;
        std::function<void()> quotes;
        bool done = false;
        std::optional<TariffProblem> failure = {};
    };

    // Adds a check and runs it; true when it found no problem.
    bool unit(Group group, std::function<void()> check) {
        units_.push_back({group, std::move(check)});
        rerun(units_.size() - 1);
        return units_.back().found == 0;
    }

    // Runs a unit (again): its problems take the place of those it found
    // before; the proofs' failures are found again when next asked for.
    void rerun(size_t u) {
        found_.resize(found_.size() - proofFailures_);
        proofFailures_ = 0;
        proofsShown_ = false;
        current_ = u;
        size_t start = 0;
        for (size_t i = 0; i < u; ++i)
            start += units_[i].found;
        const size_t old = units_[u].found;
        const size_t end = found_.size();
        units_[u].found = 0;
        units_[u].check(); // appends to found_
        // The new problems go before the unit's old ones, which then go.
        const auto first = found_.begin() + static_cast<std::ptrdiff_t>(start);
        std::rotate(first, found_.begin() + static_cast<std::ptrdiff_t>(end), found_.end());
        const auto stale = first + static_cast<std::ptrdiff_t>(units_[u].found);
        found_.erase(stale, stale + static_cast<std::ptrdiff_t>(old));
    }

    // The running unit reads the line at `index`.
    void depend(size_t index) const {
        auto& units = unitsOfLine_[index];
        if (std::find(units.begin(), units.end(), current_) == units.end())
            units.push_back(current_);
    }

    // The kept line whose text holds `at`, a view into the bytes: the last
    // one that starts at or before it.
    std::optional<size_t> lineHolding(const char* at) const {
        const auto after = std::upper_bound(
            lines_.begin(), lines_.end(), at,
            [](const char* a, const IniLine& line) { return a < line.text.data(); });
        if (after == lines_.begin())
            return std::nullopt;
        return static_cast<size_t>(after - lines_.begin()) - 1;
    }

    void addProof(Group group, std::function<void()> quotes) {
        proofs_.push_back({group, std::move(quotes)});
    }

    // Runs a proof, noting which lines its quotes read.
    void prove(size_t p) {
        proving_ = p;
        proofs_[p].failure.reset();
        store_.observeFinds([this](std::string_view value) {
            if (const auto index = lineHolding(value.data())) {
                auto& proofs = proofsOfLine_[*index];
                if (std::find(proofs.begin(), proofs.end(), proving_) == proofs.end())
                    proofs.push_back(proving_);
            }
        });
        proofs_[p].quotes();
        store_.observeFinds({});
        proofs_[p].done = true;
    }

    // The quote `quote` run for the running proof: false, noting the
    // failure, when it throws.
    template <typename Quote> bool proves(std::string_view section, const std::string& what,
                                          Quote quote) {
        try {
            quote();
            return true;
        } catch (const std::exception& error) {
            proofs_[proving_].failure =
                TariffProblem{Kind::QuoteFails, 0, excerpt(sj(section)), {},
                              what + " の計算に失敗します: " + error.what()};
            return false;
        }
    }

    void add(Kind kind, size_t line, std::string_view section, std::string_view key,
             std::string message, size_t position = 0) {
        // Problems come section by section: its name is converted once.
        if (section != shownSection_.first)
            shownSection_ = {std::string(section), excerpt(section)};
        ++units_[current_].found;
        found_.push_back(
            {kind, line, shownSection_.second, excerpt(key), std::move(message), position});
    }

    size_t lineNumber(size_t index) const { return lines_[index].number; }

    const SectionSpan* findSpan(std::string_view name) const {
        const auto it = spanIndex_.find(name);
        return it == spanIndex_.end() ? nullptr : &spans_[it->second];
    }

    // The line of the entry the quotes read: the one the store finds.
    std::optional<size_t> readEntry(std::string_view section, std::string_view key) const {
        const auto value = store_.find(section, key);
        if (!value)
            return std::nullopt;
        const auto index = lineHolding(value->data());
        if (index) // always: the store holds no written lines
            depend(*index);
        return index;
    }

    // For each key of a span's entries, its last entry line: the one the
    // store would find were the section not hidden by a later one.
    IniNameIndex lastEntries(const SectionSpan& span) const {
        IniNameIndex last;
        for (size_t i = span.header + 1; i < span.end; ++i)
            if (lines_[i].kind == LineKind::Entry)
                last.insert_or_assign(lines_[i].name, i);
        return last;
    }

    // The entries of a section that the store finds: for a key written
    // twice, only the later line; none of a section a later one hides.
    std::vector<size_t> effectiveEntries(const SectionSpan& span) const {
        std::vector<size_t> entries;
        for (size_t i = span.header + 1; i < span.end; ++i)
            if (lines_[i].kind == LineKind::Entry && readEntry(span.name, lines_[i].name) == i)
                entries.push_back(i);
        return entries;
    }

    // ---- The file as text ----

    bool encoding() {
        const size_t firstHigh = firstNonAsciiByte(bytes_);
        const bool multibyte = firstHigh != std::string_view::npos;
        if (bytes_.starts_with("\xEF\xBB\xBF") || (multibyte && isWellFormedUtf8(bytes_))) {
            const size_t line = store_.lineNumberOf(bytes_.substr(firstHigh));
            add(Kind::NotShiftJis, line, {}, {},
                "ファイルが UTF-8 "
                "で保存されています。日本語のセクション名とキーがどれも見つかりません。"
                "Shift-JIS (コードページ 932) で保存し直してから、もう一度検査してください");
            return false;
        }
        if (!multibyte)
            return true; // ASCII alone is Shift-JIS
        // Comment lines too: a file saved in another encoding shows there first.
        forEachIniLine(bytes_, [this](const IniLine& l) {
            if (size_t at = firstNonSjisByte(l.text)) {
                std::ostringstream hex;
                hex << std::hex << std::uppercase
                    << static_cast<int>(static_cast<unsigned char>(l.text[at - 1]));
                add(Kind::NotShiftJis, l.number, {}, {},
                    "Shift-JIS として読めないバイト 0x" + hex.str() + " があります（" + num(at) +
                        " 桁目）。Shift-JIS (コードページ 932) で保存してください");
            }
        });
        return true;
    }

    void structure() {
        IniNameIndex lastInSpan;
        for (size_t i = 0; i < lines_.size(); ++i) {
            const IniLine& line = lines_[i];
            const std::string_view section = sectionOfLine(i);
            switch (line.kind) {
            case LineKind::Ignored:
                add(Kind::LineOutsideSection, line.number, {}, {},
                    "最初のセクションより前の行は読まれません: " + excerpt(line.text));
                break;
            case LineKind::Other:
                add(Kind::LineWithoutEquals, line.number, section, {},
                    "「=」のない行は読まれません: " + excerpt(line.text));
                break;
            case LineKind::Section:
                lastInSpan = lastEntries(spanOfLine(i));
                if (const SectionSpan* later = findSpan(line.name); later && later->header != i)
                    add(Kind::DuplicateSection, line.number, line.name, {},
                        "同じ名前のセクションが " + num(lineNumber(later->header)) +
                            " 行目にもあるため、このセクションは読まれません");
                else if (!isKnownSection(line.name))
                    add(Kind::UnknownSection, line.number, line.name, {},
                        "不明なセクションです（読まれません。名前の誤りではありませんか）");
                break;
            case LineKind::Entry:
                entryStructure(i, section, lastInSpan.at(line.name));
                break;
            }
        }
    }

    // `last`: the section's last entry of the same key.
    void entryStructure(size_t i, std::string_view section, size_t last) {
        const IniLine& line = lines_[i];
        if (last != i) {
            add(Kind::DuplicateKey, line.number, section, line.name,
                "同じキーが " + num(lineNumber(last)) + " 行目にもあるため、この行は読まれません");
            return;
        }
        if (isKnownSection(section) && !isKnownKey(section, line.name))
            add(Kind::UnknownKey, line.number, section, line.name,
                "不明なキーです（読まれません。名前の誤りではありませんか）");
    }

    // The span a line lies in; null before the first header.
    const SectionSpan* spanAt(size_t index) const {
        const auto after =
            std::upper_bound(spans_.begin(), spans_.end(), index,
                             [](size_t i, const SectionSpan& span) { return i < span.header; });
        return after == spans_.begin() ? nullptr : &*(after - 1);
    }

    const SectionSpan& spanOfLine(size_t index) const {
        return *spanAt(index); // only lines inside a section are asked for
    }

    std::string_view sectionOfLine(size_t index) const {
        const SectionSpan* span = spanAt(index);
        return span ? span->name : std::string_view();
    }

    static bool isRegion(std::string_view name) {
        for (std::string_view region : kCatRegions)
            if (iniNamesMatch(name, sj(region)))
                return true;
        return false;
    }

    static std::optional<int> remittanceMethodOf(std::string_view name) {
        for (int method = 0; method < kRemittanceMethodCount; ++method)
            if (iniNamesMatch(name, sj(RemittanceMethodName(method))))
                return method;
        return std::nullopt;
    }

    static bool isOptionSection(std::string_view name) {
        for (const TariffOption& e : allTariffOptions())
            if (iniNamesMatch(name, sj(e.section)))
                return true;
        return false;
    }

    static bool isKnownSection(std::string_view name) {
        for (std::string_view table : {kZoneSection, kYoupackSection, kLetterSection, kBookSection})
            if (iniNamesMatch(name, sj(table)))
                return true;
        return isRegion(name) || remittanceMethodOf(name) || isOptionSection(name);
    }

    // "第" + one zone character + "地帯".
    static bool isZoneKey(std::string_view key) {
        const std::string bare = tariff::zoneFeeKey({});
        const std::string& head = sj("第");
        return key.size() == bare.size() + 1 && key.starts_with(head) &&
               key.ends_with(std::string_view(bare).substr(head.size())) &&
               tariff::isZoneCharacter(key[head.size()]);
    }

    static bool isKnownKey(std::string_view section, std::string_view key) {
        auto is = [](std::string_view a, std::string_view utf8) {
            return iniNamesMatch(a, sj(utf8));
        };
        bool known = false;
        if (is(section, kZoneSection)) {
            for (int row = 0; row < kSendingRowCount; ++row) {
                const std::string_view caption = PrefectureRows(false)[static_cast<size_t>(row)];
                known = known || (!IsSeparatorRow(caption) && is(key, caption));
            }
        }
        if (is(section, kYoupackSection))
            known = known || is(key, tariff::kYoupackSameCityKey) || isZoneKey(key);
        if (isRegion(section))
            known = known || isRegion(key) || is(key, tariff::kCatSameCityKey);
        for (const FeeTable* table : tariff::kFeeTables)
            if (!table->section.empty() && is(section, table->section))
                for (std::string_view tableKey : table->keys)
                    known = known || is(key, tableKey);
        if (remittanceMethodOf(section))
            for (int c = 0; c < kRemittanceClassCount; ++c)
                known = known || is(key, "料金" + std::to_string(c));
        for (const TariffOption& e : allTariffOptions())
            known = known || (is(section, e.section) && is(key, e.key));
        return known;
    }

    // ---- The tables ----

    // A whole table section missing: one problem, not one per row.
    const SectionSpan* requireSection(std::string_view section, const std::string& consequence) {
        const SectionSpan* span = findSpan(sj(section));
        if (!span)
            add(Kind::MissingEntry, 0, sj(section), {},
                "セクションがありません（" + consequence + "）");
        return span;
    }

    // `discount` is what the quote deducts from every stored fee.
    void checkFeeRow(size_t index, const FeeTable& table, std::int32_t discount = 0) {
        const IniLine& line = lines_[index];
        const std::string_view section = sectionOfLine(index);
        const std::string_view value = line.value;
        const std::vector<FeeColumn>& columns = feeColumns(table);
        const size_t width = table.width;
        const size_t needed = feeRowLength(table);
        if (value.size() < needed) {
            std::string missing;
            for (const FeeColumn& f : columns)
                if (f.first + width - 1 > value.size())
                    missing += (missing.empty() ? "" : "、") + f.name;
            add(Kind::ShortFeeRow, line.number, section, line.name,
                "値が " + num(value.size()) + " 桁しかありません（" + num(needed) +
                    " 桁必要）。欠けている欄: " + missing);
        }
        for (const FeeColumn& f : columns) {
            if (f.first + width - 1 > value.size())
                continue;
            const std::string_view field = fieldAt(value, f.first, width);
            const std::string where =
                f.name + "の欄（" + num(f.first) + "〜" + num(f.first + width - 1) + " 桁目）: ";
            const auto fee = parseWholeNumber(field);
            if (!fee)
                add(Kind::BadField, line.number, section, line.name,
                    where + ConversionError::notWholeNumber(shownFromSjis(field)).what(), f.first);
            else if (*fee < 0)
                add(Kind::NegativeFee, line.number, section, line.name,
                    where + "料金 " + std::to_string(*fee) + " 円は負の数です", f.first);
            else if (*fee < discount)
                add(Kind::NegativeFee, line.number, section, line.name,
                    where + "料金 " + std::to_string(*fee) + " 円から " + std::to_string(discount) +
                        " 円を引いた店頭持ち込みの料金が負になります",
                    f.first);
        }
    }

    struct ZoneUse {
        std::string key;        // as first written: "第" + character + "地帯"
        std::string prefecture; // UTF-8
        size_t line;
        size_t position;
        std::vector<std::pair<size_t, size_t>> places = {}; // every (line, position) using it
    };

    // The zones one prefecture's row uses: (character, position).
    struct ZoneRow {
        std::optional<size_t> index; // its line
        std::vector<std::pair<char, size_t>> zones;
    };

    void zoneTable() {
        unit(Group::Youpack,
             [this] { requireSection(kZoneSection, "ゆうパックは計算できません"); });
        const SectionSpan* span = findSpan(sj(kZoneSection));
        if (!span)
            return;
        const size_t header = lineNumber(span->header);
        zoneRows_.resize(kSendingRowCount);
        for (int row = 0; row < kSendingRowCount; ++row)
            if (!IsSeparatorRow(PrefectureRows(false)[static_cast<size_t>(row)]))
                unit(Group::Youpack, [this, row, header] { zoneRow(row, header); });
    }

    void zoneRow(int row, size_t header) {
        const auto destinations = PrefectureRows(true);
        const std::string_view caption = PrefectureRows(false)[static_cast<size_t>(row)];
        ZoneRow& uses = zoneRows_[static_cast<size_t>(row)];
        uses.zones.clear();
        uses.index = readEntry(sj(kZoneSection), sj(caption));
        if (!uses.index) {
            add(Kind::MissingEntry, header, sj(kZoneSection), sj(caption),
                "この都道府県の行がありません（" + std::string(caption) +
                    " から送るゆうパックは計算できません）");
            return;
        }
        const IniLine& line = lines_[*uses.index];
        const std::string_view zones = line.value;
        if (zones.size() < kZoneCharacters)
            add(Kind::ShortZoneRow, line.number, sj(kZoneSection), line.name,
                "地帯の文字が " + num(zones.size()) + " 文字しかありません（" +
                    num(kZoneCharacters) + " 文字必要）。届け先 " +
                    std::string(destinations[zones.size()]) + " から先の地帯がありません");
        for (size_t pos = 1; pos <= std::min(zones.size(), kZoneCharacters); ++pos) {
            const char c = zones[pos - 1];
            if (!tariff::isZoneCharacter(c)) {
                // A blank or a control character is a byte of its own; any
                // other byte that is no zone is a part of a character.
                const bool unseen = isBlankOrControl(c) || c == 0x7F;
                add(Kind::BadZoneCharacter, line.number, sj(kZoneSection), line.name,
                    num(pos) + " 桁目（届け先 " + std::string(destinations[pos - 1]) + "）: " +
                        (unseen ? "地帯の文字 " + shownFromSjis(std::string_view(&c, 1)) +
                                      " は見えない文字です。英数字など見える 1 バイトの文字で"
                                      "書いてください"
                                : std::string("地帯は 1 バイトの文字で書いてください")),
                    pos);
                break;
            }
            // The last position names the zone in the caption only: the
            // same-city fee has its own row.
            if (pos == kZoneCharacters)
                break;
            uses.zones.emplace_back(c, pos);
        }
    }

    // Every zone the zone table uses, with the places that use it, from
    // the rows' last check.
    std::map<char, ZoneUse> zoneUses() {
        std::map<char, ZoneUse> uses;
        for (size_t row = 0; row < zoneRows_.size(); ++row) {
            if (!zoneRows_[row].index)
                continue;
            depend(*zoneRows_[row].index);
            const size_t line = lineNumber(*zoneRows_[row].index);
            for (const auto& [c, pos] : zoneRows_[row].zones) {
                // Zone keys that differ by letter case only are one entry.
                auto it =
                    uses.try_emplace(foldedSingleByte(c),
                                     ZoneUse{tariff::zoneFeeKey(std::string(1, c)),
                                             std::string(PrefectureRows(false)[row]), line, pos})
                        .first;
                it->second.places.emplace_back(line, pos);
            }
        }
        return uses;
    }

    void youpackFees() {
        unit(Group::Youpack,
             [this] { requireSection(kYoupackSection, "ゆうパックは計算できません"); });
        const SectionSpan* span = findSpan(sj(kYoupackSection));
        if (!span)
            return;
        const size_t header = lineNumber(span->header);
        unit(Group::Youpack, [this, header] {
            for (const auto& [zone, use] : zoneUses()) {
                if (readEntry(sj(kYoupackSection), use.key))
                    continue;
                add(Kind::MissingZoneFee, header, sj(kYoupackSection), use.key,
                    "この地帯の料金行がありません。地帯区分の " + use.prefecture + "（" +
                        num(use.line) + " 行目）の " + num(use.position) + " 桁目など " +
                        num(use.places.size()) + " か所で使われています");
                found_.back().places = use.places;
            }
            const std::string& sameCity = sj(tariff::kYoupackSameCityKey);
            if (!readEntry(sj(kYoupackSection), sameCity))
                add(Kind::MissingEntry, header, sj(kYoupackSection), sameCity,
                    "同一市内の料金行がありません（届け先 同一市内 のゆうパックは計算できません）");
        });
        const std::string& sameCity = sj(tariff::kYoupackSameCityKey);
        for (size_t index : effectiveEntries(*span))
            if (isZoneKey(lines_[index].name) || iniNamesMatch(lines_[index].name, sameCity))
                unit(Group::Youpack, [this, index] {
                    depend(index);
                    checkFeeRow(index, tariff::kYoupackFees);
                });
    }

    void catFees() {
        std::vector<std::string_view> destinations(kCatRegions.begin(), kCatRegions.end());
        destinations.push_back(tariff::kCatSameCityKey);
        for (std::string_view from : kCatRegions) {
            unit(Group::Cat, [this, from] {
                requireSection(from, "発送地 " + std::string(from) + " のクロネコは計算できません");
            });
            const SectionSpan* span = findSpan(sj(from));
            if (!span)
                continue;
            const size_t header = lineNumber(span->header);
            for (std::string_view to : destinations)
                unit(Group::Cat, [this, from, to, header] {
                    const auto index = readEntry(sj(from), sj(to));
                    if (!index)
                        add(Kind::MissingEntry, header, sj(from), sj(to),
                            "クロネコの料金行がありません（" + std::string(from) + " → " +
                                std::string(to) + " は計算できません）");
                    else
                        checkFeeRow(*index, tariff::kCatFees, tariff::kCatShopDiscount);
                });
        }
    }

    // A table of named rows: its section must be there, and each key.
    void keyedFees(Group group, const FeeTable& table, const std::string& consequence,
                   const std::function<std::string(size_t)>& missing) {
        unit(group, [this, &table, consequence] { requireSection(table.section, consequence); });
        const SectionSpan* span = findSpan(sj(table.section));
        if (!span)
            return;
        const size_t header = lineNumber(span->header);
        for (size_t k = 0; k < table.keys.size(); ++k)
            unit(group, [this, &table, k, header, message = missing(k)] {
                const std::string_view key = table.keys[k];
                const auto index = readEntry(sj(table.section), sj(key));
                if (!index)
                    add(Kind::MissingEntry, header, sj(table.section), sj(key), message);
                else
                    checkFeeRow(*index, table);
            });
    }

    void letterFees() {
        keyedFees(Group::Letter, tariff::kLetterFees, "普通郵便は計算できません", [](size_t k) {
            return "普通郵便の料金行がありません（" +
                   std::string(k == 0 ? "普通郵便" : "翌朝10時の普通郵便") + "は計算できません）";
        });
    }

    void bookFees() {
        keyedFees(Group::Book, tariff::kBookFees, "冊子小包は計算できません", [](size_t) {
            return std::string("冊子小包の料金行がありません（冊子小包は計算できません）");
        });
    }

    // ---- Single-valued entries ----

    void optionValue(const std::string& section, const std::string& key, int fallback) {
        const auto index = readEntry(section, key);
        if (!index)
            return;
        const IniLine& line = lines_[*index];
        const std::string_view writtenSection = sectionOfLine(*index);
        const auto fee = parseWholeNumber(line.value);
        if (!fee)
            add(Kind::NotWholeNumber, line.number, writtenSection, line.name,
                "値 '" + excerpt(line.value) + "' は整数ではありません（黙って既定値 " +
                    std::to_string(fallback) + " 円が使われます）");
        else if (*fee < 0)
            add(Kind::NegativeFee, line.number, writtenSection, line.name,
                "料金 " + std::to_string(*fee) + " 円は負の数です");
        else if (*fee > tariff::kLargestPlausibleFee)
            add(Kind::ImplausibleFee, line.number, writtenSection, line.name,
                "料金 " + std::to_string(*fee) + " 円は大きすぎます（" +
                    grouped(tariff::kLargestPlausibleFee) + " 円まで。桁の誤りではありませんか）");
    }

    void options() {
        auto option = [this](std::string section, std::string key, int fallback) {
            unit(Group::None, [this, section = std::move(section), key = std::move(key),
                               fallback] { optionValue(section, key, fallback); });
        };
        for (const TariffOption& e : allTariffOptions())
            option(sj(e.section), sj(e.key), e.fallback);
        for (int method = 0; method < kRemittanceMethodCount; ++method)
            for (int c = 0; c < kRemittanceClassCount; ++c)
                option(sj(RemittanceMethodName(method)), sj("料金" + std::to_string(c)), 0);
    }

    // ---- The real calculators on every row the checks passed ----

    // A proof per sending and destination row (per weight row for the
    // postal quotes), so that an edit proves again only the rows whose
    // quotes read the edited line. A quote proves its rows in this order
    // and reports the first failure.
    void proveQuotes() {
        const auto destinations = PrefectureRows(true);
        const auto weights = WeightRows();
        for (int from = 0; from < kSendingRowCount; ++from) {
            if (IsSeparatorRow(destinations[static_cast<size_t>(from)]))
                continue;
            for (int to = 0; to < kDestinationRowCount; ++to)
                addProof(Group::Youpack, [this, from, to, destinations, weights] {
                    TYoupackRequest r;
                    r.FromCaption = std::string(destinations[static_cast<size_t>(from)]);
                    r.ToRow = to;
                    for (r.WeightRow = 0; r.WeightRow < static_cast<int>(weights.size());
                         ++r.WeightRow)
                        if (!proves(kYoupackSection,
                                    "ゆうパック " + r.FromCaption + " → " +
                                        std::string(destinations[static_cast<size_t>(to)]) + " " +
                                        std::string(trimLeadingSpaces(weights[r.WeightRow])),
                                    [&] { QuoteYoupack(store_, r); }))
                            return;
                });
        }
        for (int from = 0; from < kSendingRowCount; ++from)
            for (int to = 0; to < kDestinationRowCount; ++to) {
                if (CatRegionOf(from).empty() || CatRegionOf(to).empty())
                    continue;
                addProof(Group::Cat, [this, from, to, destinations] {
                    TCatRequest r;
                    r.FromRow = from;
                    r.ToRow = to;
                    // Weight row 0 with size rows 0 to 5 meets every size class.
                    for (r.SizeRow = 0; r.SizeRow < 6; ++r.SizeRow)
                        if (!proves(CatRegionOf(from),
                                    "クロネコ " +
                                        std::string(destinations[static_cast<size_t>(from)]) +
                                        " → " + std::string(destinations[static_cast<size_t>(to)]),
                                    [&] { QuoteCat(store_, r); }))
                            return;
                });
            }
        for (int row = 1; row < 18; ++row) {
            if (LetterMailReadsNothing(row))
                continue;
            addProof(Group::Letter, [this, row] {
                for (bool morning : {false, true}) {
                    TLetterMailRequest r;
                    r.WeightRow = row;
                    r.Morning10 = morning;
                    if (!proves(kLetterSection,
                                "普通郵便 " +
                                    std::string(trimLeadingSpaces(PostalWeightRows()[row])),
                                [&] { QuoteLetterMail(store_, r); }))
                        return;
                }
            });
        }
        for (int row = 0; row < 18; ++row)
            addProof(Group::Book, [this, row] {
                TBookParcelRequest r;
                r.WeightRow = row;
                proves(kBookSection,
                       "冊子小包 " + std::string(trimLeadingSpaces(PostalWeightRows()[row])),
                       [&] { QuoteBookParcel(store_, r); });
            });
    }

    IniStore store_;
    std::string_view bytes_;     // the store's bytes
    std::vector<IniLine> lines_; // every line but blank and comment lines, in order
    std::vector<SectionSpan> spans_;
    IniNameIndex spanIndex_; // name -> the last span of that name, the one the store reads
    std::pair<std::string, std::string> shownSection_; // the last section name, converted
    std::vector<ZoneRow> zoneRows_;                     // by sending row
    bool readable_ = true; // in an encoding the other checks can read
    std::vector<Unit> units_;
    std::vector<TariffProblem> found_; // the units' problems in order, then the proofs'
    size_t proofFailures_ = 0;         // at the end of found_
    bool proofsShown_ = false;         // the proofs' failures are in found_
    std::vector<Proof> proofs_;
    size_t current_ = 0;  // the running unit
    size_t proving_ = 0;  // the running proof
    // By line index: the units and the proofs that read the line (the few
    // lines of the tables, of a file that may hold millions).
    mutable std::unordered_map<size_t, std::vector<size_t>> unitsOfLine_;
    std::unordered_map<size_t, std::vector<size_t>> proofsOfLine_;
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

std::string problemLine(const std::string& fileName, const TariffProblem& problem) {
    std::string line = fileName;
    if (problem.line > 0)
        line += ":" + num(problem.line);
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
