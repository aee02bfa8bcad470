#pragma once
// The tariff editor window: every table of the tariff file as a grid, edits
// that the field's rules check and an undo stack keeps, the checker's
// messages on the cells it flags, a preview pricing one parcel with both
// carriers from the unsaved tariff, and a save that lists the changes first
// and rewrites only the changed fields' bytes.
#include "TariffEdit.h"

#include <QMainWindow>

#include <filesystem>
#include <vector>

class QComboBox;
class QLabel;
class QTabWidget;
class QTableView;
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

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildMenus();
    QWidget* buildPreview();
    void buildTables();
    QString edit(const TariffAddress& at, const QString& value);
    void takeBytes(const std::string& bytes);
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
