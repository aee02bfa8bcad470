#pragma once
// The editor's save, without a window: its field edits written onto the
// tariff file as the file is when it is saved.
//
// The window keeps the bytes it opened and its edited copy. A save reads the
// file again; where another program changed it meanwhile, the editor's own
// field edits are made again on the new bytes (field by field, see
// rebaseEdits), so the other program's changes stay. The person confirms the
// list of changes once; the file is then written under the writers' lock,
// the edits made again on the bytes found there. Another program's newer
// changes in fields this editor did not touch are kept and written at once,
// without a second list, and reported in the result; a field both changed
// is put to the person, before the list or, when it appears only under the
// lock, after it, and the save goes on with their choice.
#include "tools/TariffMerge.h"

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace hakomaru {

// What a save asks the person saving (the window asks with its dialogs; the
// tests answer themselves).
class SaveQuestions {
  public:
    virtual ~SaveQuestions() = default;
    // For each field both this editor and another program changed: true to
    // save this editor's value, false to keep the other program's. Nothing
    // cancels the save.
    virtual std::optional<std::vector<bool>>
    chooseConflicts(const std::vector<TariffConflict>& conflicts) = 0;
    // The changes about to be written, own ones first, then those another
    // program made (marked `outside`): true writes them.
    virtual bool confirmChanges(const std::vector<TariffChange>& changes) = 0;
};

struct TariffSaveResult {
    enum class Outcome {
        Saved,     // the file holds the edits now
        Unchanged, // the file held every edit already; nothing was written
        Cancelled, // the person said no; nothing was written
        Failed,    // nothing was written; `error` says why
    };
    Outcome outcome = Outcome::Cancelled;
    // Saved, Unchanged: the file's bytes now (another program's changes
    // included); equal to the edited bytes when there were none.
    std::string bytes;
    // Saved: the changes written, own ones first, then other programs'
    // (`outside`); `own` of them are this editor's.
    std::vector<TariffChange> changes;
    std::size_t own = 0;
    // Saved: other programs' changes found under the lock that the
    // confirmed list did not show (they are in `changes` too).
    std::vector<TariffChange> unseen;
    std::string error; // Failed: the message for the person
};

class TariffSave {
  public:
    // `opened`: the file as the editor read it (or last saved it); `edited`:
    // the editor's copy with its edits. Both must outlive the save.
    TariffSave(std::filesystem::path path, const TariffDocument& opened,
               const TariffDocument& edited);

    TariffSaveResult run(SaveQuestions& questions);

  private:
    // The edits made again on `current`, the conflicts the person decided
    // applied.
    TariffRebase rebase(const std::string& current) const;
    // Asks about the conflicts and keeps the answers; false when cancelled.
    bool decide(SaveQuestions& questions, const std::vector<TariffConflict>& conflicts);

    std::filesystem::path path_;
    const TariffDocument& opened_;
    const TariffDocument& edited_;
    // The person's choices by field and the other program's value they were
    // made against: a newer value of the other program is asked again.
    std::map<std::tuple<std::string, std::string, std::string, std::string>, bool> decided_;
};

// Writes `bytes` as the whole file at `path` (名前を付けて保存) under the
// writers' lock, provided the file there is still as the person saw it when
// they chose it: missing when `expected` is nothing, else holding exactly
// `expected` (the file they agreed to replace). Returns false, writing
// nothing, when it changed meanwhile. Throws SaveError as editFile does.
bool saveWholeFile(const std::filesystem::path& path, const std::string& bytes,
                   const std::optional<std::string>& expected);

} // namespace hakomaru
