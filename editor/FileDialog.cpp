#include "FileDialog.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QTreeView>

namespace hakomaru {
namespace {

// The columns of Qt's file model.
enum FileColumn { Name = 0, Size = 1, Kind = 2, Modified = 3 };

// Sizes and dates of the dialog's detail view in Japanese.
class JapaneseDetails : public QIdentityProxyModel {
  public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files ||
            (index.column() != FileColumn::Size && index.column() != FileColumn::Modified))
            return QIdentityProxyModel::data(index, role);
        const QFileInfo info = files->fileInfo(mapToSource(index));
        const QLocale japanese(QLocale::Japanese, QLocale::Japan);
        if (index.column() == FileColumn::Modified)
            return japanese.toString(info.lastModified(), QLocale::ShortFormat);
        return info.isDir()
                   ? QString()
                   : japanese.formattedDataSize(info.size(), 1, QLocale::DataSizeTraditionalFormat);
    }
};

} // namespace

void setUpFileDialog(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setViewMode(QFileDialog::Detail);
    dialog.setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    dialog.setProxyModel(new JapaneseDetails(&dialog));
    if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(FileColumn::Name, QHeaderView::Stretch);
        for (int column : {FileColumn::Size, FileColumn::Kind, FileColumn::Modified})
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
        header->setMinimumSectionSize(
            details->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00 00:00")) / 2);
    }
    dialog.resize(dialog.fontMetrics().averageCharWidth() * 110,
                  dialog.fontMetrics().height() * 28);
}

QString chooseTariffFile(QWidget* parent, const QString& title, const QString& folder) {
    QFileDialog dialog(parent, title, folder,
                       QStringLiteral("料金表 (*.ini);;すべてのファイル (*)"));
    dialog.setObjectName(QStringLiteral("dlgTariffFile"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    setUpFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

} // namespace hakomaru
