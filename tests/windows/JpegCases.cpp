// JpegImageTest's files and the shipped map pictures, written into a folder
// with what the Linux decoder makes of each, for the Windows decoder's test
// under wine (tests/win32/JpegPictureTest.cpp):
//   NAME.jpg, NAME.linux ("picture W H" or "error MESSAGE"), NAME.pixels
//   (rows from the top: blue, green, red, 255, as Format_RGB32 lies in memory)
//   jpeg_cases OUTDIR [MAP.jpg...]
#include "JpegImage.h"
#include "JpegTestFiles.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

using namespace hakomaru;
using namespace hakomaru::test;

namespace {

void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

} // namespace

int main(int argc, char** argv) try {
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
        if (!map.open(QIODevice::ReadOnly))
            throw std::runtime_error(std::string("cannot read ") + argv[i]);
        cases.emplace_back(QFileInfo(map).completeBaseName(), map.readAll());
    }
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    for (const auto& [name, jpeg] : cases) {
        const QString base = folder + u'/' + name;
        QByteArray outcome;
        try {
            const QImage image = decodeJpeg(std::span(
                reinterpret_cast<const std::uint8_t*>(jpeg.constData()), std::size_t(jpeg.size())))
                                     .image;
            outcome = QStringLiteral("picture %1 %2").arg(image.width()).arg(image.height()).toUtf8();
            write(base + QStringLiteral(".pixels"),
                  QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
        } catch (const JpegError& e) {
            outcome = QByteArray("error ") + e.what();
        }
        write(base + QStringLiteral(".jpg"), jpeg);
        write(base + QStringLiteral(".linux"), outcome);
    }
    return 0;
} catch (const std::exception& e) {
    std::fprintf(stderr, "jpeg_cases: %s\n", e.what());
    return 1;
}
