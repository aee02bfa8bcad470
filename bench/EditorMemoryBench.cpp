// Memory of the tariff editor's edits: opens a tariff of almost 16 MiB (the
// shipped one padded with comment lines, the largest the program reads) in
// the real editor window, makes 1,000 edits through its grids as a user's
// typing does, and prints the resident memory after opening and after the
// edits. Undo must cost what the edits cost, not a copy of the file each.
//
//     editor_memory_bench [EDITS]
#include "TariffEditor.h"
#include "ini/IniStore.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTemporaryDir>
#include <QUndoStack>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// Resident memory in KiB, from /proc/self/status.
long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int edits = argc > 1 ? std::atoi(argv[1]) : 1000;
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("Charge.ini")).toStdString();
    {
        std::string bytes = hakomaru::readFileBytes(HAKOMARU_SHIPPED_TARIFF);
        const std::string pad = "; " + std::string(76, '-') + "\r\n";
        while (bytes.size() + pad.size() <= hakomaru::kIniFileLimit)
            bytes += pad;
        std::ofstream(path, std::ios::binary) << bytes;
    }

    hakomaru::TfrmTariffEditor editor;
    QElapsedTimer clock;
    clock.start();
    if (!editor.openFile(path))
        return 1;
    const qint64 openMs = clock.restart();
    const long opened = residentKiB();

    // The ゆうパック fees: every edit a new value, cell after cell.
    auto* view = editor.findChild<QTableView*>(QStringLiteral("tblYoupack"));
    QAbstractItemModel* model = view->model();
    const int cells = model->rowCount() * model->columnCount();
    for (int i = 0; i < edits; ++i) {
        const QModelIndex cell =
            model->index(i % cells / model->columnCount(), i % model->columnCount());
        model->setData(cell, QString::number(1000 + i % 9000), Qt::EditRole);
    }
    const qint64 editMs = clock.elapsed();
    const long edited = residentKiB();
    std::printf("edits %d (undo steps %d)\n", edits, editor.undoStack()->count());
    std::printf("resident after open   %8.1f MiB (%lld ms)\n", opened / 1024.0, openMs);
    std::printf("resident after edits  %8.1f MiB (%.1f ms per edit)\n", edited / 1024.0,
                edits ? double(editMs) / edits : 0.0);
    std::printf("growth                %8.1f MiB\n", (edited - opened) / 1024.0);
    return 0;
}
