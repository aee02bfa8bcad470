#pragma once
// The comparison window: one parcel priced side by side by ゆうパック and
// クロネコ.
//
// Data flow: a user change (a list row, an option box, an amount) goes to
// the window's ParcelSelection, which applies its rules one step at a time
// and calls back at the points where the rules recalculate: RecalcYoupack
// and RecalcCat build their request from the model, read the tariff file
// anew, call the calculator and show the total, and the itemised detail in
// lblDetail. After the event the window copies the model's state onto its
// controls with their signals blocked. A conversion error thrown by a
// recalculation unwinds through the model to the slot that received the
// user event, never through a Qt signal emission, and is reported once.
#include <QMainWindow>
#include <QPoint>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "selection/ParcelSelection.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;

namespace hakomaru {

class OwnerDrawComboBox;
class TActiveColorCheckBox;
class TRightEdit;

// Runs `handler` for a user event; a failure ends the event and is shown in
// the standard error box. Windows wrap every slot of a user event in it.
void runReported(QWidget* parent, const std::function<void()>& handler);

class TfrmMain : public QMainWindow, private ParcelDisplay {
    Q_OBJECT
  public:
    // The settings file and the tariff file; the program's directory is the
    // tariff file's directory.
    TfrmMain(std::filesystem::path settingsPath, std::filesystem::path tariffPath,
             QWidget* parent = nullptr);
    ~TfrmMain() override;

    const std::filesystem::path& settingsPath() const { return settingsPath_; }
    const std::filesystem::path& tariffPath() const { return tariffPath_; }
    std::filesystem::path programDir() const { return tariffPath_.parent_path(); }

    // Commands of the secondary windows. Each is empty until its window is
    // plugged in, and its menu item or button then does nothing.
    struct Commands {
        std::function<void(TfrmMain&)> openPostal; // menu 普通郵便・冊子小包..., and at start
        std::function<void(TfrmMain&)> dockPostal; // every Timer tick
        std::function<void(TfrmMain&)> openMap; // modal; may select a cmbTo row and run cmbToClick
        std::function<void(TfrmMain&)> openOptions; // modal
        std::function<void(TfrmMain&)> openAbout;   // modal
    };
    Commands commands;

    // Whether クロネコ cash on delivery may be used (the options window sets
    // it): chkCatDaihiki is enabled exactly when it may.
    void setUseCatDaihiki(bool use);
    bool useCatDaihiki() const { return model_.usesCatCashOnDelivery(); }

    // Text colour of the ordinary rows of both prefecture lists, as the
    // settings file stores colours.
    std::int32_t listTextColor() const { return listTextColor_; }
    void setListTextColor(std::int32_t color);

    // Shows or hides the explanation area; the window's height follows.
    void setExplainVisible(bool visible);

    // The top-left corner of the window's outer frame: where the window is,
    // or, while the window manager has yet to put it there, where it goes.
    QPoint framePosition() const;
    // Puts the frame's corner at `frame`; the window corrects its place once
    // the window manager has told the frame's extents.
    void placeFrame(QPoint frame);

    // The destination row selected in cmbTo was chosen (by the user, or by
    // the map window after selecting a row). Throws on a failed quote.
    void cmbToClick();
    // The two recalculations, from the model's requests. Both throw on a
    // failed quote.
    void RecalcYoupack();
    void RecalcCat();

    // The last itemised details, with CR LF line breaks.
    const std::string& youpackDetail() const { return yuPackDetail_; }
    const std::string& catDetail() const { return catDetail_; }

    // Controls the other windows use.
    OwnerDrawComboBox* cmbTo = nullptr;
    QLabel* lblDetail = nullptr;
    QLabel* stExplain = nullptr;
    TActiveColorCheckBox* chkCatDaihiki = nullptr;
    QTimer* Timer = nullptr;

    void setVisible(bool visible) override;

  protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Building the window.
    void buildWindow();
    void buildSelections();
    void buildYoupackGroup();
    void buildCatGroup();
    void buildDetailArea();
    void buildMenus();
    void setTabOrder();
    void connectHandlers();

    // Start and end.
    void FormCreate();
    void FormShow();
    void FormCloseQuery();
    void settleFrame();

