#include "JpegImage.h"

#include <QFile>

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
};

// Runs the whole decoding. Returns false when libjpeg raised an error; its
// message number is then in decoder.errors.pub.msg_code. Nothing declared in
// this function is used after the jump back.
bool runDecode(Decoder& decoder, const unsigned char* data, unsigned long size) {
    jpeg_decompress_struct* cinfo = &decoder.cinfo;
    if (setjmp(decoder.errors.jumpBack))
        return false;

    jpeg_mem_src(cinfo, data, size);
    jpeg_read_header(cinfo, TRUE);
    if (cinfo->image_width > static_cast<JDIMENSION>(kMaxJpegSide) ||
        cinfo->image_height > static_cast<JDIMENSION>(kMaxJpegSide)) {
        ERREXIT1(cinfo, JERR_IMAGE_TOO_BIG, static_cast<unsigned>(kMaxJpegSide));
    }
    cinfo->out_color_space = JCS_RGB;
    cinfo->scale_num = 1;
    cinfo->scale_denom = 1;
    jpeg_start_decompress(cinfo);

    DecodedJpeg& out = decoder.result;
    out.width = static_cast<int>(cinfo->output_width);
    out.height = static_cast<int>(cinfo->output_height);
    const std::size_t stride = static_cast<std::size_t>(out.width) * 3;
    out.rgb.assign(stride * static_cast<std::size_t>(out.height), 0);
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = out.rgb.data() + stride * cinfo->output_scanline;
        jpeg_read_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

} // namespace

JpegError::JpegError(int messageNumber)
    : std::runtime_error("JPEG エラー #" + std::to_string(messageNumber)),
      messageNumber_(messageNumber) {}

FileOpenError::FileOpenError(const QString& fileName)
    : std::runtime_error(QStringLiteral("ファイル %1 は開けません").arg(fileName).toStdString()) {}

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
    if (!ok)
        throw JpegError(messageNumber);
    return std::move(decoder.result);
}

QImage loadJpegImage(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw FileOpenError(fileName);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileOpenError(fileName);
    file.close();

    const DecodedJpeg decoded = decodeJpeg(
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                      static_cast<std::size_t>(bytes.size())));
    QImage image(decoded.width, decoded.height, QImage::Format_RGB888);
    if (image.isNull())
        throw JpegError(JERR_OUT_OF_MEMORY);
    const std::size_t stride = static_cast<std::size_t>(decoded.width) * 3;
    for (int y = 0; y < decoded.height; ++y)
        std::copy_n(decoded.rgb.data() + stride * static_cast<std::size_t>(y), stride,
                    image.scanLine(y));
    return image;
}

} // namespace hakomaru
