// What a save flushes to disk, and when: a file takes the old one's place
// (or a copy appears beside it) only once its bytes are flushed, and a copy
// of the old content goes only once the new content written in place is
// flushed. A crash of the machine then never leaves half a file.
#include "SaveProbes.h"
#include "TempFiles.h"
#include "system/FileSave.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace hakomaru {
namespace {

bool flushedBefore(const std::vector<test::SystemCall>& calls, std::size_t at, ino_t file) {
    return std::any_of(calls.begin(), calls.begin() + static_cast<std::ptrdiff_t>(at),
                       [&](const test::SystemCall& c) { return c.name == "flush" && c.file == file; });
}

TEST(SaveFlush, BytesAreOnDiskBeforeTheyTakeTheFilesPlace) {
    struct Case {
        const char* name;
        bool exists;
        bool linked; // written in place
    };
    for (const Case& c : {Case{"made new", false, false}, Case{"replaced", true, false},
                          Case{"written in place", true, true}}) {
        test::TempDir dir;
        const auto path = dir / "hakomaru.ini";
        if (c.exists)
            test::writeBytes(path, "old\r\n");
        if (c.linked)
            std::filesystem::create_hard_link(path, dir / "other.ini");
        struct stat target {};
        std::vector<test::SystemCall> calls;
        {
            const test::CallLog log;
            saveFileBytes(path, "new\r\n");
            calls = log.calls();
        }
        ASSERT_EQ(::stat(path.c_str(), &target), 0);
        EXPECT_EQ(test::readBytes(path), "new\r\n") << c.name;
        std::size_t renames = 0;
        for (std::size_t i = 0; i < calls.size(); ++i) {
            if (calls[i].name == "rename") {
                ++renames;
                EXPECT_TRUE(flushedBefore(calls, i, calls[i].file)) << c.name << ": call " << i;
            }
            // The copy goes once the new content is flushed.
            if (c.linked && calls[i].name == "unlink") {
                EXPECT_TRUE(flushedBefore(calls, i, target.st_ino)) << c.name << ": call " << i;
            }
        }
        EXPECT_EQ(renames, 1u) << c.name; // the new file, or the copy
    }
}

} // namespace
} // namespace hakomaru
