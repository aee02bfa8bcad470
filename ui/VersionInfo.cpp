#include "VersionInfo.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>

namespace hakomaru {
namespace {

// Version blocks are a few hundred bytes; anything larger is not ours.
constexpr std::uint64_t kMaxBlockSize = 64 * 1024;

struct SectionLocation {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

// Reads `count` bytes at `offset`; false on a short read.
bool readAt(std::ifstream& in, std::uint64_t offset, void* into, std::size_t count) {
    in.clear();
    in.seekg(static_cast<std::streamoff>(offset));
    if (!in)
        return false;
    in.read(static_cast<char*>(into), static_cast<std::streamsize>(count));
    return static_cast<std::size_t>(in.gcount()) == count;
}

class FieldReader {
  public:
    FieldReader(const unsigned char* bytes, bool bigEndian) : bytes_(bytes), big_(bigEndian) {}
    std::uint64_t get(std::size_t at, std::size_t width) const {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < width; ++i) {
            const std::size_t index = big_ ? at + i : at + width - 1 - i;
            value = (value << 8) | bytes_[index];
        }
        return value;
    }

  private:
    const unsigned char* bytes_;
    bool big_;
};

// Finds the version section through the ELF section headers. Every offset
// and size is checked against the file, as the file may be anything.
bool findVersionSection(const std::filesystem::path& file, SectionLocation& found) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    in.seekg(0, std::ios::end);
    const auto end = in.tellg();
    if (end <= 0)
        return false;
    const auto fileSize = static_cast<std::uint64_t>(end);

    std::array<unsigned char, 64> header{};
    if (fileSize < 52 || !readAt(in, 0, header.data(), std::min<std::uint64_t>(64, fileSize)))
        return false;
    if (std::memcmp(header.data(),
                    "\x7f"
                    "ELF",
                    4) != 0)
        return false;
    const bool is64 = header[4] == 2;
    if (header[4] != 1 && header[4] != 2)
        return false;
    if (header[5] != 1 && header[5] != 2)
        return false;
    const FieldReader h(header.data(), header[5] == 2);
    const std::uint64_t shoff = is64 ? h.get(0x28, 8) : h.get(0x20, 4);
    const std::size_t shentsize = h.get(is64 ? 0x3A : 0x2E, 2);
    const std::uint64_t shnum = h.get(is64 ? 0x3C : 0x30, 2);
    const std::uint64_t shstrndx = h.get(is64 ? 0x3E : 0x32, 2);
    const std::size_t minEntry = is64 ? 64 : 40;
    if (shnum == 0 || shentsize < minEntry || shentsize > 256 || shstrndx >= shnum ||
        shoff > fileSize || shnum * shentsize > fileSize - shoff)
        return false;

    std::vector<unsigned char> table(shnum * shentsize);
    if (!readAt(in, shoff, table.data(), table.size()))
        return false;
    const FieldReader t(table.data(), header[5] == 2);
    struct Entry {
        std::uint64_t name, type, offset, size;
    };
    auto entry = [&](std::uint64_t index) {
        const std::size_t at = index * shentsize;
        if (is64)
            return Entry{t.get(at, 4), t.get(at + 4, 4), t.get(at + 0x18, 8), t.get(at + 0x20, 8)};
        return Entry{t.get(at, 4), t.get(at + 4, 4), t.get(at + 0x10, 4), t.get(at + 0x14, 4)};
    };
    constexpr std::uint64_t kNoBits = 8; // SHT_NOBITS: the section has no bytes in the file
    auto inFile = [&](const Entry& e) {
        return e.type != kNoBits && e.offset <= fileSize && e.size <= fileSize - e.offset;
    };

    const Entry names = entry(shstrndx);
    if (!inFile(names))
        return false;
    std::vector<char> nameBytes(names.size);
    if (!readAt(in, names.offset, nameBytes.data(), nameBytes.size()))
        return false;
    const std::string_view wanted = kVersionSectionName;
    for (std::uint64_t i = 0; i < shnum; ++i) {
        const Entry e = entry(i);
        if (e.name >= nameBytes.size())
            continue;
        const char* name = nameBytes.data() + e.name;
        const std::size_t room = nameBytes.size() - e.name;
        if (strnlen(name, room) != wanted.size() ||
            wanted.compare(0, wanted.size(), name, wanted.size()) != 0)
            continue;
        if (!inFile(e) || e.size == 0 || e.size > kMaxBlockSize)
            return false;
        found = {e.offset, e.size};
        return true;
    }
    return false;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

} // namespace

AssertionFailure::AssertionFailure(const std::string& sourceName, int line)
    : std::runtime_error("Assertion failure (" + sourceName + ", " + std::to_string(line) + " 行)"),
      line_(line) {}

std::uint32_t FileVersionInfoSize(const std::filesystem::path& file) {
    SectionLocation section;
    if (!findVersionSection(file, section))
        return 0;
    return static_cast<std::uint32_t>(section.size);
}

bool ReadFileVersionInfo(const std::filesystem::path& file, std::uint32_t size,
                         std::vector<char>& buffer) {
    buffer.assign(size, '\0');
    SectionLocation section;
    if (size == 0 || !findVersionSection(file, section) || section.size != size)
        return false;
    std::ifstream in(file, std::ios::binary);
    return in && readAt(in, section.offset, buffer.data(), size);
}

bool QueryVersionValue(const std::vector<char>& block, std::string_view path, std::string& value) {
    // The block ends at its first NUL byte (the section holds a C string).
    std::string_view text(block.data(), block.size());
    text = text.substr(0, text.find('\0'));
    auto nextLine = [&text]() {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return line;
    };
    if (nextLine() != kVersionBlockMagic)
        return false;
    while (!text.empty()) {
        const std::string_view line = nextLine();
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos && equalsIgnoringCase(line.substr(0, equals), path)) {
            value = std::string(line.substr(equals + 1));
            return true;
        }
    }
    return false;
}

std::string ReadFileVersionOf(const std::filesystem::path& programFile) {
    // The buffer is a vector, so it is freed on every path, the throwing ones too.
    const std::uint32_t size = FileVersionInfoSize(programFile);
    std::vector<char> buffer;
    if (!ReadFileVersionInfo(programFile, size, buffer))
        throw AssertionFailure("untVersionInfo", 22);
    std::string value;
    if (!QueryVersionValue(buffer, "\\StringFileInfo\\041103A4\\FileVersion", value))
        throw AssertionFailure("untVersionInfo", 24);
    return value;
}

std::filesystem::path RunningProgramFile() {
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : path;
}

std::string ReadFileVersion() {
    return ReadFileVersionOf(RunningProgramFile());
}

} // namespace hakomaru
