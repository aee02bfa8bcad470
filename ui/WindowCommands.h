#pragma once
// Plugs the map, options and about windows into the main window's commands.
// The postal window plugs in through installPostalWindow (Postal.h).
namespace hakomaru {

class TfrmMain;

// Sets frmMain.commands.openMap, openOptions and openAbout: each creates its
// window anew and shows it modally; the window releases itself when closed.
void installWindowCommands(TfrmMain& frmMain);

} // namespace hakomaru
