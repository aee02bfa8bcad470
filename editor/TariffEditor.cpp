#include "TariffEditor.h"

#include "ChangeList.h"
#include "ConflictChoice.h"
#include "TariffGridModel.h"

#include "Catalogues.h"
#include "FileRead.h"
#include "IniStore.h"
#include "NumberText.h"
#include "ParcelPricing.h"
#include "Platform.h"
#include "Sjis.h"
#include "TariffCheck.h"
#include "system/FileSave.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemWatcher>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <map>
#include <tuple>

namespace hakomaru {
namespace {

// One edit: where its bytes lie and what they were and became, so undoing
// gives back the exact bytes, an added option line included, at the cost of
// the field's bytes rather than of the file.
class EditCommand : public QUndoCommand {
  public:
    EditCommand(std::function<void(const TariffSplice&)> apply, TariffSplice splice,
                const QString& text)
        : QUndoCommand(text), apply_(std::move(apply)), splice_(std::move(splice)) {}
    void redo() override { apply_(splice_); }
    void undo() override { apply_(splice_.inverse()); }

  private:
    std::function<void(const TariffSplice&)> apply_;
    TariffSplice splice_;
};

// The object names of the grids, by the order the document lists them.
QString gridObjectName(const TariffGrid& grid, std::size_t index, std::size_t count) {
    if (index == 0)
        return QStringLiteral("tblZone");
    if (index == 1)
        return QStringLiteral("tblYoupack");
    if (index + 3 == count)
        return QStringLiteral("tblLetter");
    if (index + 2 == count)
        return QStringLiteral("tblBook");
    if (index + 1 == count)
        return QStringLiteral("tblOptions");
    (void)grid;
    return QStringLiteral("tblCat%1").arg(index - 1, 2, 10, QLatin1Char('0'));
}

QComboBox* listOf(QWidget* parent, const char* name, std::span<const std::string_view> rows,
                  int current) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    for (std::string_view row : rows)
        box->addItem(QString::fromUtf8(row.data(), static_cast<qsizetype>(row.size())).trimmed());
    box->setCurrentIndex(current);
    box->setMaxVisibleItems(20);
    return box;
}

QString totalText(const CarrierPrice& price) {
    if (!price.handled)
        return QString::fromUtf8(kNotHandledText.data(),
                                 static_cast<qsizetype>(kNotHandledText.size()));
    if (!price.total)
        return QString::fromStdString(price.error);
    return QString::fromUtf8(kYen.data(), static_cast<qsizetype>(kYen.size())) +
           QString::fromStdString(grouped(static_cast<std::int32_t>(*price.total)));
}

} // namespace

TfrmTariffEditor::TfrmTariffEditor(QWidget* parent)
    : QMainWindow(parent), undo_(new QUndoStack(this)) {
    setObjectName(QStringLiteral("frmTariffEditor"));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    lblReadOnly_ = new QLabel(central);
    lblReadOnly_->setObjectName(QStringLiteral("lblReadOnly"));
    lblReadOnly_->setWordWrap(true);
    lblReadOnly_->setStyleSheet(
        QStringLiteral("QLabel { background: #fff3c4; border: 1px solid #d8b600; padding: 4px; }"));
    lblReadOnly_->hide();
    layout->addWidget(lblReadOnly_);

    auto* splitter = new QSplitter(central);
    tabTables_ = new QTabWidget(splitter);
    tabTables_->setObjectName(QStringLiteral("tabTables"));
    tabTables_->setUsesScrollButtons(true);
    splitter->addWidget(tabTables_);
    splitter->addWidget(buildPreview());
    splitter->setStretchFactor(0, 1);
    layout->addWidget(splitter, 1);
    setCentralWidget(central);
    buildMenus();
    lblProblems_ = new QLabel(this);
    lblProblems_->setObjectName(QStringLiteral("lblProblems"));
    statusBar()->addPermanentWidget(lblProblems_);

    connect(undo_, &QUndoStack::cleanChanged, this, [this] { updateTitle(); });
    chooser_ =
        [this](const QString& fileName,
               const std::vector<TariffConflict>& conflicts) -> std::optional<std::vector<bool>> {
        TfrmConflictChoice choice(fileName, conflicts, this);
        if (choice.exec() != QDialog::Accepted)
            return std::nullopt;
        return choice.keepMine();
    };
    watcher_ = new QFileSystemWatcher(this);
    diskCheck_ = new QTimer(this);
    diskCheck_->setSingleShot(true);
    diskCheck_->setInterval(100);
    connect(diskCheck_, &QTimer::timeout, this, [this] { checkDisk(); });
    connect(watcher_, &QFileSystemWatcher::fileChanged, diskCheck_, qOverload<>(&QTimer::start));
    connect(watcher_, &QFileSystemWatcher::directoryChanged, diskCheck_,
            qOverload<>(&QTimer::start));
    resize(1000, 640);
    showDocument();
}

