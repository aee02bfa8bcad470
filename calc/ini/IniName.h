#pragma once
// How the INI files' section names and keys match: ASCII letters without
// regard to case, every other single-byte character and both bytes of a
// double-byte character (code page 932) exactly. The store finds entries
// by it, and every tool that compares names (the checker, the edit core,
// the comparison) asks it, so a name matches the same everywhere.
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

namespace hakomaru {

// A single-byte character as names compare it: an ASCII letter in upper
// case, anything else as it is. Not for the bytes of a double-byte
// character, whose trail byte may look like a letter.
constexpr char foldedSingleByte(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// True when both names match.
bool iniNamesMatch(std::string_view a, std::string_view b);

// The name with every single-byte character folded (foldedSingleByte):
// two names match exactly when their folded forms are equal. For ordered
// maps and sets of names.
std::string foldedIniName(std::string_view name);

// Names as they match, for hash tables keyed by section or key names.
struct IniNameHash {
    std::size_t operator()(std::string_view name) const noexcept;
};
struct IniNameEqual {
    bool operator()(std::string_view a, std::string_view b) const noexcept {
        return iniNamesMatch(a, b);
    }
};
// A name and the index of the last item of that name.
using IniNameIndex = std::unordered_map<std::string_view, std::size_t, IniNameHash, IniNameEqual>;

} // namespace hakomaru
