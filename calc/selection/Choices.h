#pragma once
// What a person asks of a front end without a window (the quote tool's
// command line and CSV lines, the tariff editor's preview), applied to the
// windows' selection models as the events a person makes there: the rows
// first, then the amount, then each named option in the order given. So a
// front end answers exactly what the window would show for the same steps.
#include "quote/ParcelQuote.h"
#include "quote/PostalQuote.h"
#include "selection/ParcelRules.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace hakomaru {

// A selection the window would not let the person make: an option it
// leaves disabled, or an amount it refuses. The message names it and says
// why.
class SelectionRefused : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct ParcelChoices {
    int fromRow = 0;
    int toRow = 0;
    int weightRow = 0;
    int sizeRow = 0;
    std::string amount;                // as typed into the amount edit; empty: none given
    std::vector<ParcelOption> options; // in the order given; 複数口 with parcelCount
    std::string parcelCount;           // the count typed for 複数口
    int remittance = 8;                // remittance method for cash on delivery
};

template <typename Option> struct PostalChoices {
    int weightRow = 0;
    std::string amount; // empty: none given
    std::vector<Option> options;
    int remittance = 8;
};
using LetterChoices = PostalChoices<LetterOption>;
using BookChoices = PostalChoices<BookOption>;

// The main window after the choices.
struct ParcelSelected {
    TYoupackRequest youpack;
    TCatRequest cat;
    bool youpackHandled = true; // false: ゆうパック shows 取扱不可 (the amount)
    bool catHandled = true; // false: クロネコ shows 取扱不可 (the amount, weight or size)
};

// The window the choices are made in uses クロネコ cash on delivery exactly
// when クロネコ 代金引換 is named. Above an amount of 5, 書留 is checked as
// the amount is entered, whatever band it ends in: ゆうパック requires it.
// Options of a carrier that shows 取扱不可 are not looked at, as the window
// disables the carrier's group. Throws SelectionRefused for an option the
// window leaves disabled when its turn comes, and ConversionError for an
// amount that is not a number.
ParcelSelected selectParcel(const ParcelChoices& choices);

// The postal window after the choices. Throws SelectionRefused for a
// disabled option or an amount above the limit, and ConversionError for an
// amount that is not a number.
TLetterMailRequest selectLetterMail(const LetterChoices& choices);
TBookParcelRequest selectBookParcel(const BookChoices& choices);

} // namespace hakomaru
