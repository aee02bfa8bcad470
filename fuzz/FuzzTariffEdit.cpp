// The tariff edit core on arbitrary files and values. The first bytes pick
// a field and a value, the rest is the file. An edit either changes nothing
// (refused) or sets its field to the value and leaves every other field as
// it was, and the file read again holds the same fields; a Shift-JIS file
// stays Shift-JIS.
#include "text/NumberText.h"
#include "tools/TariffEdit.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace hakomaru;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size < 4)
        return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t pick =
        static_cast<std::uint8_t>(input[0]) * 256u + static_cast<std::uint8_t>(input[1]);
    const std::size_t valueLength = static_cast<std::uint8_t>(input[2]) % 6;
    const std::string value(input.substr(3, valueLength));
    const std::string bytes(input.substr(std::min(size, 3 + valueLength)));

    TariffDocument document(bytes);
    const TariffDocument before = document;
    // The field: a grid, then a cell of it.
    const auto& grids = document.grids();
    const std::size_t g = pick % grids.size();
    const std::size_t cells = grids[g].cells.size();
    const std::size_t c = (pick / grids.size()) % cells;
    const TariffAddress at{g, c / grids[g].columns.size(), c % grids[g].columns.size()};

    if (document.set(at, value)) {
        if (document.bytes() != bytes)
            std::abort(); // refused, yet changed
        return 0;
    }
    if (TariffDocument(document.bytes()).bytes() != document.bytes())
        std::abort();
    // An editable file stays editable: no value is written through half a
    // double-byte character.
    if (before.readOnlyReason().empty() && !document.readOnlyReason().empty())
        std::abort();
    // Every other field reads as before; the edited one reads as the value.
    for (std::size_t i = 0; i < grids.size(); ++i)
        for (std::size_t k = 0; k < grids[i].cells.size(); ++k) {
            const std::string now = TariffDocument::shown(document.grids()[i].cells[k]);
            const std::string was = TariffDocument::shown(before.grids()[i].cells[k]);
            if (i == g && k == c) {
                // The value as the field reads typing: blanks around it,
                // full-width forms and grouping commas do not count.
                const TypedValue typed = readTyped(before.inputRule(at), value);
                const auto number = parseWholeNumber(now);
                if (typed.state != TypedState::Accepted ||
                    (now != typed.value && (!number || number != parseWholeNumber(typed.value))))
                    std::abort();
            } else if (now != was) {
                std::abort();
            }
        }
    return 0;
}
