#include "system/FileRead.h"

#include "system/Files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace hakomaru {
namespace {

std::string withReason(std::string message, std::string_view reason) {
    if (!reason.empty())
        message.append("（").append(reason).append("）");
    return message;
}

// Decimal digits grouped by thousands with commas.
std::string groupedDigits(std::uint64_t value) {
    std::string digits = std::to_string(value);
    for (auto i = static_cast<std::ptrdiff_t>(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(static_cast<std::size_t>(i), ",");
    return digits;
}

} // namespace

std::filesystem::path pathFromUtf8(std::string_view name) {
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(name.data()), name.size()));
}

std::string utf8Of(const std::filesystem::path& path) {
    const std::u8string name = path.u8string();
    return std::string(reinterpret_cast<const char*>(name.data()), name.size());
}

std::string fileOpenMessage(std::string_view fileName, std::string_view reason) {
    return withReason("ファイル " + std::string(fileName) + " は開けません", reason);
}

std::string fileCreateMessage(std::string_view fileName, std::string_view reason) {
    return withReason("ファイル " + std::string(fileName) + " を作成できません", reason);
}

std::string tooLargeReason(std::uint64_t size, std::size_t limit) {
    // Rounded up, so that a file just over the limit never reads as equal.
    const std::uint64_t sizeMiB = size / kMiB + (size % kMiB != 0);
    return "サイズ " + groupedDigits(sizeMiB) + " MiB が上限の " + groupedDigits(limit / kMiB) +
           " MiB を超えています";
}

std::string tooLargeToSaveReason(std::uint64_t size, std::size_t limit) {
    return "保存すると " + groupedDigits(size) + " バイトになり、上限の " +
           groupedDigits(limit / kMiB) + " MiB を超えます";
}

namespace {

// The reasons a user meets, each in the words a Japanese user knows from
// the system's own messages, so that a message reads the same on Linux and
// on Windows (whose error codes arrive here as these errno values).
struct Reason {
    int error;
    std::string_view text;
};
constexpr Reason kReasons[] = {
    {ENOENT, "ファイルまたはフォルダーが見つかりません"},
    {EACCES, "アクセスが拒否されました"},
    {EPERM, "アクセスが拒否されました"},
    {EROFS, "読み取り専用のファイルシステムです"},
    {ENOSPC, "ディスクの空き領域が足りません"},
#ifdef EDQUOT
    {EDQUOT, "ディスクの使用量が割り当てを超えています"},
#endif
    {EBUSY, "ほかのプログラムが使用中です"},
    {ETXTBSY, "ほかのプログラムが使用中です"},
    {EISDIR, "フォルダーです"},
    {ENOTDIR, "パスの途中にフォルダーでないものがあります"},
    {EFBIG, "ファイルが大きすぎます"},
    {ENAMETOOLONG, "ファイル名が長すぎます"},
    {ELOOP, "リンクが循環しているか、多すぎます"},
    {EIO, "ディスクの読み書きでエラーが起きました"},
    {EMFILE, "開いているファイルが多すぎます"},
};

} // namespace

std::string systemReason(int error) {
    for (const Reason& reason : kReasons)
        if (reason.error == error)
            return std::string(reason.text);
    return std::strerror(error);
}

ReadableFile::ReadableFile(const std::filesystem::path& path) {
    keep(sys::openRegularFile(path));
}

ReadableFile ReadableFile::adopt(int descriptor) {
    ReadableFile file;
    file.keep(sys::regularFileOf(descriptor));
    return file;
}

void ReadableFile::keep(const sys::OpenedFile& opened) {
    if (opened.fd < 0) {
        missing_ = opened.error == ENOENT;
        reason_ = opened.notRegular ? std::string(kNotRegularReason) : opened.reason;
        return;
    }
    size_ = opened.size;
    fd_ = opened.fd;
}

std::string ReadableFile::openMessage(std::string_view fileName) const {
    return fileOpenMessage(fileName, reason_);
}

ReadableFile::~ReadableFile() {
    if (fd_ >= 0)
        sys::closeFile(fd_);
}

ReadableFile::ReadableFile(ReadableFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), missing_(other.missing_), size_(other.size_),
      reason_(std::move(other.reason_)) {}

long ReadableFile::read(char* into, std::size_t count) {
    if (fd_ < 0)
        return -1;
    const long n = sys::readFile(fd_, into, count);
    if (n < 0)
        reason_ = systemReason(errno);
    return n;
}

bool mayHandOver(const std::filesystem::path& document) {
    const ReadableFile file(document);
    return file.ok() || file.missing();
}

FileBytes readRegularFile(const std::filesystem::path& path, std::size_t limit) {
    return readRegularFile(ReadableFile(path), limit);
}

FileBytes readRegularFile(ReadableFile file, std::size_t limit) {
    FileBytes result;
    if (!file.ok()) {
        result.missing = file.missing();
        result.reason = file.reason();
        return result;
    }
    if (file.size() > limit) {
        result.reason = tooLargeReason(file.size(), limit);
        return result;
    }
    // One byte more than the file holds, so that the read which finds the
    // end needs no reallocation; reading stops one byte past the limit, so a
    // file that grew meanwhile is refused rather than read without bound.
    std::string& bytes = result.bytes;
    bytes.resize(static_cast<std::size_t>(file.size()) + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (used > limit) {
                result.bytes.clear();
                result.reason = tooLargeReason(used, limit);
                return result;
            }
            bytes.resize(std::min(bytes.size() * 2, limit + 1));
        }
        const long n = file.read(bytes.data() + used, bytes.size() - used);
        if (n < 0) {
            result.bytes.clear();
            result.reason = file.reason();
            return result;
        }
        if (n == 0)
            break;
        used += static_cast<std::size_t>(n);
    }
    if (used > limit) {
        result.bytes.clear();
        result.reason = tooLargeReason(used, limit);
        return result;
    }
    bytes.resize(used);
    return result;
}

ReadableFileBuf::int_type ReadableFileBuf::underflow() {
    if (gptr() < egptr())
        return traits_type::to_int_type(*gptr());
    const long n = file_.read(buffer_, sizeof buffer_);
    if (n < 0)
        failed_ = true;
    if (n <= 0)
        return traits_type::eof();
    setg(buffer_, buffer_, buffer_ + n);
    return traits_type::to_int_type(*gptr());
}

} // namespace hakomaru
