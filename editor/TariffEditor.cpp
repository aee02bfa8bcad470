#include "TariffEditor.h"

#include "ChangeList.h"
#include "TariffGridModel.h"

#include "Catalogues.h"
#include "FileRead.h"
#include "IniStore.h"
#include "NumberText.h"
#include "ParcelPricing.h"
#include "Platform.h"
#include "Sjis.h"
#include "TariffCheck.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
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
#include <QUndoStack>
#include <QVBoxLayout>

#include <functional>
#include <map>

namespace hakomaru {
namespace {

// One edit: the whole file before and after it, so undoing gives back the
// exact bytes, an added option line included.
class EditCommand : public QUndoCommand {
  public:
    EditCommand(std::function<void(const std::string&)> take, std::string before, std::string after,
                const QString& text)
        : QUndoCommand(text), take_(std::move(take)), before_(std::move(before)),
          after_(std::move(after)) {}
    void redo() override { take_(after_); }
    void undo() override { take_(before_); }

  private:
    std::function<void(const std::string&)> take_;
    std::string before_, after_;
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
    resize(1000, 640);
    showDocument();
}

TfrmTariffEditor::~TfrmTariffEditor() {
    // The grids go while the document they show is still there.
    closing_ = true;
    delete takeCentralWidget();
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
    return true;
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
    TariffDocument trial = document_;
    if (const auto refused = trial.set(at, value.toStdString())) {
        const QString message = QString::fromStdString(*refused);
        statusBar()->showMessage(message);
        return message;
    }
    if (trial.bytes() == document_.bytes())
        return {};
    const TariffGrid& grid = document_.grids()[at.grid];
    const QString text =
        QStringLiteral("%1 %2 %3")
            .arg(QString::fromStdString(grid.title), QString::fromStdString(grid.rows[at.row]),
                 QString::fromStdString(grid.columns[at.column]).trimmed());
    undo_->push(new EditCommand([this](const std::string& bytes) { takeBytes(bytes); },
                                document_.bytes(), trial.bytes(), text));
    statusBar()->clearMessage();
    return {};
}

void TfrmTariffEditor::takeBytes(const std::string& bytes) {
    document_.reset(bytes);
    for (TariffGridModel* model : models_)
        model->refresh();
    markProblems();
    updatePreview();
}

void TfrmTariffEditor::markProblems() {
    // The checker names a line, and a field of it where one is at fault:
    // every cell of that line, or that field's.
    std::map<std::size_t, std::vector<TariffAddress>> byLine;
    const auto& grids = document_.grids();
    for (std::size_t g = 0; g < grids.size(); ++g)
        for (std::size_t r = 0; r < grids[g].rows.size(); ++r)
            for (std::size_t c = 0; c < grids[g].columns.size(); ++c)
                if (const std::size_t line = grids[g].cell(r, c).line)
                    byLine[line].push_back({g, r, c});
    std::vector<std::map<std::pair<int, int>, QString>> marks(grids.size());
    std::vector<TariffProblem> problems;
    if (document_.readOnlyReason().empty())
        problems = checkTariff(document_.bytes());
    for (const TariffProblem& problem : problems) {
        std::vector<TariffAddress> flagged;
        if (const auto onLine = byLine.find(problem.line); onLine != byLine.end())
            flagged = onLine->second;
        // A row the file lacks: its cells, found by section and key.
        if (problem.kind == TariffProblemKind::MissingEntry && !problem.key.empty())
            for (std::size_t g = 0; g < grids.size(); ++g)
                for (std::size_t r = 0; r < grids[g].rows.size(); ++r) {
                    const TariffCell& first = grids[g].cell(r, 0);
                    if (first.line == 0 && fromSjis(first.section) == problem.section &&
                        fromSjis(first.key) == problem.key)
                        for (std::size_t c = 0; c < grids[g].columns.size(); ++c)
                            flagged.push_back({g, r, c});
                }
        for (const TariffAddress& at : flagged) {
            if (problem.position != 0 &&
                grids[at.grid].cell(at.row, at.column).position != problem.position)
                continue;
            QString& text = marks[at.grid][{static_cast<int>(at.row), static_cast<int>(at.column)}];
            text += (text.isEmpty() ? QString() : QStringLiteral("\n")) +
                    QString::fromStdString(problem.message);
        }
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
    const auto changes = document_.changesFrom(saved_);
    if (changes.empty()) {
        statusBar()->showMessage(QStringLiteral("変更はありません"));
        undo_->setClean();
        return true;
    }
    TfrmChangeList list(QString::fromStdString(path_.string()), changes, this);
    if (list.exec() != QDialog::Accepted)
        return false;
    try {
        saveFileBytes(path_, document_.bytes());
    } catch (const SaveError& error) {
        platform().showError(this, QString::fromUtf8(error.what()));
        return false;
    }
    saved_ = document_;
    undo_->setClean();
    statusBar()->showMessage(QStringLiteral("%1 か所を書き換えて保存しました").arg(changes.size()));
    return true;
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