TfrmTariffEditor::~TfrmTariffEditor() {
    // The grids go while the document they show is still there.
    closing_ = true;
    delete takeCentralWidget();
    // An undo stack with unsaved edits says it is clean again as it goes,
    // after this window is gone: nothing may answer that, nor a look at
    // the disk still due.
    undo_->disconnect(this);
    diskCheck_->stop();
}

void TfrmTariffEditor::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction* open = file->addAction(QStringLiteral("開く(&O)..."), this, [this] { chooseFile(); });
    open->setObjectName(QStringLiteral("mnuFile_Open"));
    open->setShortcut(QKeySequence::Open);
    QAction* saveAction = file->addAction(QStringLiteral("保存(&S)"), this, [this] { save(); });
    saveAction->setObjectName(QStringLiteral("mnuFile_Save"));
    saveAction->setShortcut(QKeySequence::Save);
    file->addSeparator();
    QAction* quit = file->addAction(QStringLiteral("終了(&X)"), this, &QWidget::close);
    quit->setObjectName(QStringLiteral("mnuFile_Quit"));
    quit->setShortcut(QKeySequence::Quit);

    QMenu* editMenu = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    editMenu->setObjectName(QStringLiteral("mnuEdit"));
    QAction* undoAction = undo_->createUndoAction(this, QStringLiteral("元に戻す"));
    undoAction->setObjectName(QStringLiteral("mnuEdit_Undo"));
    undoAction->setShortcut(QKeySequence::Undo);
    QAction* redoAction = undo_->createRedoAction(this, QStringLiteral("やり直し"));
    redoAction->setObjectName(QStringLiteral("mnuEdit_Redo"));
    redoAction->setShortcut(QKeySequence::Redo);
    editMenu->addAction(undoAction);
    editMenu->addAction(redoAction);
}

QWidget* TfrmTariffEditor::buildPreview() {
    auto* group = new QGroupBox(QStringLiteral("試算（保存前の料金表で）"), this);
    group->setObjectName(QStringLiteral("grpPreview"));
    auto* form = new QFormLayout(group);
    cmbFrom_ = listOf(group, "cmbFrom", PrefectureRows(false), 14);
    cmbTo_ = listOf(group, "cmbTo", PrefectureRows(true), 30);
    cmbWeight_ = listOf(group, "cmbWeight", WeightRows(), 0);
    cmbSize_ = listOf(group, "cmbSize", SizeRows(), 0);
    form->addRow(QStringLiteral("発送地"), cmbFrom_);
    form->addRow(QStringLiteral("届け先"), cmbTo_);
    form->addRow(QStringLiteral("重さ"), cmbWeight_);
    form->addRow(QStringLiteral("サイズ"), cmbSize_);
    auto total = [group](const char* name) {
        auto* label = new QLabel(group);
        label->setObjectName(QString::fromLatin1(name));
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return label;
    };
    lblYouCaption_ = total("lblYouCaption");
    lblYouTotal_ = total("lblYouTotal");
    lblCatTotal_ = total("lblCatTotal");
    QFont big = lblYouTotal_->font();
    if (big.pixelSize() > 0)
        big.setPixelSize(big.pixelSize() * 3 / 2);
    else
        big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    lblYouTotal_->setFont(big);
    lblCatTotal_->setFont(big);
    form->addRow(lblYouCaption_);
    form->addRow(QStringLiteral("ゆうパック"), lblYouTotal_);
    form->addRow(QStringLiteral("クロネコ"), lblCatTotal_);
    for (QComboBox* box : {cmbFrom_, cmbTo_, cmbWeight_, cmbSize_})
        connect(box, &QComboBox::currentIndexChanged, this, [this] { updatePreview(); });
    group->setMinimumWidth(240);
    return group;
}

