#include "tools/TariffQuoteProofs.h"

#include "quote/QuoteCat.h"
#include "quote/QuotePostal.h"
#include "quote/QuoteYoupack.h"
#include "tariff/Catalogues.h"
#include "tariff/TariffLayout.h"
#include "text/Trim.h"

namespace hakomaru::detail {
namespace {

constexpr std::string_view kYoupackSection = tariff::kYoupackFees.section;
constexpr std::string_view kLetterSection = tariff::kLetterFees.section;
constexpr std::string_view kBookSection = tariff::kBookFees.section;

} // namespace

void addQuoteProofs(RecheckEngine& e) {
    const auto destinations = PrefectureRows(true);
    const auto weights = WeightRows();
    for (int from = 0; from < kSendingRowCount; ++from) {
        if (IsSeparatorRow(destinations[static_cast<size_t>(from)]))
            continue;
        for (int to = 0; to < kDestinationRowCount; ++to)
            e.addProof(Group::Youpack, [&e, from, to, destinations, weights] {
                TYoupackRequest r;
                r.FromCaption = std::string(destinations[static_cast<size_t>(from)]);
                r.ToRow = to;
                for (r.WeightRow = 0; r.WeightRow < static_cast<int>(weights.size()); ++r.WeightRow)
                    if (!e.proves(kYoupackSection,
                                  "ゆうパック " + r.FromCaption + " → " +
                                      std::string(destinations[static_cast<size_t>(to)]) + " " +
                                      std::string(trimLeadingSpaces(weights[r.WeightRow])),
                                  [&] { QuoteYoupack(e.store(), r); }))
                        return;
            });
    }
    for (int from = 0; from < kSendingRowCount; ++from)
        for (int to = 0; to < kDestinationRowCount; ++to) {
            if (CatRegionOf(from).empty() || CatRegionOf(to).empty())
                continue;
            e.addProof(Group::Cat, [&e, from, to, destinations] {
                TCatRequest r;
                r.FromRow = from;
                r.ToRow = to;
                // Weight row 0 with size rows 0 to 5 meets every size class.
                for (r.SizeRow = 0; r.SizeRow < 6; ++r.SizeRow)
                    if (!e.proves(CatRegionOf(from),
                                  "クロネコ " +
                                      std::string(destinations[static_cast<size_t>(from)]) + " → " +
                                      std::string(destinations[static_cast<size_t>(to)]),
                                  [&] { QuoteCat(e.store(), r); }))
                        return;
            });
        }
    for (int row = 1; row < 18; ++row) {
        if (LetterMailReadsNothing(row))
            continue;
        e.addProof(Group::Letter, [&e, row] {
            for (bool morning : {false, true}) {
                TLetterMailRequest r;
                r.WeightRow = row;
                r.Morning10 = morning;
                if (!e.proves(kLetterSection,
                              "普通郵便 " + std::string(trimLeadingSpaces(PostalWeightRows()[row])),
                              [&] { QuoteLetterMail(e.store(), r); }))
                    return;
            }
        });
    }
    for (int row = 0; row < 18; ++row)
        e.addProof(Group::Book, [&e, row] {
            TBookParcelRequest r;
            r.WeightRow = row;
            e.proves(kBookSection,
                     "冊子小包 " + std::string(trimLeadingSpaces(PostalWeightRows()[row])),
                     [&] { QuoteBookParcel(e.store(), r); });
        });
}

} // namespace hakomaru::detail
