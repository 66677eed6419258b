// Folders of files for the folder-model tests, made with std::filesystem so
// the native and the Windows suites build the same fixture. Names are given
// in UTF-8.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "base/CodePage.h"

namespace pim::test {

inline std::filesystem::path U8Path(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// The tests' output folder as this platform names it (under Wine the Unix
// root is drive Z:).
inline std::filesystem::path TestOutputDir() {
    std::string dir = PIM_TEST_OUTPUT;
#ifdef _WIN32
    if (!dir.empty() && dir.front() == '/') dir = "Z:" + dir;
    for (char& c : dir)
        if (c == '/') c = '\\';
#endif
    return std::filesystem::path(dir);
}

// A UTF-8 name or a path in the program's file-name encoding, the form the
// folder model hands out (UTF-8 on both sides).
inline std::string NativeName(std::string_view utf8) { return std::string(utf8); }

inline std::string NativePath(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

class TFolderFixture {
public:
    // A fresh, empty folder named `name` below `base`.
    TFolderFixture(const std::filesystem::path& base, std::string_view name) : root_(base / U8Path(name)) {
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_);
    }
    ~TFolderFixture() {
        // Entering a folder makes it the current directory, which Windows
        // will not delete.
        std::error_code ec;
        std::filesystem::current_path(root_.parent_path(), ec);
        std::filesystem::remove_all(root_, ec);
    }

    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path PathOf(std::string_view utf8) const { return root_ / U8Path(utf8); }

    // A file of `size` bytes, last written `age` ago.
    void File(std::string_view utf8, std::uintmax_t size = 0,
              std::chrono::seconds age = std::chrono::seconds(3600)) const {
        const auto path = PathOf(utf8);
        {
            std::ofstream out(path, std::ios::binary);
            const std::string block(4096, 'x');
            for (std::uintmax_t left = size; left > 0;) {
                const auto n = static_cast<std::streamsize>(left < block.size() ? left : block.size());
                out.write(block.data(), n);
                left -= static_cast<std::uintmax_t>(n);
            }
        }
        std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - age);
    }

    void Folder(std::string_view utf8) const { std::filesystem::create_directories(PathOf(utf8)); }

private:
    std::filesystem::path root_;
};

}  // namespace pim::test
