// A complete quote from file (open, read, parse, look up, price) against the
// bare cost of reading the same file's bytes into memory. The windows read
// the tariff anew at every recalculation, so this is the cost of a click.
#include "ini/IniStore.h"
#include "quote/QuoteCat.h"
#include "quote/QuotePostal.h"
#include "quote/QuoteYoupack.h"
#include "tariff/Tariff.h"

#include <benchmark/benchmark.h>

using namespace hakomaru;

namespace {

const std::filesystem::path& tariffPath() {
    static const std::filesystem::path path = HAKOMARU_SHIPPED_DATA_DIR "/Charge.ini";
    return path;
}

void BareRead(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(readFileBytes(tariffPath()));
}

void YoupackFromFile(benchmark::State& state) {
    TYoupackRequest r;
    r.FromCaption = "東京";
    r.ToRow = 52;
    r.WeightRow = 11;
    r.Cyaku = r.Shitei = r.Kakitome = r.Daihiki = true;
    r.DaihikiText = "15";
    for (auto _ : state)
        benchmark::DoNotOptimize(QuoteYoupack(readTariff(tariffPath()), r));
}

void CatFromFile(benchmark::State& state) {
    TCatRequest r;
    r.FromRow = 14;
    r.ToRow = 52;
    r.WeightRow = 5;
    r.SizeRow = 3;
    r.Home = r.Time = r.Fukusu = true;
    r.FukusuText = "3";
    for (auto _ : state)
        benchmark::DoNotOptimize(QuoteCat(readTariff(tariffPath()), r));
}

void LetterMailFromFile(benchmark::State& state) {
    TLetterMailRequest r;
    r.WeightRow = 9;
    r.Sokutatsu = r.Kakitome = r.Daihiki = true;
    r.DaihikiText = "3";
    for (auto _ : state)
        benchmark::DoNotOptimize(QuoteLetterMail(readTariff(tariffPath()), r));
}

void BookParcelFromFile(benchmark::State& state) {
    TBookParcelRequest r;
    r.WeightRow = 12;
    r.Cyaku = r.Sokutatsu = r.Daihiki = true;
    r.DaihikiText = "3";
    for (auto _ : state)
        benchmark::DoNotOptimize(QuoteBookParcel(readTariff(tariffPath()), r));
}

} // namespace

BENCHMARK(BareRead);
BENCHMARK(YoupackFromFile);
BENCHMARK(CatFromFile);
BENCHMARK(LetterMailFromFile);
BENCHMARK(BookParcelFromFile);

BENCHMARK_MAIN();
