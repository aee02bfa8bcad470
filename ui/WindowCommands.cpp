#include "WindowCommands.h"

#include "Main.h"
#include "Map.h"
#include "Option.h"
#include "Version.h"
#include "controls/ActiveColorCheckBox.h"
#include "controls/OwnerDrawComboBox.h"

#include <QApplication>
#include <QWidget>

namespace hakomaru {
namespace {

// A modal window has closed: its owner takes the keyboard back, also where no
// window manager hands it over (X11 then leaves the focus on the root window).
void giveBackKeyboard(QWidget& owner) {
    owner.activateWindow();
}

} // namespace

void installWindowCommands(TfrmMain& frmMain) {
    frmMain.commands.openMap = [](TfrmMain& main) {
        auto* map = new TfrmMap(
            [&main](int row) {
                main.cmbTo->setCurrentIndex(row);
                main.cmbToClick();
            },
            &main);
        map->exec(); // the map deletes itself when closed
        giveBackKeyboard(main);
    };
    frmMain.commands.openOptions = [](TfrmMain& main) {
        OptionTargets targets{[&main](bool use) { main.setUseCatDaihiki(use); },
                              [&main](std::int32_t color) {
                                  main.setListTextColor(color);
                                  // The postal window's weight list draws with the same colour.
                                  for (QWidget* window : QApplication::topLevelWidgets())
                                      if (window->isVisible() && window != &main)
                                          window->update();
                              },
                              [&main](bool visible, int) { main.setExplainVisible(visible); }};
        auto* options = new TfrmOption(std::move(targets), main.settingsPath(), &main);
        options->exec();
        giveBackKeyboard(main);
    };
    frmMain.commands.openAbout = [](TfrmMain& main) {
        auto* about = new TfrmVersion(&main);
        about->exec();
        giveBackKeyboard(main);
    };
}

} // namespace hakomaru
