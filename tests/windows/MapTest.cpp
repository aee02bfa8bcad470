// The map window driven headless: label clicks, closing, and the picture
// missing, damaged or not a JPEG.
#include "Map.h"
#include "FakePlatform.h"
#include "JpegTestFiles.h"
#include "ProgramFiles.h"
#include "controls/LabelEx.h"
#include "tariff/Catalogues.h"
#include "text/ConversionError.h"

#include <QDir>
#include <QPointer>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>

using namespace hakomaru;
using namespace hakomaru::test;

namespace {

// Runs the deferred deletions that a closed window asked for.
void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

} // namespace

class MapTest : public QObject {
    Q_OBJECT
  private slots:
    void labelsMatchTheDestinationList();
    void clickSelectsAndCloses_data();
    void clickSelectsAndCloses();
    void closeBoxChangesNothing();
    void escapeDoesNotClose();
    void failedRecalculationIsReported();
    void pictureProblems_data();
    void pictureProblems();
    void shippedPicture();
    void pictureFoundBesideTheProgram();
    void unreadablePictureNamedAsAskedFor();
};

void MapTest::labelsMatchTheDestinationList() {
    // Every caption is the destination list's text at the label's row, no
    // row is chosen twice, and no label selects a separator or the two rows
    // only the destination list has.
    const auto rows = PrefectureRows(true);
    QSet<int> seenRows;
    QSet<int> seenNumbers;
    QCOMPARE(mapLabels().size(), std::size_t(47));
    for (const MapLabel& label : mapLabels()) {
        QVERIFY(label.destinationRow >= 0 && label.destinationRow < kSendingRowCount);
        QCOMPARE(
            QString::fromUtf8(label.caption),
            QString::fromUtf8(rows[static_cast<std::size_t>(label.destinationRow)].data(),
                              static_cast<qsizetype>(
                                  rows[static_cast<std::size_t>(label.destinationRow)].size())));
        QVERIFY(!IsSeparatorRow(rows[static_cast<std::size_t>(label.destinationRow)]));
        seenRows.insert(label.destinationRow);
        seenNumbers.insert(label.labelNumber);
        // Inside the map, clear of its right and bottom edges.
        QVERIFY(label.left >= 0 && label.left + 24 <= 430 && label.top + 12 <= 292);
    }
    QCOMPARE(seenRows.size(), 47);
    QCOMPARE(seenNumbers.size(), 47);
}

void MapTest::clickSelectsAndCloses_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("row");
    QTest::newRow("北海道") << "Label1"
                            << "北海道" << 0;
    QTest::newRow("宮城 (Label5)") << "Label5"
                                   << "宮城" << 6;
    QTest::newRow("山形 (Label6)") << "Label6"
                                   << "山形" << 5;
    QTest::newRow("新潟 (Label8)") << "Label8"
                                   << "新潟" << 17;
    QTest::newRow("鹿児島") << "Label46"
                            << "鹿児島" << 51;
    QTest::newRow("沖縄") << "Label47"
                          << "沖縄" << 52;
}

void MapTest::clickSelectsAndCloses() {
    QFETCH(QString, label);
    QFETCH(QString, caption);
    QFETCH(int, row);
    FakePlatform platform;
    QTemporaryDir dir;
    std::vector<int> selected;
    QPointer<TfrmMap> map = new TfrmMap([&](int r) { selected.push_back(r); }, nullptr,
                                        writeFile(dir, "map.jpg", encodeJpeg(429, 293, false)));
    map->show();
    auto* target = map->findChild<TLabelEx*>(label);
    QVERIFY(target);
    QCOMPARE(target->text(), caption);
    QCOMPARE(target->cursor().shape(), Qt::PointingHandCursor);

    QTest::mouseClick(target, Qt::LeftButton);
    // Selected once, by the one explicit call, and the window is gone.
    QCOMPARE(selected, std::vector<int>{row});
    settle();
    QVERIFY(map.isNull());
    QVERIFY(platform.errors.isEmpty());
}

void MapTest::closeBoxChangesNothing() {
    FakePlatform platform;
    QTemporaryDir dir;
    int calls = 0;
    QPointer<TfrmMap> map = new TfrmMap([&](int) { ++calls; }, nullptr,
                                        writeFile(dir, "map.jpg", encodeJpeg(429, 293, false)));
    map->show();
    QVERIFY(!map->imgJapan->pixmap().isNull());
    QVERIFY(map->close());
    QCOMPARE(calls, 0);
    settle();
    QVERIFY(map.isNull());
}

void MapTest::escapeDoesNotClose() {
    FakePlatform platform;
    QTemporaryDir dir;
    auto* map =
        new TfrmMap([](int) {}, nullptr, writeFile(dir, "map.jpg", encodeJpeg(8, 8, false)));
    map->show();
    QTest::keyClick(map, Qt::Key_Escape);
    QVERIFY(map->isVisible());
    delete map;
}

void MapTest::failedRecalculationIsReported() {
    FakePlatform platform;
    QTemporaryDir dir;
    QPointer<TfrmMap> map =
        new TfrmMap([](int) { throw ConversionError::notWholeNumber("12X4"); }, nullptr,
                    writeFile(dir, "map.jpg", encodeJpeg(8, 8, false)));
    map->show();
    QTest::mouseClick(map->findChild<TLabelEx*>("Label1"), Qt::LeftButton);
    settle();
    QCOMPARE(platform.errors, QStringList{QStringLiteral("'12X4' は整数ではありません")});
    QVERIFY(!map.isNull() && map->isVisible());
    delete map;
}

