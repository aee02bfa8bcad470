// The JPEG files the Linux decoder is tested on (JpegImageTest's), and the
// shipped map pictures, written into a folder with what the Linux decoder
// makes of each, for Windows' own imaging component to be held to under
// wine (tests/win32/JpegPictureTest.cpp):
//   NAME.jpg      the file
//   NAME.linux    "picture W H" or "error MESSAGE"
//   NAME.pixels   the decoded pixels: rows from the top, blue, green, red, 255
//   jpeg_cases OUTDIR [MAP.jpg...]
#include "JpegImage.h"
#include "JpegTestFiles.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QString>

#include <cstdio>
#include <exception>
#include <span>
#include <utility>
#include <vector>

using namespace hakomaru;
using namespace hakomaru::test;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool writeCase(const QString& folder, const QString& name, const QByteArray& jpeg) {
    const QString base = folder + u'/' + name;
    QByteArray outcome;
    try {
        const QImage image = decodeJpeg(std::span(
            reinterpret_cast<const std::uint8_t*>(jpeg.constData()), std::size_t(jpeg.size())))
                                 .image;
        outcome = QStringLiteral("picture %1 %2").arg(image.width()).arg(image.height()).toUtf8();
        // Format_RGB32 rows are exactly 4 bytes a pixel, 0xffRRGGBB: on a
        // little-endian machine blue, green, red, 255 in memory.
        QByteArray pixels(reinterpret_cast<const char*>(image.constBits()),
                          image.sizeInBytes());
        if (!writeFile(base + QStringLiteral(".pixels"), pixels))
            return false;
    } catch (const std::exception& e) {
        outcome = QByteArray("error ") + e.what();
    }
    return writeFile(base + QStringLiteral(".jpg"), jpeg) && writeFile(base + QStringLiteral(".linux"), outcome);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: jpeg_cases OUTDIR [MAP.jpg...]\n", stderr);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    // JpegImageTest's files, with the same sizes and damage.
    const QByteArray baseline = encodeJpeg(64, 48, false);
    const QByteArray progressive = encodeJpeg(64, 48, true);
    const QByteArray black = encodeJpeg(64, 64, false, 0, 0, 0);
    const qsizetype scanStart = black.indexOf(QByteArray("\xFF\xDA", 2));
    std::vector<std::pair<QString, QByteArray>> cases = {
        {"baseline", encodeJpeg(429, 293, false)},
        {"progressive", encodeJpeg(33, 17, true)},
        {"one-pixel", encodeJpeg(1, 1, false)},
        {"progressive-at-the-bound", encodeJpeg(4096, 2048, true)},
        {"huge-baseline", withClaimedSize(baseline, 60000, 60000)},
        {"huge-one-side", withClaimedSize(baseline, 8193, 16)},
        {"huge-progressive", withClaimedSize(progressive, 8192, 8192)},
        {"huge-one-row-over", withClaimedSize(progressive, 4096, 2049)},
        {"empty", QByteArray()},
        {"gif", QByteArray("GIF89a\x01\x00\x01\x00", 10)},
        {"text", QByteArray("[Settings]\r\n")},
        {"start-marker-only", QByteArray("\xFF\xD8", 2)},
        {"truncated", black.left(scanStart + (black.size() - scanStart) / 3)},
    };
    for (int i = 2; i < argc; ++i) {
        QFile map(QString::fromLocal8Bit(argv[i]));
        if (!map.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "jpeg_cases: %s cannot be read\n", argv[i]);
            return 1;
        }
        cases.emplace_back(QFileInfo(map).completeBaseName(), map.readAll());
    }
    for (const auto& [name, jpeg] : cases) {
        if (!writeCase(folder, name, jpeg)) {
            std::fprintf(stderr, "jpeg_cases: cannot write into %s\n", argv[1]);
            return 1;
        }
    }
    return 0;
}
