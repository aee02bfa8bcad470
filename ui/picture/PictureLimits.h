#pragma once
// What every decoder of the map picture refuses, and how it says so, for
// every front end: the JPEG library on Linux and Windows' own imaging
// component decode within the same bounds and report in the same words.
// The file itself is read by the program's one way of reading files
// (system/FileRead.h), at most kPictureFileLimit bytes of a regular file.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace hakomaru {

// The whole cost of a picture is bounded, not only what a decoder
// allocates: the file is read whole (at most kPictureFileLimit, 32 MiB),
// the picture is decoded into 4 bytes a pixel, and a progressive (or
// otherwise multi-scan) picture keeps all its coefficients, up to 6 bytes a
// pixel, while it decodes. 8,388,608 pixels (4096 x 2048, or a 3840 x 2160
// screen) thus cost at most 32 + 32 + 48 MiB above the program's own
// memory, keeping the process under about 200 MB; the map itself is
// 429 x 293. A header may claim up to 65,500 pixels a side, which would
// need gigabytes: a larger picture is refused before anything is decoded.
inline constexpr int kMaxJpegSide = 8192;
inline constexpr long kMaxJpegPixels = 8L * 1024 * 1024;

// Whether a picture of this size is within the bounds.
bool pictureWithinBounds(long width, long height);

struct PictureSize {
    long width = 0;
    long height = 0;
};

// The size a JPEG's frame header claims, read from the markers before it
// without decoding anything; nothing when no frame header comes before the
// image data or the end. A decoder that sets aside room for the whole
// picture as soon as it reads the header is asked only within the bounds.
std::optional<PictureSize> jpegFrameSize(std::span<const std::uint8_t> data);

// "画像の大きさ W × H ピクセルが上限（…）を超えています": the detail of the
// error for a picture beyond the bounds.
std::string pictureTooLargeDetail(long width, long height);

// "JPEG エラー" for a picture the decoder refused: " #%d" with the JPEG
// library's message number where the decoder has one (Windows' imaging
// component has none), then the detail in full-width brackets when there
// is one.
std::string jpegErrorMessage(std::optional<int> messageNumber, std::string_view detail = {});

} // namespace hakomaru
