#include "PictureLimits.h"

#include "text/NumberText.h"

#include <algorithm>

namespace hakomaru {

bool pictureWithinBounds(long width, long height) {
    return width <= kMaxJpegSide && height <= kMaxJpegSide &&
           static_cast<long long>(width) * height <= kMaxJpegPixels;
}

std::optional<PictureSize> jpegFrameSize(std::span<const std::uint8_t> data) {
    const auto word = [&](std::size_t at) { return long{data[at]} << 8 | data[at + 1]; };
    if (data.size() < 2 || data[0] != 0xFF || data[1] != 0xD8)
        return std::nullopt;
    for (std::size_t at = 2;;) {
        // The next marker: bytes before it and fill bytes are passed over,
        // as the JPEG library does; 0xFF 0x00 is no marker.
        while (at < data.size() && data[at] != 0xFF)
            ++at;
        while (at < data.size() && data[at] == 0xFF)
            ++at;
        if (at >= data.size())
            return std::nullopt;
        const std::uint8_t marker = data[at++];
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // no segment follows
        if (marker == 0xD9 || marker == 0xDA || at + 2 > data.size()) // the end, or the data
            return std::nullopt;
        const long length = word(at);
        // Start of frame, in any coding; C4, C8 and CC are other segments.
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
            marker != 0xCC) {
            if (at + 7 > data.size())
                return std::nullopt;
            return PictureSize{word(at + 5), word(at + 3)};
        }
        // A length below its own two bytes skips only them, as in the library.
        at += static_cast<std::size_t>(std::max(length, 2L));
    }
}

std::string pictureTooLargeDetail(long width, long height) {
    return "画像の大きさ " + std::to_string(width) + " × " + std::to_string(height) +
           " ピクセルが上限（一辺 " + grouped(kMaxJpegSide) + " ピクセル、全体 " +
           grouped(static_cast<std::int32_t>(kMaxJpegPixels)) + " ピクセル）を超えています";
}

std::string jpegErrorMessage(std::optional<int> messageNumber, std::string_view detail) {
    std::string message = "JPEG エラー";
    if (messageNumber)
        message += " #" + std::to_string(*messageNumber);
    if (!detail.empty())
        message.append("（").append(detail).append("）");
    return message;
}

} // namespace hakomaru
