#include "TariffEditor.h"

#include "ChangeList.h"
#include "CompareWindow.h"
#include "ConflictChoice.h"
#include "FieldDelegate.h"
#include "FileDialog.h"
#include "GroupedHeader.h"
#include "TariffGridModel.h"

#include "Platform.h"
#include "Settings.h"
#include "WindowFit.h"
#include "ini/IniStore.h"
#include "selection/ParcelPricing.h"
#include "system/FileRead.h"
#include "system/FileSave.h"
#include "tariff/Catalogues.h"
#include "text/NumberText.h"
#include "text/Sjis.h"
#include "text/TabText.h"
#include "tools/TariffCheck.h"
#include "tools/TariffMerge.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemWatcher>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStandardItemModel>
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

// A list of the windows' rows; separator rows are headings, never chosen.
QComboBox* listOf(QWidget* parent, const char* name, std::span<const std::string_view> rows,
                  int current) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    auto* model = new QStandardItemModel(box);
    for (std::string_view row : rows) {
        auto* item = new QStandardItem(
            QString::fromUtf8(row.data(), static_cast<qsizetype>(row.size())).trimmed());
        if (IsSeparatorRow(row)) {
            item->setFlags(Qt::NoItemFlags);
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
        }
        model->appendRow(item);
    }
    box->setModel(model);
    box->setCurrentIndex(current);
    box->setMaxVisibleItems(20);
    return box;
}

