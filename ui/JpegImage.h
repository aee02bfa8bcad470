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
#include <vector>

namespace hakomaru {

// "JPEG エラー #%d": a fatal decoding error with the library's message number.
class JpegError : public std::runtime_error {
  public:
    explicit JpegError(int messageNumber);
    int messageNumber() const { return messageNumber_; }

  private:
    int messageNumber_;
};

// "ファイル %s は開けません": the file could not be opened or read.
class FileOpenError : public std::runtime_error {
  public:
    explicit FileOpenError(const QString& fileName);
};

// Pictures wider or taller than this are refused before decoding: a header
// can claim up to 65,500 pixels a side, and such a picture needs gigabytes.
inline constexpr int kMaxJpegSide = 8192;
// The most memory libjpeg itself may allocate for one picture (a progressive
// picture keeps all its coefficients in memory while decoding).
inline constexpr long kMaxJpegLibraryMemory = 128L * 1024 * 1024;

struct DecodedJpeg {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // rows of width * 3 bytes, top row first
    int warnings = 0;              // e.g. a premature end of the data
};

// Decodes a whole JPEG held in memory. Throws JpegError.
DecodedJpeg decodeJpeg(std::span<const std::uint8_t> data);

// Reads the file and decodes it into an RGB image. Throws FileOpenError or
// JpegError.
QImage loadJpegImage(const QString& fileName);

} // namespace hakomaru
