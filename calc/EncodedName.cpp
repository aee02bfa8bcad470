#include "EncodedName.h"

#include "Sjis.h"

#include <mutex>
#include <unordered_map>

namespace hakomaru {

const std::string& sjisName(std::string_view utf8) {
    static std::mutex mutex;
    static std::unordered_map<std::string, std::string> names;
    std::lock_guard lock(mutex);
    auto it = names.find(std::string(utf8));
    if (it == names.end())
        it = names.emplace(std::string(utf8), toSjis(utf8)).first;
    return it->second;
}

} // namespace hakomaru
