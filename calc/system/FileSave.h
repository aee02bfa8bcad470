#pragma once
// Writing a user's file: the tariff and the settings file, each with several
// writers (the tariff editor, `hakomaru-quote set`, the windows, a person
// with a text editor).
//
// Every writer goes through editFile(): it locks the file against the
// program's other writers, reads it, lets the caller turn the bytes read
// into the new content, and replaces the file with it before it lets go, so
// writers take turns and none drops another's change. Readers never lock
// and never wait: the file is replaced in one step, so a reader sees the old
// content or the new one, never a mixture.
//
// The replaced file keeps its owner, group and mode. A file that a new one
// could not stand in for, because it has other names (hard links) or
// because this writer may not give a new file its owner, is written in
// place instead, under the lock: a whole copy of the old content is put
// beside it first, under a marked name (copyName()), and removed only once
// the new content is written and flushed. A writer killed meanwhile leaves
// the copy, and the next writer puts it back before anything else. Only a
// folder that takes no new file at all gets no copy.
//
// A save writes a temporary file beside the target first. Its name carries
// the program's mark, `.NAME.hakomaru-RANDOM-CHECK.tmp`, the check part
// derived from the random part; leftovers of saves killed midway are removed
// by the next save, and only names that pass the check, so a file a person
// made is never taken for one. A copy is named the same way, ending `.copy`.
//
// No save leaves a file the program cannot read: content larger than the
// readers' limit (kIniFileLimit) is refused.
#include "system/FileRead.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace hakomaru {

// A save that could not be completed; the old file is left as it was.
// The message is "ファイル %s を作成できません" with the file name, followed
// by the reason in full-width brackets.
class SaveError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// How long a writer waits for another writer of the same file. A save takes
// milliseconds; a writer still busy after this is stuck or held by a person.
inline constexpr std::chrono::milliseconds kWriterWait{5000};

// The reason given when another writer kept the file past the wait.
inline constexpr std::string_view kBusyReason =
    "ほかのプログラムがこのファイルに書き込み中です。しばらくしてからもう一度保存してください";
// The reason given when another program kept the file open past the wait
// (on Windows, where a file open in a program that does not share it can
// neither be read nor replaced).
inline constexpr std::string_view kInUseReason =
    "ほかのプログラムがこのファイルを開いています。そのプログラムで閉じてからもう一度保存してください";

// Turns the file's current content into the new one, or returns nothing to
// leave the file as it is. `current` is the file as read under the lock: its
// bytes, or why it could not be read (missing() for a file not there yet).
// It may throw; the file then stays as it was. It is called again, on the
// newer content, when a program that takes no lock (a text editor) saved
// the file meanwhile.
using FileEdit = std::function<std::optional<std::string>(const FileBytes& current)>;

// Locks the file at `path` against the program's other writers (waiting at
// most `wait`), reads it, and writes what `edit` returns as the whole file,
// atomically, keeping owner, group and mode; a link is followed to the file
// it names. Returns true when the file was written, false when `edit`
// returned nothing. Throws SaveError, changing nothing, when the lock is not
// had in time (kBusyReason), another program keeps the file open
// (kInUseReason), the file is read-only or not a regular file, the new
// content is larger than kIniFileLimit, or the file can be neither replaced
// nor written in place.
bool editFile(const std::filesystem::path& path, const FileEdit& edit,
              std::chrono::milliseconds wait = kWriterWait);

// Writes `bytes` as the whole file, whatever it holds now (editFile with an
// edit that ignores the content read).
void saveFileBytes(const std::filesystem::path& path, const std::string& bytes);

// The name of a temporary file for a save of the file named `fileName` (a
// name without folder), from a random number.
std::string temporaryName(std::string_view fileName, std::uint64_t random);

// Whether `candidate` is a name temporaryName() gives for `fileName`.
bool isTemporaryName(std::string_view candidate, std::string_view fileName);

// The name of the copy of the old content that a write in place puts
// beside the file named `fileName`: `.NAME.hakomaru-RANDOM-CHECK.copy`.
std::string copyName(std::string_view fileName, std::uint64_t random);
bool isCopyName(std::string_view candidate, std::string_view fileName);

} // namespace hakomaru