QString yenText(std::int64_t total) {
    return QString::fromUtf8(kYen.data(), static_cast<qsizetype>(kYen.size())) +
           QString::fromStdString(grouped(static_cast<std::int32_t>(total)));
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
    splitter->setObjectName(QStringLiteral("splTables"));
    lstTables_ = new QTreeWidget(splitter);
    lstTables_->setObjectName(QStringLiteral("lstTables"));
    lstTables_->setHeaderHidden(true);
    lstTables_->setRootIsDecorated(true);
    stkTables_ = new QStackedWidget(splitter);
    stkTables_->setObjectName(QStringLiteral("stkTables"));
    splitter->addWidget(lstTables_);
    splitter->addWidget(stkTables_);
    splitter->addWidget(buildPreview());
    splitter->setStretchFactor(1, 1);
    splitter->setCollapsible(1, false);
    layout->addWidget(splitter, 1);
    setCentralWidget(central);
    buildMenus();
    lblProblems_ = new QLabel(this);
    lblProblems_->setObjectName(QStringLiteral("lblProblems"));
    statusBar()->addPermanentWidget(lblProblems_);

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

void TfrmTariffEditor::rememberPlaceIn(const std::filesystem::path& settingsFile) {
    settingsFile_ = settingsFile;
    const WindowPlace place = Settings(settingsFile_).windowPlace();
    if (place.width <= 0)
        return;
    placeOnScreen(*this, QPoint(place.left, place.top), QSize(place.width, place.height));
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
    try {
        Settings(settingsFile_)
            .saveWindowPlace(
                {corner.x(), corner.y(), normal.width(), normal.height(), isMaximized()});
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
    QAction* undoAction = undo_->createUndoAction(this, QStringLiteral("元に戻す"));
    undoAction->setObjectName(QStringLiteral("mnuEdit_Undo"));
    undoAction->setShortcut(QKeySequence::Undo);
    QAction* redoAction = undo_->createRedoAction(this, QStringLiteral("やり直し"));
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
    auto label = [group](const char* name) {
        auto* label = new QLabel(group);
        label->setObjectName(QString::fromLatin1(name));
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return label;
    };
    lblYouCaption_ = label("lblYouCaption");
    lblYouTotal_ = label("lblYouTotal");
    lblCatTotal_ = label("lblCatTotal");
    lblPreviewError_ = label("lblPreviewError");
    lblPreviewError_->setStyleSheet(QStringLiteral("QLabel { color: #b00000; }"));
    QFont big = lblYouTotal_->font();
    if (big.pixelSize() > 0)
        big.setPixelSize(big.pixelSize() * 3 / 2);
    else
        big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    for (QLabel* total : {lblYouTotal_, lblCatTotal_}) {
        total->setFont(big);
        total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    form->addRow(lblYouCaption_);
    form->addRow(QStringLiteral("ゆうパック"), lblYouTotal_);
    form->addRow(QStringLiteral("クロネコ"), lblCatTotal_);
    form->addRow(lblPreviewError_);
    for (QComboBox* box : {cmbFrom_, cmbTo_, cmbWeight_, cmbSize_})
        connect(box, &QComboBox::currentIndexChanged, this, [this] { updatePreview(); });
    group->setMinimumWidth(220);
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
    connect(compare_, &TfrmCompare::showField, this, [this](const TariffAddress& at) {
        showTable(at.grid);
        if (QTableView* view = currentTable())
            view->setCurrentIndex(pages_[at.grid].model->indexOf(at));
    });
    compare_->show();
    return true;
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
            document_, g, [this](const TariffAddress& at, const QString& v) { return edit(at, v); },
            view);
        auto* columns = new GroupedHeaderView(Qt::Horizontal, view);
        auto* rows = new GroupedHeaderView(Qt::Vertical, view);
        view->setHorizontalHeader(columns);
        view->setVerticalHeader(rows);
        view->setModel(model);
        columns->setGroups(model->groups(Qt::Horizontal));
        rows->setGroups(model->groups(Qt::Vertical));
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
            // By the sending region: the table's section.
            leaf(cat, QString::fromStdString(fromSjis(grid.cells.front().section)) + "発", g);
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
    for (const char* name : {"mnuFile_Save", "mnuEdit_Paste"})
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
    const TariffGrid& grid = document_.grids()[at.grid];
    const QString text =
        QStringLiteral("%1 %2 %3")
            .arg(QString::fromStdString(grid.title), QString::fromStdString(grid.rows[at.row]),
                 QString::fromStdString(grid.columns[at.column]).trimmed());
    undo_->push(new EditCommand(
        [this](const std::vector<TariffSplice>& s, bool undo) { takeEdit(s, undo); },
        {std::move(splice)}, text));
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
        for (const auto& [i, reason] : plan.refused) {
            const TariffAddress& at = values[i].at;
            const TariffGrid& grid = document_.grids()[at.grid];
            refused.push_back(
                {QString::fromStdString(grid.title), QString::fromStdString(grid.rows[at.row]),
                 QString::fromStdString(grid.columns[at.column]).trimmed(),
                 QString::fromStdString(values[i].value), QString::fromStdString(reason)});
        }
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
        outside.push_back(
            {QString::fromStdString(document_.grids()[*grid].title),
             {},
             {},
             QString::fromStdString(value),
             index.isValid() ? QStringLiteral("この欄は説明です") : QStringLiteral("表の外です")});
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
    std::vector<std::map<std::pair<std::size_t, std::size_t>, QString>> marks(
        document_.grids().size());
    for (std::size_t p = 0; p < problems.size(); ++p)
        for (const TariffAddress& at : named[p]) {
            QString& text = marks[at.grid][{at.row, at.column}];
            text += (text.isEmpty() ? QString() : QStringLiteral("\n")) +
                    QString::fromStdString(problems[p].message);
        }
    for (std::size_t g = 0; g < pages_.size() && g < marks.size(); ++g)
        pages_[g].model->setProblems(std::move(marks[g]));
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
        problems.empty()
            ? QStringLiteral("検査: 問題はありません")
            : QStringLiteral("検査: 問題が %1 件あります（赤い欄に内容）").arg(problems.size()));
}

void TfrmTariffEditor::updatePreview() {
    if (!checker_)
        return;
    ParcelChoices choices;
    choices.fromRow = std::max(cmbFrom_->currentIndex(), 0);
    choices.toRow = cmbTo_->currentIndex();
    choices.weightRow = cmbWeight_->currentIndex();
    choices.sizeRow = cmbSize_->currentIndex();
    // The checker's store holds the file as it is now.
    const IniStore& tariff = checker_->store();
    QStringList errors;
    auto total = [&](const CarrierPrice& price, const QString& carrier) {
        if (!price.handled)
            return QString::fromUtf8(kNotHandledText.data(),
                                     static_cast<qsizetype>(kNotHandledText.size()));
        if (!price.total) {
            // The reason in plain text below, not in the totals' large type.
            errors << QStringLiteral("%1: %2").arg(carrier, QString::fromStdString(price.error));
            return QStringLiteral("—");
        }
        return yenText(*price.total);
    };
    try {
        const ParcelPrices prices = priceParcel(tariff, choices);
        lblYouCaption_->setText(prices.you.quote ? QString::fromStdString(prices.you.quote->Caption)
                                                 : QString());
        lblYouTotal_->setText(total(prices.you, QStringLiteral("ゆうパック")));
        lblCatTotal_->setText(total(prices.kuro, QStringLiteral("クロネコ")));
        lblYouTotal_->setToolTip(prices.you.quote
                                     ? QString::fromStdString(prices.you.quote->Detail).trimmed()
                                     : QString());
        lblCatTotal_->setToolTip(prices.kuro.quote
                                     ? QString::fromStdString(prices.kuro.quote->Detail).trimmed()
                                     : QString());
    } catch (const std::exception& e) {
        lblYouCaption_->clear();
        lblYouTotal_->setText(QStringLiteral("—"));
        lblCatTotal_->setText(QStringLiteral("—"));
        errors << QString::fromUtf8(e.what());
    }
    lblPreviewError_->setText(errors.join(QLatin1Char('\n')));
    lblPreviewError_->setVisible(!errors.isEmpty());
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
            rebase.changes = diffTariffs(saved_, document_);
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
