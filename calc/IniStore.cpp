#include "IniStore.h"

#include "Sjis.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace hakomaru {
namespace {

constexpr bool isBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string_view trim(std::string_view s) {
    size_t begin = 0;
    size_t end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.substr(begin, end - begin);
}

constexpr unsigned char upperAscii(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// Reads a whole regular file. Anything else reads as empty: a missing file
// by the rules of the store, a folder or FIFO because it holds no settings
// and must never block the program.
std::string readRegularFile(const std::filesystem::path& path) {
    std::string bytes;
#ifdef _WIN32
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return bytes;
    std::FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f)
        return bytes;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, n);
    std::fclose(f);
#else
    // O_NONBLOCK so that opening a FIFO returns at once; fstat then refuses it.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return bytes;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return bytes;
    }
    bytes.resize(static_cast<size_t>(st.st_size));
    size_t used = 0;
    for (;;) {
        if (used == bytes.size())
            bytes.resize(bytes.size() + 4096); // the file grew while reading
        ssize_t n = ::read(fd, bytes.data() + used, bytes.size() - used);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        used += static_cast<size_t>(n);
    }
    bytes.resize(used);
    ::close(fd);
#endif
    return bytes;
}

bool isWritable(const std::filesystem::path& path) {
#ifdef _WIN32
    return ::_waccess(path.c_str(), 2) == 0;
#else
    return ::access(path.c_str(), W_OK) == 0;
#endif
}

} // namespace

bool IniStore::namesMatch(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto ca = static_cast<unsigned char>(a[i]);
        auto cb = static_cast<unsigned char>(b[i]);
        if (isSjisLeadByte(ca)) {
            // A double-byte character: its trail byte may look like an ASCII
            // letter but must compare exactly.
            if (ca != cb || (i + 1 < a.size() && a[i + 1] != b[i + 1]))
                return false;
            ++i;
            continue;
        }
        if (upperAscii(ca) != upperAscii(cb))
            return false;
    }
    return true;
}

IniStore::IniStore(std::string bytes) : bytes_(std::make_unique<const std::string>(std::move(bytes))) {
    parse();
}

IniStore IniStore::open(const std::filesystem::path& path) { return IniStore(readRegularFile(path)); }

void IniStore::parse() {
    std::string_view all(*bytes_);
    bool inSection = false;
    size_t pos = 0;
    while (pos < all.size()) {
        size_t end = all.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = all.size();
        std::string_view line = trim(all.substr(pos, end - pos));
        pos = end;
        if (pos < all.size())
            pos += (all[pos] == '\r' && pos + 1 < all.size() && all[pos + 1] == '\n') ? 2 : 1;

        if (line.empty() || line.front() == ';')
            continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            sections_.push_back({trim(line.substr(1, line.size() - 2)), lines_.size(), 0});
            inSection = true;
            continue;
        }
        if (!inSection)
            continue;
        Line l;
        l.text = line;
        size_t eq = line.find('=');
        if (eq != std::string_view::npos) {
            l.isEntry = true;
            l.key = trim(line.substr(0, eq));
            l.value = trim(line.substr(eq + 1));
        }
        lines_.push_back(l);
        ++sections_.back().count;
    }
}

const IniStore::Section* IniStore::findSection(std::string_view name) const {
    for (auto it = sections_.rbegin(); it != sections_.rend(); ++it)
        if (namesMatch(it->name, name))
            return &*it;
    return nullptr;
}

std::optional<std::string_view> IniStore::find(std::string_view section, std::string_view key) const {
    const Section* s = findSection(section);
    if (!s)
        return std::nullopt;
    for (size_t i = s->first + s->count; i > s->first; --i) {
        const Line& l = lines_[i - 1];
        if (l.isEntry && namesMatch(l.key, key))
            return l.value;
    }
    return std::nullopt;
}

std::string_view IniStore::keep(std::string text) {
    written_.push_back(std::move(text));
    return written_.back();
}

void IniStore::write(std::string_view section, std::string_view key, std::string_view value) {
    std::string text;
    text.reserve(key.size() + 1 + value.size());
    text.append(key).append("=").append(value);
    Line line;
    line.text = keep(std::move(text));
    line.isEntry = true;
    line.key = line.text.substr(0, key.size());
    line.value = line.text.substr(key.size() + 1);

    auto* s = const_cast<Section*>(findSection(section));
    if (!s) {
        sections_.push_back({keep(std::string(section)), lines_.size(), 0});
        s = &sections_.back();
    }
    for (size_t i = s->first + s->count; i > s->first; --i) {
        Line& l = lines_[i - 1];
        if (l.isEntry && namesMatch(l.key, key)) {
            l = line;
            return;
        }
    }
    size_t at = s->first + s->count;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), line);
    ++s->count;
    for (Section& other : sections_)
        if (&other != s && other.first >= at)
            ++other.first;
}

std::string IniStore::toBytes() const {
    std::string out;
    for (const Section& s : sections_) {
        out.append("[").append(s.name).append("]\r\n");
        for (size_t i = s.first; i < s.first + s.count; ++i)
            out.append(lines_[i].text).append("\r\n");
        out.append("\r\n");
    }
    return out;
}

void IniStore::save(const std::filesystem::path& path) const {
    const std::string failure = "ファイル " + path.string() + " を作成できません";
    std::error_code ec;
    // Replace the file a link points to, not the link.
    std::filesystem::path target = path;
    if (std::filesystem::is_symlink(path, ec)) {
        auto resolved = std::filesystem::canonical(path, ec);
        if (!ec)
            target = resolved;
    }
    std::filesystem::path dir = target.parent_path();

    // A file the user made read-only is not replaced: writing it in place
    // would fail, and renaming over it must not get round that.
    if (std::filesystem::exists(target, ec) && !isWritable(target))
        throw SaveError(failure);

    static std::mt19937_64 rng{std::random_device{}()};
    std::filesystem::path temp;
    std::FILE* f = nullptr;
    for (int attempt = 0; attempt < 16 && !f; ++attempt) {
        temp = dir / (target.filename().string() + ".tmp" + std::to_string(rng() % 1000000000));
#ifdef _WIN32
        f = _wfopen(temp.c_str(), L"wbx");
#else
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            f = ::fdopen(fd, "wb");
            if (!f) {
                ::close(fd);
                std::filesystem::remove(temp, ec);
                break;
            }
        } else if (errno != EEXIST) {
            break;
        }
#endif
    }
    if (!f)
        throw SaveError(failure);

    const std::string bytes = toBytes();
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fflush(f) == 0 && ok;
#ifdef _WIN32
    ok = _commit(_fileno(f)) == 0 && ok;
#else
    ok = ::fsync(fileno(f)) == 0 && ok;
#endif
    ok = std::fclose(f) == 0 && ok;
    if (ok) {
        // Keep the old file's permissions.
        auto status = std::filesystem::status(target, ec);
        if (!ec && std::filesystem::exists(status))
            std::filesystem::permissions(temp, status.permissions(), ec);
        std::filesystem::rename(temp, target, ec);
        ok = !ec;
    }
    if (!ok) {
        std::filesystem::remove(temp, ec);
        throw SaveError(failure);
    }
}

} // namespace hakomaru
