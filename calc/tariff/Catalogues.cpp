#include "tariff/Catalogues.h"

#include "text/NumberText.h"
#include "text/Trim.h"

#include <array>
#include <string>

namespace hakomaru {
namespace {

struct PrefectureRow {
    std::string_view caption;
    std::string_view catRegion;
};

constexpr std::array<PrefectureRow, kDestinationRowCount> kPrefectures{{
    {"北海道", "北海道"}, {"━━東北", ""},     {"青森", "北東北"},       {"岩手", "北東北"},
    {"秋田", "北東北"},   {"山形", "南東北"}, {"宮城", "南東北"},       {"福島", "南東北"},
    {"━━関東・信越", ""}, {"茨城", "関東"},   {"栃木", "関東"},         {"群馬", "関東"},
    {"埼玉", "関東"},     {"千葉", "関東"},   {"東京", "関東"},         {"神奈川", "関東"},
    {"山梨", "関東"},     {"新潟", "信越"},   {"長野", "信越"},         {"━━北陸・中部", ""},
    {"富山", "北陸"},     {"石川", "北陸"},   {"福井", "北陸"},         {"静岡", "中部"},
    {"愛知", "中部"},     {"岐阜", "中部"},   {"三重", "中部"},         {"━━近畿", ""},
    {"滋賀", "近畿"},     {"京都", "近畿"},   {"大阪", "近畿"},         {"兵庫", "近畿"},
    {"奈良", "近畿"},     {"和歌山", "近畿"}, {"━━中国・四国", ""},     {"鳥取", "中国"},
    {"岡山", "中国"},     {"島根", "中国"},   {"広島", "中国"},         {"山口", "中国"},
    {"香川", "四国"},     {"徳島", "四国"},   {"愛媛", "四国"},         {"高知", "四国"},
    {"━━九州", ""},       {"福岡", "九州"},   {"佐賀", "九州"},         {"長崎", "九州"},
    {"大分", "九州"},     {"熊本", "九州"},   {"宮崎", "九州"},         {"鹿児島", "九州"},
    {"沖縄", "沖縄"},     {"━━特殊地域", ""}, {"同一市内", "同一市内"},
}};

// The separator rows named in the header are the rows whose caption is one.
static_assert([] {
    size_t next = 0;
    for (size_t row = 0; row < kPrefectures.size(); ++row) {
        const bool separator = kPrefectures[row].caption.starts_with("━");
        const bool named =
            next < kSeparatorRows.size() && kSeparatorRows[next] == static_cast<int>(row);
        if (separator != named)
            return false;
        next += named;
    }
    return next == kSeparatorRows.size();
}());

constexpr auto kPrefectureCaptions = [] {
    std::array<std::string_view, kDestinationRowCount> captions{};
    for (size_t i = 0; i < captions.size(); ++i)
        captions[i] = kPrefectures[i].caption;
    return captions;
}();

constexpr std::array<std::string_view, 14> kWeightRows{
    " 2kg以下", " 4kg以下", " 5kg以下", " 6kg以下", " 8kg以下", "10kg以下", "12kg以下",
    "14kg以下", "15kg以下", "16kg以下", "18kg以下", "20kg以下", "25kg以下", "30kg以下"};

constexpr std::array<std::string_view, 8> kSizeRows{" 60cm以下", " 80cm以下", "100cm以下",
                                                    "120cm以下", "140cm以下", "150cm以下",
                                                    "160cm以下", "170cm以下"};

constexpr std::array<std::string_view, kPostalWeightRowCount> kPostalWeightRows{
    "定形",      "  25g以下", "  50g以下", "定形外・冊子小包", "  50g以下", "  75g以下",
    " 100g以下", " 150g以下", " 200g以下", " 250g以下",        " 500g以下", " 750g以下",
    "  1kg以下", "1.5kg以下", "  2kg以下", "2.5kg以下",        "  3kg以下", "  4kg以下"};

constexpr std::array<std::string_view, kRemittanceMethodCount> kRemittanceMethods{
    "普通為替",     "速達普通為替", "電信居宅払",   "電信窓口払", "電信証書送達",
    "電信証書留置", "通常払込",     "速達通常払込", "電信払込"};

} // namespace

std::span<const std::string_view> PrefectureRows(bool destinationList) {
    return std::span(kPrefectureCaptions)
        .first(destinationList ? kDestinationRowCount : kSendingRowCount);
}

bool IsSeparatorRow(std::string_view caption) {
    return caption.starts_with("━");
}

std::string_view CatRegionOf(int row) {
    if (row < 0 || row >= kDestinationRowCount)
        return {};
    return kPrefectures[static_cast<size_t>(row)].catRegion;
}

int PrefectureGroupOf(int row) {
    int group = 0;
    for (int separator : kSeparatorRows)
        group += row >= separator;
    return group;
}

std::span<const std::string_view> WeightRows() {
    return kWeightRows;
}
std::span<const std::string_view> SizeRows() {
    return kSizeRows;
}
std::span<const std::string_view> PostalWeightRows() {
    return kPostalWeightRows;
}

int CatSizeClass(int w, int s) {
    if (w < 1 && s < 1)
        return 0;
    if (w < 3 && s < 2)
        return 1;
    if (w < 6 && s < 3)
        return 2;
    if (w < 9 && s < 4)
        return 3;
    if (w < 12 && s < 5)
        return 4;
    if (w < 13 && s < 6)
        return 5;
    return 0;
}

std::string_view RemittanceMethodName(int method) {
    if (method < 0 || method >= static_cast<int>(kRemittanceMethods.size()))
        return {};
    return kRemittanceMethods[static_cast<size_t>(method)];
}

namespace {

template <std::size_t N> int amountClass(const std::array<AmountBound, N>& bounds, float a) {
    for (std::size_t c = 0; c < N; ++c)
        if (bounds[c].inclusive ? a <= bounds[c].limit : a < bounds[c].limit)
            return static_cast<int>(c) + 1;
    return 0;
}

std::string manYen(float limit) {
    return std::to_string(static_cast<int>(limit)) + "万円";
}

template <std::size_t N>
std::string amountClassCaption(const std::array<AmountBound, N>& bounds, int c) {
    if (c < 0 || c > static_cast<int>(N))
        return {};
    if (c == 0)
        return "空欄・" + manYen(bounds.back().limit) + (bounds.back().inclusive ? "超" : "以上");
    const auto upper = bounds[static_cast<std::size_t>(c) - 1];
    std::string caption;
    if (c > 1) {
        const auto lower = bounds[static_cast<std::size_t>(c) - 2];
        caption = manYen(lower.limit) + (lower.inclusive ? "超 " : "以上 ");
    }
    return caption + manYen(upper.limit) + (upper.inclusive ? "以下" : "未満");
}

} // namespace

int RemittanceAmountClass(std::string_view amountText) {
    return amountClass(kRemittanceAmountBounds, toSingle(amountText));
}

int CatCodClass(std::string_view amountText) {
    if (amountText.empty())
        return 0;
    return amountClass(kCatCodBounds, toSingle(amountText));
}

std::string RemittanceAmountClassCaption(int c) {
    return amountClassCaption(kRemittanceAmountBounds, c);
}

std::string CatCodClassCaption(int c) {
    return amountClassCaption(kCatCodBounds, c);
}

std::string CatSizeClassCaption(int sizeClass) {
    if (sizeClass < 0 || sizeClass >= kCatSizeClassCount)
        return {};
    // The class's size limit is its own size row; its weight limit the
    // heaviest weight row that stays in the class at that size.
    int weight = 0;
    while (weight + 1 < static_cast<int>(kWeightRows.size()) &&
           CatSizeClass(weight + 1, sizeClass) == sizeClass)
        ++weight;
    return std::string(trimLeadingSpaces(kSizeRows[static_cast<std::size_t>(sizeClass)])) + "・" +
           std::string(trimLeadingSpaces(kWeightRows[static_cast<std::size_t>(weight)]));
}

} // namespace hakomaru
