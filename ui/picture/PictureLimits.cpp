#include "PictureLimits.h"

#include "text/NumberText.h"

namespace hakomaru {

bool pictureWithinBounds(long width, long height) {
    return width <= kMaxJpegSide && height <= kMaxJpegSide &&
           static_cast<long long>(width) * height <= kMaxJpegPixels;
}

std::optional<PictureSize> jpegFrameSize(std::span<const std::uint8_t> data) {
    const auto word = [&](std::size_t at) { return long{data[at]} << 8 | data[at + 1]; };
    if (data.size() < 2 || data[0] != 0xFF || data[1] != 0xD8)
        return std::nullopt;
    std::size_t at = 2;
    while (at + 2 <= data.size()) {
        if (data[at] != 0xFF)
            return std::nullopt;
        const std::uint8_t marker = data[at + 1];
        if (marker == 0xFF) { // a fill byte before the marker
            ++at;
            continue;
        }
        at += 2;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) // no segment follows
            continue;
        if (marker == 0xD9 || marker == 0xDA || at + 2 > data.size()) // the end, or the data
            return std::nullopt;
        const long length = word(at);
        // Start of frame, in any coding; C4, C8 and CC are other segments.
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
            marker != 0xCC) {
            if (length < 7 || at + 7 > data.size())
                return std::nullopt;
            return PictureSize{word(at + 5), word(at + 3)};
        }
        if (length < 2)
            return std::nullopt;
        at += static_cast<std::size_t>(length);
    }
    return std::nullopt;
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
