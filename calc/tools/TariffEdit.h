#pragma once
// Editing a tariff file in place. The file is read into grids of located
// fields (tools/TariffGrid.h); setting a field checks the value against
// what the field can hold and rewrites only that field's bytes, so
// comments, unknown lines, spacing and line ends stay as they were. The
// editor window and `hakomaru-quote set` both edit through it; the
// comparison of two files is tools/TariffDiff.h, making edits again on a
// file another writer changed tools/TariffMerge.h.
#include "tariff/TariffInput.h"
#include "tools/TariffCheck.h"
#include "tools/TariffGrid.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace hakomaru {

// One changed field by name, for the lists of changes and differences.
// UTF-8; a value a file lacks is kAbsentValue, an empty field kEmptyValue.
struct TariffChange : TariffFieldName {
    std::string before, after;
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
struct TariffConflict : TariffFieldName {
    std::string opened, mine, theirs; // as opened, as edited here, as the other writer saved it
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
    // The field's value as the lists of changes show it: shown(), or
    // kAbsentValue, kEmptyValue, a default marked "（既定値）".
    static std::string listed(const TariffCell& cell);
    // The field by name (tools/TariffFieldName.h).
    TariffFieldName fieldName(const TariffAddress& at) const;

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

} // namespace hakomaru
