#include "TariffSave.h"

#include "system/FileRead.h"
#include "system/FileSave.h"

#include <algorithm>
#include <utility>

namespace hakomaru {
namespace {

std::size_t ownCount(const std::vector<TariffChange>& changes) {
    return static_cast<std::size_t>(std::count_if(
        changes.begin(), changes.end(), [](const TariffChange& c) { return !c.outside; }));
}

bool sameChange(const TariffChange& a, const TariffChange& b) {
    return a.table == b.table && a.row == b.row && a.column == b.column && a.after == b.after;
}

TariffSaveResult failed(std::string error) {
    TariffSaveResult result;
    result.outcome = TariffSaveResult::Outcome::Failed;
    result.error = std::move(error);
    return result;
}

} // namespace

TariffSave::TariffSave(std::filesystem::path path, const TariffDocument& opened,
                       const TariffDocument& edited)
    : path_(std::move(path)), opened_(opened), edited_(edited) {}

TariffRebase TariffSave::rebase(const std::string& current) const {
    if (current == opened_.bytes()) {
        TariffRebase same;
        same.changes = diffTariffs(opened_, edited_);
        same.bytes = edited_.bytes();
        return same;
    }
    return rebaseEdits(opened_, edited_, current, [this](const TariffConflict& c) {
        const auto it = decided_.find({c.table, c.row, c.column, c.theirs});
        return it == decided_.end() ? std::nullopt : std::optional<bool>(it->second);
    });
}

bool TariffSave::decide(SaveQuestions& questions, const std::vector<TariffConflict>& conflicts) {
    const auto chosen = questions.chooseConflicts(conflicts);
    if (!chosen || chosen->size() != conflicts.size())
        return false;
    for (std::size_t i = 0; i < chosen->size(); ++i) {
        const TariffConflict& c = conflicts[i];
        decided_[{c.table, c.row, c.column, c.theirs}] = (*chosen)[i];
    }
    return true;
}

TariffSaveResult TariffSave::run(SaveQuestions& questions) {
    // The file as it is now, without the lock: the person's questions take
    // their time, and other writers must not wait for them.
    std::vector<TariffChange> listed;
    for (;;) {
        const FileBytes now = readRegularFile(path_, kIniFileLimit);
        if (!now.ok() && !now.missing)
            return failed(fileOpenMessage(utf8Of(path_), now.shownReason()));
        // A file removed meanwhile is written anew.
        const std::string& current = now.missing ? opened_.bytes() : now.bytes;
        TariffRebase planned = rebase(current);
        if (!planned.conflicts.empty()) {
            if (!decide(questions, planned.conflicts))
                return {};
            continue;
        }
        if (!planned.refused.empty())
            return failed(planned.refused);
        if (ownCount(planned.changes) == 0) {
            TariffSaveResult result;
            result.outcome = TariffSaveResult::Outcome::Unchanged;
            result.bytes = current;
            return result;
        }
        if (!questions.confirmChanges(planned.changes))
            return {};
        listed = std::move(planned.changes);
        break;
    }

    // Written under the lock, the edits made again on the bytes found there:
    // a writer that saved since the list was made costs no second list.
    for (;;) {
        std::optional<TariffRebase> written;
        std::vector<TariffConflict> conflicts;
        std::string failure;
        try {
            editFile(path_, [&](const FileBytes& file) -> std::optional<std::string> {
                written.reset();
                conflicts.clear();
                if (!file.ok() && !file.missing) {
                    failure = fileOpenMessage(utf8Of(path_), file.shownReason());
                    return std::nullopt;
                }
                TariffRebase made = rebase(file.missing ? opened_.bytes() : file.bytes);
                if (!made.conflicts.empty()) {
                    conflicts = std::move(made.conflicts);
                    return std::nullopt;
                }
                if (!made.refused.empty()) {
                    failure = std::move(made.refused);
                    return std::nullopt;
                }
                const bool write = ownCount(made.changes) > 0 || file.missing;
                written = std::move(made);
                return write ? std::optional<std::string>(written->bytes) : std::nullopt;
            });
        } catch (const SaveError& error) {
            return failed(error.what());
        }
        if (!failure.empty())
            return failed(failure);
        if (!conflicts.empty()) {
            if (!decide(questions, conflicts))
                return {};
            continue;
        }
        TariffSaveResult result;
        result.bytes = std::move(written->bytes);
        result.own = ownCount(written->changes);
        result.outcome = result.own > 0 ? TariffSaveResult::Outcome::Saved
                                        : TariffSaveResult::Outcome::Unchanged;
        // Unseen: neither in the list nor in a question about the field.
        auto asked = [this](const TariffChange& change) {
            const auto from = decided_.lower_bound({change.table, change.row, change.column, ""});
            return from != decided_.end() && std::get<0>(from->first) == change.table &&
                   std::get<1>(from->first) == change.row &&
                   std::get<2>(from->first) == change.column;
        };
        for (const TariffChange& change : written->changes)
            if (change.outside && !asked(change) &&
                std::none_of(listed.begin(), listed.end(),
                             [&](const TariffChange& seen) { return sameChange(seen, change); }))
                result.unseen.push_back(change);
        result.changes = std::move(written->changes);
        return result;
    }
}

bool saveWholeFile(const std::filesystem::path& path, const std::string& bytes,
                   const std::optional<std::string>& expected) {
    return editFile(path, [&](const FileBytes& file) -> std::optional<std::string> {
        const bool asSeen = expected ? file.ok() && file.bytes == *expected : file.missing;
        return asSeen ? std::optional<std::string>(bytes) : std::nullopt;
    });
}

} // namespace hakomaru
