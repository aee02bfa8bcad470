// A damaged tariff: one line of 1, 4 or 16 MiB made of one byte, as a
// hand edit or a broken copy can leave it, or a table section of that size
// holding lines that are no entries. Reading it, quoting from it, checking
// it and opening it for editing must cost time in proportion to its size:
// the windows read the tariff at every click. The bytes are those that each
// start a rule of the reading: "[" a header, "=" an entry, ";" a comment, CR
// a line end, a lead byte a double-byte character (0x81 pairs into
// characters, 0xFC into pairs that code page 932 does not map).
#include "ini/EncodedName.h"
#include "ini/IniStore.h"
#include "quote/QuotePostal.h"
#include "text/ConversionError.h"
#include "tools/TariffCheck.h"
#include "tools/TariffEdit.h"

#include <benchmark/benchmark.h>

#include <array>
#include <string>

using namespace hakomaru;

namespace {

struct Damage {
    const char* name;
    std::string_view head; // UTF-8, before the repeated part
    std::string_view unit; // repeated up to the size
};
constexpr std::array<Damage, 7> kDamages{{{"a line of [", "x", "["},
                                          {"a line of =", "x", "="},
                                          {"a line of ;", "x", ";"},
                                          {"a line of CR", "x", "\r"},
                                          {"a line of 0x81", "x", "\x81"},
                                          {"a line of 0xFC", "x", "\xFC"},
                                          {"a zone table of lines without =", "[地帯区分]\r\n", "x\r\n"}}};

void DamagedTariff(benchmark::State& state) {
    const Damage& damage = kDamages[static_cast<size_t>(state.range(0))];
    const auto size = static_cast<size_t>(state.range(1)) << 20;
    std::string bytes = sjisName(damage.head);
    while (bytes.size() + damage.unit.size() + 2 <= size)
        bytes += damage.unit;
    bytes += "\r\n";
    TLetterMailRequest letter;
    letter.WeightRow = 5;
    for (auto _ : state) {
        const IniStore tariff(bytes);
        try {
            benchmark::DoNotOptimize(QuoteLetterMail(tariff, letter));
        } catch (const ConversionError&) {
            // No fee row: the quote fails as it should.
        }
        benchmark::DoNotOptimize(checkTariff(bytes));
        benchmark::DoNotOptimize(TariffDocument(bytes));
    }
    state.SetLabel(damage.name);
}

} // namespace

BENCHMARK(DamagedTariff)
    ->ArgsProduct({benchmark::CreateDenseRange(0, kDamages.size() - 1, 1), {1, 4, 16}})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
