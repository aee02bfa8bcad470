#pragma once
// The main window's selections as a person changes them: the four list
// rows, the option boxes of both carriers (checked, enabled), the two
// groups, the amount and the parcel count. Only the events a person makes
// change it (pick a row, click a box, type into an edit, turn クロネコ cash
// on delivery on or off in the options), and each event applies its rules
// one step at a time in a fixed order. Rules are not re-derived from the
// checked boxes: the same boxes can end differently after other sequences.
//
// Data flow: a step that checks or unchecks a box runs that box's own rule
// at once, nested, and then the calling rule goes on. Where a rule prices a
// carrier, the model calls its ParcelDisplay: the window prices and shows
// there (and may throw, which ends the event's remaining steps, leaving the
// state as far as it got); the quote tool passes none and prices once at
// the end from youpackRequest() and catRequest(). The amount rule drops any
// failure of its own steps silently.
#include "quote/ParcelQuote.h"
#include "selection/ParcelRules.h"

#include <array>
#include <string>

namespace hakomaru {

// What the window does at the points where the rules name it. Each default
// does nothing.
class ParcelDisplay {
  public:
    virtual ~ParcelDisplay() = default;
    // Price one carrier from the model's request and show it.
    virtual void recalcYoupack() {}
    virtual void recalcCat() {}
    // The amount puts the carrier out of reach: its total shows 取扱不可.
    virtual void showNotHandled(Carrier) {}
    // A separator row was chosen as the destination: both totals show ¥---.
    virtual void showNoDestination() {}
};

class ParcelSelection {
  public:
    // A window as its controls are built: row 0 everywhere, every box
    // unchecked and enabled, the amount "0" and the count "1", クロネコ cash
    // on delivery not in use; the start-up then applies the preferences
    // (useCatCashOnDelivery, 自宅発送 with set). `display` may be null.
    explicit ParcelSelection(ParcelDisplay* display = nullptr);

    // Rows selected without any rule running, as the window restores them at
    // start: a row outside its list selects row 0, and a sending separator
    // row (only a hand-edited file holds one) the place below it.
    void restoreRows(int fromRow, int toRow);

    // A person picks a row of a list (also the row already selected).
    void chooseFrom(int row);
    void chooseTo(int row);
    void chooseWeight(int row);
    void chooseSize(int row);
    // A person clicks a box: it toggles and its rule runs. A box that cannot
    // be clicked (disabled, or in a disabled group) changes nothing: false.
    bool click(ParcelOption box);
    // A rule or the start-up sets a box: its rule runs when the state changes.
    void set(ParcelOption box, bool checked);
    // The text of the amount edit, or of the parcel count, becomes `text`;
    // its rule runs when the text changed.
    void typeAmount(const std::string& text);
    void typeCount(const std::string& text);
    // Whether クロネコ cash on delivery may be used (a preference): the box is
    // enabled exactly when it may.
    void useCatCashOnDelivery(bool use);

    int fromRow() const { return fromRow_; }
    int toRow() const { return toRow_; }
    int weightRow() const { return weightRow_; }
    int sizeRow() const { return sizeRow_; }
    BoxState box(ParcelOption box) const { return boxes_[index(box)]; }
    // Enabled, in an enabled group.
    bool mayClick(ParcelOption box) const;
    bool groupEnabled(Carrier carrier) const;
    const std::string& amountText() const { return amountText_; }
    const std::string& countText() const { return countText_; }
    // The count edit and its label are shown.
    bool countShown() const { return countShown_; }
    bool usesCatCashOnDelivery() const { return useCatDaihiki_; }

    // The requests the calculators take, from the current state. The
    // remittance method stays at its default: the window reads it from the
    // settings, the quote tool from its options.
    TYoupackRequest youpackRequest() const;
    TCatRequest catRequest() const;

  private:
    static size_t index(ParcelOption box) { return static_cast<size_t>(box); }
    BoxState& state(ParcelOption box) { return boxes_[index(box)]; }
    bool checked(ParcelOption box) const { return boxes_[index(box)].checked; }

    void runRule(ParcelOption box);
    void applyExclusions(ParcelOption box);
    bool mayEnable(ParcelOption box) const;
    void coolRule();
    void countBoxRule();
    void amountRule();
    void cashOnDeliveryStep(bool checked);
    void countRule();
    void recalcYoupack();
    void recalcCat();

    ParcelDisplay* display_;
    int fromRow_ = 0;
    int toRow_ = 0;
    int weightRow_ = 0;
    int sizeRow_ = 0;
    std::array<BoxState, kParcelOptionCount> boxes_{};
    bool youpackGroup_ = true;
    bool catGroup_ = true;
    std::string amountText_ = "0";
    std::string countText_ = "1";
    bool countShown_ = false;
    bool useCatDaihiki_ = false;
};

} // namespace hakomaru
