// The map picture through Windows' own imaging component, held to the
// Linux decoder: the files of the Linux decoder's tests and the shipped map
// pictures, each with what the Linux decoder made of it (written by
// jpeg_cases, tests/windows/JpegCases.cpp, into the folder that
// HAKOMARU_JPEG_CASES names), and the refusals that are the program's own.
#include "JpegPicture.h"
#include "TempFiles.h"
#include "system/FileRead.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

using namespace hakomaru;
using hakomaru::win32::PictureError;

namespace {

namespace fs = std::filesystem;

// Each case file as the Linux decoder read it: the same size and the same
// pixels, or a refusal in the same words, less the library's number.
TEST(JpegPicture, DecodesAsTheLinuxDecoderDoes) {
    const char* folder = std::getenv("HAKOMARU_JPEG_CASES");
    if (!folder)
        GTEST_SKIP() << "HAKOMARU_JPEG_CASES names no folder: scripts/windows-check.sh sets it";
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(pathFromUtf8(folder))) {
        const fs::path file = entry.path();
        if (file.extension() != ".jpg")
            continue;
        SCOPED_TRACE(file.filename().string());
        fs::path expectation = file;
        const std::string linux = test::readBytes(expectation.replace_extension(".linux"));
        std::string windows;
        win32::Picture picture;
        try {
            picture = win32::loadJpeg(file, file.filename().string());
            windows =
                "picture " + std::to_string(picture.width) + " " + std::to_string(picture.height);
        } catch (const PictureError& e) {
            windows = std::string("error ") + e.what();
        }
        ++compared;
        if (linux.starts_with("picture ")) {
            // A picture cut short: the JPEG library shows what came; the
            // imaging component may refuse it instead.
            if (file.stem() == "truncated" && windows.starts_with("error JPEG エラー（"))
                continue;
            ASSERT_EQ(windows, linux);
            fs::path pixelsFile = file;
            const std::string pixels = test::readBytes(pixelsFile.replace_extension(".pixels"));
            ASSERT_EQ(picture.pixels.size(), pixels.size());
            std::size_t differing = 0, first = 0;
            for (std::size_t i = 0; i < pixels.size(); ++i) {
                if (static_cast<std::uint8_t>(pixels[i]) != picture.pixels[i] && differing++ == 0)
                    first = i;
            }
            EXPECT_EQ(differing, 0u) << "first at pixel " << first / 4 << " (x "
                                     << first / 4 % picture.width << ", y "
                                     << first / 4 / picture.width << ")";
        } else if (const auto detail = linux.find("（画像の大きさ"); detail != std::string::npos) {
            // The bounds are the program's own: the same words, no number.
            EXPECT_EQ(windows, "error JPEG エラー" + linux.substr(detail));
        } else {
            EXPECT_TRUE(windows.starts_with("error JPEG エラー（")) << windows;
        }
    }
    EXPECT_GE(compared, 15);
}

// The refusals before decoding are the program's own, in the words of every
// system: what stands under the name is no regular file, or too large.
TEST(JpegPicture, RefusesWhatIsNoPictureFile) {
    test::TempDir dir;
    fs::create_directory(dir / "folder.jpg");
    {
        std::ofstream huge(dir / "huge.jpg", std::ios::binary);
    }
    fs::resize_file(dir / "huge.jpg", 1024ull * 1024 * 1024); // sparse: no disk
    struct Case {
        const char* name;
        std::string expected;
    } cases[] = {
        {"MapOfJapan.jpg", "ファイル MapOfJapan.jpg は開けません"},
        {"folder.jpg", "ファイル folder.jpg は開けません（通常のファイルではありません）"},
        {"huge.jpg", "ファイル huge.jpg は開けません（サイズ 1,024 MiB が上限の 32 MiB を超えています）"},
    };
    for (const Case& c : cases) {
        try {
            win32::loadJpeg(dir / c.name, c.name);
            ADD_FAILURE() << c.name << " was decoded";
        } catch (const PictureError& e) {
            EXPECT_EQ(e.what(), c.expected);
        }
    }
}

} // namespace
