// One edit in the tariff editor window, as typing a value and pressing Enter
// makes it, and a paste of a block of them: the field rewritten, the red cells and the problem count checked
// again, the preview priced again. On the shipped tariff and on one padded
// with comment lines to almost 16 MiB (the largest the program reads), for
// a field of each kind of table: each kind takes part in other checks (a
// zone character names a fee row, a fee row is read by the quotes proven on
// the rows that use it, an option entry changes its value's length).
//
//     tariff_edit_bench [--benchmark_filter=EditOneField|PasteBlock]
#include "TariffEditor.h"
#include "ini/IniStore.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QClipboard>
#include <QTableView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <array>
#include <fstream>
#include <memory>
#include <string>

namespace {

struct Field {
    const char* table; // object name of its grid
    int row, column;
    std::array<const char*, 2> values; // set in turn, so every edit changes the file
};
constexpr std::array<Field, 4> kFields{{{"tblYoupack", 2, 5, {"1234", "1240"}},
                                        {"tblZone", 10, 20, {"3", "4"}},
                                        {"tblCat04", 3, 2, {"1500", "1510"}},
                                        {"tblOptions", 0, 0, {"25", "1250"}}}};

// An editor window for each size of tariff, opened once, closed before the
// application ends.
std::array<std::unique_ptr<hakomaru::TfrmTariffEditor>, 2> editors;

hakomaru::TfrmTariffEditor& editorFor(bool large) {
    static QTemporaryDir dir;
    auto& editor = editors[large];
    if (!editor) {
        const std::string path =
            dir.filePath(large ? QStringLiteral("large.ini") : QStringLiteral("Charge.ini"))
                .toStdString();
        std::string bytes = hakomaru::readFileBytes(HAKOMARU_SHIPPED_TARIFF);
        const std::string pad = "; " + std::string(76, '-') + "\r\n";
        while (large && bytes.size() + pad.size() <= hakomaru::kIniFileLimit)
            bytes += pad;
        std::ofstream(path, std::ios::binary) << bytes;
        editor = std::make_unique<hakomaru::TfrmTariffEditor>();
        if (!editor->openFile(path))
            std::abort();
    }
    return *editor;
}

void EditOneField(benchmark::State& state) {
    const bool large = state.range(0) != 0;
    const Field& field = kFields[static_cast<size_t>(state.range(1))];
    auto& editor = editorFor(large);
    auto* view = editor.findChild<QTableView*>(QString::fromLatin1(field.table));
    if (!view)
        std::abort();
    QAbstractItemModel* model = view->model();
    const QModelIndex cell = model->index(field.row, field.column);
    size_t turn = 0;
    for (auto _ : state)
        model->setData(cell, QString::fromLatin1(field.values[++turn % 2]), Qt::EditRole);
    state.SetLabel(std::string(large ? "16 MiB " : "shipped ") + field.table);
}

// A 3 x 4 block pasted from a spreadsheet into the ゆうパック fees: one undo
// step of twelve fields. Two blocks in turn, so every paste changes them.
void PasteBlock(benchmark::State& state) {
    const bool large = state.range(0) != 0;
    auto& editor = editorFor(large);
    auto* view = editor.findChild<QTableView*>(QStringLiteral("tblYoupack"));
    if (!view)
        std::abort();
    const std::array<QString, 2> blocks{
        QStringLiteral("1100\t1300\t1500\t1700\r\n1200\t1400\t1600\t1800\r\n"
                       "1250\t1450\t1650\t1850\r\n"),
        QStringLiteral("1110\t1310\t1510\t1710\r\n1210\t1410\t1610\t1810\r\n"
                       "1260\t1460\t1660\t1860\r\n")};
    editor.showTable(1);
    view->setCurrentIndex(view->model()->index(1, 1));
    size_t turn = 0;
    for (auto _ : state) {
        QGuiApplication::clipboard()->setText(blocks[++turn % 2]);
        editor.pasteCells();
    }
    state.SetLabel(std::string(large ? "16 MiB " : "shipped ") + "paste");
}

} // namespace

BENCHMARK(PasteBlock)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK(EditOneField)
    ->ArgsProduct({{0, 1}, {0, 1, 2, 3}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    editors = {};
    return 0;
}
