// Both windows' selection models under random event sequences. Each pair of
// bytes is one event a person could make. After every event the states the
// rules keep must hold: two options that exclude each other are never both
// checked and both clickable; クール and 市内特別 only where the rows allow
// them; the count edit shown exactly with 複数口; クロネコ 代金引換 clickable
// only while in use; a click on a box that cannot be clicked changes
// nothing; one event never cascades without end; and nothing but the
// conversion error of 代金引換 with an amount that is no number escapes.
#include "selection/ParcelSelection.h"
#include "selection/PostalSelection.h"
#include "tariff/Catalogues.h"
#include "text/ConversionError.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <tuple>

using namespace hakomaru;

namespace {

const char* const kTexts[] = {"",    "0",     "1",   "5", "5.1",   "8", "30",  "30.1", "50",
                              "200", "200.1", "250", ".", "1.2.3", "3", "999", "abc"};

std::string textOf(std::uint8_t b) {
    return kTexts[b % (sizeof kTexts / sizeof *kTexts)];
}

void require(bool holds) {
    if (!holds)
        std::abort();
}

// Counts what the models ask of the window; a cascade that does not end
// would count without bound.
struct Counting final : ParcelDisplay, PostalDisplay {
    int calls = 0;
    void recalcYoupack() override { ++calls; }
    void recalcCat() override { ++calls; }
    void showNotHandled(Carrier) override { ++calls; }
    void showNoDestination() override { ++calls; }
    void refreshLetterMail() override { ++calls; }
    void refreshBookParcel() override { ++calls; }
    void showAmountLimit() override { ++calls; }
};

auto snapshot(const ParcelSelection& m) {
    std::array<BoxState, kParcelOptionCount> boxes{};
    for (size_t i = 0; i < boxes.size(); ++i)
        boxes[i] = m.box(static_cast<ParcelOption>(i));
    return std::make_tuple(boxes, m.fromRow(), m.toRow(), m.weightRow(), m.sizeRow(),
                           m.amountText(), m.countText(), m.countShown(),
                           m.groupEnabled(Carrier::Youpack), m.groupEnabled(Carrier::Cat));
}

auto snapshot(const PostalSelection& m) {
    std::array<BoxState, kLetterOptionCount> letter{};
    std::array<BoxState, kBookOptionCount> book{};
    for (size_t i = 0; i < letter.size(); ++i)
        letter[i] = m.box(static_cast<LetterOption>(i));
    for (size_t i = 0; i < book.size(); ++i)
        book[i] = m.box(static_cast<BookOption>(i));
    return std::make_tuple(letter, book, m.weightRow(), m.amountText(), m.page());
}

template <typename Option, size_t N, typename Model, typename Clickable>
void exclusionsHold(const Model& m, Clickable clickable) {
    for (size_t i = 0; i < N; ++i) {
        const auto a = static_cast<Option>(i);
        for (Option b : excludedBy(a))
            require(!(m.box(a).checked && m.box(b).checked && clickable(m, a) && clickable(m, b)));
    }
}

void parcelEvent(ParcelSelection& m, std::uint8_t kind, std::uint8_t value) {
    const auto option = static_cast<ParcelOption>(value % kParcelOptionCount);
    switch (kind % 9) {
    case 0: {
        const bool may = m.mayClick(option);
        const auto before = snapshot(m);
        require(m.click(option) == may);
        if (!may)
            require(snapshot(m) == before);
        break;
    }
    case 1:
        m.chooseWeight(value % 14);
        break;
    case 2:
        m.chooseSize(value % 8);
        break;
    case 3:
        m.chooseFrom(value % kSendingRowCount);
        break;
    case 4:
        m.chooseTo(value % kDestinationRowCount);
        break;
    case 5:
        m.typeAmount(textOf(value));
        break;
    case 6:
        m.typeCount(textOf(value));
        break;
    case 7:
        m.useCatCashOnDelivery(value & 1);
        break;
    default: // the start-up's preference 自宅発送
        m.set(ParcelOption::CatHome, value & 1);
        break;
    }
}

void parcelStateHolds(const ParcelSelection& m) {
    exclusionsHold<ParcelOption, kParcelOptionCount>(
        m, [](const ParcelSelection& s, ParcelOption o) { return s.mayClick(o); });
    const BoxState cool = m.box(ParcelOption::CatCool);
    require(!(cool.checked || cool.enabled) || coolAvailable(m.weightRow(), m.sizeRow()));
    require(m.countShown() == m.box(ParcelOption::CatFukusu).checked);
    require(!m.box(ParcelOption::CatDaihiki).enabled || m.usesCatCashOnDelivery());
}

void postalEvent(PostalSelection& m, std::uint8_t kind, std::uint8_t value) {
    const auto letter = static_cast<LetterOption>(value % kLetterOptionCount);
    const auto book = static_cast<BookOption>(value % kBookOptionCount);
    switch (kind % 5) {
    case 0: {
        const bool may = m.box(letter).enabled;
        const auto before = snapshot(m);
        bool clicked = false;
        try {
            clicked = m.click(letter);
        } catch (const ConversionError&) {
            // 代金引換 checked while the amount is no number.
            require(letter == LetterOption::Daihiki);
            clicked = true;
        }
        require(clicked == may);
        if (!may)
            require(snapshot(m) == before);
        break;
    }
    case 1: {
        const bool may = m.box(book).enabled;
        const auto before = snapshot(m);
        require(m.click(book) == may);
        if (!may)
            require(snapshot(m) == before);
        break;
    }
    case 2:
        m.chooseWeight(value % kPostalWeightRowCount);
        break;
    case 3:
        m.typeAmount(textOf(value));
        break;
    default:
        m.choosePage(static_cast<PostalPage>(value % 3 - 1));
        break;
    }
}

void postalStateHolds(const PostalSelection& m) {
    exclusionsHold<BookOption, kBookOptionCount>(
        m, [](const PostalSelection& s, BookOption o) { return s.box(o).enabled; });
    const BoxState inCity = m.box(LetterOption::InCity);
    require(!(inCity.checked || inCity.enabled) || inCityAvailable(m.weightRow()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    Counting counting;
    const bool postal = data[0] & 1;
    ParcelSelection parcel(&counting);
    parcel.useCatCashOnDelivery(false); // as the start-up does
    PostalSelection letters(&counting);
    for (size_t i = 1; i + 1 < size; i += 2) {
        counting.calls = 0;
        if (postal) {
            postalEvent(letters, data[i], data[i + 1]);
            postalStateHolds(letters);
        } else {
            parcelEvent(parcel, data[i], data[i + 1]);
            parcelStateHolds(parcel);
        }
        require(counting.calls < 64);
    }
    return 0;
}
