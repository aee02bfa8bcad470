#pragma once
// The map picture decoded with Windows' own imaging component, within the
// bounds and with the words of every front end (PictureLimits.h): the same
// pixels as the JPEG library gives on Linux. The component has no message
// numbers, so a picture it refuses is "JPEG エラー" with its reason.
#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace hakomaru::win32 {

// Rows from the top, 4 bytes a pixel: blue, green, red, 255 (a 32-bit
// bitmap's order, and the Linux decoder's 0xffRRGGBB words in memory).
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// A picture that could not be read or decoded: what() is the message to
// show ("ファイル %s は開けません（…）", "JPEG エラー（…）").
class PictureError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Decodes a whole JPEG held in memory. A picture beyond the bounds is
// refused before anything is decoded. Throws PictureError.
Picture decodeJpeg(std::span<const std::uint8_t> data);

// Reads the file by the program's one way of reading files (a regular file
// of at most kPictureFileLimit bytes) and decodes it; messages name it as
// `shownName`. Throws PictureError.
Picture loadJpeg(const std::filesystem::path& file, std::string_view shownName);

} // namespace hakomaru::win32
