#pragma once
// The postal window's selections as a person changes them: the weight row,
// the amount, the boxes of the 普通郵便 and 冊子小包 pages (checked,
// enabled) and the page shown. Each event applies its rules one step at a
// time in the order of the box tables; a step that checks or unchecks a box
// runs that box's rule at once, nested. The enabling is not re-derived from
// the checked boxes: the hand-written re-enable lists keep their
// order-dependent outcomes.
//
// Where a rule refreshes a page, the model calls its PostalDisplay: the
// window prices and shows there and may throw, which ends the event's
// remaining steps (the amount rule drops its failures silently). The quote
// tool passes none and prices once from letterRequest() or bookRequest().
#include "quote/PostalQuote.h"
#include "selection/ParcelRules.h"

#include <array>
#include <string>

namespace hakomaru {

// What the window does at the points where the rules name it. Each default
// does nothing.
class PostalDisplay {
  public:
    virtual ~PostalDisplay() = default;
    virtual void refreshLetterMail() {}
    virtual void refreshBookParcel() {}
    // The amount is above the limit: postalAmountLimitMessage() is shown,
    // then the amount goes back to "0".
    virtual void showAmountLimit() {}
};

// The page shown: 普通郵便, 冊子小包, or none (a stored page index that
// names neither, until a person picks a tab).
enum class PostalPage { None = -1, Letter = 0, Book = 1 };

class PostalSelection {
  public:
    // A fresh window: weight row 0, every box unchecked and enabled, the
    // amount "0". `display` may be null.
    explicit PostalSelection(PostalDisplay* display = nullptr,
                             PostalPage page = PostalPage::Letter);

    // A person picks a weight row (also the row already selected).
    void chooseWeight(int row);
    // A person clicks a box: it toggles and its rule runs. A disabled box
    // changes nothing: false.
    bool click(LetterOption box);
    bool click(BookOption box);
    // A rule sets a box: its rule runs when the state changes.
    void set(LetterOption box, bool checked);
    void set(BookOption box, bool checked);
    // The amount edit's text becomes `text`; its rule runs when it changed.
    void typeAmount(const std::string& text);
    // A person picks a page's tab: nothing is recomputed.
    void choosePage(PostalPage page) { page_ = page; }

    int weightRow() const { return weightRow_; }
    BoxState box(LetterOption box) const { return letter_[index(box)]; }
    BoxState box(BookOption box) const { return book_[index(box)]; }
    const std::string& amountText() const { return amountText_; }
    PostalPage page() const { return page_; }

    // The requests the calculators take; the remittance method stays at its
    // default (the window reads it from the settings).
    TLetterMailRequest letterRequest() const;
    TBookParcelRequest bookRequest() const;

  private:
    static size_t index(LetterOption box) { return static_cast<size_t>(box); }
    static size_t index(BookOption box) { return static_cast<size_t>(box); }
    bool checked(LetterOption box) const { return letter_[index(box)].checked; }
    bool checked(BookOption box) const { return book_[index(box)].checked; }
    void enable(LetterOption box, bool on = true) { letter_[index(box)].enabled = on; }
    void enable(BookOption box, bool on = true) { book_[index(box)].enabled = on; }
    template <typename Option> void disableExcluded(Option box);

    void runRule(LetterOption box);
    void runRule(BookOption box);
    void inCityRule();
    void sokutatsuRule();
    void haitatsuRule();
    void morning10Rule();
    void kaniKakitomeRule();
    void kakitomeRule();
    void genteiRule();
    void daihikiRule();
    void amountRule();

    PostalDisplay* display_;
    int weightRow_ = 0;
    std::string amountText_ = "0";
    std::array<BoxState, kLetterOptionCount> letter_{};
    std::array<BoxState, kBookOptionCount> book_{};
    PostalPage page_;
};

} // namespace hakomaru
