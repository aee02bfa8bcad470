// The map picture's JPEG decoder on arbitrary bytes: it decodes, or refuses
// with the library's message number; it never ends the process and never
// allocates gigabytes for a header that claims a huge picture.
#include "JpegImage.h"

#include <cstdint>
#include <cstdlib>

using namespace hakomaru;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    try {
        const DecodedJpeg picture = decodeJpeg(std::span(data, size));
        if (picture.width > kMaxJpegSide || picture.height > kMaxJpegSide ||
            long{picture.width} * picture.height > kMaxJpegPixels ||
            picture.image.size() != QSize(picture.width, picture.height))
            std::abort();
    } catch (const JpegError&) {
    }
    return 0;
}
