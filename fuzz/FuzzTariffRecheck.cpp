// Edits checked again line by line against the file checked whole. The
// first byte gives the number of edits; each edit is a kind byte, two bytes
// that pick a field or an offset, a length byte and up to five bytes of
// value; the rest is the file. Even kinds set a field as the editor does,
// odd kinds replace bytes anywhere. After every edit the document's fields
// are those a fresh read of its bytes gives; after the last, the kept
// checker finds exactly the problems checkTariff() finds on the same bytes
// (checked once: a check of a clean tariff proves every quote, which takes
// a second under the sanitizers).
#include "ini/IniStore.h"
#include "tools/TariffCheck.h"
#include "tools/TariffEdit.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

using namespace hakomaru;

namespace {

auto fieldsOf(const TariffProblem& p) {
    return std::tie(p.kind, p.line, p.section, p.key, p.message, p.position, p.places);
}

auto fieldsOf(const TariffCell& c) {
    return std::tie(c.kind, c.section, c.key, c.position, c.width, c.line, c.offset, c.text,
                    c.trailFirst, c.fallback);
}

void agree(const TariffChecker& checker, const TariffDocument& document) {
    if (checker.store().bytes() != document.bytes())
        std::abort();
    const auto whole = checkTariff(document.bytes());
    const auto& kept = checker.problems();
    if (whole.size() != kept.size())
        std::abort();
    for (size_t i = 0; i < whole.size(); ++i)
        if (fieldsOf(whole[i]) != fieldsOf(kept[i]))
            std::abort();
}

void agree(const TariffDocument& document) {
    const TariffDocument fresh(document.bytes());
    if (fresh.readOnlyReason() != document.readOnlyReason() ||
        fresh.grids().size() != document.grids().size())
        std::abort();
    for (size_t g = 0; g < fresh.grids().size(); ++g) {
        const auto& a = fresh.grids()[g].cells;
        const auto& b = document.grids()[g].cells;
        if (fresh.grids()[g].rows != document.grids()[g].rows || a.size() != b.size())
            std::abort();
        for (size_t c = 0; c < a.size(); ++c)
            if (fieldsOf(a[c]) != fieldsOf(b[c]))
                std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.empty())
        return 0;
    const size_t edits = static_cast<std::uint8_t>(input[0]) % 3 + 1;
    input.remove_prefix(1);
    struct Edit {
        std::uint8_t kind;
        size_t pick, length;
        std::string value;
    };
    std::vector<Edit> planned;
    for (size_t e = 0; e < edits && input.size() >= 4; ++e) {
        Edit edit{static_cast<std::uint8_t>(input[0]),
                  static_cast<std::uint8_t>(input[1]) * 256u + static_cast<std::uint8_t>(input[2]),
                  static_cast<std::uint8_t>(input[3]), {}};
        input.remove_prefix(4);
        const size_t n = std::min<size_t>(edit.length % 6, input.size());
        edit.value = std::string(input.substr(0, n));
        input.remove_prefix(n);
        planned.push_back(std::move(edit));
    }

    TariffDocument document{std::string(input)};
    TariffChecker checker{std::string(input)};
    for (const Edit& edit : planned) {
        TariffSplice splice;
        if (edit.kind % 2 == 0) {
            const auto& grids = document.grids();
            const size_t g = edit.pick % grids.size();
            const size_t c = (edit.pick / grids.size()) % grids[g].cells.size();
            auto made = document.plan(
                {g, c / grids[g].columns.size(), c % grids[g].columns.size()}, edit.value);
            if (!std::holds_alternative<TariffSplice>(made))
                continue;
            splice = std::get<TariffSplice>(made);
        } else {
            const std::string& bytes = document.bytes();
            splice.offset = edit.pick % (bytes.size() + 1);
            splice.removed = bytes.substr(splice.offset, edit.length % 4);
            splice.inserted = edit.value;
        }
        document.apply(splice);
        checker.replace(splice.offset, splice.removed.size(), splice.inserted);
        agree(document);
    }
    agree(checker, document);
    return 0;
}
