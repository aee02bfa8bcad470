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

// The double-byte character of `value` that the byte offset `at` falls
// inside; nothing when a character starts there or `at` is past the end.
std::optional<std::string_view> characterAcross(std::string_view value, std::size_t at) {
    for (std::size_t i = 0; i < at && i < value.size();) {
        const std::size_t length =
            isSjisLeadByte(static_cast<unsigned char>(value[i])) && i + 1 < value.size() ? 2 : 1;
        if (i + length > at)
            return value.substr(i, length);
        i += length;
    }
    return std::nullopt;
}

// Reads fields out of the file through the store, as the quotes find them.
class Locator {
  public:
    explicit Locator(const std::string& bytes) : store_(std::string(bytes)) {}

    // A field of the entry the store finds; line 0 when there is none.
    TariffCell field(TariffFieldKind kind, std::string section, std::string key,
                     std::size_t position, std::size_t width) const {
        TariffCell cell;
        cell.kind = kind;
        cell.position = position;
        cell.width = width;
        if (const auto value = store_.find(section, key)) {
            cell.line = lineOf(*value);
            cell.offset =
                static_cast<std::size_t>(value->data() - store_.bytes().data()) + position - 1;
            cell.text = std::string(fieldAt(*value, position, width));
            cell.trailFirst = characterAcross(*value, position - 1).has_value();
        }
        cell.section = std::move(section);
        cell.key = std::move(key);
        return cell;
    }

    TariffCell option(std::string section, std::string key, std::int32_t fallback) const {
        TariffCell cell;
        cell.kind = TariffFieldKind::Option;
        cell.fallback = fallback;
        if (const auto value = store_.find(section, key)) {
            cell.line = lineOf(*value);
            cell.offset = static_cast<std::size_t>(value->data() - store_.bytes().data());
            cell.position = 1;
            cell.width = value->size();
            cell.text = std::string(*value);
        }
        cell.section = std::move(section);
        cell.key = std::move(key);
        return cell;
    }

    const IniStore& store() const { return store_; }

  private:
    // The cells of a row are asked for one after the other, all on one line.
    std::size_t lineOf(std::string_view value) const {
        if (value.data() != lastValue_) {
            lastValue_ = value.data();
            lastLine_ = store_.lineNumberOf(value);
        }
        return lastLine_;
    }

    IniStore store_;
    mutable const char* lastValue_ = nullptr;
    mutable std::size_t lastLine_ = 0;
};

// The region a separator row of the prefecture lists heads ("━━東北":
// "東北"); a place's own caption for the group above the first separator.
std::string_view regionOfSeparator(std::string_view caption) {
    while (IsSeparatorRow(caption))
        caption.remove_prefix(std::string_view("━").size());
    return caption;
}

