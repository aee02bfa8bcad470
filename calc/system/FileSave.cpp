#include "system/FileSave.h"

#include <cstdio>

namespace hakomaru {
namespace {

constexpr std::string_view kMark = ".hakomaru-";
constexpr std::string_view kSuffix = ".tmp";
constexpr std::size_t kRandomDigits = 16, kCheckDigits = 8;

// The check part of a temporary name: a mix of the random part (the
// finaliser of splitmix64), so that a name a person makes up passes only by
// a one-in-four-billion chance.
std::uint32_t checkOf(std::uint64_t random) {
    random ^= random >> 30;
    random *= 0xBF58476D1CE4E5B9ULL;
    random ^= random >> 27;
    random *= 0x94D049BB133111EBULL;
    random ^= random >> 31;
    return static_cast<std::uint32_t>(random);
}

std::optional<std::uint64_t> hexValue(std::string_view digits) {
    std::uint64_t value = 0;
    for (const char c : digits) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<std::uint64_t>(digit);
    }
    return value;
}

} // namespace

std::string temporaryName(std::string_view fileName, std::uint64_t random) {
    char parts[kRandomDigits + kCheckDigits + 2];
    std::snprintf(parts, sizeof parts, "%016llx-%08lx", static_cast<unsigned long long>(random),
                  static_cast<unsigned long>(checkOf(random)));
    return "." + std::string(fileName) + std::string(kMark) + parts + std::string(kSuffix);
}

bool isTemporaryName(std::string_view candidate, std::string_view fileName) {
    const std::size_t head = 1 + fileName.size() + kMark.size();
    if (candidate.size() != head + kRandomDigits + 1 + kCheckDigits + kSuffix.size() ||
        candidate.front() != '.' || candidate.substr(1, fileName.size()) != fileName ||
        candidate.substr(1 + fileName.size(), kMark.size()) != kMark ||
        candidate[head + kRandomDigits] != '-' || !candidate.ends_with(kSuffix))
        return false;
    const auto random = hexValue(candidate.substr(head, kRandomDigits));
    const auto check = hexValue(candidate.substr(head + kRandomDigits + 1, kCheckDigits));
    return random && check && *check == checkOf(*random);
}

void saveFileBytes(const std::filesystem::path& path, const std::string& bytes) {
    editFile(path, [&](const FileBytes&) { return std::optional<std::string>(bytes); });
}

} // namespace hakomaru
