#include "TariffEditor.h"

#include "ChangeList.h"
#include "CompareWindow.h"
#include "ConflictChoice.h"
#include "FieldDelegate.h"
#include "FileDialog.h"
#include "GroupedHeader.h"
#include "ProblemList.h"
#include "TariffGridModel.h"
#include "TariffPreview.h"
#include "TariffSave.h"

#include "DisplayPlatform.h"
#include "Platform.h"
#include "Settings.h"
#include "WindowFit.h"
#include "ini/IniStore.h"
#include "system/FileRead.h"
#include "system/FileSave.h"
#include "text/TabText.h"
#include "tools/TariffCheck.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUndoStack>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <tuple>

namespace hakomaru {
namespace {

// The editor's help page beside the program.
constexpr const char* kHelpPage = "Help/tariff.htm";

// One edit, a single field's or a pasted block's: where its bytes lie and
// what they were and became, so undoing gives back the exact bytes, an
// added option line included, at the cost of the fields' bytes rather than
// of the file.
class EditCommand : public QUndoCommand {
  public:
    EditCommand(std::function<void(const std::vector<TariffSplice>&, bool)> apply,
                std::vector<TariffSplice> splices, const QString& text)
        : QUndoCommand(text), apply_(std::move(apply)), splices_(std::move(splices)) {}
    void redo() override { apply_(splices_, false); }
    void undo() override { apply_(splices_, true); }

  private:
    std::function<void(const std::vector<TariffSplice>&, bool)> apply_;
    std::vector<TariffSplice> splices_;
};

// The object name of a grid's table.
QString tableObjectName(const TariffDocument& document, std::size_t grid) {
    const auto& grids = document.grids();
    switch (grids[grid].table) {
    case TariffTable::Zone:
        return QStringLiteral("tblZone");
    case TariffTable::Youpack:
        return QStringLiteral("tblYoupack");
    case TariffTable::Cat: {
        std::size_t n = 0;
        for (std::size_t g = 0; g <= grid; ++g)
            n += grids[g].table == TariffTable::Cat;
        return QStringLiteral("tblCat%1").arg(n, 2, 10, QLatin1Char('0'));
    }
    case TariffTable::Letter:
        return QStringLiteral("tblLetter");
    case TariffTable::Book:
        return QStringLiteral("tblBook");
    case TariffTable::Options:
        return QStringLiteral("tblOptions");
    case TariffTable::Remittance:
        return QStringLiteral("tblRemittance");
    }
    return {};
}

// A pane of the window's splitter with the width it starts with (0: its
// own): the splitter lays its panes out by their size hints.
template <typename Widget> class Pane : public Widget {
  public:
    using Widget::Widget;
    std::function<int()> startWidth;
    QSize sizeHint() const override {
        QSize size = Widget::sizeHint();
        if (const int width = startWidth ? startWidth() : 0; width > 0)
            size.setWidth(width);
        return size;
    }
};

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

    auto* splitter = splTables_ = new QSplitter(central);
    splitter->setObjectName(QStringLiteral("splTables"));
    // The side list as wide as its names and the preview as its form, or
    // both as the user left them; the tables get the rest, and every change
    // of the window's width.
    auto* side = new Pane<QTreeWidget>(splitter);
    side->startWidth = [this] {
        return panes_ ? panes_->first
                      : static_cast<QAbstractItemView*>(lstTables_)->sizeHintForColumn(0) +
                            2 * lstTables_->frameWidth() +
                            lstTables_->verticalScrollBar()->sizeHint().width();
    };
    lstTables_ = side;
    lstTables_->setObjectName(QStringLiteral("lstTables"));
    lstTables_->setHeaderHidden(true);
    lstTables_->setRootIsDecorated(true);
    stkTables_ = new QStackedWidget(splitter);
    stkTables_->setObjectName(QStringLiteral("stkTables"));
    splitter->addWidget(lstTables_);
    splitter->addWidget(stkTables_);
    splitter->addWidget(buildPreview());
    // The tables take every change of the window's width, down to a width
    // that still shows some columns; no pane disappears.
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    stkTables_->setMinimumWidth(fontMetrics().horizontalAdvance(QString(16, QChar(0x3042))));
    layout->addWidget(splitter, 1);
    setCentralWidget(central);
    buildProblemList();
    buildMenus();
    lblProblems_ = new QLabel(this);
    lblProblems_->setObjectName(QStringLiteral("lblProblems"));
    statusBar()->addPermanentWidget(lblProblems_);
    connect(lblProblems_, &QLabel::linkActivated, this, [this] {
        dckProblems_->show();
        dckProblems_->raise();
    });

