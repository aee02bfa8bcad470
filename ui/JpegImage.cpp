#include "JpegImage.h"

#include "system/FileRead.h"

#include <QFile>
#include <QSysInfo>

#include <algorithm>

#include <csetjmp>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

namespace hakomaru {
namespace {

// The error manager: error_exit jumps back to runDecode instead of ending
// the process. A C++ exception must not cross libjpeg's C frames, so the
// jump lands in C++ code that then throws.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jumpBack;
    int warnings;
};

void errorExit(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(manager->jumpBack, 1);
}

void emitMessage(j_common_ptr cinfo, int level) {
    // Level -1 is a warning (corrupt or truncated data); others are traces.
    if (level < 0)
        ++reinterpret_cast<ErrorManager*>(cinfo->err)->warnings;
}

void outputMessage(j_common_ptr) {}

struct Decoder {
    jpeg_decompress_struct cinfo{};
    ErrorManager errors{};
    DecodedJpeg result;
    bool tooLarge = false; // refused by the bound, before decoding
};

// Straight into the 32-bit pixels of QImage::Format_RGB32 (0xffRRGGBB in
// native order), with no intermediate copy of the picture.
constexpr J_COLOR_SPACE kRgb32ColorSpace =
    QSysInfo::ByteOrder == QSysInfo::LittleEndian ? JCS_EXT_BGRX : JCS_EXT_XRGB;

// Runs the whole decoding. Returns false when libjpeg raised an error; its
// message number is then in decoder.errors.pub.msg_code. Nothing declared in
// this function is used after the jump back.
bool runDecode(Decoder& decoder, const unsigned char* data, unsigned long size) {
    jpeg_decompress_struct* cinfo = &decoder.cinfo;
    if (setjmp(decoder.errors.jumpBack))
        return false;

    jpeg_mem_src(cinfo, data, size);
    jpeg_read_header(cinfo, TRUE);
    DecodedJpeg& out = decoder.result;
    out.width = static_cast<int>(cinfo->image_width);
    out.height = static_cast<int>(cinfo->image_height);
    if (!pictureWithinBounds(static_cast<long>(cinfo->image_width),
                             static_cast<long>(cinfo->image_height))) {
        decoder.tooLarge = true;
        ERREXIT1(cinfo, JERR_IMAGE_TOO_BIG, static_cast<unsigned>(kMaxJpegSide));
    }
    cinfo->out_color_space = kRgb32ColorSpace;
    cinfo->scale_num = 1;
    cinfo->scale_denom = 1;
    jpeg_start_decompress(cinfo);

    out.width = static_cast<int>(cinfo->output_width);
    out.height = static_cast<int>(cinfo->output_height);
    out.image = QImage(out.width, out.height, QImage::Format_RGB32);
    if (out.image.isNull())
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    // Rows that a truncated file does not reach stay grey, as libjpeg fills
    // the missing data.
    uchar* const pixels = out.image.bits();
    const auto stride = static_cast<std::size_t>(out.image.bytesPerLine());
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = pixels + stride * cinfo->output_scanline;
        jpeg_read_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

} // namespace

JpegError::JpegError(int messageNumber, const std::string& detail)
    : std::runtime_error(jpegErrorMessage(messageNumber, detail)),
      messageNumber_(messageNumber) {}

FileOpenError::FileOpenError(const QString& fileName, const std::string& reason)
    : std::runtime_error(fileOpenMessage(fileName.toStdString(), reason)), reason_(reason) {}

DecodedJpeg decodeJpeg(std::span<const std::uint8_t> data) {
    Decoder decoder;
    decoder.cinfo.err = jpeg_std_error(&decoder.errors.pub);
    decoder.errors.pub.error_exit = errorExit;
    decoder.errors.pub.emit_message = emitMessage;
    decoder.errors.pub.output_message = outputMessage;
    jpeg_create_decompress(&decoder.cinfo);
    decoder.cinfo.mem->max_memory_to_use = kMaxJpegLibraryMemory;

    bool ok = false;
    try {
        ok = runDecode(decoder, data.data(), static_cast<unsigned long>(data.size()));
    } catch (...) { // std::bad_alloc for the picture buffer
        jpeg_destroy_decompress(&decoder.cinfo);
        throw;
    }
    const int messageNumber = decoder.errors.pub.msg_code;
    decoder.result.warnings = decoder.errors.warnings;
    jpeg_destroy_decompress(&decoder.cinfo);
    if (!ok && decoder.tooLarge)
        throw JpegError(messageNumber,
                        pictureTooLargeDetail(decoder.result.width, decoder.result.height));
    if (!ok)
        throw JpegError(messageNumber);
    return std::move(decoder.result);
}

QImage loadJpegImage(const QString& fileName) {
    FileBytes file = readRegularFile(QFile::encodeName(fileName).toStdString(), kPictureFileLimit);
    if (!file.ok())
        throw FileOpenError(fileName, std::string(file.shownReason()));
    DecodedJpeg decoded = decodeJpeg(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(file.bytes.data()), file.bytes.size()));
    return std::move(decoded.image);
}

} // namespace hakomaru
