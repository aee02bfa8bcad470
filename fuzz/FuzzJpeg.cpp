// The map picture's JPEG decoder on arbitrary bytes: it decodes, or refuses
// with the library's message number; it never ends the process and never
// allocates gigabytes for a header that claims a huge picture. The size the
// Windows decoder reads from the frame header first stays within the bytes
// and is the size the library decodes.
#include "JpegImage.h"

#include <cstdint>
#include <cstdlib>

using namespace hakomaru;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const auto claimed = jpegFrameSize(std::span(data, size));
    try {
        const DecodedJpeg picture = decodeJpeg(std::span(data, size));
        if (!claimed || claimed->width != picture.width || claimed->height != picture.height)
            std::abort();
        if (picture.width > kMaxJpegSide || picture.height > kMaxJpegSide ||
            long{picture.width} * picture.height > kMaxJpegPixels ||
            picture.image.size() != QSize(picture.width, picture.height))
            std::abort();
    } catch (const JpegError&) {
    }
    return 0;
}
