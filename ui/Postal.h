#pragma once
// The postal window: letter mail (普通郵便) and book parcels (冊子小包),
// docked on the left of the main window.
//
// One weight list and one cash-on-delivery amount serve two pages, each with
// its option boxes and its total. The window has no detail line or
// explanation area of its own: it writes into the main window's lblDetail
// and stExplain.
//
// Rules work as in the main window: a rule sets a box with its signals
// blocked and then runs that box's rule itself when the state really
// changed, so the box tables apply one event at a time and nest. A failed
// quote throws through the rules to the slot that received the user event,
// which reports it once; nothing is thrown through a Qt signal emission.
#include "ParcelRules.h"

#include <QWidget>

#include <map>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QPainter;
class QTabWidget;

namespace hakomaru {

class OwnerDrawComboBox;
class TActiveColorCheckBox;
class TfrmMain;
class TRightEdit;

class TfrmPostal : public QWidget {
    Q_OBJECT
  public:
    // A window owned by `main`: it is destroyed with the main window.
    explicit TfrmPostal(TfrmMain& main);
    ~TfrmPostal() override;

    // The program is ending: a later close does not save the window's
    // state, so that the window opens again at the next start.
    void endWithProgram() { endingWithProgram_ = true; }

    // The detail texts of the last quotes shown on the pages (the book
    // parcel detail with its CR LF line breaks), and the page the pointer
    // last moved over: 0 none yet, 1 普通郵便, 2 冊子小包.
    const std::string& letterDetail() const { return letterDetail_; }
    const std::string& bookDetail() const { return bookDetail_; }
    int hoverPage() const { return hoverPage_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    using Rule = void (TfrmPostal::*)();

    void buildWindow();
    void buildPages();
    void setTabOrder();
    void connectHandlers();
    TActiveColorCheckBox* box(QWidget* page, const char* name, const char* caption, int left,
                              int top, int width, Rule rule, const char* explanation);

    // Start and end.
    void FormCreate();
    void FormCloseQuery();
    int activePage() const;
    void pageChosen(int index);

    // The weight list.
    void cmbWeightNormalClick();
    void cmbWeightNormalDrawItem(QPainter& painter, int index, const QRect& rect, bool selected);

    // Rules of the 普通郵便 page; each ends with the letter-mail refresh.
    void chkInCityClick();
    void chkSokutatsuClick();
    void chkHaitatsuClick();
    void chk10clockClick();
    void chkKaniKakitomeClick();
    void chkKakitomeClick();
    void chkGenteiClick();
    void chkDaihikiClick();
    // Rules of the 冊子小包 page; each ends with the book-parcel refresh.
    void chkB_CyakuClick();
    void chkB_SokutatsuClick();
    void chkB_ShiteiClick();
    void chkB_KaniClick();
    void chkB_KakitomeClick();
    void chkB_DaihikiClick();

    // The amount, its key filter and its mouse press.
    void edtDaihikiChange();

    // The two refreshes. Both throw when the quote fails.
    void RefreshLetterMail();
    void RefreshBookParcel();

    // Pointer and the copy command.
    void tabNormalMouseMove();
    void tabBooksMouseMove();
    void mnuPopup_LineClick();

    // Sets a box as a rule does: its own rule runs when its state changes.
    void setChecked(TActiveColorCheckBox* box, bool checked);
    // The box of an option, and disabling what a checked option excludes.
    TActiveColorCheckBox* optionBox(LetterOption option) const;
    TActiveColorCheckBox* optionBox(BookOption option) const;
    template <typename Option> void disableExcluded(Option option);
    void onUserEvent(Rule rule);
    void showTotal(QLabel* label, const QString& text);
    bool isFreePageSurface(QWidget* page, const QPoint& pos) const;

    TfrmMain& main_;
    std::string letterDetail_;
    std::string bookDetail_;
    int hoverPage_ = 0;
    bool endingWithProgram_ = false;

    QLabel* lblWeightNormal = nullptr;
    OwnerDrawComboBox* cmbWeightNormal = nullptr;
    QLabel* lblDaihiki = nullptr;
    TRightEdit* edtDaihiki = nullptr;
    QLabel* Label1 = nullptr;
    QTabWidget* pgPostal = nullptr;
    QWidget* tabNormal = nullptr;
    QWidget* tabBooks = nullptr;
    // Stands in for "no page" while a stored page index names neither page.
    QWidget* noPage_ = nullptr;
    QMenu* mnuPopup = nullptr;

    TActiveColorCheckBox* chkInCity = nullptr;
    TActiveColorCheckBox* chkSokutatsu = nullptr;
    TActiveColorCheckBox* chkHaitatsu = nullptr;
    TActiveColorCheckBox* chk10clock = nullptr;
    TActiveColorCheckBox* chkKaniKakitome = nullptr;
    TActiveColorCheckBox* chkKakitome = nullptr;
    TActiveColorCheckBox* chkGentei = nullptr;
    TActiveColorCheckBox* chkDaihiki = nullptr;
    QLabel* lblTotal = nullptr;

    TActiveColorCheckBox* chkB_Cyaku = nullptr;
    TActiveColorCheckBox* chkB_Sokutatsu = nullptr;
    TActiveColorCheckBox* chkB_Shitei = nullptr;
    TActiveColorCheckBox* chkB_Kani = nullptr;
    TActiveColorCheckBox* chkB_Kakitome = nullptr;
    TActiveColorCheckBox* chkB_Daihiki = nullptr;
    QLabel* lblB_Total = nullptr;

    std::map<const QObject*, Rule> clickRules_;
    std::map<const QObject*, QString> explanations_;
};

// Plugs the postal window into the main window: its menu command (and the
// start-up) opens a new postal window beside the main window each time, the
// main window's Timer keeps the newest one docked, and a postal window still
// open when the main window closes goes without its close handling.
void installPostalWindow(TfrmMain& main);

} // namespace hakomaru
