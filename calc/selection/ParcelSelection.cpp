#include "selection/ParcelSelection.h"

#include "quote/QuoteCat.h"
#include "tariff/Catalogues.h"
#include "text/NumberText.h"

namespace hakomaru {
namespace {

using P = ParcelOption;

ParcelDisplay& noDisplay() {
    static ParcelDisplay none;
    return none;
}

bool isYoupackBox(ParcelOption box) {
    return optionRow(box).carrier == Carrier::Youpack;
}

// A saved row the list does not have selects the first row.
int validRow(int row, int count) {
    return row >= 0 && row < count ? row : 0;
}

bool isSeparator(int row) {
    const auto rows = PrefectureRows(true);
    return row >= 0 && row < static_cast<int>(rows.size()) &&
           IsSeparatorRow(rows[static_cast<size_t>(row)]);
}

} // namespace

ParcelSelection::ParcelSelection(ParcelDisplay* display)
    : display_(display ? display : &noDisplay()) {}

void ParcelSelection::restoreRows(int fromRow, int toRow) {
    fromRow_ = validRow(fromRow, kSendingRowCount);
    if (isSeparator(fromRow_))
        ++fromRow_;
    toRow_ = validRow(toRow, kDestinationRowCount);
}

bool ParcelSelection::mayClick(ParcelOption box) const {
    return boxes_[index(box)].enabled &&
           groupEnabled(isYoupackBox(box) ? Carrier::Youpack : Carrier::Cat);
}

bool ParcelSelection::groupEnabled(Carrier carrier) const {
    return carrier == Carrier::Youpack ? youpackGroup_ : catGroup_;
}

// ---------------------------------------------------------------------------
// The lists. A sending separator row takes the place below it; a destination
// separator stands for no place and prices nothing.

void ParcelSelection::chooseFrom(int row) {
    fromRow_ = row;
    if (isSeparator(fromRow_))
        ++fromRow_;
    recalcYoupack();
    recalcCat();
}

void ParcelSelection::chooseTo(int row) {
    toRow_ = row;
    if (isSeparator(toRow_)) {
        display_->showNoDestination();
        return;
    }
    recalcYoupack();
    recalcCat();
}

void ParcelSelection::chooseWeight(int row) {
    weightRow_ = row;
    coolRule();
    recalcYoupack();
    recalcCat();
}

void ParcelSelection::chooseSize(int row) {
    sizeRow_ = row;
    coolRule();
    recalcYoupack();
    recalcCat();
}

// クール exists only for the lighter and smaller rows, and never together
// with タイムサービス.
void ParcelSelection::coolRule() {
    if (!coolAvailable(weightRow_, sizeRow_)) {
        set(P::CatCool, false);
        state(P::CatCool).enabled = false;
    } else if (mayEnable(P::CatCool)) {
        state(P::CatCool).enabled = true;
    }
}

// ---------------------------------------------------------------------------
// The boxes.

bool ParcelSelection::click(ParcelOption box) {
    if (!mayClick(box))
        return false;
    state(box).checked = !checked(box);
    runRule(box);
    return true;
}

void ParcelSelection::set(ParcelOption box, bool on) {
    if (checked(box) == on)
        return;
    state(box).checked = on;
    runRule(box);
}

// Each box's rule ends with the recalculation of its carrier.
void ParcelSelection::runRule(ParcelOption box) {
    switch (box) {
    case P::Kakitome:
        recalcYoupack();
        return;
    case P::CatHome:
        recalcCat();
        return;
    case P::CatFukusu:
        countBoxRule();
        recalcCat();
        return;
    default:
        applyExclusions(box);
        if (isYoupackBox(box))
            recalcYoupack();
        else
            recalcCat();
    }
}

// Checking a box disables the options it excludes; unchecking it enables
// those that nothing else holds disabled.
void ParcelSelection::applyExclusions(ParcelOption box) {
    const bool on = checked(box);
    for (ParcelOption other : excludedBy(box)) {
        if (on)
            state(other).enabled = false;
        else if (mayEnable(other))
            state(other).enabled = true;
    }
}

// No checked option excludes it, クール fits the parcel's rows, and クロネコ
// cash on delivery is in use.
bool ParcelSelection::mayEnable(ParcelOption box) const {
    for (ParcelOption other : excludedBy(box))
        if (checked(other))
            return false;
    if (box == P::CatCool)
        return coolAvailable(weightRow_, sizeRow_);
    if (box == P::CatDaihiki)
        return useCatDaihiki_;
    return true;
}

// 複数口 follows the count edit's visibility, which tracks the box's state;
// an empty count goes back to 1 as the edit hides.
void ParcelSelection::countBoxRule() {
    countShown_ = !countShown_;
    if (!countShown_ && countText_.empty())
        typeCount("1");
}

void ParcelSelection::useCatCashOnDelivery(bool use) {
    useCatDaihiki_ = use;
    state(P::CatDaihiki).enabled = use;
}

// ---------------------------------------------------------------------------
// The amount, in units of 10,000 yen: its bands decide 書留, クロネコ cash on
// delivery and which carriers take the parcel. Any failure ends the rule
// silently: the amount is half-typed while it runs.

void ParcelSelection::typeAmount(const std::string& text) {
    if (text == amountText_)
        return;
    amountText_ = text;
    amountRule();
}

void ParcelSelection::amountRule() {
    try {
        float amount = 0;
        if (amountText_.empty())
            typeAmount("0");
        else
            amount = toSingle(amountText_);
        youpackGroup_ = true;
        catGroup_ = true;
        const ParcelAmountRule rule = parcelAmountRule(amount);
        if (!rule.catHandles) {
            set(P::CatDaihiki, false);
            if (rule.registered != BoxChange::Keep)
                set(P::Kakitome, rule.registered == BoxChange::Check);
            display_->showNotHandled(Carrier::Cat);
            catGroup_ = false;
            if (rule.youpackHandles) {
                recalcYoupack();
            } else {
                display_->showNotHandled(Carrier::Youpack);
                youpackGroup_ = false;
            }
        } else if (rule.catCashOnDelivery != BoxChange::Keep) {
            if (rule.registered != BoxChange::Keep)
                set(P::Kakitome, rule.registered == BoxChange::Check);
            cashOnDeliveryStep(rule.catCashOnDelivery == BoxChange::Check);
        }
    } catch (const std::exception&) {
    }
}

void ParcelSelection::cashOnDeliveryStep(bool on) {
    if (useCatDaihiki_)
        set(P::CatDaihiki, on);
    else
        state(P::CatDaihiki).enabled = false;
    recalcYoupack();
    recalcCat();
}

void ParcelSelection::typeCount(const std::string& text) {
    if (text == countText_)
        return;
    countText_ = text;
    countRule();
}

void ParcelSelection::countRule() {
    if (!countText_.empty())
        recalcCat();
}

// ---------------------------------------------------------------------------
// Recalculations. The クロネコ group is usable exactly when クロネコ takes
// the parcel's weight and size, whatever the quote then gives.

void ParcelSelection::recalcYoupack() {
    display_->recalcYoupack();
}

void ParcelSelection::recalcCat() {
    catGroup_ = !CatNotHandled(weightRow_, sizeRow_);
    display_->recalcCat();
}

TYoupackRequest ParcelSelection::youpackRequest() const {
    TYoupackRequest r;
    const auto rows = PrefectureRows(false);
    if (fromRow_ >= 0 && fromRow_ < static_cast<int>(rows.size()))
        r.FromCaption = std::string(rows[static_cast<size_t>(fromRow_)]);
    r.ToRow = toRow_;
    r.WeightRow = weightRow_;
    for (const ParcelOptionRow& row : parcelOptions())
        if (row.youpack)
            r.*row.youpack = checked(row.option);
    r.DaihikiText = amountText_;
    return r;
}

TCatRequest ParcelSelection::catRequest() const {
    TCatRequest r;
    r.FromRow = fromRow_;
    r.ToRow = toRow_;
    r.WeightRow = weightRow_;
    r.SizeRow = sizeRow_;
    for (const ParcelOptionRow& row : parcelOptions())
        if (row.cat)
            r.*row.cat = checked(row.option);
    r.DaihikiText = amountText_;
    r.FukusuText = countText_;
    return r;
}

} // namespace hakomaru
