#include "tools/TariffCheckRules.h"

#include "ini/EncodedName.h"
#include "tariff/Catalogues.h"
#include "tariff/FixedWidthField.h"
#include "tariff/TariffOptions.h"
#include "text/ConversionError.h"
#include "text/NumberText.h"
#include "text/Sjis.h"
#include "text/Trim.h"
#include "tools/TariffFieldName.h"

#include <algorithm>
#include <sstream>

namespace hakomaru::detail {
namespace {

using Kind = TariffProblemKind;
using LineKind = IniLine::Kind;
using tariff::kCatRegions;
using tariff::kZoneCharacters;
using tariff::kZoneSection;
constexpr std::string_view kYoupackSection = tariff::kYoupackFees.section;
constexpr std::string_view kLetterSection = tariff::kLetterFees.section;
constexpr std::string_view kBookSection = tariff::kBookFees.section;

bool isRegion(std::string_view name) {
    for (std::string_view region : kCatRegions)
        if (iniNamesMatch(name, sj(region)))
            return true;
    return false;
}

std::optional<int> remittanceMethodOf(std::string_view name) {
    for (int method = 0; method < kRemittanceMethodCount; ++method)
        if (iniNamesMatch(name, sj(RemittanceMethodName(method))))
            return method;
    return std::nullopt;
}

bool isOptionSection(std::string_view name) {
    for (const TariffOption& e : allTariffOptions())
        if (iniNamesMatch(name, sj(e.section)))
            return true;
    return false;
}

bool isKnownSection(std::string_view name) {
    for (std::string_view table : {kZoneSection, kYoupackSection, kLetterSection, kBookSection})
        if (iniNamesMatch(name, sj(table)))
            return true;
    return isRegion(name) || remittanceMethodOf(name) || isOptionSection(name);
}

bool isKnownKey(std::string_view section, std::string_view key) {
    auto is = [](std::string_view a, std::string_view utf8) { return iniNamesMatch(a, sj(utf8)); };
    bool known = false;
    if (is(section, kZoneSection)) {
        for (int row = 0; row < kSendingRowCount; ++row) {
            const std::string_view caption = PrefectureRows(false)[static_cast<size_t>(row)];
            known = known || (!IsSeparatorRow(caption) && is(key, caption));
        }
    }
    if (is(section, kYoupackSection))
        known = known || is(key, tariff::kYoupackSameCityKey) || tariff::isZoneFeeKey(key);
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

} // namespace

bool TariffFormatRules::addChecks() {
    e_.unit(Group::None, [this] { readable_ = encoding(); });
    if (!readable_)
        return false;
    e_.unit(Group::None, [this] { structure(); });
    zoneTable();
    youpackFees();
    catFees();
    letterFees();
    bookFees();
    options();
    return true;
}

bool TariffFormatRules::encoding() {
    const size_t firstHigh = firstNonAsciiByte(e_.bytes());
    const bool multibyte = firstHigh != std::string_view::npos;
    if (e_.bytes().starts_with("\xEF\xBB\xBF") || (multibyte && isWellFormedUtf8(e_.bytes()))) {
        const size_t line = e_.store().lineNumberOf(e_.bytes().substr(firstHigh));
        e_.add(Kind::NotShiftJis, line, {}, {},
               "ファイルが UTF-8 "
               "で保存されています。日本語のセクション名とキーがどれも見つかりません。"
               "Shift-JIS (コードページ 932) で保存し直してから、もう一度検査してください");
        return false;
    }
    if (!multibyte)
        return true; // ASCII alone is Shift-JIS
    // Comment lines too: a file saved in another encoding shows there first.
    forEachIniLine(e_.bytes(), [this](const IniLine& l) {
        if (size_t at = firstNonSjisByte(l.text)) {
            std::ostringstream hex;
            hex << std::hex << std::uppercase
                << static_cast<int>(static_cast<unsigned char>(l.text[at - 1]));
            e_.add(Kind::NotShiftJis, l.number, {}, {},
                   "Shift-JIS として読めないバイト 0x" + hex.str() + " があります（" + num(at) +
                       " 桁目）。Shift-JIS (コードページ 932) で保存してください");
        }
    });
    return true;
}

void TariffFormatRules::structure() {
    IniNameIndex lastInSpan;
    for (size_t i = 0; i < e_.lines().size(); ++i) {
        const IniLine& line = e_.lines()[i];
        const std::string_view section = e_.sectionOfLine(i);
        switch (line.kind) {
        case LineKind::Ignored:
            e_.add(Kind::LineOutsideSection, line.number, {}, {},
                   "最初のセクションより前の行は読まれません: " + excerpt(line.text));
            break;
        case LineKind::Other:
            e_.add(Kind::LineWithoutEquals, line.number, section, {},
                   "「=」のない行は読まれません: " + excerpt(line.text));
            break;
        case LineKind::Section:
            lastInSpan = e_.lastEntries(e_.spanOfLine(i));
            if (const SectionSpan* later = e_.findSpan(line.name); later && later->header != i)
                e_.add(Kind::DuplicateSection, line.number, line.name, {},
                       "同じ名前のセクションが " + num(e_.lineNumber(later->header)) +
                           " 行目にもあるため、このセクションは読まれません");
            else if (!isKnownSection(line.name))
                e_.add(Kind::UnknownSection, line.number, line.name, {},
                       "不明なセクションです（読まれません。名前の誤りではありませんか）");
            break;
        case LineKind::Entry:
            entryStructure(i, section, lastInSpan.at(line.name));
            break;
        }
    }
}

// `last`: the section's last entry of the same key.
void TariffFormatRules::entryStructure(size_t i, std::string_view section, size_t last) {
    const IniLine& line = e_.lines()[i];
    if (last != i) {
        e_.add(Kind::DuplicateKey, line.number, section, line.name,
               "同じキーが " + num(e_.lineNumber(last)) +
                   " 行目にもあるため、この行は読まれません");
        return;
    }
    if (isKnownSection(section) && !isKnownKey(section, line.name))
        e_.add(Kind::UnknownKey, line.number, section, line.name,
               "不明なキーです（読まれません。名前の誤りではありませんか）");
}

// A whole table section missing: one problem, not one per row.
const SectionSpan* TariffFormatRules::requireSection(std::string_view section,
                                                     const std::string& consequence) {
    const SectionSpan* span = e_.findSpan(sj(section));
    if (!span)
        e_.add(Kind::MissingEntry, 0, sj(section), {},
               "セクションがありません（" + consequence + "）");
    return span;
}

// `discount` is what the quote deducts from every stored fee.
void TariffFormatRules::checkFeeRow(size_t index, const FeeTable& table, std::int32_t discount) {
    const IniLine& line = e_.lines()[index];
    const std::string_view section = e_.sectionOfLine(index);
    const std::string_view value = line.value;
    const std::vector<FeeColumn>& columns = feeColumns(table);
    const size_t width = table.width;
    const size_t needed = feeRowLength(table);
    if (value.size() < needed) {
        std::string missing;
        for (const FeeColumn& f : columns)
            if (f.first + width - 1 > value.size())
                missing += (missing.empty() ? "" : "、") + f.name;
        e_.add(Kind::ShortFeeRow, line.number, section, line.name,
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
            e_.add(Kind::BadField, line.number, section, line.name,
                   where + ConversionError::notWholeNumber(shownFromSjis(field)).what(), f.first);
        else if (*fee < 0)
            e_.add(Kind::NegativeFee, line.number, section, line.name,
                   where + "料金 " + std::to_string(*fee) + " 円は負の数です", f.first);
        else if (*fee < discount)
            e_.add(Kind::NegativeFee, line.number, section, line.name,
                   where + "料金 " + std::to_string(*fee) + " 円から " + std::to_string(discount) +
                       " 円を引いた店頭持ち込みの料金が負になります",
                   f.first);
    }
}

void TariffFormatRules::zoneTable() {
    e_.unit(Group::Youpack, [this] { requireSection(kZoneSection, "ゆうパックは計算できません"); });
    const SectionSpan* span = e_.findSpan(sj(kZoneSection));
    if (!span)
        return;
    const size_t header = e_.lineNumber(span->header);
    zoneRows_.resize(kSendingRowCount);
    for (int row = 0; row < kSendingRowCount; ++row)
        if (!IsSeparatorRow(PrefectureRows(false)[static_cast<size_t>(row)]))
            e_.unit(Group::Youpack, [this, row, header] { zoneRow(row, header); });
}

void TariffFormatRules::zoneRow(int row, size_t header) {
    const auto destinations = PrefectureRows(true);
    const std::string_view caption = PrefectureRows(false)[static_cast<size_t>(row)];
    ZoneRow& uses = zoneRows_[static_cast<size_t>(row)];
    uses.zones.clear();
    uses.index = e_.readEntry(sj(kZoneSection), sj(caption));
    if (!uses.index) {
        e_.add(Kind::MissingEntry, header, sj(kZoneSection), sj(caption),
               "この都道府県の行がありません（" + std::string(caption) +
                   " から送るゆうパックは計算できません）");
        return;
    }
    const IniLine& line = e_.lines()[*uses.index];
    const std::string_view zones = line.value;
    if (zones.size() < kZoneCharacters)
        e_.add(Kind::ShortZoneRow, line.number, sj(kZoneSection), line.name,
               "地帯の文字が " + num(zones.size()) + " 文字しかありません（" +
                   num(kZoneCharacters) + " 文字必要）。届け先 " +
                   std::string(destinations[zones.size()]) + " から先の地帯がありません");
    for (size_t pos = 1; pos <= std::min(zones.size(), kZoneCharacters); ++pos) {
        const char c = zones[pos - 1];
        if (!tariff::isZoneCharacter(c)) {
            // A blank or a control character is a byte of its own; any
            // other byte that is no zone is a part of a character.
            const bool unseen = isBlankOrControl(c) || c == 0x7F;
            e_.add(Kind::BadZoneCharacter, line.number, sj(kZoneSection), line.name,
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
std::map<char, TariffFormatRules::ZoneUse> TariffFormatRules::zoneUses() {
    std::map<char, ZoneUse> uses;
    for (size_t row = 0; row < zoneRows_.size(); ++row) {
        if (!zoneRows_[row].index)
            continue;
        e_.depend(*zoneRows_[row].index);
        const size_t line = e_.lineNumber(*zoneRows_[row].index);
        for (const auto& [c, pos] : zoneRows_[row].zones) {
            // Zone keys that differ by letter case only are one entry.
            auto it = uses.try_emplace(foldedSingleByte(c),
                                       ZoneUse{tariff::zoneFeeKey(std::string(1, c)),
                                               std::string(PrefectureRows(false)[row]), line, pos})
                          .first;
            it->second.places.emplace_back(line, pos);
        }
    }
    return uses;
}

void TariffFormatRules::youpackFees() {
    e_.unit(Group::Youpack,
            [this] { requireSection(kYoupackSection, "ゆうパックは計算できません"); });
    const SectionSpan* span = e_.findSpan(sj(kYoupackSection));
    if (!span)
        return;
    const size_t header = e_.lineNumber(span->header);
    e_.unit(Group::Youpack, [this, header] {
        for (const auto& [zone, use] : zoneUses()) {
            if (e_.readEntry(sj(kYoupackSection), use.key))
                continue;
            const auto where = tariffFieldName(sj(kZoneSection), sj(use.prefecture), use.position);
            e_.add(Kind::MissingZoneFee, header, sj(kYoupackSection), use.key,
                   "この地帯の料金行がありません。" + where->text() + "（" + num(use.line) +
                       " 行目の " + num(use.position) + " 桁目）など " + num(use.places.size()) +
                       " か所で使われています");
            e_.lastProblem().places = use.places;
        }
        const std::string& sameCity = sj(tariff::kYoupackSameCityKey);
        if (!e_.readEntry(sj(kYoupackSection), sameCity))
            e_.add(Kind::MissingEntry, header, sj(kYoupackSection), sameCity,
                   "同一市内の料金行がありません（届け先 同一市内 のゆうパックは計算できません）");
    });
    const std::string& sameCity = sj(tariff::kYoupackSameCityKey);
    for (size_t index : e_.effectiveEntries(*span))
        if (tariff::isZoneFeeKey(e_.lines()[index].name) ||
            iniNamesMatch(e_.lines()[index].name, sameCity))
            e_.unit(Group::Youpack, [this, index] {
                e_.depend(index);
                checkFeeRow(index, tariff::kYoupackFees);
            });
}

void TariffFormatRules::catFees() {
    std::vector<std::string_view> destinations(kCatRegions.begin(), kCatRegions.end());
    destinations.push_back(tariff::kCatSameCityKey);
    for (std::string_view from : kCatRegions) {
        e_.unit(Group::Cat, [this, from] {
            requireSection(from, "発送地 " + std::string(from) + " のクロネコは計算できません");
        });
        const SectionSpan* span = e_.findSpan(sj(from));
        if (!span)
            continue;
        const size_t header = e_.lineNumber(span->header);
        for (std::string_view to : destinations)
            e_.unit(Group::Cat, [this, from, to, header] {
                const auto index = e_.readEntry(sj(from), sj(to));
                if (!index)
                    e_.add(Kind::MissingEntry, header, sj(from), sj(to),
                           "クロネコの料金行がありません（" + std::string(from) + " → " +
                               std::string(to) + " は計算できません）");
                else
                    checkFeeRow(*index, tariff::kCatFees, tariff::kCatShopDiscount);
            });
    }
}

// A table of named rows: its section must be there, and each key.
void TariffFormatRules::keyedFees(Group group, const FeeTable& table,
                                  const std::string& consequence,
                                  const std::function<std::string(size_t)>& missing) {
    e_.unit(group, [this, &table, consequence] { requireSection(table.section, consequence); });
    const SectionSpan* span = e_.findSpan(sj(table.section));
    if (!span)
        return;
    const size_t header = e_.lineNumber(span->header);
    for (size_t k = 0; k < table.keys.size(); ++k)
        e_.unit(group, [this, &table, k, header, message = missing(k)] {
            const std::string_view key = table.keys[k];
            const auto index = e_.readEntry(sj(table.section), sj(key));
            if (!index)
                e_.add(Kind::MissingEntry, header, sj(table.section), sj(key), message);
            else
                checkFeeRow(*index, table);
        });
}

void TariffFormatRules::letterFees() {
    keyedFees(Group::Letter, tariff::kLetterFees, "普通郵便は計算できません", [](size_t k) {
        return "普通郵便の料金行がありません（" +
               std::string(k == 0 ? "普通郵便" : "翌朝10時の普通郵便") + "は計算できません）";
    });
}

void TariffFormatRules::bookFees() {
    keyedFees(Group::Book, tariff::kBookFees, "冊子小包は計算できません", [](size_t) {
        return std::string("冊子小包の料金行がありません（冊子小包は計算できません）");
    });
}

void TariffFormatRules::optionValue(const std::string& section, const std::string& key,
                                    int fallback) {
    const auto index = e_.readEntry(section, key);
    if (!index)
        return;
    const IniLine& line = e_.lines()[*index];
    const std::string_view writtenSection = e_.sectionOfLine(*index);
    const auto fee = parseWholeNumber(line.value);
    if (!fee)
        e_.add(Kind::NotWholeNumber, line.number, writtenSection, line.name,
               "値 '" + excerpt(line.value) + "' は整数ではありません（黙って既定値 " +
                   std::to_string(fallback) + " 円が使われます）");
    else if (*fee < 0)
        e_.add(Kind::NegativeFee, line.number, writtenSection, line.name,
               "料金 " + std::to_string(*fee) + " 円は負の数です");
    else if (*fee > tariff::kLargestPlausibleFee)
        e_.add(Kind::ImplausibleFee, line.number, writtenSection, line.name,
               "料金 " + std::to_string(*fee) + " 円は大きすぎます（" +
                   grouped(tariff::kLargestPlausibleFee) + " 円まで。桁の誤りではありませんか）");
}

void TariffFormatRules::options() {
    auto option = [this](std::string section, std::string key, int fallback) {
        e_.unit(Group::None, [this, section = std::move(section), key = std::move(key), fallback] {
            optionValue(section, key, fallback);
        });
    };
    for (const TariffOption& e : allTariffOptions())
        option(sj(e.section), sj(e.key), e.fallback);
    for (int method = 0; method < kRemittanceMethodCount; ++method)
        for (int c = 0; c < kRemittanceClassCount; ++c)
            option(sj(RemittanceMethodName(method)), sj("料金" + std::to_string(c)), 0);
}

} // namespace hakomaru::detail
