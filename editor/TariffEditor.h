#pragma once
// The tariff editor window: every table of the tariff file as a grid, edits
// that the field's rules check and an undo stack keeps, the checker's
// messages on the cells it flags, a preview pricing one parcel with both
// carriers from the unsaved tariff, and a save that lists the changes first
// and rewrites only the changed fields' bytes.
//
// Other programs may write the file while it is open. The window keeps the
// bytes it opened; while it has no unsaved edits, a change on disk is shown
// at once (the selected cell stays selected). A save takes the writers'
// lock and makes its field edits again on the file as it is then, so
// another writer's change is kept; a field both changed is put to the user.
#include "TariffEdit.h"

#include <QMainWindow>

#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

class QComboBox;
class QFileSystemWatcher;
class QLabel;
class QTabWidget;
class QTableView;
class QTimer;
class QUndoStack;

namespace hakomaru {

class TariffGridModel;

class TfrmTariffEditor : public QMainWindow {
    Q_OBJECT
  public:
    explicit TfrmTariffEditor(QWidget* parent = nullptr);
    ~TfrmTariffEditor() override;

    // Reads the file and shows it; a file that cannot be read leaves the
    // window as it was, with a message. A file that is not Shift-JIS opens
    // read-only, saying why.
    bool openFile(const std::filesystem::path& path);
    // Saves after the change list was confirmed; true when saved or when
    // there was nothing to save.
    bool save();

    const TariffDocument& document() const { return document_; }
    QUndoStack* undoStack() const { return undo_; }

    // Asks which value to save for each field that both this window and
    // another program changed: true keeps this window's. Nothing: the save
    // is cancelled. By default a TfrmConflictChoice dialog asks.
    using ConflictChooser = std::function<std::optional<std::vector<bool>>(
        const QString& fileName, const std::vector<TariffConflict>& conflicts)>;
    void setConflictChooser(ConflictChooser chooser) { chooser_ = std::move(chooser); }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildMenus();
    QWidget* buildPreview();
    void buildTables();
    QString edit(const TariffAddress& at, const QString& value);
    void takeEdit(const TariffSplice& splice);
    void takeFile(const std::string& bytes);
    void watchFile();
    void checkDisk();
    void showDocument();
    void markProblems();
    void updatePreview();
    void updateTitle();
    void chooseFile();

    bool closing_ = false; // a cell editor closed by the window's end edits nothing
    std::filesystem::path path_;
    TariffDocument document_{std::string()};
    TariffDocument saved_{std::string()}; // as read or last saved
    QUndoStack* undo_;
    ConflictChooser chooser_;
    QFileSystemWatcher* watcher_;
    QTimer* diskCheck_; // gathers the watcher's signals of one save into one look
    QTabWidget* tabTables_;
    QLabel* lblReadOnly_;
    QLabel* lblProblems_;
    std::vector<TariffGridModel*> models_;
    QComboBox* cmbFrom_;
    QComboBox* cmbTo_;
    QComboBox* cmbWeight_;
    QComboBox* cmbSize_;
    QLabel* lblYouCaption_;
    QLabel* lblYouTotal_;
    QLabel* lblCatTotal_;
};

} // namespace hakomaru
