#pragma once
// The one way the program opens a file it reads: the tariff, the settings
// file, the map picture, a CSV batch, a help page.
//
// A file is opened without blocking (a FIFO in its place returns at once),
// accepted only when it is a regular file, and read up to a limit suited to
// it, so that a FIFO, a device such as /dev/zero, a folder or a huge file
// never hangs the program and never grows its memory. Every refusal carries
// a short reason for the user, appended to the file's message in
// full-width brackets.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <streambuf>
#include <string>
#include <string_view>

namespace hakomaru::sys {
struct OpenedFile;
}

namespace hakomaru {

inline constexpr std::size_t kMiB = 1024 * 1024;
// The tariff and the settings file: a real one is a few kilobytes.
inline constexpr std::size_t kIniFileLimit = 16 * kMiB;
// The map picture: a real one is some tens of kilobytes.
inline constexpr std::size_t kPictureFileLimit = 32 * kMiB;

// A file name written as UTF-8 text (a command-line argument, a message)
// as a path, and back. On POSIX systems both are the bytes as they are;
// Windows keeps paths in UTF-16, where a plain std::string would go through
// the ANSI code page and lose every character outside it.
std::filesystem::path pathFromUtf8(std::string_view name);
std::string utf8Of(const std::filesystem::path& path);

// "ファイル %s は開けません", with "（reason）" appended when there is one.
std::string fileOpenMessage(std::string_view fileName, std::string_view reason = {});
// "ファイル %s を作成できません", with "（reason）" appended when there is one.
std::string fileCreateMessage(std::string_view fileName, std::string_view reason = {});

// The reasons a file is refused, as the messages show them.
inline constexpr std::string_view kNotRegularReason = "通常のファイルではありません";
// "サイズ N MiB が上限の L MiB を超えています"
std::string tooLargeReason(std::uint64_t size, std::size_t limit);
// "保存すると N バイトになり、上限の L MiB を超えます": content a save
// would write that every reader would refuse.
std::string tooLargeToSaveReason(std::uint64_t size, std::size_t limit);
// The reason for an errno value: in Japanese, the same on every system, for
// the reasons a user meets (no such file, no permission, a read-only file
// system, a full disk, in use by another program, a folder, too large);
// the system's own text for any other.
std::string systemReason(int error);

// A regular file opened for reading. Never throws: ok() tells whether it
// opened, reason() why not.
class ReadableFile {
  public:
    explicit ReadableFile(const std::filesystem::path& path);
    // A descriptor opened elsewhere (a writer's locked one, duplicated),
    // checked as a file opened by name is and closed with the object.
    static ReadableFile adopt(int descriptor);
    ~ReadableFile();
    ReadableFile(ReadableFile&& other) noexcept;
    ReadableFile& operator=(ReadableFile&&) = delete;
    ReadableFile(const ReadableFile&) = delete;
    ReadableFile& operator=(const ReadableFile&) = delete;

    bool ok() const { return fd_ >= 0; }
    // Nothing exists under the name (a dangling link included).
    bool missing() const { return missing_; }
    const std::string& reason() const { return reason_; }
    // The reason as messages show it: none for a missing file, whose
    // message says all.
    std::string_view shownReason() const { return missing_ ? std::string_view() : reason_; }
    // "ファイル %s は開けません（reason）" for a file that did not open, with
    // its reason whatever it is, a missing file's included.
    std::string openMessage(std::string_view fileName) const;
    // The size when opened.
    std::uint64_t size() const { return size_; }

    // Up to `count` bytes; 0 at the end, -1 on a read error (reason() then
    // tells). Interrupted reads are retried.
    long read(char* into, std::size_t count);

  private:
    ReadableFile() = default;
    void keep(const sys::OpenedFile& opened);

    int fd_ = -1;
    bool missing_ = false;
    std::uint64_t size_ = 0;
    std::string reason_;
};

// Whether a document (a help page) may be handed to another program to
// open: a regular file that can be read, or nothing at all, which that
// program reports itself. Not a FIFO, a device or a folder in its place,
// which a browser would wait on or read without end.
bool mayHandOver(const std::filesystem::path& document);

// A whole file read through ReadableFile.
struct FileBytes {
    std::string bytes;
    bool missing = false; // nothing exists under the name
    std::string reason;   // why it could not be read; empty when it was
    bool ok() const { return reason.empty(); }
    std::string_view shownReason() const { return missing ? std::string_view() : reason; }
    // "ファイル %s は開けません（reason）" for a file that could not be read,
    // with its reason whatever it is, a missing file's included.
    std::string openMessage(std::string_view fileName) const {
        return fileOpenMessage(fileName, reason);
    }
};

// Reads a regular file of at most `limit` bytes. A file that grows past the
// limit while it is read is refused as well.
FileBytes readRegularFile(const std::filesystem::path& path, std::size_t limit);
// The same, from a file already opened.
FileBytes readRegularFile(ReadableFile file, std::size_t limit);

// A stream buffer over a ReadableFile, for input read as a stream (a CSV
// batch of any length).
class ReadableFileBuf : public std::streambuf {
  public:
    explicit ReadableFileBuf(ReadableFile file) : file_(std::move(file)) {}
    const ReadableFile& file() const { return file_; }
    // A read error happened (the stream then simply ends).
    bool failed() const { return failed_; }

  protected:
    int_type underflow() override;

  private:
    ReadableFile file_;
    bool failed_ = false;
    char buffer_[65536];
};

} // namespace hakomaru
