#pragma once
// A private scratch folder per test and whole-file helpers.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace hakomaru::test {

class TempDir {
  public:
    TempDir() {
        // A new folder under a random name: creating it fails when the name
        // is taken, so no two tests ever share one.
        static std::mt19937 names{std::random_device{}()};
        for (int attempt = 0; attempt < 100; ++attempt) {
            path_ =
                std::filesystem::temp_directory_path() / ("hakomaru-" + std::to_string(names()));
            if (std::filesystem::create_directory(path_))
                return;
        }
        throw std::runtime_error("no scratch folder could be made");
    }
    ~TempDir() {
        std::error_code ec;
        // Give back write permission a test may have taken away.
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // The names in the folder, sorted.
    std::vector<std::string> names() const {
        std::vector<std::string> result;
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            result.push_back(entry.path().filename().string());
        std::sort(result.begin(), result.end());
        return result;
    }

  private:
    std::filesystem::path path_;
};

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    ASSERT_TRUE(out.good()) << path;
}

inline std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace hakomaru::test
