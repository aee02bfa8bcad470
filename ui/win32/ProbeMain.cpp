// The probe program: one window of the Windows front end, titled はこ丸.
#include "ProbeWindow.h"
#include "system/ProgramFile.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    using namespace hakomaru;
    win32::setApplicationTitle(win32::kProbeForm.title);
    win32::ProbeWindow probe(sys::programFile(nullptr).parent_path(), true);
    probe.window().show(showCommand);
    return win32::runMessageLoop();
}
