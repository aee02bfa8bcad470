#pragma once
// The in-memory INI store shared by the tariff file and the settings file.
//
// Reading keeps every byte of the file as it was read: names and values are
// Shift-JIS byte strings, and callers pass names already encoded (see
// text/Sjis.h). Reading lines is separate from what values mean: the store only
// splits lines into sections and entries; ini/IniValues.h gives the typed reads.
//
// Line rules: a line ends at CR, LF or CR LF and is trimmed of bytes 0-32
// at both ends; empty lines and lines starting with ";" are dropped; "[name]"
// starts a section; inside a section a line with "=" is an entry split at the
// first "=" (both sides trimmed); lines before the first section are dropped.
// Names match as ini/IniName.h says. A later section of the
// same name hides the earlier one; within a section a later key wins.
#include "ini/IniName.h"
#include "system/FileSave.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace hakomaru {

// One line of a file as the store reads it, for tools that report where an
// entry lies. The store itself keeps no line numbers.
struct IniLine {
    enum class Kind {
        Ignored, // empty, a comment (";"), or before the first section header
        Section, // "[name]": `name` is the section name
        Entry,   // a line with "=" inside a section: `name` is the key
        Other,   // a line without "=" inside a section: never found as a key
    };
    size_t number = 0; // counted from 1; CR, LF and CR LF each end a line
    Kind kind = Kind::Ignored;
    std::string_view text;  // the trimmed line
    std::string_view name;  // section name or key, trimmed
    std::string_view value; // entry value, trimmed
};

// Every line of `bytes`, split and classified by the same rules as the store.
// The views point into `bytes`.
std::vector<IniLine> iniLines(std::string_view bytes);

// Calls `visit` with each line of `bytes` in order, as iniLines() gives them,
// without keeping them: for tools that skip most lines of a file that may
// hold millions of them.
void forEachIniLine(std::string_view bytes, const std::function<void(const IniLine&)>& visit);

// The line of `bytes` that holds the byte at `offset`, classified as
// forEachIniLine() would, given whether a section header comes before it;
// its number is left 0. For tools that read one edited line again.
IniLine iniLineAt(std::string_view bytes, size_t offset, bool inSection);

// True when replacing `length` bytes at `offset` of `bytes` with `inserted`
// changes no line but the one that holds them and no double-byte character:
// neither side holds a line break or a byte above 0x7F, the bytes on either
// side of the replaced ones are single-byte too, and they are not a CR and
// an LF. Such an edit (a fee
// typed over another) leaves every other line's place in the file, its
// number and its text as they were, so tools that keep what they learnt of
// the other lines need only read the edited one again.
bool keepsOtherLines(std::string_view bytes, size_t offset, size_t length,
                     std::string_view inserted);

// The bytes of a regular file of at most kIniFileLimit bytes; empty for a
// missing, unreadable, non-regular (a folder, a FIFO, a device) or larger
// one, which must never block the program nor grow its memory.
std::string readFileBytes(const std::filesystem::path& path);

class IniStore {
  public:
    IniStore() = default;
    // Takes the bytes of a whole file.
    explicit IniStore(std::string bytes);
    IniStore(const IniStore&) = delete;
    IniStore& operator=(const IniStore&) = delete;
    IniStore(IniStore&&) = default;
    IniStore& operator=(IniStore&&) = default;

    // Reads the whole file. A missing, unreadable, non-regular (a folder, a
    // FIFO, a device) or larger file than kIniFileLimit reads as an empty
    // file: every lookup gives its default.
    static IniStore open(const std::filesystem::path& path);

    // Why the file that open() was given could not be read; empty when it
    // was read whole.
    const std::string& readFailure() const { return readFailure_; }
    // open() found nothing under the name.
    bool fileMissing() const { return fileMissing_; }

    // The raw value of an entry, or nothing when the section or key is
    // missing. The view lives as long as the store is not written to.
    std::optional<std::string_view> find(std::string_view section, std::string_view key) const;

    // Replaces the line of an existing key in place with key "=" value, or
    // appends that line at the end of its section; a missing section is
    // appended at the end of the file.
    void write(std::string_view section, std::string_view key, std::string_view value);

    // The whole file as saving writes it: each section as "[" name "]", its
    // lines in order, then an empty line; lines end with CR LF.
    std::string toBytes() const;

    // Writes toBytes() as the whole file through saveFileBytes() (see
    // system/FileSave.h): atomically, keeping owner and mode. Throws
    // SaveError, changing nothing, when the file is read-only, is not a
    // regular file (or links to one that is not), or existed but could not
    // be read by open(): saving would lose its content.
    void save(const std::filesystem::path& path) const;

    // The store's update: reads the file under the writers' lock, applies
    // `write` to it and saves the result before another writer may read it,
    // so two programs updating different keys both keep their change.
    // Throws SaveError as save() does, and when another writer holds the
    // file too long.
    static void update(const std::filesystem::path& path,
                       const std::function<void(IniStore&)>& write);

    // Calls `seen` with every value find() returns, until it is given an
    // empty function: for tools that learn which entries a computation
    // reads, to run it again only when one of them changes.
    void observeFinds(std::function<void(std::string_view value)> seen) {
        findObserver_ = std::move(seen);
    }

    // The number of the line (counted from 1 as iniLines() counts) on which
    // a view into the bytes read lies, such as a value find() returned; 0 for
    // a view into a written line or other memory. For tools that report
    // where the entry the store finds is written.
    size_t lineNumberOf(std::string_view view) const;

    // The bytes the store was read from.
    std::string_view bytes() const;

  private:
    // Reading finds only the section headers; a section's lines are split
    // when it is first used. A quote reads a handful of sections of the
    // tariff, and splitting every line made parsing dearer than reading.
    //
    // Look-ups scan from the end, which costs nothing for the few a quote
    // makes. Tools that look up every entry (the checker, the editor) would
    // then pay for each one the length of the file: past a few look-ups, the
    // sections, and a section's keys, are found through a hash index.
    struct Section {
        std::string_view name;
        std::string_view body; // the bytes after its header line, up to the next header
        // The section's trimmed lines without blank and comment lines; split
        // from `body` on first use.
        mutable std::vector<std::string_view> lines;
        mutable bool split = false;
        mutable unsigned lookups = 0;
        mutable bool indexed = false;
        mutable IniNameIndex keys; // key -> last line with it, once indexed
    };

    void findSections();
    const Section* findSection(std::string_view name) const;
    const std::vector<std::string_view>& linesOf(const Section& section) const;
    // The index in linesOf(section) of the last entry of `key`.
    std::optional<size_t> lastEntry(const Section& section, std::string_view key) const;
    std::string_view keep(std::string text);

    // Held behind a pointer so that the views stay valid when the store moves.
    std::unique_ptr<const std::string> bytes_;
    std::deque<std::string> written_; // text of written lines; deque keeps them in place
    std::vector<Section> sections_;
    mutable unsigned sectionLookups_ = 0;
    mutable bool sectionsIndexed_ = false;
    mutable IniNameIndex sectionIndex_; // name -> last section of that name, once indexed
    // For lineNumberOf: the number of lines that start before each block of
    // kLineBlock bytes, built on first use; each call counts within one
    // block. An entry per block, not per line, keeps this small for a file
    // of millions of lines.
    static constexpr size_t kLineBlock = 256;
    mutable std::vector<size_t> linesBeforeBlock_;
    std::string readFailure_;
    bool fileMissing_ = false;
    std::function<void(std::string_view)> findObserver_;
};

} // namespace hakomaru
