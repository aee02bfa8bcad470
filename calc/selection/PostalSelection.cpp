#include "selection/PostalSelection.h"

#include "text/NumberText.h"

namespace hakomaru {
namespace {

using L = LetterOption;
using B = BookOption;

PostalDisplay& noDisplay() {
    static PostalDisplay none;
    return none;
}

} // namespace

PostalSelection::PostalSelection(PostalDisplay* display, PostalPage page)
    : display_(display ? display : &noDisplay()), page_(page) {}

// 市内特別 exists up to 250 g only.
void PostalSelection::chooseWeight(int row) {
    weightRow_ = row;
    if (inCityAvailable(row)) {
        enable(L::InCity);
    } else {
        set(L::InCity, false);
        enable(L::InCity, false);
    }
    display_->refreshLetterMail();
    display_->refreshBookParcel();
}

bool PostalSelection::click(LetterOption box) {
    if (!letter_[index(box)].enabled)
        return false;
    letter_[index(box)].checked = !checked(box);
    runRule(box);
    return true;
}

bool PostalSelection::click(BookOption box) {
    if (!book_[index(box)].enabled)
        return false;
    book_[index(box)].checked = !checked(box);
    runRule(box);
    return true;
}

void PostalSelection::set(LetterOption box, bool on) {
    if (checked(box) == on)
        return;
    letter_[index(box)].checked = on;
    runRule(box);
}

void PostalSelection::set(BookOption box, bool on) {
    if (checked(box) == on)
        return;
    book_[index(box)].checked = on;
    runRule(box);
}

template <typename Option> void PostalSelection::disableExcluded(Option box) {
    for (Option other : excludedBy(box))
        enable(other, false);
}

// ---------------------------------------------------------------------------
// The 普通郵便 page. Checking a box disables the options it excludes;
// unchecking one enables them again as each rule says. Each rule ends with
// the letter-mail refresh.

void PostalSelection::runRule(LetterOption box) {
    switch (box) {
    case L::InCity:
        inCityRule();
        break;
    case L::Sokutatsu:
        sokutatsuRule();
        break;
    case L::Haitatsu:
        haitatsuRule();
        break;
    case L::Morning10:
        morning10Rule();
        break;
    case L::KaniKakitome:
        kaniKakitomeRule();
        break;
    case L::Kakitome:
        kakitomeRule();
        break;
    case L::Gentei:
        genteiRule();
        break;
    case L::Daihiki:
        daihikiRule();
        break;
    }
    display_->refreshLetterMail();
}

void PostalSelection::inCityRule() {
    if (checked(L::InCity))
        disableExcluded(L::InCity);
    else
        enable(L::Gentei);
}

void PostalSelection::sokutatsuRule() {
    if (checked(L::Sokutatsu))
        disableExcluded(L::Sokutatsu);
    else if (!checked(L::Haitatsu) && !checked(L::KaniKakitome) && !checked(L::Gentei))
        enable(L::Morning10);
}

void PostalSelection::haitatsuRule() {
    if (checked(L::Haitatsu)) {
        disableExcluded(L::Haitatsu);
        return;
    }
    if (!checked(L::Sokutatsu))
        enable(L::Morning10);
    enable(L::KaniKakitome);
    enable(L::Kakitome);
    enable(L::Gentei);
    enable(L::Daihiki);
}

void PostalSelection::morning10Rule() {
    if (checked(L::Morning10)) {
        disableExcluded(L::Morning10);
    } else if (checked(L::Kakitome)) {
        enable(L::Sokutatsu);
        enable(L::Gentei);
    } else if (checked(L::Daihiki)) {
        enable(L::Sokutatsu);
        enable(L::KaniKakitome);
    } else {
        enable(L::Sokutatsu);
        enable(L::Haitatsu);
        enable(L::KaniKakitome);
        enable(L::Gentei);
    }
}

void PostalSelection::kaniKakitomeRule() {
    if (checked(L::KaniKakitome)) {
        disableExcluded(L::KaniKakitome);
        return;
    }
    if (!checked(L::Sokutatsu))
        enable(L::Morning10);
    enable(L::Haitatsu);
    enable(L::Kakitome);
    enable(L::Gentei);
}

void PostalSelection::kakitomeRule() {
    if (checked(L::Kakitome)) {
        disableExcluded(L::Kakitome);
    } else if (checked(L::Morning10)) {
        // 翌朝10時 keeps the boxes it disabled.
    } else if (checked(L::Daihiki)) {
        enable(L::KaniKakitome);
    } else if (checked(L::Gentei)) {
        // 本人限定受取 needs 書留: it goes too.
        set(L::Gentei, false);
    } else {
        enable(L::Haitatsu);
        enable(L::KaniKakitome);
    }
}

void PostalSelection::genteiRule() {
    if (checked(L::Gentei)) {
        // 本人限定受取 needs 書留, which is checked before 代金引換 goes.
        for (LetterOption other : excludedBy(L::Gentei))
            if (other != L::Daihiki)
                enable(other, false);
        set(L::Kakitome, true);
        enable(L::Daihiki, false);
        return;
    }
    enable(L::InCity, inCityAvailable(weightRow_));
    if (!checked(L::Sokutatsu))
        enable(L::Morning10);
    enable(L::Haitatsu);
    enable(L::KaniKakitome);
    set(L::Kakitome, false);
    enable(L::Daihiki);
}

void PostalSelection::daihikiRule() {
    if (checked(L::Daihiki)) {
        disableExcluded(L::Daihiki);
        // Throws when the amount is not a number: the refresh is skipped.
        if (registeredRequired(toSingle(amountText_)))
            set(L::Kakitome, true);
    } else if (checked(L::Morning10) || checked(L::KaniKakitome)) {
        // Those keep the boxes they disabled.
    } else if (checked(L::Kakitome)) {
        enable(L::Gentei);
    } else {
        enable(L::Haitatsu);
        enable(L::Gentei);
    }
}

// ---------------------------------------------------------------------------
// The 冊子小包 page; each rule ends with the book-parcel refresh.

void PostalSelection::runRule(BookOption box) {
    const bool on = checked(box);
    if (on) {
        disableExcluded(box);
    } else {
        switch (box) {
        case B::Cyaku:
            enable(B::Shitei);
            enable(B::Daihiki);
            break;
        case B::Sokutatsu:
            if (!checked(B::Cyaku))
                enable(B::Shitei);
            break;
        case B::Shitei:
            if (!checked(B::Daihiki))
                enable(B::Cyaku);
            enable(B::Sokutatsu);
            break;
        case B::Kani:
            enable(B::Kakitome);
            break;
        case B::Kakitome:
            enable(B::Kani);
            break;
        case B::Daihiki:
            enable(B::Cyaku);
            break;
        }
    }
    display_->refreshBookParcel();
}

// ---------------------------------------------------------------------------
// The amount, in units of 10,000 yen: above 5 both 書留 boxes are checked,
// at most 5 both are unchecked, above the limit it is refused. Any failure
// ends the rule silently: the amount is half-typed while it runs.

void PostalSelection::typeAmount(const std::string& text) {
    if (text == amountText_)
        return;
    amountText_ = text;
    amountRule();
}

void PostalSelection::amountRule() {
    try {
        const float amount = toSingle(amountText_);
        if (postalAmountRefused(amount)) {
            display_->showAmountLimit();
            // The new text runs this rule again, which clears both 書留.
            typeAmount("0");
            return;
        }
        const bool registered = registeredRequired(amount);
        set(L::Kakitome, registered);
        set(B::Kakitome, registered);
        display_->refreshLetterMail();
        display_->refreshBookParcel();
    } catch (const std::exception&) {
    }
}

TLetterMailRequest PostalSelection::letterRequest() const {
    TLetterMailRequest r;
    r.WeightRow = weightRow_;
    for (const LetterOptionRow& row : letterOptions())
        r.*row.field = checked(row.option);
    r.DaihikiText = amountText_;
    return r;
}

TBookParcelRequest PostalSelection::bookRequest() const {
    TBookParcelRequest r;
    r.WeightRow = weightRow_;
    for (const BookOptionRow& row : bookOptions())
        r.*row.field = checked(row.option);
    r.DaihikiText = amountText_;
    return r;
}

} // namespace hakomaru