TariffGrid feeGrid(const Locator& at, TariffTable kind, std::string title, const FeeTable& table,
                   const std::string& section, const std::vector<std::string>& keys,
                   const std::vector<std::string>& rowNames) {
    TariffGrid grid;
    grid.table = kind;
    grid.title = std::move(title);
    grid.rows = rowNames;
    for (const FeeColumn& c : feeColumns(table))
        grid.columns.push_back(c.name);
    for (const std::string& key : keys)
        for (const FeeColumn& c : feeColumns(table))
            grid.cells.push_back(
                at.field(TariffFieldKind::Fee, section, key, c.first, table.width));
    return grid;
}

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
    grids_.clear();
    const Locator at(bytes_);
    auto sj = [](std::string_view utf8) { return sjisName(utf8); };

    // The zones a zone cell may name: those with a ゆうパック fee row.
    zonesWithFees_.clear();
    for (int b = 0; b < 256; ++b) {
        const auto c = static_cast<char>(b);
        if (isZoneCharacter(c) &&
            at.store().find(sj(kYoupackFees.section), zoneFeeKey(std::string(1, c))))
            zonesWithFees_ += c;
    }

    // The zone table: a row per prefecture, a column per destination row,
    // both grouped by the regions the separator rows name.
    {
        TariffGrid grid;
        grid.table = TariffTable::Zone;
        grid.title = std::string(kZoneSection);
        for (std::string_view to : PrefectureRows(true)) {
            if (IsSeparatorRow(to) || grid.columnGroups.empty())
                grid.columnGroups.push_back({grid.columns.size() + IsSeparatorRow(to), 0,
                                             std::string(regionOfSeparator(to))});
            grid.separatorColumns.push_back(IsSeparatorRow(to));
            grid.columns.emplace_back(to);
            grid.columnGroups.back().count = grid.columns.size() - grid.columnGroups.back().first;
        }
        for (std::string_view from : PrefectureRows(false)) {
            if (IsSeparatorRow(from) || grid.rowGroups.empty())
                grid.rowGroups.push_back(
                    {grid.rows.size(), 0, std::string(regionOfSeparator(from))});
            if (IsSeparatorRow(from))
                continue;
            grid.rows.emplace_back(from);
            grid.rowGroups.back().count = grid.rows.size() - grid.rowGroups.back().first;
            for (std::size_t pos = 1; pos <= kZoneCharacters; ++pos)
                grid.cells.push_back(
                    at.field(TariffFieldKind::Zone, sj(kZoneSection), sj(from), pos, 1));
        }
        grids_.push_back(std::move(grid));
    }

    // ゆうパック fees: the zone rows the file holds, in its order, then 市内.
    {
        const std::string& section = sj(kYoupackFees.section);
        const std::string& sameCity = sj(kYoupackSameCityKey);
        std::vector<std::string> keys;
        bool inSection = false;
        const std::string bare = zoneFeeKey({});
        const std::string& head = sj("第");
        // Zone keys that differ by letter case only are one row.
        std::array<bool, 256> seen{};
        forEachIniLine(at.store().bytes(), [&](const IniLine& line) {
            if (line.kind == IniLine::Kind::Section)
                inSection = iniNamesMatch(line.name, section);
            if (!inSection || line.kind != IniLine::Kind::Entry ||
                line.name.size() != bare.size() + 1 || !line.name.starts_with(head) ||
                !line.name.ends_with(std::string_view(bare).substr(head.size())))
                return;
            const char zone = line.name[head.size()];
            if (isZoneCharacter(zone) &&
                !std::exchange(seen[static_cast<unsigned char>(foldedSingleByte(zone))], true))
                keys.emplace_back(line.name);
        });
        keys.push_back(sameCity);
        std::vector<std::string> rowNames;
        for (const std::string& key : keys)
            rowNames.push_back(shownFromSjis(key));
        grids_.push_back(feeGrid(at, TariffTable::Youpack, std::string(kYoupackFees.section),
                                 kYoupackFees, section, keys, rowNames));
    }

    // クロネコ fees: a grid per sending region.
    {
        std::vector<std::string> rowNames(kCatRegions.begin(), kCatRegions.end());
        rowNames.emplace_back(kCatSameCityKey);
        std::vector<std::string> keys;
        for (const std::string& name : rowNames)
            keys.push_back(sj(name));
        for (std::string_view from : kCatRegions)
            grids_.push_back(feeGrid(at, TariffTable::Cat, "クロネコ " + std::string(from) + "発",
                                     kCatFees, sj(from), keys, rowNames));
    }

    // Letter mail and book parcels.
    {
        std::vector<std::string> keys, rowNames;
        for (std::string_view key : kLetterFees.keys) {
            keys.push_back(sj(key));
            rowNames.emplace_back(key);
        }
        grids_.push_back(feeGrid(at, TariffTable::Letter, std::string(kLetterFees.section),
                                 kLetterFees, sj(kLetterFees.section), keys, rowNames));
    }
    {
        const std::string key(kBookFees.keys[0]);
        grids_.push_back(feeGrid(at, TariffTable::Book, std::string(kBookFees.section), kBookFees,
                                 sj(kBookFees.section), {sj(key)}, {key}));
    }

    // Every option entry, grouped by service, each saying what it prices
    // where its key does not.
    {
        TariffGrid grid;
        grid.table = TariffTable::Options;
        grid.title = "オプション";
        grid.columns = {"料金"};
        for (const TariffOptionGroup& group : tariffOptionGroups()) {
            grid.rowGroups.push_back(
                {grid.rows.size(), group.options.size(), std::string(group.service)});
            for (const TariffOption& option : group.options) {
                grid.rows.push_back(std::string(option.section) + " " + std::string(option.key));
                grid.rowNotes.push_back(tariffOptionNote(option));
                grid.cells.push_back(
                    at.option(sj(option.section), sj(option.key), option.fallback));
            }
        }
        grids_.push_back(std::move(grid));
    }

    // The remittance fees: a row per method, a column per amount class.
    {
        TariffGrid grid;
        grid.table = TariffTable::Remittance;
        grid.title = "送金手数料";
        for (int c = 0; c < kRemittanceClassCount; ++c)
            grid.columns.push_back(RemittanceAmountClassCaption(c));
        for (int method = 0; method < kRemittanceMethodCount; ++method) {
            grid.rows.emplace_back(RemittanceMethodName(method));
            for (int c = 0; c < kRemittanceClassCount; ++c)
                grid.cells.push_back(
                    at.option(sj(RemittanceMethodName(method)), sj("料金" + std::to_string(c)), 0));
        }
        grids_.push_back(std::move(grid));
    }
}