    // Selections: each list's row goes to the model.
    void chooseRow(QComboBox* list);
    void drawPrefectureRow(QComboBox* list, QPainter& painter, int index, const QRect& rect,
                           bool selected);

    // The amount: the model's rule, then the typed "0" of an emptied edit
    // selected so that the next digit replaces it.
    void edtDaihikiChange();

    // What the model calls back.
    void recalcYoupack() override { RecalcYoupack(); }
    void recalcCat() override { RecalcCat(); }
    void showNotHandled(Carrier carrier) override;
    void showNoDestination() override;

    // Pointer, commands.
    void grpYoupackMouseMove();
    void grpCatMouseMove();
    void mnuPopup_Copy_LineClick();
    void imgYoupackClick();
    void imgCatClick();
    void btnMapClick();
    void mnuMain_View_PostalClick();
    void mnuMain_Option_SettingsClick();
    void mnuMain_Help_ViewClick();
    void mnuMain_Help_UseClick();
    void mnuMain_Help_VersionClick();
    void TimerTimer();

    // Runs one event on the model, then shows the model's state, also when
    // the event ends in an error.
    void forward(const std::function<void()>& event);
    void mirror();
    TActiveColorCheckBox* optionBox(ParcelOption option) const;
    // Connects a user event to a rule through runReported.
    void onUserEvent(void (TfrmMain::*rule)());
    void showTotal(QLabel* label, const QString& text);
    void showDetail(const std::string& detail);
    bool isFreeGroupSurface(QGroupBox* group, const QPoint& pos) const;
    void hoverGroup(QGroupBox* group);

    std::filesystem::path settingsPath_;
    std::filesystem::path tariffPath_;
    std::int32_t listTextColor_;
    int hoverCarrier_ = 0; // 0 neither group yet, 1 ゆうパック, 2 クロネコ
    std::string yuPackDetail_;
    std::string catDetail_;
    bool shown_ = false;
    // The frame's corner asked for, until the window manager has put the
    // frame there (settled); corrected once when it placed the client area
    // there instead.
    QPoint wantedFrame_;
    bool frameSettled_ = true;
    bool frameCorrected_ = false;

    // Controls.
    QWidget* client = nullptr;
    QLabel* lblFrom = nullptr;
    OwnerDrawComboBox* cmbFrom = nullptr;
    QPushButton* btnMap = nullptr;
    QLabel* lblWeight = nullptr;
    QComboBox* cmbWeight = nullptr;
    QLabel* lblSize = nullptr;
    QComboBox* cmbSize = nullptr;
    QLabel* lblDaihiki = nullptr;
    TRightEdit* edtDaihiki = nullptr;
    QLabel* lblDaihiki2 = nullptr;
    QGroupBox* grpYoupack = nullptr;
    TActiveColorCheckBox* chkYouCyaku = nullptr;
    TActiveColorCheckBox* chkYouSokutatsu = nullptr;
    TActiveColorCheckBox* chkYouShitei = nullptr;
    TActiveColorCheckBox* chkKakitome = nullptr;
    TActiveColorCheckBox* chkYouCild = nullptr;
    TActiveColorCheckBox* chkYouDaihiki = nullptr;
    QLabel* imgYoupack = nullptr;
    QLabel* lblYouTotal = nullptr;
    QGroupBox* grpCat = nullptr;
    TActiveColorCheckBox* chkCatHome = nullptr;
    TActiveColorCheckBox* chkCatTime = nullptr;
    TActiveColorCheckBox* chkCatCool = nullptr;
    TActiveColorCheckBox* chkCatFukusu = nullptr;
    TRightEdit* edtFukusu = nullptr;
    QLabel* lblFukusu = nullptr;
    QLabel* imgCat = nullptr;
    QLabel* lblCatTotal = nullptr;
    QMenu* mnuPopup = nullptr;

    // The option selections and their rules.
    ParcelSelection model_{this};
    // Each option box's option, and each explained control's text.
    std::map<const QObject*, ParcelOption> boxOptions_;
    std::map<const QObject*, QString> explanations_;
};

} // namespace hakomaru