    connect(undo_, &QUndoStack::cleanChanged, this, [this] { updateTitle(); });
    connect(lstTables_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        // A heading shows its first table.
        while (item && item->data(0, Qt::UserRole).toInt() < 0 && item->childCount() > 0)
            item = item->child(0);
        if (!item || item->data(0, Qt::UserRole).toInt() < 0)
            return;
        const auto grid = static_cast<std::size_t>(item->data(0, Qt::UserRole).toInt());
        if (grid >= pages_.size())
            return;
        stkTables_->setCurrentWidget(pages_[grid].view);
        if (const int row = item->data(0, Qt::UserRole + 1).toInt(); row >= 0)
            pages_[grid].view->scrollTo(pages_[grid].model->index(row, 0),
                                        QAbstractItemView::PositionAtTop);
    });
    chooser_ =
        [this](const QString& fileName,
               const std::vector<TariffConflict>& conflicts) -> std::optional<std::vector<bool>> {
        TfrmConflictChoice choice(fileName, conflicts, this);
        if (choice.exec() != QDialog::Accepted)
            return std::nullopt;
        return choice.keepMine();
    };
    replaceChooser_ = [this](const QString& name) {
        return QMessageBox::question(
                   this, QStringLiteral("名前を付けて保存"),
                   QStringLiteral("%1 はすでにあります。この料金表で置き換えますか？").arg(name),
                   QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
    };
    pasteChooser_ = [this](const std::vector<PasteRefusal>& refused, std::size_t fitting) {
        TfrmPasteRefusals dialog(refused, fitting, this);
        return dialog.exec() == QDialog::Accepted;
    };
    watcher_ = new QFileSystemWatcher(this);
    diskCheck_ = new QTimer(this);
    diskCheck_->setSingleShot(true);
    diskCheck_->setInterval(100);
    connect(diskCheck_, &QTimer::timeout, this, [this] { checkDisk(); });
    connect(watcher_, &QFileSystemWatcher::fileChanged, diskCheck_, qOverload<>(&QTimer::start));
    connect(watcher_, &QFileSystemWatcher::directoryChanged, diskCheck_,
            qOverload<>(&QTimer::start));
    showDocument();
    // Centred on the screen, as large as suits the tables, no larger than
    // the screen at any scale factor.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size(1000, 640);
    QRect frame(QPoint(), size);
    if (screen)
        frame.moveCenter(screen->availableGeometry().center());
    placeOnScreen(*this, frame.topLeft(), size);
}

void saveEditorWindow(const Settings& settings, const WindowPlace& place,
                      std::string_view platformName) {
    if (platformPlacesWindows(platformName))
        settings.saveWindowPlace(place);
    else
        settings.saveWindowSize(place);
}

void TfrmTariffEditor::rememberPlaceIn(const std::filesystem::path& settingsFile) {
    settingsFile_ = settingsFile;
    const WindowPlace place = Settings(settingsFile_).windowPlace();
    if (place.sideWidth > 0 && place.previewWidth > 0)
        panes_ = {place.sideWidth, place.previewWidth};
    if (place.width <= 0)
        return;
    // Where the window system places windows itself, the saved corner
    // means nothing to it: the window opens centred, as at a first start.
    QPoint corner(place.left, place.top);
    if (!platformPlacesWindows(QGuiApplication::platformName().toStdString()))
        corner = frameGeometry().topLeft();
    placeOnScreen(*this, corner, QSize(place.width, place.height));
    if (place.maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TfrmTariffEditor::savePlace() {
    if (settingsFile_.empty())
        return;
    // The frame's corner and the client area's size as the window is when
    // not maximised.
    const QRect client = geometry();
    const QRect normal = isMaximized() ? normalGeometry() : client;
    const QPoint corner = normal.topLeft() - (client.topLeft() - frameGeometry().topLeft());
    const QList<int> panes = splTables_->sizes();
    try {
        saveEditorWindow(Settings(settingsFile_),
                         {corner.x(), corner.y(), normal.width(), normal.height(), isMaximized(),
                          panes[0], panes[2]},
                         QGuiApplication::platformName().toStdString());
    } catch (const SaveError& error) {
        platform().showError(this, QString::fromUtf8(error.what()));
    }
}

TfrmTariffEditor::~TfrmTariffEditor() {
    // The grids and the comparison go while the document they show is
    // still there.
    closing_ = true;
    delete compare_.data();
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
    QAction* saveAs = file->addAction(QStringLiteral("名前を付けて保存(&A)..."), this,
                                      [this] { chooseSaveAs(); });
    saveAs->setObjectName(QStringLiteral("mnuFile_SaveAs"));
    saveAs->setShortcut(QKeySequence::SaveAs);
    saveAs->setStatusTip(
        QStringLiteral("この料金表を別のファイルに保存し、そのファイルを編集します"));
    QAction* compare =
        file->addAction(QStringLiteral("比較(&C)..."), this, [this] { chooseComparison(); });
    compare->setObjectName(QStringLiteral("mnuFile_Compare"));
    compare->setStatusTip(
        QStringLiteral("ほかの料金表ファイルとの違いを示し、選んだ違いを取り込みます"));
    file->addSeparator();
    QAction* quit = file->addAction(QStringLiteral("終了(&X)"), this, &QWidget::close);
    quit->setObjectName(QStringLiteral("mnuFile_Quit"));
    quit->setShortcut(QKeySequence::Quit);

    QMenu* editMenu = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    editMenu->setObjectName(QStringLiteral("mnuEdit"));
    QAction* undoAction = undo_->createUndoAction(this, QStringLiteral("元に戻す(&U)"));
    undoAction->setObjectName(QStringLiteral("mnuEdit_Undo"));
    undoAction->setShortcut(QKeySequence::Undo);
    QAction* redoAction = undo_->createRedoAction(this, QStringLiteral("やり直し(&R)"));
    redoAction->setObjectName(QStringLiteral("mnuEdit_Redo"));
    // Ctrl+Y as on the desktops the users come from, and Ctrl+Shift+Z.
    redoAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    editMenu->addAction(undoAction);
    editMenu->addAction(redoAction);
    editMenu->addSeparator();
    QAction* copy =
        editMenu->addAction(QStringLiteral("コピー(&C)"), this, [this] { copyCells(); });
    copy->setObjectName(QStringLiteral("mnuEdit_Copy"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setStatusTip(QStringLiteral("選んだ欄を表計算ソフトに貼り付けられる形でコピーします"));
    QAction* paste =
        editMenu->addAction(QStringLiteral("貼り付け(&P)"), this, [this] { pasteCells(); });
    paste->setObjectName(QStringLiteral("mnuEdit_Paste"));
    paste->setShortcut(QKeySequence::Paste);
    paste->setStatusTip(
        QStringLiteral("表計算ソフトでコピーした範囲を、選んだ欄を左上にして貼り付けます"));

    QMenu* check = menuBar()->addMenu(QStringLiteral("検査(&K)"));
    check->setObjectName(QStringLiteral("mnuCheck"));
    QAction* next =
        check->addAction(QStringLiteral("次の問題(&N)"), this, [this] { goToProblem(true); });
    next->setObjectName(QStringLiteral("mnuCheck_Next"));
    next->setShortcut(QKeySequence(Qt::Key_F8));
    QAction* previous =
        check->addAction(QStringLiteral("前の問題(&P)"), this, [this] { goToProblem(false); });
    previous->setObjectName(QStringLiteral("mnuCheck_Previous"));
    previous->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F8));
    QAction* list = dckProblems_->toggleViewAction();
    list->setText(QStringLiteral("問題の一覧(&L)"));
    list->setObjectName(QStringLiteral("mnuCheck_List"));
    check->addAction(list);

    QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    QAction* howTo =
        help->addAction(QStringLiteral("料金表の編集の使い方(&H)"), this, [this] { openHelp(); });
    howTo->setObjectName(QStringLiteral("mnuHelp_Use"));
    howTo->setShortcut(QKeySequence::HelpContents);
}

void TfrmTariffEditor::openHelp() {
    // The page beside the program, as the main program finds its own; where
    // no program shows it, a message says where it is.
    const std::filesystem::path page =
        std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) / kHelpPage;
    if (mayHandOver(page))
        openPage(this, QDir::toNativeSeparators(QString::fromStdString(page.string())));
}

QWidget* TfrmTariffEditor::buildPreview() {
    preview_ = new TariffPreview(this);
    connect(preview_, &TariffPreview::choicesChanged, this, [this] { updatePreview(); });
    // Scrolled where the window is lower than the form, so that the form
    // never keeps the window from fitting a small screen.
    auto* pane = new Pane<QScrollArea>(this);
    pane->setObjectName(QStringLiteral("scrPreview"));
    pane->setWidget(preview_);
    pane->setWidgetResizable(true);
    pane->setFrameShape(QFrame::NoFrame);
    pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pane->startWidth = [this, pane] {
        return panes_
                   ? panes_->second
                   : preview_->sizeHint().width() + pane->verticalScrollBar()->sizeHint().width();
    };
    return pane;
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
    delete compare_.data(); // it compared the file shown before
    // What the status bar said was about the file shown before.
    statusBar()->clearMessage();
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
    QTableView* view = currentTable();
    const QModelIndex selected = view ? view->currentIndex() : QModelIndex();
    const QString rowName = selected.isValid()
                                ? view->model()->headerData(selected.row(), Qt::Vertical).toString()
                                : QString();
    document_.reset(bytes);
    saved_ = document_;
    undo_->clear();
    showDocument();
    view = currentTable();
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
    const QString name = chooseTariffFile(this, QStringLiteral("料金表ファイルを開く"),
                                          QString::fromStdString(path_.parent_path()));
    if (!name.isEmpty())
        openFile(name.toStdString());
}

void TfrmTariffEditor::chooseSaveAs() {
    if (!document_.readOnlyReason().empty() || path_.empty())
        return;
    // The folder of the file open, or the user's own where that one takes
    // no new file (the package's tariff under /etc).
    QString folder = QString::fromStdString(path_.parent_path().string());
    if (!QFileInfo(folder.isEmpty() ? QStringLiteral(".") : folder).isWritable())
        folder = QDir::homePath();
    QFileDialog dialog(this, QStringLiteral("名前を付けて保存"),
                       QDir(folder).filePath(QString::fromStdString(path_.filename().string())),
                       QStringLiteral("料金表 (*.ini);;すべてのファイル (*)"));
    dialog.setObjectName(QStringLiteral("dlgSaveAs"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("ini"));
    // Replacing a file is asked in the editor's own words, below.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    setUpFileDialog(dialog);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        saveAs(dialog.selectedFiles().front().toStdString());
}

bool TfrmTariffEditor::saveAs(const std::filesystem::path& path) {
    if (!document_.readOnlyReason().empty())
        return false;
    std::error_code ec;
    if (std::filesystem::equivalent(path, path_, ec))
        return save();
    const QString name = QString::fromStdString(path.string());
    // A file there is replaced only when the user says so, and only as they
    // saw it then.
    std::optional<std::string> expected;
    const FileBytes there = readRegularFile(path, kIniFileLimit);
    if (!there.missing) {
        if (!there.ok()) {
            platform().showError(
                this, QString::fromStdString(fileCreateMessage(path.string(), there.reason)));
            return false;
        }
        if (!replaceChooser_(name))
            return false;
        expected = there.bytes;
    }
    try {
        if (!saveWholeFile(path, document_.bytes(), expected)) {
            platform().showError(this,
                                 QStringLiteral("%1 はほかのプログラムに変更されたため、"
                                                "保存しませんでした。もう一度保存してください")
                                     .arg(name));
            return false;
        }
    } catch (const SaveError& error) {
        platform().showError(this, QString::fromUtf8(error.what()));
        return false;
    }
    // The editor edits the new file from now on.
    if (!watcher_->files().isEmpty())
        watcher_->removePaths(watcher_->files());
    path_ = path;
    saved_ = document_;
    undo_->setClean();
    for (const Page& page : pages_)
        page.model->refresh();
    watchFile();
    updateTitle();
    statusBar()->showMessage(QStringLiteral("%1 に保存しました").arg(name));
    return true;
}

void TfrmTariffEditor::chooseComparison() {
    const QString name = chooseTariffFile(this, QStringLiteral("比べる料金表ファイル"),
                                          QString::fromStdString(path_.parent_path()));
    if (!name.isEmpty())
        compareWith(name.toStdString());
}

bool TfrmTariffEditor::compareWith(const std::filesystem::path& path) {
    const FileBytes file = readRegularFile(path, kIniFileLimit);
    if (!file.ok()) {
        platform().showError(
            this, QString::fromStdString(fileOpenMessage(path.string(), file.shownReason())));
        return false;
    }
    TariffDocument other(file.bytes);
    if (!other.readOnlyReason().empty()) {
        platform().showError(this, QStringLiteral("%1 は Shift-JIS (コードページ 932) "
                                                  "でないため比べられません")
                                       .arg(QString::fromStdString(path.string())));
        return false;
    }
    delete compare_.data();
    compare_ = new TfrmCompare(
        document_, std::move(other), QString::fromStdString(path.string()),
        [this](const std::vector<TariffBlockValue>& values) {
            return setFields(values,
                             QStringLiteral("比較から %1 か所を取り込み").arg(values.size()));
        },
        this);
    connect(compare_, &TfrmCompare::showField, this,
            [this](const TariffAddress& at) { showField(at); });
    placeComparison();
    compare_->show();
    return true;
}

void TfrmTariffEditor::placeComparison() {
    // Where the window system places windows itself, it places this one.
    if (!isVisible() || !platformPlacesWindows(QGuiApplication::platformName().toStdString()))
        return;
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    const QMargins extents(client.left() - frame.left(), client.top() - frame.top(),
                           frame.right() - client.right(), frame.bottom() - client.bottom());
    const QRect available = screen()->availableGeometry();
    const QSize wanted(compare_->contentWidth(),
                       std::clamp(compare_->sizeHint().height(), 200, 420));
    const SideBySide placed =
        sideBySide(isMaximized() ? available : frame, wanted.grownBy(extents), available);
    if (placed.first != frame) {
        // No room beside the window: it makes room.
        if (isMaximized())
            showNormal();
        resize(placed.first.size().shrunkBy(extents));
        move(placed.first.topLeft());
    }
    // The comparison's frame takes the editor's extents (the same window
    // manager frames both); a top-level window's position is its frame's.
    compare_->resize(placed.second.size().shrunkBy(extents));
    compare_->move(placed.second.topLeft());
}

void TfrmTariffEditor::showField(const TariffAddress& at) {
    showTable(at.grid);
    QTableView* view = currentTable();
    const QModelIndex index = pages_[at.grid].model->indexOf(at);
    if (!view || !index.isValid())
        return;
    // The page just shown lays out its columns first, so that the cell is
    // scrolled into view whole, not by the sizes of a page not yet shown.
    view->doItemsLayout();
    view->setCurrentIndex(index);
    view->scrollTo(index, QAbstractItemView::EnsureVisible);
}

std::optional<std::size_t> TfrmTariffEditor::currentGrid() const {
    for (std::size_t g = 0; g < pages_.size(); ++g)
        if (pages_[g].view == stkTables_->currentWidget())
            return g;
    return std::nullopt;
}

QTableView* TfrmTariffEditor::currentTable() const {
    const auto grid = currentGrid();
    return grid ? pages_[*grid].view : nullptr;
}

void TfrmTariffEditor::showTable(std::size_t grid, int row) {
    // The side list's item for it: the deepest one naming that grid (and
    // row, for the option entries' services).
    QTreeWidgetItem* best = nullptr;
    for (QTreeWidgetItemIterator it(lstTables_); *it; ++it)
        if ((*it)->data(0, Qt::UserRole).toInt() == static_cast<int>(grid) &&
            (!best || (row >= 0 && (*it)->data(0, Qt::UserRole + 1).toInt() <= row)))
            best = *it;
    if (best)
        lstTables_->setCurrentItem(best);
    if (grid < pages_.size()) {
        stkTables_->setCurrentWidget(pages_[grid].view);
        if (row >= 0)
            pages_[grid].view->scrollTo(pages_[grid].model->index(row, 0),
                                        QAbstractItemView::PositionAtTop);
    }
}

void TfrmTariffEditor::buildPages() {
    const auto shown = currentGrid();
    while (stkTables_->count() > 0) {
        QWidget* page = stkTables_->widget(0);
        stkTables_->removeWidget(page);
        delete page;
    }
    pages_.clear();
    const auto& grids = document_.grids();
    for (std::size_t g = 0; g < grids.size(); ++g) {
        auto* view = new QTableView(stkTables_);
        view->setObjectName(tableObjectName(document_, g));
        auto* model = new TariffGridModel(
            document_, saved_, g,
            [this](const TariffAddress& at, const QString& v) { return edit(at, v); }, view);
        auto* columns = new GroupedHeaderView(Qt::Horizontal, view);
        auto* rows = new GroupedHeaderView(Qt::Vertical, view);
        view->setHorizontalHeader(columns);
        view->setVerticalHeader(rows);
        view->setModel(model);
        columns->setGroups(model->groups(Qt::Horizontal));
        rows->setGroups(model->groups(Qt::Vertical));
        nameAxesInCorner(*view, model->axis(Qt::Vertical), model->axis(Qt::Horizontal));
        columns->setSectionResizeMode(QHeaderView::ResizeToContents);
        rows->setSectionResizeMode(QHeaderView::ResizeToContents);
        if (!grids[g].rowNotes.empty())
            columns->setStretchLastSection(true);
        auto* delegate = new FieldDelegate(
            [model, this](const QModelIndex& index) -> std::optional<TariffInputRule> {
                const auto at = model->addressAt(index.row(), index.column());
                if (!at)
                    return std::nullopt;
                return document_.inputRule(*at);
            },
            view);
        connect(delegate, &FieldDelegate::refused, this,
                [this](const QString& rule) { statusBar()->showMessage(rule, 5000); });
        view->setItemDelegate(delegate);
        view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::AnyKeyPressed);
        view->setSelectionMode(QAbstractItemView::ContiguousSelection);
        // Scrolled by the pixel, so that a cell scrolled to is whole.
        view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
        view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        stkTables_->addWidget(view);
        pages_.push_back({view, model});
    }
    buildSideList();
    showTable(shown && *shown < pages_.size() ? *shown : 0);
}

void TfrmTariffEditor::buildSideList() {
    const QSignalBlocker quiet(lstTables_);
    lstTables_->clear();
    const auto& grids = document_.grids();
    auto leaf = [](QTreeWidgetItem* parent, const QString& text, std::size_t grid, int row = -1) {
        auto* item = new QTreeWidgetItem(parent, {text});
        item->setData(0, Qt::UserRole, static_cast<int>(grid));
        item->setData(0, Qt::UserRole + 1, row);
        return item;
    };
    auto heading = [this](const QString& text) {
        auto* item = new QTreeWidgetItem(lstTables_, {text});
        item->setData(0, Qt::UserRole, -1);
        item->setData(0, Qt::UserRole + 1, -1);
        return item;
    };
    QTreeWidgetItem* cat = nullptr;
    QTreeWidgetItem* postal = nullptr;
    QTreeWidgetItem* options = nullptr;
    for (std::size_t g = 0; g < grids.size(); ++g) {
        const TariffGrid& grid = grids[g];
        const QString title = QString::fromStdString(grid.title);
        switch (grid.table) {
        case TariffTable::Zone:
        case TariffTable::Youpack: {
            auto* item = leaf(nullptr, title, g);
            lstTables_->addTopLevelItem(item);
            break;
        }
        case TariffTable::Cat:
            if (!cat)
                cat = heading(QStringLiteral("クロネコ"));
            // By the sending region.
            leaf(cat, QString::fromStdString(grid.shortTitle), g);
            break;
        case TariffTable::Letter:
        case TariffTable::Book:
            if (!postal)
                postal = heading(QStringLiteral("普通郵便・冊子小包"));
            leaf(postal, title, g);
            break;
        case TariffTable::Options:
            options = leaf(nullptr, title, g, 0);
            lstTables_->addTopLevelItem(options);
            for (const TariffGroup& group : grid.rowGroups)
                leaf(options, QString::fromStdString(group.name), g, static_cast<int>(group.first));
            break;
        case TariffTable::Remittance:
            // The remittance fees go with the options they are paid with.
            if (options)
                leaf(options, title, g);
            else
                lstTables_->addTopLevelItem(leaf(nullptr, title, g));
            break;
        }
    }
    lstTables_->expandAll();
}

void TfrmTariffEditor::showDocument() {
    checker_ = std::make_unique<TariffChecker>(document_.bytes());
    buildPages();
    const bool readOnly = !document_.readOnlyReason().empty();
    lblReadOnly_->setText(QString::fromStdString(document_.readOnlyReason()));
    lblReadOnly_->setVisible(readOnly);
    for (const char* name : {"mnuFile_Save", "mnuFile_SaveAs", "mnuEdit_Paste"})
        if (QAction* action = findChild<QAction*>(QString::fromLatin1(name)))
            action->setEnabled(!readOnly);
    markProblems();
    updatePreview();
    updateTitle();
    if (compare_)
        compare_->refresh();
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
    undo_->push(new EditCommand(
        [this](const std::vector<TariffSplice>& s, bool undo) { takeEdit(s, undo); },
        {std::move(splice)}, QString::fromStdString(document_.fieldName(at).text())));
    statusBar()->clearMessage();
    return {};
}

bool TfrmTariffEditor::setFields(const std::vector<TariffBlockValue>& values,
                                 const QString& undoText) {
    if (!document_.readOnlyReason().empty() || values.empty())
        return false;
    TariffBlockPlan plan = document_.planBlock(values);
    if (!plan.refused.empty()) {
        std::vector<PasteRefusal> refused;
        for (const auto& [i, reason] : plan.refused)
            refused.push_back({document_.fieldName(values[i].at), values[i].value, reason});
        if (!pasteChooser_(refused, values.size() - refused.size()))
            return false;
    }
    if (plan.splices.empty()) {
        statusBar()->showMessage(QStringLiteral("変わる欄はありません"), 5000);
        return false;
    }
    const std::size_t count = plan.splices.size();
    undo_->push(new EditCommand(
        [this](const std::vector<TariffSplice>& s, bool undo) { takeEdit(s, undo); },
        std::move(plan.splices), undoText));
    statusBar()->showMessage(QStringLiteral("%1 か所を書き換えました（編集 → 元に戻す でまとめて"
                                            "戻せます）")
                                 .arg(count),
                             5000);
    return true;
}

void TfrmTariffEditor::copyCells() {
    const auto grid = currentGrid();
    QTableView* view = currentTable();
    if (!grid || !view || !view->selectionModel())
        return;
    // The rectangle that holds the selection, as a spreadsheet copies it.
    QModelIndexList chosen = view->selectionModel()->selectedIndexes();
    if (chosen.isEmpty() && view->currentIndex().isValid())
        chosen << view->currentIndex();
    if (chosen.isEmpty())
        return;
    int top = chosen.front().row(), bottom = top, left = chosen.front().column(), right = left;
    for (const QModelIndex& index : chosen) {
        top = std::min(top, index.row());
        bottom = std::max(bottom, index.row());
        left = std::min(left, index.column());
        right = std::max(right, index.column());
    }
    TextBlock block;
    for (int r = top; r <= bottom; ++r) {
        auto& row = block.emplace_back();
        for (int c = left; c <= right; ++c)
            row.push_back(view->model()->index(r, c).data().toString().toStdString());
    }
    platform().setClipboardText(QString::fromStdString(tabText(block)));
    statusBar()->showMessage(
        QStringLiteral("%1 行 %2 列をコピーしました").arg(bottom - top + 1).arg(right - left + 1),
        5000);
}

void TfrmTariffEditor::pasteCells() {
    const auto grid = currentGrid();
    QTableView* view = currentTable();
    if (!grid || !view || !document_.readOnlyReason().empty())
        return;
    const TextBlock block = parseTabText(platform().clipboardText().toStdString());
    if (block.empty())
        return;
    const TariffGridModel* model = pages_[*grid].model;
    QModelIndex corner = view->currentIndex();
    QModelIndexList chosen = view->selectionModel()->selectedIndexes();
    for (const QModelIndex& index : chosen)
        if (!corner.isValid() || index.row() < corner.row() ||
            (index.row() == corner.row() && index.column() < corner.column()))
            corner = index;
    if (!corner.isValid())
        return;
    // One value into a selected range fills it, as a spreadsheet does.
    std::vector<std::pair<QModelIndex, std::string>> targets;
    if (block.size() == 1 && block[0].size() == 1 && chosen.size() > 1) {
        for (const QModelIndex& index : chosen)
            targets.emplace_back(index, block[0][0]);
    } else {
        for (std::size_t r = 0; r < block.size(); ++r)
            for (std::size_t c = 0; c < block[r].size(); ++c)
                targets.emplace_back(model->index(corner.row() + static_cast<int>(r),
                                                  corner.column() + static_cast<int>(c)),
                                     block[r][c]);
    }
    std::vector<TariffBlockValue> values;
    std::vector<PasteRefusal> outside;
    for (const auto& [index, value] : targets) {
        const auto at =
            index.isValid() ? model->addressAt(index.row(), index.column()) : std::nullopt;
        if (at) {
            values.push_back({*at, value});
            continue;
        }
        outside.push_back({{document_.grids()[*grid].title, {}, {}},
                           value,
                           index.isValid() ? "この欄は説明です" : "表の外です"});
    }
    if (!outside.empty() && !pasteChooser_(outside, values.size()))
        return;
    setFields(values, QStringLiteral("%1 個の値を貼り付け").arg(values.size()));
}

void TfrmTariffEditor::takeEdit(const std::vector<TariffSplice>& splices, bool undo) {
    document_.apply(splices, undo);
    // The checker takes the same splices, in the same order, and checks
    // again only what they can change.
    for (std::size_t i = 0; i < splices.size(); ++i) {
        const TariffSplice& s = splices[undo ? splices.size() - 1 - i : i];
        const TariffSplice made = undo ? s.inverse() : s;
        checker_->replace(made.offset, made.removed.size(), made.inserted);
    }
    for (const Page& page : pages_)
        page.model->refresh();
    markProblems();
    updatePreview();
    if (compare_)
        compare_->refresh();
}

void TfrmTariffEditor::markProblems() {
    // Exactly what `hakomaru-quote check` reports on these bytes, a file
    // that is not Shift-JIS included, on the cells each problem names.
    const std::vector<TariffProblem>& problems = checker_->problems();
    const auto named = document_.cellsNamedBy(problems);
    std::vector<TariffGridModel::ProblemMarks> marks(document_.grids().size());
    for (std::size_t p = 0; p < problems.size(); ++p)
        for (const TariffAddress& at : named[p])
            marks[at.grid][{at.row, at.column}].push_back(p);
    for (std::size_t g = 0; g < pages_.size() && g < marks.size(); ++g)
        pages_[g].model->setProblems(problems, std::move(marks[g]));
    // The side list marks the tables with red cells.
    for (QTreeWidgetItemIterator it(lstTables_); *it; ++it) {
        QTreeWidgetItem* item = *it;
        const int grid = item->data(0, Qt::UserRole).toInt();
        std::size_t count = 0;
        if (grid >= 0 && static_cast<std::size_t>(grid) < pages_.size() &&
            item->data(0, Qt::UserRole + 1).toInt() <= 0)
            count = pages_[static_cast<std::size_t>(grid)].model->problemCount();
        for (int i = 0; i < item->childCount(); ++i) {
            const int child = item->child(i)->data(0, Qt::UserRole).toInt();
            if (child >= 0 && child != grid && static_cast<std::size_t>(child) < pages_.size())
                count += pages_[static_cast<std::size_t>(child)].model->problemCount();
        }
        item->setForeground(0, count > 0 ? QBrush(QColor(176, 0, 0)) : QBrush());
        item->setToolTip(0, count > 0 ? QStringLiteral("赤い欄が %1 か所あります").arg(count)
                                      : QString());
    }
    lblProblems_->setText(
        problems.empty() ? QStringLiteral("検査: 問題はありません")
                         : QStringLiteral("検査: <a href=\"#problems\">問題が %1 件あります</a>"
                                          "（F8 で次の問題へ）")
                               .arg(problems.size()));
    problemCells_ = std::move(named);
    problemList_->showProblems(problems, problemCells_);
}

void TfrmTariffEditor::buildProblemList() {
    dckProblems_ = new QDockWidget(QStringLiteral("問題の一覧"), this);
    dckProblems_->setObjectName(QStringLiteral("dckProblems"));
    auto* list = new QTableView(dckProblems_);
    list->setObjectName(QStringLiteral("lstProblems"));
    problemList_ = new ProblemListModel(list);
    list->setModel(problemList_);
    list->verticalHeader()->hide();
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setWordWrap(false);
    list->horizontalHeader()->setStretchLastSection(true);
    list->horizontalHeader()->setHighlightSections(false);
    list->horizontalHeader()->resizeSection(
        0, list->fontMetrics().horizontalAdvance(QString(16, QChar(0x3042))));
    // A click, Enter or a double click goes to the problem's cell.
    auto go = [this](const QModelIndex& index) {
        if (const auto at = problemList_->cellOf(index.row()))
            showField(*at);
        else
            statusBar()->showMessage(QStringLiteral("この問題は表の欄にはありません（ファイルを"
                                                    "テキストエディターで直してください）"),
                                     5000);
    };
    connect(list, &QTableView::activated, this, go);
    connect(list, &QTableView::clicked, this, go);
    dckProblems_->setWidget(list);
    addDockWidget(Qt::BottomDockWidgetArea, dckProblems_);
    dckProblems_->hide();
}

void TfrmTariffEditor::goToProblem(bool forward) {
    const std::size_t count = pages_.size();
    if (count == 0)
        return;
    const std::size_t grid = currentGrid().value_or(0);
    const QModelIndex current = pages_[grid].view->currentIndex();
    // From the current cell on through the tables in the side list's order,
    // round to the current table's start.
    for (std::size_t step = 0; step <= count; ++step) {
        const std::size_t g = forward ? (grid + step) % count : (grid + count - step) % count;
        const TariffGridModel* model = pages_[g].model;
        const bool fromCell = step == 0 && current.isValid();
        const QModelIndex found = model->problemFrom(fromCell  ? current.row()
                                                     : forward ? -1
                                                               : model->rowCount(),
                                                     fromCell ? current.column() : 0, forward);
        if (!found.isValid())
            continue;
        showField(*model->addressAt(found.row(), found.column()));
        statusBar()->showMessage(model->problemLines(found).join(QStringLiteral("　")));
        return;
    }
    statusBar()->showMessage(QStringLiteral("表の欄に問題はありません"), 5000);
}

void TfrmTariffEditor::updatePreview() {
    // The checker's store holds the file as it is now.
    if (checker_)
        preview_->price(checker_->store());
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
    // The red cells shown while saving come from a check of the whole file,
    // not from the line-by-line checks the edits made.
    checker_ = std::make_unique<TariffChecker>(document_.bytes());
    markProblems();
    // The dialogs ask; the save itself knows no window.
    struct Questions : SaveQuestions {
        TfrmTariffEditor* window;
        QString fileName;
        std::optional<std::vector<bool>>
        chooseConflicts(const std::vector<TariffConflict>& conflicts) override {
            return window->chooser_(fileName, conflicts);
        }
        bool confirmChanges(const std::vector<TariffChange>& changes) override {
            TfrmChangeList list(fileName, changes, TfrmChangeList::Purpose::Confirm, window);
            return list.exec() == QDialog::Accepted;
        }
    } questions;
    questions.window = this;
    questions.fileName = QString::fromStdString(path_.string());
    const TariffSaveResult result = TariffSave(path_, saved_, document_).run(questions);
    switch (result.outcome) {
    case TariffSaveResult::Outcome::Cancelled:
        return false;
    case TariffSaveResult::Outcome::Failed:
        platform().showError(this, QString::fromStdString(result.error));
        return false;
    case TariffSaveResult::Outcome::Unchanged:
    case TariffSaveResult::Outcome::Saved:
        break;
    }
    if (result.bytes == document_.bytes()) {
        saved_ = document_;
        undo_->setClean();
    } else {
        // Another writer's fields are in the file now: the window shows it,
        // and the undo steps, made on the older bytes, go.
        takeFile(result.bytes);
    }
    if (result.outcome == TariffSaveResult::Outcome::Unchanged) {
        statusBar()->showMessage(QStringLiteral("変更はありません"));
        return true;
    }
    QString message = QStringLiteral("%1 か所を書き換えて保存しました").arg(result.own);
    if (result.changes.size() > result.own)
        message += QStringLiteral("（ほかのプログラムの変更 %1 か所はそのまま）")
                       .arg(result.changes.size() - result.own);
    statusBar()->showMessage(message);
    if (!result.unseen.empty())
        showSavedReport(result.unseen);
    return true;
}

void TfrmTariffEditor::showSavedReport(const std::vector<TariffChange>& unseen) {
    auto* report = new TfrmChangeList(QString::fromStdString(path_.string()), unseen,
                                      TfrmChangeList::Purpose::Report, this);
    report->setAttribute(Qt::WA_DeleteOnClose);
    report->show();
}

void TfrmTariffEditor::closeEvent(QCloseEvent* event) {
    if (undo_->isClean()) {
        savePlace();
        event->accept();
        return;
    }
    const auto answer = QMessageBox::question(
        this, windowTitle(), QStringLiteral("変更を保存しますか？"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Discard || (answer == QMessageBox::Save && save())) {
        savePlace();
        event->accept();
    } else {
        event->ignore();
    }
}

} // namespace hakomaru
