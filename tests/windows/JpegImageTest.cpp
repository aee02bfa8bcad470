// Decoding JPEG files: whole, damaged, not JPEG at all, and claiming sizes
// that would need gigabytes.
#include "JpegImage.h"
#include "JpegTestFiles.h"

#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <jerror.h>
#include <sys/resource.h>

using namespace hakomaru;
using namespace hakomaru::test;

namespace {

long peakMemoryKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

DecodedJpeg decode(const QByteArray& bytes) {
    return decodeJpeg(
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                      static_cast<std::size_t>(bytes.size())));
}

} // namespace

class JpegImageTest : public QObject {
    Q_OBJECT
  private slots:
    void refusesHugePicturesWithoutAllocating_data();
    void refusesHugePicturesWithoutAllocating();
    void decodesWholePictures_data();
    void decodesWholePictures();
    void reportsTheLibraryMessageNumber_data();
    void reportsTheLibraryMessageNumber();
    void truncatedFileShowsWhatDecoded();
    void fileErrors();
};

void JpegImageTest::refusesHugePicturesWithoutAllocating_data() {
    QTest::addColumn<QByteArray>("jpeg");
    QTest::addColumn<QString>("size");
    const QByteArray baseline = encodeJpeg(64, 48, false);
    const QByteArray progressive = encodeJpeg(64, 48, true);
    QTest::newRow("baseline 60000 x 60000")
        << withClaimedSize(baseline, 60000, 60000) << "60000 × 60000";
    QTest::newRow("one side over the bound")
        << withClaimedSize(baseline, kMaxJpegSide + 1, 16) << "8193 × 16";
    // Within the side bound, but the picture alone would take 256 MiB and
    // its coefficients as much again.
    QTest::newRow("progressive 8192 x 8192")
        << withClaimedSize(progressive, kMaxJpegSide, kMaxJpegSide) << "8192 × 8192";
    QTest::newRow("one row over the pixel bound")
        << withClaimedSize(progressive, 4096, 2049) << "4096 × 2049";
}

void JpegImageTest::refusesHugePicturesWithoutAllocating() {
    QFETCH(QByteArray, jpeg);
    QFETCH(QString, size);
    const long before = peakMemoryKb();
    try {
        decode(jpeg);
        QFAIL("a huge picture was decoded");
    } catch (const JpegError& e) {
        QCOMPARE(e.messageNumber(), int(JERR_IMAGE_TOO_BIG));
        QCOMPARE(QString::fromUtf8(e.what()),
                 QStringLiteral("JPEG エラー #%1（画像の大きさ %2 ピクセルが上限（一辺 8,192 "
                                "ピクセル、全体 8,388,608 ピクセル）を超えています）")
                     .arg(int(JERR_IMAGE_TOO_BIG))
                     .arg(size));
    }
    QVERIFY2(peakMemoryKb() - before < 16 * 1024, "more than 16 MB allocated");
}

void JpegImageTest::decodesWholePictures_data() {
    QTest::addColumn<QByteArray>("jpeg");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("baseline") << encodeJpeg(429, 293, false) << 429 << 293;
    QTest::newRow("progressive") << encodeJpeg(33, 17, true) << 33 << 17;
    QTest::newRow("one pixel") << encodeJpeg(1, 1, false) << 1 << 1;
    // The largest picture within the bound, progressive: all its
    // coefficients are held while it decodes.
    QTest::newRow("progressive at the bound") << encodeJpeg(4096, 2048, true) << 4096 << 2048;
}

void JpegImageTest::decodesWholePictures() {
    QFETCH(QByteArray, jpeg);
    QFETCH(int, width);
    QFETCH(int, height);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picture.jpg"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(jpeg);
    file.close();

    const long before = peakMemoryKb();
    const QImage image = loadJpegImage(path);
    QCOMPARE(image.size(), QSize(width, height));
    // The picture (4 bytes a pixel) and the coefficients of a progressive
    // one (3 bytes a pixel here) and nothing more.
    QVERIFY2(peakMemoryKb() - before < 80 * 1024, "more than 80 MB allocated");
    // The colour survives within JPEG's loss, in every corner.
    for (QPoint p : {QPoint(0, 0), QPoint(width - 1, height - 1)}) {
        const QColor c = image.pixelColor(p);
        QVERIFY2(std::abs(c.red() - 200) < 8 && std::abs(c.green() - 40) < 8 &&
                     std::abs(c.blue() - 40) < 8,
                 qPrintable(c.name()));
    }
}

void JpegImageTest::reportsTheLibraryMessageNumber_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("messageNumber");
    QTest::newRow("empty") << QByteArray() << int(JERR_INPUT_EMPTY);
    QTest::newRow("a GIF") << QByteArray("GIF89a\x01\x00\x01\x00", 10) << int(JERR_NO_SOI);
    QTest::newRow("text") << QByteArray("[Settings]\r\n") << int(JERR_NO_SOI);
    QTest::newRow("only the start marker") << QByteArray("\xFF\xD8", 2) << int(JERR_NO_IMAGE);
}

void JpegImageTest::reportsTheLibraryMessageNumber() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, messageNumber);
    try {
        decode(bytes);
        QFAIL("no error");
    } catch (const JpegError& e) {
        QCOMPARE(e.messageNumber(), messageNumber);
    }
}

void JpegImageTest::truncatedFileShowsWhatDecoded() {
    // Cut in the middle of the image data, after the headers.
    const QByteArray whole = encodeJpeg(64, 64, false, 0, 0, 0);
    const qsizetype scanStart = whole.indexOf(QByteArray("\xFF\xDA", 2));
    QVERIFY(scanStart > 0);
    const DecodedJpeg decoded = decode(whole.left(scanStart + (whole.size() - scanStart) / 3));
    QCOMPARE(decoded.width, 64);
    QCOMPARE(decoded.height, 64);
    QVERIFY(decoded.warnings > 0);
    // The top rows are the picture (black), the missing bottom ones grey.
    QVERIFY(decoded.image.pixelColor(0, 0).red() < 16);
    QVERIFY(decoded.image.pixelColor(63, 63).red() > 100);
}

void JpegImageTest::fileErrors() {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("MapOfJapan.jpg"));
    try {
        loadJpegImage(missing);
        QFAIL("no error");
    } catch (const FileOpenError& e) {
        QCOMPARE(QString::fromUtf8(e.what()),
                 QStringLiteral("ファイル %1 は開けません").arg(missing));
    }
    // A folder by the picture's name cannot be read as a file either.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.jpg")));
    QVERIFY_THROWS_EXCEPTION(FileOpenError,
                             loadJpegImage(dir.filePath(QStringLiteral("folder.jpg"))));
    // Nor is a 1 GB file read at all.
    const QString huge = dir.filePath(QStringLiteral("huge.jpg"));
    QFile(huge).open(QIODevice::WriteOnly);
    std::filesystem::resize_file(huge.toStdString(), 1024L * 1024 * 1024); // sparse: no disk
    const long before = peakMemoryKb();
    QVERIFY_THROWS_EXCEPTION(FileOpenError, loadJpegImage(huge));
    QVERIFY(peakMemoryKb() - before < 16 * 1024);
}

QTEST_MAIN(JpegImageTest)
#include "JpegImageTest.moc"