bool TfrmTariffEditor::openFile(const std::filesystem::path& path) {
    const FileBytes file = readRegularFile(path, kIniFileLimit);
    if (!file.ok()) {
        platform().showError(
            this, QString::fromStdString(fileOpenMessage(path.string(), file.shownReason())));
        return false;
    }
    path_ = path;
    document_.reset(file.bytes);
    saved_ = document_;
    undo_->clear();
    showDocument();
    watchFile();
    return true;
}

void TfrmTariffEditor::watchFile() {
    // The folder as well (the folder of the file a link leads to): a writer
    // that renames a new file over the old one ends the watch on the file,
    // and the folder's change brings it back.
    std::error_code ec;
    std::filesystem::path real = std::filesystem::weakly_canonical(path_, ec);
    if (ec)
        real = std::filesystem::absolute(path_);
    const QString file = QString::fromStdString(path_.string());
    const QString folder = QString::fromStdString(real.parent_path().string());
    if (!watcher_->files().contains(file))
        watcher_->addPath(file);
    if (!watcher_->directories().contains(folder))
        watcher_->addPath(folder);
}

void TfrmTariffEditor::checkDisk() {
    watchFile();
    const FileBytes now = readRegularFile(path_, kIniFileLimit);
    // Gone or unreadable: what is shown stays, and saving writes it again.
    if (!now.ok() || now.bytes == saved_.bytes())
        return;
    if (undo_->isClean()) {
        takeFile(now.bytes);
        statusBar()->showMessage(
            QStringLiteral("ほかのプログラムがファイルを変更したため、読み直しました"));
    } else {
        statusBar()->showMessage(QStringLiteral("ほかのプログラムがファイルを変更しました。保存する"
                                                "とき、この編集をその変更に重ねます"));
    }
}

void TfrmTariffEditor::takeFile(const std::string& bytes) {
    // The selected cell, by table, row name and column, to select again.
    auto* view = qobject_cast<QTableView*>(tabTables_->currentWidget());
    const QModelIndex selected = view ? view->currentIndex() : QModelIndex();
    const QString rowName = selected.isValid()
                                ? view->model()->headerData(selected.row(), Qt::Vertical).toString()
                                : QString();
    document_.reset(bytes);
    saved_ = document_;
    undo_->clear();
    showDocument();
    view = qobject_cast<QTableView*>(tabTables_->currentWidget());
    if (!view || !selected.isValid())
        return;
    const QAbstractItemModel* model = view->model();
    int row = std::min(selected.row(), model->rowCount() - 1);
    for (int r = 0; r < model->rowCount(); ++r)
        if (model->headerData(r, Qt::Vertical).toString() == rowName)
            row = r;
    view->setCurrentIndex(model->index(row, selected.column()));
}

void TfrmTariffEditor::chooseFile() {
    if (!undo_->isClean() &&
        QMessageBox::question(
            this, windowTitle(),
            QStringLiteral("保存していない変更を捨てて、別のファイルを開きますか？")) !=
            QMessageBox::Yes)
        return;
    const QString name = QFileDialog::getOpenFileName(
        this, QStringLiteral("料金表ファイルを開く"), QString::fromStdString(path_.parent_path()),
        QStringLiteral("料金表 (*.ini);;すべてのファイル (*)"));
    if (!name.isEmpty())
        openFile(name.toStdString());
}

void TfrmTariffEditor::buildTables() {
    const int current = tabTables_->currentIndex();
    while (tabTables_->count() > 0) {
        QWidget* page = tabTables_->widget(0);
        tabTables_->removeTab(0);
        delete page;
    }
    models_.clear();
    const auto& grids = document_.grids();
    for (std::size_t g = 0; g < grids.size(); ++g) {
        auto* view = new QTableView(tabTables_);
        view->setObjectName(gridObjectName(grids[g], g, grids.size()));
        auto* model = new TariffGridModel(
            document_, g, [this](const TariffAddress& at, const QString& v) { return edit(at, v); },
            view);
        view->setModel(model);
        view->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        view->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::AnyKeyPressed);
        models_.push_back(model);
        tabTables_->addTab(view, QString::fromStdString(grids[g].title));
    }
    tabTables_->setCurrentIndex(std::max(current, 0));
}

