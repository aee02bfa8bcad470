#include "UserFolder.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

namespace hakomaru {

std::filesystem::path userSettingsFolder() {
    // The folder %APPDATA% names, asked of the system itself rather than
    // of a variable that anything may have changed. It roams with the
    // user's profile, as preferences should.
    wchar_t* folder = nullptr;
    std::filesystem::path result;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &folder)))
        result = std::filesystem::path(folder) / L"hakomaru";
    ::CoTaskMemFree(folder);
    return result;
}

} // namespace hakomaru
