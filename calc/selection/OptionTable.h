#pragma once
// Every option a person can choose, one table per kind: the main window's
// parcel options, the letter-mail options and the book-parcel options. A
// row owns everything that names its option: the request field it sets,
// the name the windows and messages show, the quote tool's command-line
// option, its CSV names and its JSON Lines member, an English gloss for the
// help, and the tariff entries its fee reads. The front ends, the help text
// and the names of option fees are all made from these tables.
#include "quote/ParcelQuote.h"
#include "quote/PostalQuote.h"
#include "tariff/TariffOptions.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <variant>

namespace hakomaru {

// The option boxes of the main window, in the windows' order.
enum class ParcelOption {
    YouCyaku,
    YouSokutatsu,
    YouShitei,
    Kakitome,
    YouCild,
    YouDaihiki,
    CatHome,
    CatTime,
    CatCool,
    CatDaihiki,
    CatFukusu,
};
// The options of the letter-mail page and of the book-parcel page.
enum class LetterOption {
    InCity,
    Sokutatsu,
    Haitatsu,
    Morning10,
    KaniKakitome,
    Kakitome,
    Gentei,
    Daihiki
};
enum class BookOption { Cyaku, Sokutatsu, Shitei, Kani, Kakitome, Daihiki };
inline constexpr size_t kParcelOptionCount = static_cast<size_t>(ParcelOption::CatFukusu) + 1;
inline constexpr size_t kLetterOptionCount = static_cast<size_t>(LetterOption::Daihiki) + 1;
inline constexpr size_t kBookOptionCount = static_cast<size_t>(BookOption::Daihiki) + 1;

enum class Carrier { Youpack, Cat };

// The names of one option.
struct OptionNames {
    std::string_view name;        // as windows and messages show it: "送料着払い"
    std::string_view english;     // a gloss for the help and the README: "carriage forward"
    std::string_view commandLine; // the quote tool's option without "--": "you-cyaku"
    std::string_view argument;    // the value that option takes ("N"); empty: none
    std::string_view json;        // the JSON Lines member, the request field's name: "Cyaku"
    // The names a CSV line may give besides `name` and `commandLine`, the
    // first as the help shows it; empty where the kind has no CSV input. Two
    // options of one name are both chosen by it ("代金引換": both carriers).
    std::array<std::string_view, 2> csv{};
};

struct ParcelOptionRow {
    ParcelOption option;
    Carrier carrier;
    bool TYoupackRequest::*youpack; // the field a ゆうパック option sets, else null
    bool TCatRequest::*cat;         // the field a クロネコ option sets, else null
    OptionNames names;
    // Every tariff entry the option's fee may read (by weight row, size class
    // or amount class where there are several); none where the fee is worked
    // out from the amount alone.
    std::span<const TariffOption> fees;
};

template <typename Option, typename Request> struct PostalOptionRow {
    Option option;
    bool Request::*field;
    OptionNames names;
    std::span<const TariffOption> fees;
};
using LetterOptionRow = PostalOptionRow<LetterOption, TLetterMailRequest>;
using BookOptionRow = PostalOptionRow<BookOption, TBookParcelRequest>;

// The tables, each in the order of its enumeration.
std::span<const ParcelOptionRow> parcelOptions();
std::span<const LetterOptionRow> letterOptions();
std::span<const BookOptionRow> bookOptions();

const ParcelOptionRow& optionRow(ParcelOption option);
const LetterOptionRow& optionRow(LetterOption option);
const BookOptionRow& optionRow(BookOption option);

// The names a person sees ("送料着払い", "クロネコ 代金引換", "翌朝10時").
std::string_view optionName(ParcelOption option);
std::string_view optionName(LetterOption option);
std::string_view optionName(BookOption option);

// The option whose fee reads a tariff entry, and its name, for naming an
// option fee; nothing for an entry no option reads.
struct OptionOfEntry {
    std::variant<ParcelOption, LetterOption, BookOption> option;
    std::string_view name;
};
std::optional<OptionOfEntry> optionReading(const TariffOption& entry);

} // namespace hakomaru
