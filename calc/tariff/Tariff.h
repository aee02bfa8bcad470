#pragma once
// Where the tariff file lies and how it is read. The calculators take an
// already-read tariff; the windows read it anew at every recalculation so
// that an edited file takes effect at once.
#include "ini/IniStore.h"

#include <filesystem>

namespace hakomaru {

inline constexpr const char* kTariffFileName = "Charge.ini";

// The tariff file beside the program: its directory followed by "Charge.ini".
inline std::filesystem::path tariffPathIn(const std::filesystem::path& programDir) {
    return programDir / kTariffFileName;
}

inline IniStore readTariff(const std::filesystem::path& path) {
    return IniStore::open(path);
}

} // namespace hakomaru
