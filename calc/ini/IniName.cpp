#include "ini/IniName.h"

#include "text/Sjis.h"

namespace hakomaru {
namespace {

// Calls `visit` with each byte of `name` as names compare it: a single-byte
// character folded, a double-byte character's two bytes as they are.
template <typename Visit> void forEachFoldedByte(std::string_view name, Visit&& visit) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (isSjisLeadByte(static_cast<unsigned char>(c)) && i + 1 < name.size()) {
            visit(c);
            visit(name[++i]);
        } else {
            visit(foldedSingleByte(c));
        }
    }
}

} // namespace

bool iniNamesMatch(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    // A lead byte matches only itself, so both names split into characters
    // at the same places while they match.
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (isSjisLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1])
                return false;
            ++i;
        } else if (foldedSingleByte(a[i]) != foldedSingleByte(b[i])) {
            return false;
        }
    }
    return true;
}

std::string foldedIniName(std::string_view name) {
    std::string folded;
    folded.reserve(name.size());
    forEachFoldedByte(name, [&](char c) { folded += c; });
    return folded;
}

std::size_t IniNameHash::operator()(std::string_view name) const noexcept {
    // FNV-1a over the folded bytes.
    std::size_t hash = 14695981039346656037ull;
    forEachFoldedByte(
        name, [&](char c) { hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull; });
    return hash;
}

} // namespace hakomaru
