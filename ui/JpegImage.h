#pragma once
// Decoding JPEG files with libjpeg at full scale.
//
// libjpeg's own error handler ends the process; here every fatal library
// error comes back as JpegError carrying the library's message number. A
// truncated file is only a warning to the library: the rows it could not
// decode come out grey and the picture is returned, as a viewer shows it.
#include <QImage>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace hakomaru {

// "JPEG エラー #%d": a fatal decoding error with the library's message number,
// followed by a detail in full-width brackets when there is one.
class JpegError : public std::runtime_error {
  public:
    explicit JpegError(int messageNumber, const std::string& detail = {});
    int messageNumber() const { return messageNumber_; }

  private:
    int messageNumber_;
};

// "ファイル %s は開けません", with the reason in full-width brackets when
// there is one: the file could not be opened or read.
class FileOpenError : public std::runtime_error {
  public:
    explicit FileOpenError(const QString& fileName, const std::string& reason = {});
    const std::string& reason() const { return reason_; }

  private:
    std::string reason_;
};

// The whole cost of a picture is bounded, not only what libjpeg allocates:
// the file is read whole (at most kPictureFileLimit, 32 MiB), the picture is
// decoded into 4 bytes a pixel, and a progressive (or otherwise multi-scan)
// picture keeps all its coefficients, up to 6 bytes a pixel, while it
// decodes. 8,388,608 pixels (4096 x 2048, or a 3840 x 2160 screen) thus cost
// at most 32 + 32 + 48 MiB above the program's own memory, keeping the
// process under about 200 MB; the map itself is 429 x 293. A header may
// claim up to 65,500 pixels a side, which would need gigabytes: a larger
// picture is refused before anything is allocated.
inline constexpr int kMaxJpegSide = 8192;
inline constexpr long kMaxJpegPixels = 8L * 1024 * 1024;
// What libjpeg itself may allocate: the coefficients of the largest
// progressive picture within the bound, with room for its working buffers.
inline constexpr long kMaxJpegLibraryMemory = 64L * 1024 * 1024;

// "画像の大きさ W × H ピクセルが上限（…）を超えています": the detail of the
// error for a picture beyond the bound.
std::string pictureTooLargeDetail(long width, long height);

struct DecodedJpeg {
    int width = 0;
    int height = 0;
    QImage image;     // Format_RGB32
    int warnings = 0; // e.g. a premature end of the data
};

// Decodes a whole JPEG held in memory. Throws JpegError.
DecodedJpeg decodeJpeg(std::span<const std::uint8_t> data);

// Reads the file and decodes it. Throws FileOpenError or JpegError.
QImage loadJpegImage(const QString& fileName);

} // namespace hakomaru
