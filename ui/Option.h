#pragma once
// The options window: the user's preferences kept in the settings file.
#include <QDialog>

#include <cstdint>
#include <filesystem>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QWidget;

namespace hakomaru {

class TRightEdit;

// What the options window changes in the main window at once.
struct OptionTargets {
    // Sets useCatDaihiki and enables the クロネコ 代金引換 box exactly when
    // true, without touching its check mark or recomputing.
    std::function<void(bool useCatDaihiki)> applyUseCatDaihiki;
    // Sets listTextColor (a colour value, see ColorValue.h) and repaints
    // the lists that draw with it.
    std::function<void(std::int32_t colorValue)> applyListTextColor;
    // Shows or hides the explanation area and sets the main window's outer
    // height to `outerHeight`.
    std::function<void(bool visible, int outerHeight)> applyExplanationArea;
};

// The main window's outer height with and without the explanation area.
inline constexpr int kHeightWithExplanation = 318;
inline constexpr int kHeightWithoutExplanation = 286;

class TfrmOption : public QDialog {
    Q_OBJECT
  public:
    // Creating the window reads its values from the settings file. The
    // window deletes itself when closed.
    TfrmOption(OptionTargets targets, std::filesystem::path settingsPath,
               QWidget* parent = nullptr);

    QTabWidget* PageControl1 = nullptr;
    QWidget* tabGeneral = nullptr;
    QWidget* tabDaihiki = nullptr;
    QCheckBox* chkFromHome = nullptr;
    QCheckBox* chkShowPostal = nullptr;
    QCheckBox* chkShowExplain = nullptr;
    QLabel* Label1 = nullptr;
    TRightEdit* edtLines = nullptr;
    QLabel* lblFontColor = nullptr;
    QLabel* staFontColor = nullptr;
    QCheckBox* chkUseCatDaihiki = nullptr;
    QGroupBox* rgpSokin = nullptr;
    QButtonGroup* rgpSokinButtons = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnHelp = nullptr;

    // The remittance method selected in rgpSokin, -1 for none.
    int sokinIndex() const;
    void setSokinIndex(int index); // clamped: below -1 to -1, above 8 to 8
    std::int32_t fontColorValue() const { return fontColor_; }

    void btnOKClick();
    void btnCancelClick();
    void btnHelpClick();
    void staFontColorClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void FormCreate();
    void setFontColor(std::int32_t value);
    static void edtLinesKeyPress(QChar& key);
    void edtLinesMouseDown();

    OptionTargets targets_;
    std::filesystem::path settingsPath_;
    std::int32_t fontColor_ = 0;
};

} // namespace hakomaru
