#pragma once
// The postal window: letter mail (普通郵便) and book parcels (冊子小包),
// docked on the left of the main window.
//
// One weight list and one cash-on-delivery amount serve two pages, each with
// its option boxes and its total. The window has no detail line or
// explanation area of its own: it writes into the main window's lblDetail
// and stExplain.
//
// As in the main window, every user event goes to the window's
// PostalSelection, which applies the box tables one step at a time and
// calls back where they refresh a page; the window then copies the model's
// state onto its controls with their signals blocked. A failed quote throws
// through the model to the slot that received the user event, which
// reports it once; nothing is thrown through a Qt signal emission.
#include "selection/PostalSelection.h"

#include <QWidget>

#include <functional>
#include <map>
#include <string>
#include <variant>

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

class TfrmPostal : public QWidget, private PostalDisplay {
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
    using Option = std::variant<LetterOption, BookOption>;

    void buildWindow();
    void buildPages();
    void setTabOrder();
    void connectHandlers();
    TActiveColorCheckBox* box(QWidget* page, const char* name, const char* caption, int left,
                              int top, int width, Option option, const char* explanation);

    // Start and end.
    void FormCreate();
    void FormCloseQuery();
    int activePage() const;
    void pageChosen(int index);

    // The weight list.
    void cmbWeightNormalClick();
    void cmbWeightNormalDrawItem(QPainter& painter, int index, const QRect& rect, bool selected);

    // The amount: its rule drops its failures itself.
    void edtDaihikiChange();

    // The two refreshes, from the model's requests. Both throw when the
    // quote fails.
    void RefreshLetterMail();
    void RefreshBookParcel();

    // What the model calls back.
    void refreshLetterMail() override { RefreshLetterMail(); }
    void refreshBookParcel() override { RefreshBookParcel(); }
    void showAmountLimit() override;

    // Pointer and the copy command.
    void tabNormalMouseMove();
    void tabBooksMouseMove();
    void mnuPopup_LineClick();

    // Runs one event on the model, then shows the model's state, also when
    // the event ends in an error.
    void forward(const std::function<void()>& event);
    void mirror();
    void onUserEvent(Rule rule);
    void showTotal(QLabel* label, const QString& text);
    bool isFreePageSurface(QWidget* page, const QPoint& pos) const;

    TfrmMain& main_;
    PostalSelection model_{this};
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

    std::map<const QObject*, Option> boxOptions_;
    std::map<const QObject*, QString> explanations_;
};

// Plugs the postal window into the main window: its menu command (and the
// start-up) opens a new postal window beside the main window each time, the
// main window's Timer keeps the newest one docked, and a postal window still
// open when the main window closes goes without its close handling.
void installPostalWindow(TfrmMain& main);

} // namespace hakomaru
