#pragma once
// The tariff editor window: the tables of the tariff file in a side list
// grouped as a user thinks of them (地帯区分; ゆうパック; クロネコ by sending
// region; 普通郵便 and 冊子小包; オプション), each table a grid whose cells
// take only what their field can hold; edits an undo stack keeps; blocks
// pasted from a spreadsheet and copied back; the checker's messages on the
// cells it flags, and a way to each; a preview pricing from the unsaved
// tariff (TariffPreview); a comparison with another tariff file; and a save
// that lists the changes first and rewrites only the changed fields' bytes
// (TariffSave).
//
// The whole file is checked when it is shown and before a save; an edit
// between them is checked line by line (TariffChecker), so that typing a
// fee into a tariff of many megabytes still answers within a frame.
//
// Other programs may write the file while it is open. The window keeps the
// bytes it opened; while it has no unsaved edits, a change on disk is shown
// at once (the selected cell stays selected). A save takes the writers'
// lock and makes its field edits again on the file as it is then, so
// another writer's change is kept; a field both changed is put to the user.
#include "PasteRefusals.h"
#include "tools/TariffEdit.h"

#include <QMainWindow>
#include <QPointer>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <string_view>
#include <vector>

class QDockWidget;
class QFileSystemWatcher;
class QLabel;
class QSplitter;
class QStackedWidget;
class QTableView;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class QUndoStack;

namespace hakomaru {

class Settings;
struct WindowPlace;
class ProblemListModel;
class TariffPreview;
class TariffGridModel;
class TfrmCompare;

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
    // Keeps the window's size and place in this settings file: takes the
    // saved ones now (before the window is shown) and saves them when it
    // closes. Without it the window opens centred and remembers nothing.
    void rememberPlaceIn(const std::filesystem::path& settingsFile);

    // Saves the tariff as another file (ファイル → 名前を付けて保存 after its
    // file dialog), under the writers' lock, and edits that file from then
    // on. A file already there is replaced only when the user agrees, and
    // only if it is still as it was then. False when nothing was saved.
    bool saveAs(const std::filesystem::path& path);

    // Opens the comparison with another tariff file (ファイル → 比較 after
    // its file dialog); false when that file cannot be read as a tariff.
    bool compareWith(const std::filesystem::path& path);

    const TariffDocument& document() const { return document_; }
    QUndoStack* undoStack() const { return undo_; }

    // Shows the table of a grid (and, for the option entries, scrolls to a
    // row) as a click on the side list does.
    void showTable(std::size_t grid, int row = -1);
    // The table shown.
    QTableView* currentTable() const;
    // Shows a field's table and selects the field's cell, scrolled into
    // view whole.
    void showField(const TariffAddress& at);

    // Copies the selected cells of the table shown as tab-separated text.
    void copyCells();
    // Pastes tab-separated text from the clipboard at the selected cell:
    // every value that fits its field as one undoable edit, after the user
    // accepted the list of the refused ones.
    void pasteCells();
    // Sets the fields as one undoable edit; where some values do not fit,
    // the paste chooser decides whether the rest is set. False when nothing
    // was set.
    bool setFields(const std::vector<TariffBlockValue>& values, const QString& undoText);

    // Asks which value to save for each field that both this window and
    // another program changed: true keeps this window's. Nothing: the save
    // is cancelled. By default a TfrmConflictChoice dialog asks.
    using ConflictChooser = std::function<std::optional<std::vector<bool>>(
        const QString& fileName, const std::vector<TariffConflict>& conflicts)>;
    void setConflictChooser(ConflictChooser chooser) { chooser_ = std::move(chooser); }
    // Asks whether to set the values that fit when some of a block do not
    // (`fitting` of them do). By default a TfrmPasteRefusals dialog asks.
    using PasteChooser =
        std::function<bool(const std::vector<PasteRefusal>& refused, std::size_t fitting)>;
    void setPasteChooser(PasteChooser chooser) { pasteChooser_ = std::move(chooser); }
    // Asks whether to replace a file that is already there with a saved
    // copy. By default a question box asks, "No" being the default answer.
    using ReplaceChooser = std::function<bool(const QString& fileName)>;
    void setReplaceChooser(ReplaceChooser chooser) { replaceChooser_ = std::move(chooser); }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    struct Page {
        QTableView* view = nullptr;
        TariffGridModel* model = nullptr;
    };

    void buildMenus();
    QWidget* buildPreview();
    void buildPages();
    void buildSideList();
    QString edit(const TariffAddress& at, const QString& value);
    void takeEdit(const std::vector<TariffSplice>& splices, bool undo);
    void takeFile(const std::string& bytes);
    void watchFile();
    void checkDisk();
    void showDocument();
    void markProblems();
    void buildProblemList();
    // Goes to the next (or previous) cell the checker flags.
    void goToProblem(bool forward);
    void updatePreview();
    void updateTitle();
    void chooseFile();
    void chooseComparison();
    void chooseSaveAs();
    void openHelp();
    // Puts the comparison's window beside this one.
    void placeComparison();
    void savePlace();
    // Lists other programs' changes a save kept that its list did not show.
    void showSavedReport(const std::vector<TariffChange>& unseen);
    std::optional<std::size_t> currentGrid() const;

    bool closing_ = false; // a cell editor closed by the window's end edits nothing
    std::filesystem::path path_;
    std::filesystem::path settingsFile_; // where the window's place is kept; empty: nowhere
    TariffDocument document_{std::string()};
    TariffDocument saved_{std::string()}; // as read or last saved
    std::unique_ptr<TariffChecker> checker_; // kept over the edits of document_
    QUndoStack* undo_;
    ConflictChooser chooser_;
    PasteChooser pasteChooser_;
    ReplaceChooser replaceChooser_;
    QFileSystemWatcher* watcher_;
    QTimer* diskCheck_; // gathers the watcher's signals of one save into one look
    QSplitter* splTables_;
    std::optional<std::pair<int, int>> panes_; // the side list's and preview's saved widths
    QTreeWidget* lstTables_;
    QStackedWidget* stkTables_;
    std::vector<Page> pages_; // by grid
    QLabel* lblReadOnly_;
    QLabel* lblProblems_;
    QDockWidget* dckProblems_;
    ProblemListModel* problemList_;
    std::vector<std::vector<TariffAddress>> problemCells_; // by problem, as the list shows them
    TariffPreview* preview_;
    QPointer<TfrmCompare> compare_;
};

// Keeps the editor's window at its close: its place where the window system
// (Qt's platform name) lets a program place its windows, else only its size,
// state and panes, the saved place kept for a session that does.
void saveEditorWindow(const Settings& settings, const WindowPlace& place,
                      std::string_view platformName);

} // namespace hakomaru
