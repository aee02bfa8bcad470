#include "TariffOptions.h"

#include "Catalogues.h"
#include "EncodedName.h"
#include "IniValues.h"

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

std::span<const TariffOption> allTariffOptions() {
    using namespace tariff;
    static const std::vector<TariffOption> all = [] {
        std::vector<TariffOption> v{kCarriageForward};
        v.insert(v.end(), kExpress.begin(), kExpress.end());
        v.push_back(kDateRequest);
        v.insert(v.end(), kChilled.begin(), kChilled.end());
        v.push_back(kYoupackCodBase);
        v.push_back(kCollection);
        v.insert(v.end(), kTimeService.begin(), kTimeService.end());
        v.insert(v.end(), kCool.begin(), kCool.end());
        v.insert(v.end(), kCatCod.begin(), kCatCod.end());
        v.push_back(kSeveralParcels);
        v.push_back(kBookCarriageForward);
        v.insert(v.end(), kBookExpress.begin(), kBookExpress.end());
        v.insert(v.end(), {kBookDateRequest, kBookSimpleRegistered, kBookRegistered, kBookCodBase,
                           kLetterCodBase});
        v.insert(v.end(), kInCity.begin(), kInCity.end());
        v.insert(v.end(), kLetterExpress.begin(), kLetterExpress.end());
        v.push_back(kDeliveryRecord);
        v.insert(v.end(), kMorning10.begin(), kMorning10.end());
        v.insert(v.end(), {kSimpleRegistered, kRegistered, kInPerson});
        return v;
    }();
    return all;
}

} // namespace hakomaru
