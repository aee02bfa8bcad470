#pragma once
// Editing a tariff file in place. The file is read into grids of located
// fields (the zone table, the ゆうパック fees, the クロネコ fees per sending
// region, the letter-mail and book-parcel fees, the option entries), each
// field knowing its line, its byte offset and its width; setting a field
// checks the value against what the field can hold and rewrites only that
// field's bytes, so comments, unknown lines, spacing and line ends stay as
// they were. The editor window and `hakomaru-quote set` both edit through it.
#include "tariff/TariffInput.h"
#include "tools/TariffCheck.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace hakomaru {

enum class TariffFieldKind {
    Zone,   // one zone character of the zone table
    Fee,    // a fixed-width field of a fee row
    Option, // a single-valued entry: its whole value
};

// One field of the file and where it lies.
struct TariffCell {
    TariffFieldKind kind = TariffFieldKind::Fee;
    std::string section, key;  // code page 932, as the quotes look them up
    std::size_t position = 0;  // Zone, Fee: the field's first byte in the value, from 1
    std::size_t width = 0;     // Zone, Fee: the field's width in bytes
    std::size_t line = 0;      // the entry's line, from 1; 0 when the file has none
    std::size_t offset = 0;    // the field's first byte in the file (when line > 0)
    std::string text;          // the field's bytes as written; shorter past the value's end
    bool trailFirst = false;   // its first byte is the second of a character begun before it
    std::int32_t fallback = 0; // Option: the fee that applies without an entry
};

// Which of the tariff's tables a grid shows.
enum class TariffTable { Zone, Youpack, Cat, Letter, Book, Options, Remittance };

// A heading over consecutive rows or columns: a region of the prefecture
// lists, the service of option entries.
struct TariffGroup {
    std::size_t first = 0, count = 0;
    std::string name; // UTF-8
};

// A table as a person reads it: headers in UTF-8, cells row by row.
struct TariffGrid {
    TariffTable table = TariffTable::Options;
    std::string title;
    std::vector<std::string> rows, columns;
    std::vector<TariffCell> cells;
    // What each row prices where its name does not say (option entries read
    // by size, weight or amount class); empty, or one text per row.
    std::vector<std::string> rowNotes;
    std::vector<TariffGroup> rowGroups, columnGroups;
    // Columns for the separator rows of the destination list: their fields
    // exist in the file, but they stand for no place and are shown as the
    // heading of the group below them.
    std::vector<bool> separatorColumns;
    const TariffCell& cell(std::size_t row, std::size_t column) const {
        return cells[row * columns.size() + column];
    }
    // The row of this name, if the grid has one.
    std::optional<std::size_t> rowNamed(std::string_view name) const;
};

// One changed field, for the list shown before saving. UTF-8; a value a
// file lacks is kAbsentValue, an empty field kEmptyValue.
struct TariffChange {
    std::string table, row, column, before, after;
    bool outside = false; // made by another writer since the file was opened
    // Where the field lies: its grid and column (rows go by name). No grid
    // for an entry outside the tariff's layout.
    std::optional<std::size_t> grid;
    std::size_t columnIndex = 0;
};
inline constexpr std::string_view kAbsentValue = "（なし）";
inline constexpr std::string_view kEmptyValue = "（空）";

// A field that both the editor and another writer changed, to different
// values. UTF-8.
struct TariffConflict {
    std::string table, row, column;
    std::string opened, mine, theirs; // as opened, as edited here, as the other writer saved it
};

// Where a field lies among the grids.
struct TariffAddress {
    std::size_t grid = 0, row = 0, column = 0;
};

// One edit as bytes: at `offset`, the bytes `removed` give way to
// `inserted`. Undoing it is the splice with the two swapped.
struct TariffSplice {
    std::size_t offset = 0;
    std::string removed, inserted;
    TariffSplice inverse() const { return {offset, inserted, removed}; }
};

// A value for one field of a block set at once (a paste).
struct TariffBlockValue {
    TariffAddress at;
    std::string value; // UTF-8, as typed
};

// What setting a block changes: the splices, each planned on the bytes the
// ones before it leave, and the values refused (by their index in the
// block) with the reason.
struct TariffBlockPlan {
    std::vector<TariffSplice> splices;
    std::vector<std::pair<std::size_t, std::string>> refused;
};

