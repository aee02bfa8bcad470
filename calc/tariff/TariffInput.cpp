#include "tariff/TariffInput.h"

#include "tariff/TariffLayout.h"
#include "text/NumberText.h"
#include "text/Sjis.h"
#include "text/Trim.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace hakomaru {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The digits of a number written plainly or with commas between groups of
// three; `unfinished` is set for the start of a grouped number whose last
// group is not yet three digits long.
std::optional<std::string> numberDigits(std::string_view text, bool& unfinished) {
    unfinished = false;
    if (text.empty()) {
        unfinished = true;
        return std::nullopt;
    }
    if (std::all_of(text.begin(), text.end(), isDigit))
        return std::string(text);
    std::string digits;
    std::size_t group = 0; // digits in the current group
    bool grouped = false;
    for (const char c : text) {
        if (isDigit(c)) {
            digits += c;
            ++group;
            if (group > 3)
                return std::nullopt;
        } else if (c == ',') {
            if (group == 0 || (grouped && group != 3))
                return std::nullopt;
            grouped = true;
            group = 0;
        } else {
            return std::nullopt;
        }
    }
    if (group == 3)
        return digits;
    unfinished = true;
    return std::nullopt;
}

std::string_view withoutLeadingZeros(std::string_view digits) {
    while (digits.size() > 1 && digits.front() == '0')
        digits.remove_prefix(1);
    return digits;
}

} // namespace

std::string halfWidthText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
        if (i + 2 < text.size() && byte(0) == 0xEF && (byte(1) == 0xBC || byte(1) == 0xBD) &&
            byte(2) >= 0x80 && byte(2) <= 0xBF) {
            // U+FF00 to U+FF7F; U+FF01 to U+FF5E are the full-width forms of
            // U+0021 to U+007E.
            const unsigned code = 0xFF00u + (byte(1) == 0xBD ? 0x40u : 0u) + (byte(2) - 0x80u);
            if (code >= 0xFF01 && code <= 0xFF5E) {
                out += static_cast<char>(code - 0xFEE0u);
                i += 3;
                continue;
            }
        }
        if (text.substr(i).starts_with("\u3000")) {
            out += ' ';
            i += 3;
            continue;
        }
        if (text.substr(i).starts_with("\u2212")) {
            out += '-';
            i += 3;
            continue;
        }
        out += text[i++];
    }
    return out;
}

std::string inputRuleText(const TariffInputRule& rule) {
    switch (rule.kind) {
    case TariffInputKind::Zone: {
        std::string zones;
        for (const char c : rule.zones)
            zones += (zones.empty() ? "" : " ") + shownFromSjis(std::string_view(&c, 1));
        return "この欄は地帯の文字 1 文字です（" +
               (zones.empty() ? std::string("ゆうパックの料金表に地帯の料金行がありません")
                              : "料金行のある地帯: " + zones) +
               "）";
    }
    case TariffInputKind::Fee:
        return "この欄は " + std::to_string(rule.width) + " 桁までの数字です";
    case TariffInputKind::Option:
        return "この欄は 0 から " + grouped(tariff::kLargestPlausibleFee) + " までの数字です";
    }
    return {};
}

TypedValue readTyped(const TariffInputRule& rule, std::string_view typed) {
    const std::string half = halfWidthText(typed);
    const std::string_view text = trimBlanksAndControls(half);
    TypedValue result;
    if (rule.kind == TariffInputKind::Zone) {
        if (text.empty()) {
            result.state = TypedState::Unfinished;
            return result;
        }
        std::string zone;
        try {
            zone = toSjis(text);
        } catch (const std::invalid_argument&) {
            return result; // no character of code page 932
        }
        if (zone.size() == 1 && rule.zoneHasFees && rule.zoneHasFees(zone[0])) {
            result.state = TypedState::Accepted;
            result.value = std::move(zone);
        }
        return result;
    }
    bool unfinished = false;
    const auto digits = numberDigits(text, unfinished);
    if (!digits) {
        result.state = unfinished ? TypedState::Unfinished : TypedState::Refused;
        return result;
    }
    const std::string_view number = withoutLeadingZeros(*digits);
    const bool fits =
        rule.kind == TariffInputKind::Fee
            ? number.size() <= rule.width
            : number.size() <= 9 && std::stol(std::string(number)) <= tariff::kLargestPlausibleFee;
    if (fits) {
        result.state = TypedState::Accepted;
        result.value = std::string(number);
    }
    return result;
}

} // namespace hakomaru