void MapTest::pictureProblems_data() {
    QTest::addColumn<QByteArray>("bytes"); // empty: no file at all
    QTest::addColumn<QString>("message");  // %1 is the file path
    QTest::addColumn<bool>("picture");     // whether a picture shows
    const QByteArray whole = encodeJpeg(429, 293, true);
    QTest::newRow("missing") << QByteArray() << QStringLiteral("ファイル %1 は開けません") << false;
    QTest::newRow("not a JPEG") << QByteArray("BM\x00\x01 not a picture", 19)
                                << QStringLiteral("JPEG エラー #%1").arg(int(JERR_NO_SOI)) << false;
    QTest::newRow("huge header")
        << withClaimedSize(encodeJpeg(16, 16, false), 60000, 60000)
        << QStringLiteral("JPEG エラー #%1（画像の大きさ 60000 × 60000 ピクセルが上限（一辺 8,192 "
                          "ピクセル、全体 8,388,608 ピクセル）を超えています）")
               .arg(int(JERR_IMAGE_TOO_BIG))
        << false;
    // A cut file is a warning only: what decoded shows, no message.
    QTest::newRow("truncated") << whole.left(whole.size() / 2) << QString() << true;
}

void MapTest::pictureProblems() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    QFETCH(bool, picture);
    FakePlatform platform;
    QTemporaryDir dir;
    const QString path =
        bytes.isEmpty() ? dir.filePath("MapOfJapan.jpg") : writeFile(dir, "MapOfJapan.jpg", bytes);
    std::vector<int> selected;
    QPointer<TfrmMap> map = new TfrmMap([&](int r) { selected.push_back(r); }, nullptr, path);
    map->show();

    QCOMPARE(platform.errors, message.isEmpty()        ? QStringList()
                              : message.contains("%1") ? QStringList{message.arg(path)}
                                                       : QStringList{message});
    QCOMPARE(!map->imgJapan->pixmap().isNull(), picture);
    // The labels work all the same.
    QTest::mouseClick(map->findChild<TLabelEx*>("Label47"), Qt::LeftButton);
    QCOMPARE(selected, std::vector<int>{52});
    settle();
    QVERIFY(map.isNull());
}

void MapTest::shippedPicture() {
    // Run at 1x and, as a test of its own, at 2x: the picture drawn for the
    // screen's scale, the same size on the screen.
    FakePlatform platform;
    auto* map = new TfrmMap([](int) {}, nullptr,
                            QStringLiteral(HAKOMARU_SHIPPED_DATA_DIR "/MapOfJapan.jpg"));
    QVERIFY2(platform.errors.isEmpty(), qPrintable(platform.errors.join('\n')));
    const int scale = qRound(map->devicePixelRatioF()); // 1 or 2
    QCOMPARE(map->imgJapan->pixmap().size(), QSize(429, 293) * scale);
    QCOMPARE(map->imgJapan->pixmap().deviceIndependentSize(), QSizeF(429, 293));
    delete map;
    QCOMPARE(pictureAtScale("/opt/h/MapOfJapan.jpg", 2), QStringLiteral("/opt/h/MapOfJapan@2x.jpg"));
    QCOMPARE(pictureAtScale("Map.v1.JPG", 2), QStringLiteral("./Map.v1@2x.JPG"));
    QCOMPARE(pictureAtScale("MapOfJapan.jpg", 1), QStringLiteral("MapOfJapan.jpg"));
}

void MapTest::pictureFoundBesideTheProgram() {
    // The current directory wins; without the file there, the program's
    // directory is searched; letter case of the name does not matter.
    QTemporaryDir current;
    QTemporaryDir program;
    writeFile(program, "MapOfJapan.jpg", "p");
    QDir(program.path()).mkdir("Help");
    writeFile(program, "Help/howto.htm", "h");
    const QStringList dirs{current.path(), program.path()};

    QCOMPARE(locateIn("MapOfJapan.jpg", dirs), QDir(program.path()).filePath("MapOfJapan.jpg"));
    QCOMPARE(locateIn("Help/Howto.htm", dirs), QDir(program.path()).filePath("Help/howto.htm"));
    QCOMPARE(locateIn("Help\\Howto.htm", dirs), QDir(program.path()).filePath("Help/howto.htm"));
    writeFile(current, "MapOfJapan.jpg", "c");
    QCOMPARE(locateIn("MapOfJapan.jpg", dirs), QDir(current.path()).filePath("MapOfJapan.jpg"));
    QCOMPARE(locateIn("Missing.jpg", dirs), QString());
}

void MapTest::unreadablePictureNamedAsAskedFor() {
    // Found in the current directory but unreadable (here a folder of that
    // name): the message names the file as the window asks for it.
    FakePlatform platform;
    QTemporaryDir current;
    QVERIFY(QDir(current.path()).mkdir("MapOfJapan.jpg"));
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(current.path()));
    auto* map = new TfrmMap([](int) {});
    QDir::setCurrent(previous);
    QCOMPARE(platform.errors,
             QStringList{QStringLiteral(
                 "ファイル MapOfJapan.jpg は開けません（通常のファイルではありません）")});
    QVERIFY(map->imgJapan->pixmap().isNull());
    delete map;
}

QTEST_MAIN(MapTest)
#include "MapTest.moc"