void TfrmTariffEditor::showDocument() {
    buildTables();
    const bool readOnly = !document_.readOnlyReason().empty();
    lblReadOnly_->setText(QString::fromStdString(document_.readOnlyReason()));
    lblReadOnly_->setVisible(readOnly);
    if (QAction* save = findChild<QAction*>(QStringLiteral("mnuFile_Save")))
        save->setEnabled(!readOnly);
    markProblems();
    updatePreview();
    updateTitle();
}

QString TfrmTariffEditor::edit(const TariffAddress& at, const QString& value) {
    if (closing_)
        return QStringLiteral("closing");
    auto planned = document_.plan(at, value.toStdString());
    if (const auto* refused = std::get_if<std::string>(&planned)) {
        const QString message = QString::fromStdString(*refused);
        statusBar()->showMessage(message);
        return message;
    }
    TariffSplice& splice = std::get<TariffSplice>(planned);
    if (splice.removed == splice.inserted)
        return {};
    const TariffGrid& grid = document_.grids()[at.grid];
    const QString text =
        QStringLiteral("%1 %2 %3")
            .arg(QString::fromStdString(grid.title), QString::fromStdString(grid.rows[at.row]),
                 QString::fromStdString(grid.columns[at.column]).trimmed());
    undo_->push(new EditCommand([this](const TariffSplice& change) { takeEdit(change); },
                                std::move(splice), text));
    statusBar()->clearMessage();
    return {};
}

void TfrmTariffEditor::takeEdit(const TariffSplice& splice) {
    document_.apply(splice);
    for (TariffGridModel* model : models_)
        model->refresh();
    markProblems();
    updatePreview();
}

void TfrmTariffEditor::markProblems() {
    // Exactly what `hakomaru-quote check` reports on these bytes, a file
    // that is not Shift-JIS included, on the cells each problem names.
    const std::vector<TariffProblem> problems = checkTariff(document_.bytes());
    const auto named = document_.cellsNamedBy(problems);
    std::vector<std::map<std::pair<int, int>, QString>> marks(document_.grids().size());
    for (std::size_t p = 0; p < problems.size(); ++p)
        for (const TariffAddress& at : named[p]) {
            QString& text = marks[at.grid][{static_cast<int>(at.row), static_cast<int>(at.column)}];
            text += (text.isEmpty() ? QString() : QStringLiteral("\n")) +
                    QString::fromStdString(problems[p].message);
        }
    for (std::size_t g = 0; g < models_.size() && g < marks.size(); ++g)
        models_[g]->setProblems(std::move(marks[g]));
    lblProblems_->setText(
        problems.empty()
            ? QStringLiteral("検査: 問題はありません")
            : QStringLiteral("検査: 問題が %1 件あります（赤い欄に内容）").arg(problems.size()));
}

void TfrmTariffEditor::updatePreview() {
    ParcelChoices choices;
    choices.fromRow = std::max(cmbFrom_->currentIndex(), 0);
    choices.toRow = cmbTo_->currentIndex();
    choices.weightRow = cmbWeight_->currentIndex();
    choices.sizeRow = cmbSize_->currentIndex();
    const IniStore tariff(document_.bytes());
    try {
        const ParcelPrices prices = priceParcel(tariff, choices);
        lblYouCaption_->setText(prices.you.quote ? QString::fromStdString(prices.you.quote->Caption)
                                                 : QString());
        lblYouTotal_->setText(totalText(prices.you));
        lblCatTotal_->setText(totalText(prices.kuro));
        lblYouTotal_->setToolTip(prices.you.quote
                                     ? QString::fromStdString(prices.you.quote->Detail).trimmed()
                                     : QString());
        lblCatTotal_->setToolTip(prices.kuro.quote
                                     ? QString::fromStdString(prices.kuro.quote->Detail).trimmed()
                                     : QString());
    } catch (const std::exception& e) {
        lblYouCaption_->setText(QString::fromUtf8(e.what()));
        lblYouTotal_->clear();
        lblCatTotal_->clear();
    }
}