class TariffDocument {
  public:
    explicit TariffDocument(std::string bytes);

    const std::string& bytes() const { return bytes_; }
    // Why the file can only be read (it is not Shift-JIS); empty when it
    // can be edited.
    const std::string& readOnlyReason() const { return readOnlyReason_; }
    const std::vector<TariffGrid>& grids() const { return grids_; }

    // The field as a person reads it, UTF-8: its text without the padding
    // blanks, bytes that are not whole characters and control characters
    // as "<81>" (shownFromSjis); for an option the file lacks, the fee
    // that applies.
    static std::string shown(const TariffCell& cell);

    // What the field accepts as typed (tariff/TariffInput.h).
    TariffInputRule inputRule(const TariffAddress& at) const;

    // Sets a field to `value` (UTF-8, as typed: full-width digits and letters
    // count as half-width ones). Returns why the value does not fit the
    // field, the file being left as it was; nothing when set.
    std::optional<std::string> set(const TariffAddress& at, std::string_view value);

    // What set() would change, or why it refuses; the document stays as it is.
    std::variant<TariffSplice, std::string> plan(const TariffAddress& at,
                                                 std::string_view value) const;
    // Applies a splice that plan() gave on these bytes, or its inverse on
    // the bytes it left (undo and redo).
    void apply(const TariffSplice& splice);

    // Plans every value of a block; the document stays as it is.
    TariffBlockPlan planBlock(const std::vector<TariffBlockValue>& values) const;
    // Applies splices in order (a block's), or, undoing, their inverses in
    // the reverse order.
    void apply(const std::vector<TariffSplice>& splices, bool undo = false);

    // Takes other bytes as the whole file.
    void reset(std::string bytes);

    // The field named by section, key and column header (UTF-8, as the lists
    // and `hakomaru-quote rows` show them; blanks around a header do not
    // count). The column may be left out where the entry has one field.
    // Returns the reason when no single field matches.
    std::variant<TariffAddress, std::string> find(std::string_view section, std::string_view key,
                                                  std::optional<std::string_view> column) const;

    // The cells each of the checker's problems names, in the problems'
    // order: the fields on its line (only the one at its position where it
    // names one) and on each further place it names; for a row or a whole
    // section the file lacks, the cells of those rows.
    std::vector<std::vector<TariffAddress>>
    cellsNamedBy(const std::vector<TariffProblem>& problems) const;

    // Every field whose text differs from `original`'s, in grid order; rows
    // are matched by name, so a row one of them lacks counts as changed.
    std::vector<TariffChange> changesFrom(const TariffDocument& original) const;

  private:
    void parse();
    // Replaces bytes of the file and reads what they change.
    void replace(std::size_t offset, std::size_t length, std::string_view inserted);
    // An edit within one entry's value (see keepsOtherLines()): the fields
    // of that value are read again and the others move, without reading the
    // whole file. False, changing nothing, for any other edit.
    bool replaceInValue(std::size_t offset, std::size_t length, std::string_view inserted);

    std::string bytes_;
    std::string readOnlyReason_;
    std::vector<TariffGrid> grids_;
    std::string zonesWithFees_; // every character whose zone has a ゆうパック fee row
};

// The edits of a document made again on the file as another writer left
// it: what to save, and what to tell the user.
struct TariffRebase {
    std::string bytes;                     // the file to save, when `conflicts` is empty
    std::vector<TariffChange> changes;     // own changes, then the other writer's (outside)
    std::vector<TariffConflict> conflicts; // fields still to be decided
    std::string refused;                   // why an edit cannot be made again; empty when it can
};

// Makes the edits that turn `opened` into `edited` again on `current`, the
// file's bytes now. Edits are found and made per field (table, row name,
// column), not per byte, so lines the other writer moved do not matter. A
// field only the other writer changed keeps its value; one both changed to
// different values is put to `keepMine` (true: the edited value, false:
// the other writer's), which may leave it undecided (nothing): it is then
// listed in `conflicts`.
TariffRebase rebaseEdits(const TariffDocument& opened, const TariffDocument& edited,
                         const std::string& current,
                         const std::function<std::optional<bool>(const TariffConflict&)>& keepMine);

} // namespace hakomaru
