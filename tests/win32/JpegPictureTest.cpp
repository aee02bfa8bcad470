// The map picture through Windows' own imaging component, held to the
// Linux decoder: each file of the folder HAKOMARU_JPEG_CASES names (written
// by jpeg_cases) is decoded as NAME.linux says the Linux decoder did.
#include "JpegPicture.h"
#include "TempFiles.h"
#include "system/FileRead.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

using namespace hakomaru;
namespace fs = std::filesystem;

TEST(JpegPicture, DecodesAsTheLinuxDecoderDoes) {
    const char* folder = std::getenv("HAKOMARU_JPEG_CASES");
    if (!folder)
        GTEST_SKIP() << "scripts/windows-check.sh names the folder";
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(pathFromUtf8(folder))) {
        fs::path file = entry.path();
        if (file.extension() != ".jpg")
            continue;
        SCOPED_TRACE(file.filename().string());
        std::string windows;
        win32::Picture picture;
        try {
            picture = win32::loadJpeg(file, "");
            windows = "picture " + std::to_string(picture.width) + " " + std::to_string(picture.height);
        } catch (const win32::PictureError& e) {
            windows = std::string("error ") + e.what();
        }
        const std::string linux = test::readBytes(file.replace_extension(".linux"));
        ++compared;
        if (const auto detail = linux.find("（画像の大きさ"); detail != std::string::npos) {
            EXPECT_EQ(windows, "error JPEG エラー" + linux.substr(detail)); // no number
        } else if (!linux.starts_with("picture ") ||
                   (file.stem() == "truncated" && windows.starts_with("error "))) {
            // Under wine the component refuses a picture cut short, which
            // the JPEG library shows with grey rows.
            EXPECT_TRUE(windows.starts_with("error JPEG エラー（")) << windows;
        } else {
            ASSERT_EQ(windows, linux);
            const std::string pixels = test::readBytes(file.replace_extension(".pixels"));
            EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), picture.pixels.begin(),
                                   picture.pixels.end(),
                                   [](char a, std::uint8_t b) { return std::uint8_t(a) == b; }));
        }
    }
    EXPECT_GE(compared, 15);
}

// The file's own refusals are the program's, in every system's words.
TEST(JpegPicture, RefusesWhatIsNoPictureFile) {
    test::TempDir dir;
    fs::create_directory(dir / "folder.jpg");
    std::ofstream(dir / "huge.jpg").close();
    fs::resize_file(dir / "huge.jpg", 1024ull * 1024 * 1024); // sparse: no disk
    for (const auto& [name, reason] :
         {std::pair{"missing.jpg", ""}, {"folder.jpg", "（通常のファイルではありません）"},
          {"huge.jpg", "（サイズ 1,024 MiB が上限の 32 MiB を超えています）"}}) {
        try {
            win32::loadJpeg(dir / name, name);
            ADD_FAILURE() << name << " was decoded";
        } catch (const win32::PictureError& e) {
            EXPECT_EQ(e.what(), "ファイル " + std::string(name) + " は開けません" + reason);
        }
    }
}