void TfrmTariffEditor::updateTitle() {
    const QString name =
        path_.empty() ? QStringLiteral("（ファイルなし）") : QString::fromStdString(path_.string());
    const QString mode =
        document_.readOnlyReason().empty() ? QString() : QStringLiteral(" （読み取り専用）");
    setWindowTitle(QStringLiteral("料金表の編集 - %1[*]%2").arg(name, mode));
    setWindowModified(!undo_->isClean());
}

bool TfrmTariffEditor::save() {
    if (!document_.readOnlyReason().empty())
        return false;
    if (path_.empty()) {
        platform().showMessage(
            this,
            QStringLiteral("料金表ファイルが開かれていません。ファイル → 開く で開いてください"));
        return false;
    }
    const QString fileName = QString::fromStdString(path_.string());
    // The user's choices for fields both changed, with the other value they
    // were made against.
    std::map<std::tuple<std::string, std::string, std::string, std::string>, bool> decided;
    auto keepMine = [&](const TariffConflict& c) -> std::optional<bool> {
        const auto it = decided.find({c.table, c.row, c.column, c.theirs});
        return it == decided.end() ? std::nullopt : std::optional<bool>(it->second);
    };
    for (;;) {
        const FileBytes now = readRegularFile(path_, kIniFileLimit);
        if (!now.ok() && !now.missing) {
            platform().showError(
                this, QString::fromStdString(fileOpenMessage(path_.string(), now.shownReason())));
            return false;
        }
        // A file removed meanwhile is written anew.
        const std::string& current = now.missing ? saved_.bytes() : now.bytes;
        const bool outside = current != saved_.bytes();
        TariffRebase rebase;
        if (outside) {
            rebase = rebaseEdits(saved_, document_, current, keepMine);
        } else {
            rebase.changes = document_.changesFrom(saved_);
            rebase.bytes = document_.bytes();
        }
        if (!rebase.conflicts.empty()) {
            const auto chosen = chooser_(fileName, rebase.conflicts);
            if (!chosen || chosen->size() != rebase.conflicts.size())
                return false;
            for (std::size_t i = 0; i < chosen->size(); ++i) {
                const TariffConflict& c = rebase.conflicts[i];
                decided[{c.table, c.row, c.column, c.theirs}] = (*chosen)[i];
            }
            continue;
        }
        if (!rebase.refused.empty()) {
            platform().showError(this, QString::fromStdString(rebase.refused));
            return false;
        }
        const auto own = static_cast<std::size_t>(
            std::count_if(rebase.changes.begin(), rebase.changes.end(),
                          [](const TariffChange& c) { return !c.outside; }));
        if (own == 0) {
            if (outside)
                takeFile(current);
            statusBar()->showMessage(QStringLiteral("変更はありません"));
            undo_->setClean();
            return true;
        }
        TfrmChangeList list(fileName, rebase.changes, this);
        if (list.exec() != QDialog::Accepted)
            return false;
        // Saved only onto the file the list was made for; one that changed
        // again meanwhile is read and listed again.
        bool moved = false;
        try {
            editFile(path_, [&](const FileBytes& file) -> std::optional<std::string> {
                moved = file.missing != now.missing || file.bytes != now.bytes ||
                        (!file.ok() && !file.missing);
                if (moved)
                    return std::nullopt;
                return rebase.bytes;
            });
        } catch (const SaveError& error) {
            platform().showError(this, QString::fromUtf8(error.what()));
            return false;
        }
        if (moved)
            continue;
        if (outside) {
            // Another writer's fields are in the file now: the window shows
            // it, and the undo steps, made on the older bytes, go.
            takeFile(rebase.bytes);
        } else {
            saved_ = document_;
            undo_->setClean();
        }
        QString message = QStringLiteral("%1 か所を書き換えて保存しました").arg(own);
        if (rebase.changes.size() > own)
            message += QStringLiteral("（ほかのプログラムの変更 %1 か所はそのまま）")
                           .arg(rebase.changes.size() - own);
        statusBar()->showMessage(message);
        return true;
    }
}

void TfrmTariffEditor::closeEvent(QCloseEvent* event) {
    if (undo_->isClean()) {
        event->accept();
        return;
    }
    const auto answer = QMessageBox::question(
        this, windowTitle(), QStringLiteral("変更を保存しますか？"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Discard || (answer == QMessageBox::Save && save()))
        event->accept();
    else
        event->ignore();
}

} // namespace hakomaru