std::string TariffDocument::shown(const TariffCell& cell) {
    if (cell.kind == TariffFieldKind::Option && cell.line == 0)
        return std::to_string(cell.fallback);
    // A field's padding does not count; its first byte may be the second
    // half of a character, which is never a blank.
    return shownFromSjis(trimSpaces(cell.text), cell.trailFirst);
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
                    cell.trailFirst = characterAcross(after.value, cell.position - 1).has_value();
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
            if (const auto across = characterAcross(wholeValue, edge))
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

namespace {

bool differs(const TariffCell& a, const TariffCell& b) {
    return a.text != b.text || (a.line == 0) != (b.line == 0);
}

std::string listed(const TariffCell& c) {
    if (c.kind == TariffFieldKind::Option && c.line == 0)
        return TariffDocument::shown(c) + "（既定値）";
    if (c.line == 0)
        return std::string(kAbsentValue);
    const std::string shown = TariffDocument::shown(c);
    return shown.empty() ? std::string(kEmptyValue) : shown;
}

} // namespace

std::optional<std::size_t> TariffGrid::rowNamed(std::string_view name) const {
    const auto it = std::find(rows.begin(), rows.end(), name);
    if (it == rows.end())
        return std::nullopt;
    return static_cast<std::size_t>(it - rows.begin());
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

std::vector<TariffChange> TariffDocument::changesFrom(const TariffDocument& original) const {
    std::vector<TariffChange> changes;
    const TariffCell absent;
    for (std::size_t g = 0; g < grids_.size() && g < original.grids_.size(); ++g) {
        const TariffGrid& now = grids_[g];
        const TariffGrid& before = original.grids_[g];
        if (now.columns != before.columns)
            continue;
        auto compare = [&](const std::string& row, const TariffCell& a, const TariffCell& b,
                           std::size_t column) {
            if (differs(a, b))
                changes.push_back(
                    {now.title, row, now.columns[column], listed(a), listed(b), false, g, column});
        };
        for (std::size_t r = 0; r < now.rows.size(); ++r) {
            const auto was = before.rowNamed(now.rows[r]);
            for (std::size_t c = 0; c < now.columns.size(); ++c)
                compare(now.rows[r], was ? before.cell(*was, c) : absent, now.cell(r, c), c);
        }
        for (std::size_t r = 0; r < before.rows.size(); ++r)
            if (!now.rowNamed(before.rows[r]))
                for (std::size_t c = 0; c < before.columns.size(); ++c)
                    compare(before.rows[r], before.cell(r, c), absent, c);
    }
    return changes;
}

TariffRebase
rebaseEdits(const TariffDocument& opened, const TariffDocument& edited, const std::string& current,
            const std::function<std::optional<bool>(const TariffConflict&)>& keepMine) {
    TariffRebase rebase;
    const TariffDocument theirs(current);
    TariffDocument result = theirs;
    if (!result.readOnlyReason().empty()) {
        rebase.refused = result.readOnlyReason();
        return rebase;
    }
    const auto& grids = edited.grids();
    for (std::size_t g = 0; g < grids.size() && g < opened.grids().size(); ++g) {
        const TariffGrid& mine = grids[g];
        const TariffGrid& base = opened.grids()[g];
        if (mine.rows != base.rows || mine.columns != base.columns) {
            // Edits never change a table's rows; were it to happen, nothing
            // is saved rather than an edit dropped.
            rebase.refused = mine.title + ": 表の行が変わったため、変更を書き込めません";
            return rebase;
        }
        for (std::size_t r = 0; r < mine.rows.size(); ++r)
            for (std::size_t c = 0; c < mine.columns.size(); ++c) {
                const TariffCell& edit = mine.cell(r, c);
                const TariffCell& was = base.cell(r, c);
                if (!differs(edit, was))
                    continue;
                const std::string where = mine.title + " " + mine.rows[r] + " " +
                                          std::string(trimLeadingSpaces(mine.columns[c]));
                const auto row = g < result.grids().size()
                                     ? result.grids()[g].rowNamed(mine.rows[r])
                                     : std::nullopt;
                if (!row) {
                    rebase.refused = where + ": ほかのプログラムがこの行を消したため、この変更を"
                                             "書き込めません";
                    return rebase;
                }
                const TariffCell& now = result.grids()[g].cell(*row, c);
                if (!differs(now, edit))
                    continue; // the same value already
                if (differs(now, was)) {
                    const TariffConflict conflict{mine.title,  mine.rows[r], mine.columns[c],
                                                  listed(was), listed(edit), listed(now)};
                    const auto keep = keepMine(conflict);
                    if (!keep)
                        rebase.conflicts.push_back(conflict);
                    if (!keep || !*keep)
                        continue;
                }
                if (const auto refused = result.set({g, *row, c}, TariffDocument::shown(edit))) {
                    rebase.refused = where + ": " + *refused;
                    return rebase;
                }
            }
    }
    rebase.changes = result.changesFrom(theirs);
    for (TariffChange& change : theirs.changesFrom(opened)) {
        change.outside = true;
        rebase.changes.push_back(std::move(change));
    }
    rebase.bytes = result.bytes();
    return rebase;
}

} // namespace hakomaru
