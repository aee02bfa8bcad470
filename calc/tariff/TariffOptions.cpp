#include "tariff/TariffOptions.h"

#include "ini/EncodedName.h"
#include "ini/IniValues.h"
#include "tariff/Catalogues.h"
#include "tariff/TariffLayout.h"
#include "text/Trim.h"

#include <algorithm>

#include <vector>

namespace hakomaru {

std::int32_t readOption(const IniStore& tariff, const TariffOption& option) {
    return readInteger(tariff, sjisName(option.section), sjisName(option.key), option.fallback);
}

std::int32_t readRemittanceFee(const IniStore& tariff, int method, const std::string& amountText) {
    const int amountClass = amountText.empty() ? 0 : RemittanceAmountClass(amountText);
    // A number outside the methods has no fees, even where a hand-edited
    // file holds a section "[]".
    const std::string_view name = RemittanceMethodName(method);
    if (name.empty())
        return 0;
    return readInteger(tariff, sjisName(name), sjisName("料金") + std::to_string(amountClass), 0);
}

namespace {

// The entries in file order, and where each service's run of them ends.
struct OptionTable {
    std::vector<TariffOption> all;
    std::vector<TariffOptionGroup> groups;
};

const OptionTable& optionTable() {
    using namespace tariff;
    static const OptionTable table = [] {
        OptionTable t;
        std::vector<std::pair<std::string_view, std::size_t>> ends;
        auto& v = t.all;
        v.push_back(kCarriageForward);
        v.insert(v.end(), kExpress.begin(), kExpress.end());
        v.push_back(kDateRequest);
        v.insert(v.end(), kChilled.begin(), kChilled.end());
        v.push_back(kYoupackCodBase);
        ends.emplace_back("ゆうパック", v.size());
        v.push_back(kCollection);
        v.insert(v.end(), kTimeService.begin(), kTimeService.end());
        v.insert(v.end(), kCool.begin(), kCool.end());
        v.insert(v.end(), kCatCod.begin(), kCatCod.end());
        v.push_back(kSeveralParcels);
        ends.emplace_back("クロネコ", v.size());
        v.push_back(kBookCarriageForward);
        v.insert(v.end(), kBookExpress.begin(), kBookExpress.end());
        v.insert(v.end(), {kBookDateRequest, kBookSimpleRegistered, kBookRegistered, kBookCodBase});
        ends.emplace_back("冊子小包", v.size());
        v.push_back(kLetterCodBase);
        v.insert(v.end(), kInCity.begin(), kInCity.end());
        v.insert(v.end(), kLetterExpress.begin(), kLetterExpress.end());
        v.push_back(kDeliveryRecord);
        v.insert(v.end(), kMorning10.begin(), kMorning10.end());
        v.insert(v.end(), {kSimpleRegistered, kRegistered, kInPerson});
        ends.emplace_back("普通郵便", v.size());
        std::size_t first = 0;
        for (const auto& [service, end] : ends) {
            t.groups.push_back(
                {service, std::span<const TariffOption>(v).subspan(first, end - first)});
            first = end;
        }
        return t;
    }();
    return table;
}

bool same(const TariffOption& a, const TariffOption& b) {
    return a.section == b.section && a.key == b.key;
}

// The weights of the rows of a list that an entry prices, exactly: each
// run of rows from the bound of the row before it to its last row's
// ("4kg超 30kg以下", or "2kg以下" from the list's first row), runs joined
// with "・". `group` names the heading a row lies under ("定形 "), the
// rows before a row of another heading bound nothing.
template <typename Priced, typename Group>
std::string weightsPriced(std::span<const std::string_view> captions, Priced priced, Group group) {
    std::string band;
    std::string_view lastGroup;
    const auto bound = [&](std::size_t row) {
        return std::string(trimLeadingSpaces(captions[row]));
    };
    for (std::size_t row = 0; row < captions.size(); ++row) {
        if (!priced(row) || (row > 0 && priced(row - 1) && group(row - 1) == group(row)))
            continue;
        std::size_t last = row;
        while (last + 1 < captions.size() && priced(last + 1) && group(last + 1) == group(row))
            ++last;
        if (!band.empty())
            band += "・";
        if (group(row) != lastGroup)
            band += group(row);
        lastGroup = group(row);
        if (row > 0 && group(row - 1) == group(row)) {
            std::string_view lower = trimLeadingSpaces(captions[row - 1]);
            if (lower.ends_with("以下"))
                lower.remove_suffix(std::string_view("以下").size());
            band += std::string(lower) + "超 ";
        }
        band += bound(last);
    }
    return band;
}

template <typename Pick> std::string weightRowsPriced(const TariffOption& option, Pick pick) {
    return weightsPriced(
        WeightRows(), [&](std::size_t row) { return same(pick(static_cast<int>(row)), option); },
        [](std::size_t) { return std::string_view{}; });
}

// Postal rows under their heading; a heading row is priced by nothing.
template <typename Reads> std::string postalRowsPriced(Reads reads) {
    return weightsPriced(
        PostalWeightRows(),
        [&](std::size_t row) {
            return !IsPostalHeadingRow(static_cast<int>(row)) && reads(static_cast<int>(row));
        },
        [](std::size_t row) -> std::string_view {
            if (IsPostalHeadingRow(static_cast<int>(row)))
                return "|"; // bounds no row
            return static_cast<int>(row) < kNonStandardHeadingRow ? "定形 " : "定形外 ";
        });
}

} // namespace

std::span<const TariffOption> allTariffOptions() {
    return optionTable().all;
}

std::span<const TariffOptionGroup> tariffOptionGroups() {
    return optionTable().groups;
}

// Express and chilled fees go by weight band. 30 kg has no entry of its
// own: it takes the heaviest band.
const TariffOption& youpackExpressOption(int weightRow) {
    return tariff::kExpress[weightRow == 0 ? 0 : weightRow == 1 ? 1 : 2];
}

const TariffOption& youpackChilledOption(int weightRow) {
    return tariff::kChilled[(weightRow == 0 || weightRow == 1)   ? 0
                            : (weightRow >= 2 && weightRow <= 4) ? 1
                                                                 : 2];
}

// Postal weight bands: 1 up to 250 g, 2 from 500 g to 1 kg, 3 from 1.5 kg.
int letterMailBand(int postalRow) {
    return postalRow <= 9 ? 1 : postalRow <= 12 ? 2 : 3;
}

// The in-city discount exists for the rows up to 250 g only: rows 1 and 2
// share the first entry, rows 4 to 9 have one each.
const TariffOption* letterInCityOption(int w) {
    // The standard-size rows share the first entry; the other rows that
    // have the discount have one each.
    if (w >= kFirstStandardSizeRow && !IsPostalHeadingRow(w) && inCityAvailable(w))
        return &tariff::kInCity[static_cast<std::size_t>(
            IsStandardSizeRow(w) ? 0 : w - kNonStandardHeadingRow)];
    return nullptr;
}

// Express: up to 2 kg, then 2.5 and 3 kg.
const TariffOption& bookExpressOption(int postalRow) {
    return tariff::kBookExpress[postalRow >= 15 ? 1 : 0];
}

std::string tariffOptionBand(const TariffOption& option) {
    using namespace tariff;
    auto in = [&](const auto& entries) {
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (same(entries[i], option))
                return static_cast<int>(i);
        return -1;
    };
    if (in(kExpress) >= 0)
        return weightRowsPriced(option, youpackExpressOption);
    if (in(kChilled) >= 0)
        return weightRowsPriced(option, youpackChilledOption);
    if (const int c = std::max(in(kTimeService), in(kCool)); c >= 0)
        return CatSizeClassCaption(c);
    if (const int c = in(kCatCod); c >= 0)
        return CatCodClassCaption(c);
    if (in(kInCity) >= 0)
        return postalRowsPriced([&](int row) {
            const TariffOption* entry = letterInCityOption(row);
            return entry && same(*entry, option);
        });
    if (const int band = std::max(in(kLetterExpress), in(kMorning10)); band >= 0)
        return postalRowsPriced([&](int row) {
            return !LetterMailReadsNothing(row) && letterMailBand(row) == band + 1;
        });
    if (in(kBookExpress) >= 0)
        return postalRowsPriced([&](int row) {
            return !BookParcelReadsNothing(row) && same(bookExpressOption(row), option);
        });
    return {};
}

std::string tariffOptionNote(const TariffOption& option) {
    using namespace tariff;
    const std::string band = tariffOptionBand(option);
    const auto in = [&](const auto& entries) {
        return std::any_of(entries.begin(), entries.end(),
                           [&](const TariffOption& e) { return same(e, option); });
    };
    if (in(kExpress) || in(kChilled))
        return "重量 " + band;
    if (in(kCatCod))
        return "代引金額 " + band;
    return band;
}

} // namespace hakomaru
