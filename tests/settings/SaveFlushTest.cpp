// What a save flushes to disk, and when: a file takes the old one's place
// (or a copy appears beside it) only once its bytes are flushed, and the
// copy of the old content beside a file written in place goes only once the
// new content is flushed. A crash of the machine then never leaves half a
// file.
#include "SaveProbes.h"
#include "TempFiles.h"
#include "system/FileSave.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace hakomaru {
namespace {

TEST(SaveFlush, BytesAreOnDiskBeforeTheyTakeTheFilesPlace) {
    for (const int kind : {0, 1, 2}) { // made new, replaced, written in place
        test::TempDir dir;
        const auto path = dir / "hakomaru.ini";
        if (kind > 0)
            test::writeBytes(path, "old\r\n");
        if (kind == 2)
            std::filesystem::create_hard_link(path, dir / "other.ini");
        std::vector<test::SystemCall> calls;
        {
            const test::CallLog log;
            saveFileBytes(path, "new\r\n");
            calls = log.calls();
        }
        struct stat target {};
        ASSERT_EQ(::stat(path.c_str(), &target), 0);
        auto flushedBefore = [&](std::size_t at, ino_t file) {
            return std::any_of(calls.begin(), calls.begin() + static_cast<std::ptrdiff_t>(at),
                               [&](const auto& c) { return c.name == "flush" && c.file == file; });
        };
        std::size_t renames = 0; // of the new file, or of the copy
        for (std::size_t i = 0; i < calls.size(); ++i) {
            if (calls[i].name == "rename") {
                ++renames;
                EXPECT_TRUE(flushedBefore(i, calls[i].file)) << kind << ": call " << i;
            } else if (kind == 2 && calls[i].name == "unlink") {
                EXPECT_TRUE(flushedBefore(i, target.st_ino)) << kind << ": call " << i;
            }
        }
        EXPECT_EQ(renames, 1u) << kind;
        EXPECT_EQ(test::readBytes(path), "new\r\n") << kind;
    }
}

} // namespace
} // namespace hakomaru
