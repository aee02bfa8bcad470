#pragma once
// Decoding JPEG files with libjpeg at full scale.
//
// libjpeg's own error handler ends the process; here every fatal library
// error comes back as JpegError carrying the library's message number. A
// truncated file is only a warning to the library: the rows it could not
// decode come out grey and the picture is returned, as a viewer shows it.
#include "PictureLimits.h"

#include <QImage>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace hakomaru {

// "JPEG エラー #%d": a fatal decoding error with the library's message number,
// followed by a detail in full-width brackets when there is one
// (jpegErrorMessage).
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

// What libjpeg itself may allocate: the coefficients of the largest
// progressive picture within the bounds of PictureLimits.h, with room for
// its working buffers.
inline constexpr long kMaxJpegLibraryMemory = 64L * 1024 * 1024;

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
