#pragma once
// Typed reads and writes on an IniStore. Names are Shift-JIS bytes.
#include "ini/IniStore.h"
#include "text/NumberText.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace hakomaru {

// The raw value, or `fallback` when the section or the key is missing.
inline std::string readString(const IniStore& ini, std::string_view section, std::string_view key,
                              std::string_view fallback = {}) {
    auto value = ini.find(section, key);
    return std::string(value ? *value : fallback);
}

// A signed 32-bit whole number ("0x"/"0X" or "$" for hexadecimal); the
// default for a missing entry or one that is not exactly a whole number.
inline std::int32_t readInteger(const IniStore& ini, std::string_view section, std::string_view key,
                                std::int32_t fallback) {
    auto value = ini.find(section, key);
    if (!value)
        return fallback;
    return parseWholeNumber(*value).value_or(fallback);
}

// An integer read; any value other than 0 is true.
inline bool readBool(const IniStore& ini, std::string_view section, std::string_view key,
                     bool fallback) {
    return readInteger(ini, section, key, fallback ? 1 : 0) != 0;
}

inline void writeInteger(IniStore& ini, std::string_view section, std::string_view key,
                         std::int32_t value) {
    ini.write(section, key, std::to_string(value));
}

inline void writeBool(IniStore& ini, std::string_view section, std::string_view key, bool value) {
    ini.write(section, key, value ? "1" : "0");
}

} // namespace hakomaru
