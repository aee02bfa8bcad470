// Decoding JPEG files: whole, damaged, not JPEG at all, and claiming sizes
// that would need gigabytes.
#include "JpegImage.h"
#include "JpegTestFiles.h"

#include <QTemporaryDir>
#include <QTest>

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
    QTest::addColumn<int>("messageNumber");
    const QByteArray baseline = encodeJpeg(64, 48, false);
    const QByteArray progressive = encodeJpeg(64, 48, true);
    QTest::newRow("baseline 60000 x 60000")
        << withClaimedSize(baseline, 60000, 60000) << int(JERR_IMAGE_TOO_BIG);
    QTest::newRow("progressive 20000 x 20000")
        << withClaimedSize(progressive, 20000, 20000) << int(JERR_IMAGE_TOO_BIG);
    QTest::newRow("one side over the bound")
        << withClaimedSize(baseline, kMaxJpegSide + 1, 16) << int(JERR_IMAGE_TOO_BIG);
    // Within the side bound, but its coefficients would need more memory
    // than the library may take.
    QTest::newRow("progressive at the bound")
        << withClaimedSize(progressive, kMaxJpegSide, kMaxJpegSide) << int(JERR_NO_BACKING_STORE);
}

void JpegImageTest::refusesHugePicturesWithoutAllocating() {
    QFETCH(QByteArray, jpeg);
    QFETCH(int, messageNumber);
    const long before = peakMemoryKb();
    try {
        decode(jpeg);
        QFAIL("a huge picture was decoded");
    } catch (const JpegError& e) {
        QCOMPARE(e.messageNumber(), messageNumber);
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("JPEG エラー #%1").arg(messageNumber));
    }
    QVERIFY2(peakMemoryKb() - before < 64 * 1024, "more than 64 MB allocated");
}

void JpegImageTest::decodesWholePictures_data() {
    QTest::addColumn<QByteArray>("jpeg");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("baseline") << encodeJpeg(429, 293, false) << 429 << 293;
    QTest::newRow("progressive") << encodeJpeg(33, 17, true) << 33 << 17;
    QTest::newRow("one pixel") << encodeJpeg(1, 1, false) << 1 << 1;
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

    const QImage image = loadJpegImage(path);
    QCOMPARE(image.size(), QSize(width, height));
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
    QVERIFY(decoded.rgb.front() < 16);
    QVERIFY(decoded.rgb.back() > 100);
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
}

QTEST_MAIN(JpegImageTest)
#include "JpegImageTest.moc"
