#include "ini/EncodedName.h"

#include "text/Sjis.h"

#include <unordered_map>

namespace hakomaru {

namespace {

// Looks names up by their view: no string is built for a name already known.
struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

} // namespace

const std::string& sjisName(std::string_view utf8) {
    // One cache per thread: no lock on the path every tariff lookup takes.
    thread_local std::unordered_map<std::string, std::string, NameHash, std::equal_to<>> names;
    auto it = names.find(utf8);
    if (it == names.end())
        it = names.emplace(std::string(utf8), toSjis(utf8)).first;
    return it->second;
}

} // namespace hakomaru
