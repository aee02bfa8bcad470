#pragma once
// The program file's own version information.
//
// A Linux program file has no version resource, so the build embeds a block
// of its own in the program file: an ELF section named ".hakomaru_version"
// (see VersionBlock.cpp). The block is text: a first line
// "HAKOMARU-VERSIONINFO 1", then one "path=value" line per entry, paths
// written as "\StringFileInfo\041103A4\FileVersion". The reading goes in
// three steps, as with a version resource: ask the size, read the block,
// look one value up.
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace hakomaru {

// The runtime's assertion failure: "Assertion failure (untVersionInfo, %d 行)".
// The message names the version reader "untVersionInfo", as the error box
// has always shown it.
class AssertionFailure : public std::runtime_error {
  public:
    AssertionFailure(const std::string& sourceName, int line);
    int line() const { return line_; }

  private:
    int line_;
};

inline constexpr const char* kVersionSectionName = ".hakomaru_version";
inline constexpr std::string_view kVersionBlockMagic = "HAKOMARU-VERSIONINFO 1";

// The size in bytes of the file's version block; 0 when the file cannot be
// read, is not an ELF file or has no block.
std::uint32_t FileVersionInfoSize(const std::filesystem::path& file);

// Reads the version block into `buffer` (resized to `size`). False when the
// block cannot be read or its size is not `size`.
bool ReadFileVersionInfo(const std::filesystem::path& file, std::uint32_t size,
                         std::vector<char>& buffer);

// Looks up a value such as "\StringFileInfo\041103A4\FileVersion" in a block
// read by ReadFileVersionInfo. Path names match without regard to ASCII case.
bool QueryVersionValue(const std::vector<char>& block, std::string_view path, std::string& value);

// The FileVersion string of block "041103A4" of `programFile`. Throws
// AssertionFailure for line 22 when the block cannot be read and for line 24
// when the value is absent.
std::string ReadFileVersionOf(const std::filesystem::path& programFile);

// The same for the running program's file.
std::string ReadFileVersion();

// The running program's file.
std::filesystem::path RunningProgramFile();

} // namespace hakomaru
