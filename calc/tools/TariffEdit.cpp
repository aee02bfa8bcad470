#include "tools/TariffEdit.h"

#include "ini/EncodedName.h"
#include "ini/IniStore.h"
#include "tariff/Catalogues.h"
#include "tariff/FixedWidthField.h"
#include "tariff/TariffLayout.h"
#include "tariff/TariffOptions.h"
#include "text/NumberText.h"
#include "text/Sjis.h"
#include "text/Trim.h"

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <utility>

namespace hakomaru {
namespace {

using namespace tariff;

std::string notShiftJisReason(std::string_view bytes) {
    const bool multibyte = firstNonAsciiByte(bytes) != std::string_view::npos;
    if (bytes.starts_with("\xEF\xBB\xBF") || (multibyte && isWellFormedUtf8(bytes)))
        return "このファイルは UTF-8 で保存されているため、読み取り専用で開きました。"
               "Shift-JIS (コードページ 932) で保存し直すと編集できます";
    if (!multibyte)
        return {}; // ASCII alone is Shift-JIS
    if (const std::size_t at = firstNonSjisByte(bytes)) {
        // Lines counted as the store counts them: CR, LF and CR LF each end one.
        const IniStore store{std::string(bytes)};
        const std::size_t line = store.lineNumberOf(store.bytes().substr(at - 1));
        return "このファイルには Shift-JIS として読めないバイトがあるため（" +
               std::to_string(line) +
               " 行目付近）、読み取り専用で開きました。Shift-JIS (コードページ 932) "
               "で保存し直すと編集できます";
    }
    return {};
}

// The line end the file uses most likely: its first one, else CR LF.
std::string lineEndOf(std::string_view bytes) {
    const std::size_t at = bytes.find_first_of("\r\n");
    if (at == bytes.npos)
        return "\r\n";
    if (bytes[at] == '\r')
        return at + 1 < bytes.size() && bytes[at + 1] == '\n' ? "\r\n" : "\r";
    return "\n";
}

// The offset just after the line that holds `offset`, with its line end.
std::size_t afterLine(std::string_view bytes, std::size_t offset) {
    std::size_t end = bytes.find_first_of("\r\n", offset);
    if (end == bytes.npos)
        return bytes.size();
    if (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n')
        return end + 2;
    return end + 1;
}

} // namespace

TariffDocument::TariffDocument(std::string bytes) : bytes_(std::move(bytes)) {
    parse();
}

void TariffDocument::reset(std::string bytes) {
    bytes_ = std::move(bytes);
    parse();
}

void TariffDocument::parse() {
    readOnlyReason_ = notShiftJisReason(bytes_);
    const IniStore store(bytes_);

    // The zones a zone cell may name: those with a ゆうパック fee row.
    zonesWithFees_.clear();
    for (int b = 0; b < 256; ++b) {
        const auto c = static_cast<char>(b);
        if (isZoneCharacter(c) &&
            store.find(sjisName(kYoupackFees.section), zoneFeeKey(std::string(1, c))))
            zonesWithFees_ += c;
    }

    grids_ = tariffGrids(store);
}

std::string TariffDocument::shown(const TariffCell& cell) {
    if (cell.kind == TariffFieldKind::Option && cell.line == 0)
        return std::to_string(cell.fallback);
    // A field's padding does not count; its first byte may be the second
    // half of a character, which is never a blank.
    return shownFromSjis(trimSpaces(cell.text), cell.trailFirst);
}

std::string TariffDocument::listed(const TariffCell& c) {
    if (c.kind == TariffFieldKind::Option && c.line == 0)
        return shown(c) + "（既定値）";
    if (c.line == 0)
        return std::string(kAbsentValue);
    const std::string value = shown(c);
    return value.empty() ? std::string(kEmptyValue) : value;
}

TariffFieldName TariffDocument::fieldName(const TariffAddress& at) const {
    const TariffCell& cell = grids_[at.grid].cell(at.row, at.column);
    return *tariffFieldName(cell.section, cell.key, cell.position);
}

std::optional<std::string> TariffDocument::set(const TariffAddress& address,
                                               std::string_view typed) {
    auto planned = plan(address, typed);
    if (auto* refused = std::get_if<std::string>(&planned))
        return std::move(*refused);
    apply(std::get<TariffSplice>(planned));
    return std::nullopt;
}

void TariffDocument::apply(const TariffSplice& splice) {
    replace(splice.offset, splice.removed.size(), splice.inserted);
}

void TariffDocument::apply(const std::vector<TariffSplice>& splices, bool undo) {
    for (std::size_t i = 0; i < splices.size(); ++i) {
        const TariffSplice& s = splices[undo ? splices.size() - 1 - i : i];
        if (undo)
            replace(s.offset, s.inserted.size(), s.removed);
        else
            replace(s.offset, s.removed.size(), s.inserted);
    }
}

void TariffDocument::replace(std::size_t offset, std::size_t length, std::string_view inserted) {
    if (!replaceInValue(offset, length, inserted)) {
        bytes_.replace(offset, length, inserted);
        parse();
    }
}

bool TariffDocument::replaceInValue(std::size_t offset, std::size_t length,
                                    std::string_view inserted) {
    if (!keepsOtherLines(bytes_, offset, length, inserted))
        return false;
    const IniLine before = iniLineAt(bytes_, offset, true);
    if (before.kind != IniLine::Kind::Entry ||
        offset < static_cast<std::size_t>(before.value.data() - bytes_.data()))
        return false;
    const auto lineStart = static_cast<std::size_t>(before.text.data() - bytes_.data());
    const auto valueStart = static_cast<std::size_t>(before.value.data() - bytes_.data());
    const std::string name(before.name);
    bytes_.replace(offset, length, inserted);
    const IniLine after = iniLineAt(bytes_, lineStart, true);
    if (after.kind != IniLine::Kind::Entry || after.name != name) {
        parse();
        return true;
    }
    // The fields of the edited value are read again; every field after it
    // moves with the bytes.
    const auto newValueStart = static_cast<std::size_t>(after.value.data() - bytes_.data());
    for (TariffGrid& grid : grids_)
        for (TariffCell& cell : grid.cells) {
            if (cell.line == 0)
                continue;
            if (cell.offset - (cell.position - 1) == valueStart) {
                cell.offset = newValueStart + cell.position - 1;
                if (cell.kind == TariffFieldKind::Option) {
                    cell.width = after.value.size();
                    cell.text = std::string(after.value);
                } else {
                    cell.text = std::string(fieldAt(after.value, cell.position, cell.width));
                    cell.trailFirst =
                        sjisCharacterAcross(after.value, cell.position - 1).has_value();
                }
            } else if (cell.offset - (cell.position - 1) >= offset + length) {
                // By where its value starts: a field past the end of a
                // short value lies beyond its line, maybe past the edit.
                cell.offset = cell.offset - length + inserted.size();
            }
        }
    return true;
}

TariffBlockPlan TariffDocument::planBlock(const std::vector<TariffBlockValue>& values) const {
    TariffBlockPlan block;
    TariffDocument trial = *this;
    for (std::size_t i = 0; i < values.size(); ++i) {
        auto planned = trial.plan(values[i].at, values[i].value);
        if (auto* refused = std::get_if<std::string>(&planned)) {
            block.refused.emplace_back(i, std::move(*refused));
            continue;
        }
        TariffSplice& splice = std::get<TariffSplice>(planned);
        if (splice.removed == splice.inserted)
            continue;
        trial.apply(splice);
        block.splices.push_back(std::move(splice));
    }
    return block;
}

TariffInputRule TariffDocument::inputRule(const TariffAddress& at) const {
    TariffInputRule rule;
    if (at.grid >= grids_.size() || at.row >= grids_[at.grid].rows.size() ||
        at.column >= grids_[at.grid].columns.size())
        return rule;
    const TariffCell& cell = grids_[at.grid].cell(at.row, at.column);
    switch (cell.kind) {
    case TariffFieldKind::Zone:
        rule.kind = TariffInputKind::Zone;
        rule.zoneHasFees = [zones = zonesWithFees_](char c) {
            return zones.find(c) != std::string::npos;
        };
        // Zone keys match without regard to letter case: the message names
        // each zone once.
        for (const char c : zonesWithFees_)
            if (c == foldedSingleByte(c) ||
                zonesWithFees_.find(foldedSingleByte(c)) == std::string::npos)
                rule.zones += c;
        break;
    case TariffFieldKind::Fee:
        rule.kind = TariffInputKind::Fee;
        rule.width = cell.width;
        break;
    case TariffFieldKind::Option:
        rule.kind = TariffInputKind::Option;
        break;
    }
    return rule;
}

std::variant<TariffSplice, std::string> TariffDocument::plan(const TariffAddress& address,
                                                             std::string_view typed) const {
    if (!readOnlyReason_.empty())
        return readOnlyReason_;
    if (address.grid >= grids_.size() || address.row >= grids_[address.grid].rows.size() ||
        address.column >= grids_[address.grid].columns.size())
        return std::string("そのような欄はありません");
    const TariffCell& cell = grids_[address.grid].cell(address.row, address.column);

    std::size_t start = 0, length = 0; // the bytes replaced
    std::string written;
    const TariffInputRule rule = inputRule(address);
    const TypedValue input = readTyped(rule, typed);
    if (input.state != TypedState::Accepted)
        return inputRuleText(rule);
    if (cell.kind == TariffFieldKind::Option) {
        written = input.value;
        if (cell.line > 0) {
            start = cell.offset;
            length = cell.width;
        } else {
            // A new entry at the end of the section the store reads, or a
            // new section at the end of the file.
            const std::string eol = lineEndOf(bytes_);
            const std::string entry = cell.key + "=" + written;
            std::optional<std::size_t> lastLine;
            bool inSection = false;
            forEachIniLine(bytes_, [&](const IniLine& line) {
                if (line.kind == IniLine::Kind::Section)
                    inSection = iniNamesMatch(line.name, cell.section);
                if (inSection && line.kind != IniLine::Kind::Ignored)
                    lastLine = static_cast<std::size_t>(line.text.data() - bytes_.data());
            });
            std::string_view tail = bytes_;
            const bool endsLine = tail.ends_with('\n') || tail.ends_with('\r');
            if (lastLine) {
                start = afterLine(bytes_, *lastLine);
                written = (start == bytes_.size() && !endsLine ? eol : "") + entry + eol;
            } else {
                start = bytes_.size();
                written = (bytes_.empty() || endsLine ? "" : eol) + "[" + cell.section + "]" + eol +
                          entry + eol;
            }
        }
    } else {
        if (cell.line == 0)
            return "この行はファイルにありません。先に行を書き加えてください（[" +
                   fromSjis(cell.section) + "] " + fromSjis(cell.key) + "）";
        const std::size_t valueStart = cell.offset - (cell.position - 1);
        const std::string_view wholeValue = trimBlanksAndControls(std::string_view(bytes_).substr(
            valueStart, afterLine(bytes_, valueStart) - valueStart));
        const std::size_t valueLength = wholeValue.size();
        // A field that begins or ends inside a double-byte character would
        // be written through half of it, leaving bytes that are not
        // Shift-JIS.
        for (const std::size_t edge : {cell.position - 1, cell.position - 1 + cell.width})
            if (const auto across = sjisCharacterAcross(wholeValue, edge))
                return "[" + fromSjis(cell.section) + "] " + fromSjis(cell.key) + " の欄 " +
                       std::string(
                           trimLeadingSpaces(grids_[address.grid].columns[address.column])) +
                       " は全角文字「" + fromSjis(*across) +
                       "」の途中にかかるため書き換えられません。この行の全角文字を半角に"
                       "直してから入力してください";
        std::string field;
        if (cell.kind == TariffFieldKind::Zone) {
            if (cell.position > valueLength + 1)
                return "この行は地帯が " + std::to_string(valueLength) +
                       " 文字しかないため、この届け先の地帯は書けません";
            field = input.value;
        } else {
            const std::string_view digits = input.value;
            // Zeros pad a field at the start of the value, where blanks
            // would be trimmed away and shift every later field, and a field
            // written with zeros before; blanks pad the others.
            const bool zeros =
                cell.position == 1 || (cell.text.size() == cell.width && cell.text.front() == '0');
            field = std::string(cell.width - digits.size(), zeros ? '0' : ' ');
            field += digits;
        }
        // Within the value only the field's bytes change; a value that ends
        // before the field is first filled with blanks up to it.
        start = valueStart;
        length = valueLength;
        written = std::string(bytes_, valueStart, valueLength);
        if (written.size() < cell.position - 1 + field.size()) {
            const bool empty = written.empty();
            written.resize(cell.position - 1 + field.size(), ' ');
            // An empty value must not begin with blanks, which reading
            // trims away: the unread bytes before the first field become
            // zeros, and a first field that is read stays to be filled first.
            if (empty) {
                const std::size_t firstField = grids_[address.grid].cell(address.row, 0).position;
                if (firstField == 1 && cell.position != 1)
                    return "この行の値は空です。先に最初の欄（" + grids_[address.grid].columns[0] +
                           "）を入力してください";
                std::fill(written.begin(), written.begin() + static_cast<long>(firstField - 1),
                          '0');
            }
        }
        written.replace(cell.position - 1, field.size(), field);
    }
    return TariffSplice{start, bytes_.substr(start, length), std::move(written)};
}

std::variant<TariffAddress, std::string>
TariffDocument::find(std::string_view section, std::string_view key,
                     std::optional<std::string_view> column) const {
    std::string sjSection, sjKey;
    try {
        // Every name of the layout is written with half-width digits and
        // letters, so full-width ones typed by an input method name it too.
        sjSection = toSjis(trimBlanksAndControls(halfWidthText(section)));
        sjKey = toSjis(trimBlanksAndControls(halfWidthText(key)));
    } catch (const std::invalid_argument&) {
        return std::string("名前に Shift-JIS で書けない文字があります");
    }
    const std::string where = "[" + std::string(section) + "] " + std::string(key);
    for (std::size_t g = 0; g < grids_.size(); ++g) {
        const TariffGrid& grid = grids_[g];
        for (std::size_t row = 0; row < grid.rows.size(); ++row) {
            // An option entry is a field of its own, wherever its grid
            // shows it (the remittance fees by method and amount class).
            if (grid.cell(row, 0).kind == TariffFieldKind::Option) {
                for (std::size_t c = 0; c < grid.columns.size(); ++c) {
                    const TariffCell& cell = grid.cell(row, c);
                    if (iniNamesMatch(cell.section, sjSection) && iniNamesMatch(cell.key, sjKey))
                        return TariffAddress{g, row, c};
                }
                continue;
            }
            const TariffCell& first = grid.cell(row, 0);
            if (!iniNamesMatch(first.section, sjSection) || !iniNamesMatch(first.key, sjKey))
                continue;
            std::string names;
            for (const std::string& name : grid.columns)
                names += (names.empty() ? "" : " ") + std::string(trimLeadingSpaces(name));
            if (!column) {
                if (grid.columns.size() == 1)
                    return TariffAddress{g, row, 0};
                return where + " には欄が " + std::to_string(grid.columns.size()) +
                       " あります。どの欄かを指定してください: " + names;
            }
            const std::string halfWidthColumn = halfWidthText(*column);
            const std::string_view wanted = trimBlanksAndControls(halfWidthColumn);
            std::vector<std::size_t> matches;
            for (std::size_t c = 0; c < grid.columns.size(); ++c) {
                const std::string_view name = trimLeadingSpaces(grid.columns[c]);
                if (name == wanted ||
                    (name.ends_with("以下") &&
                     name.substr(0, name.size() - std::string_view("以下").size()) == wanted))
                    matches.push_back(c);
            }
            if (matches.size() == 1)
                return TariffAddress{g, row, matches[0]};
            return where + " に欄 '" + std::string(wanted) + "' " +
                   (matches.empty() ? "はありません" : "が複数あります") + "。欄: " + names;
        }
    }
    return where +
           " は編集できる項目ではありません（料金表の行かオプションの料金を指定してください）";
}

std::vector<std::vector<TariffAddress>>
TariffDocument::cellsNamedBy(const std::vector<TariffProblem>& problems) const {
    std::map<std::size_t, std::vector<TariffAddress>> byLine;
    for (std::size_t g = 0; g < grids_.size(); ++g)
        for (std::size_t r = 0; r < grids_[g].rows.size(); ++r)
            for (std::size_t c = 0; c < grids_[g].columns.size(); ++c)
                if (const std::size_t line = grids_[g].cell(r, c).line)
                    byLine[line].push_back({g, r, c});
    std::vector<std::vector<TariffAddress>> named;
    for (const TariffProblem& problem : problems) {
        std::vector<TariffAddress>& cells = named.emplace_back();
        auto at = [&](std::size_t line, std::size_t position) {
            if (const auto onLine = byLine.find(line); line != 0 && onLine != byLine.end())
                for (const TariffAddress& a : onLine->second)
                    if (position == 0 || grids_[a.grid].cell(a.row, a.column).position == position)
                        cells.push_back(a);
        };
        at(problem.line, problem.position);
        for (const auto& [line, position] : problem.places)
            at(line, position);
        if (problem.kind != TariffProblemKind::MissingEntry)
            continue;
        // Rows the file lacks, found by section (and key, for one row).
        for (std::size_t g = 0; g < grids_.size(); ++g)
            for (std::size_t r = 0; r < grids_[g].rows.size(); ++r) {
                const TariffCell& first = grids_[g].cell(r, 0);
                if (first.line == 0 && shownFromSjis(first.section) == problem.section &&
                    (problem.key.empty() || shownFromSjis(first.key) == problem.key))
                    for (std::size_t c = 0; c < grids_[g].columns.size(); ++c)
                        cells.push_back({g, r, c});
            }
    }
    return named;
}

} // namespace hakomaru
