#include "tests/support/PdfCheck.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace pim::test {

namespace {

struct CommandResult {
    int status = -1;
    std::string output;  // stdout and stderr together
};

[[maybe_unused]] std::string Quoted(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

#ifndef _WIN32
CommandResult Run(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    result.status = pclose(pipe);
    return result;
}
#endif

}  // namespace

::testing::AssertionResult IsValidPdf(const std::string& path) {
#ifdef _WIN32
    (void)path;
    return ::testing::AssertionSuccess() << "not checked on Windows";
#else
    if (!std::filesystem::exists(path)) return ::testing::AssertionFailure() << path << " does not exist";
    CommandResult qpdf = Run("qpdf --check " + Quoted(path));
    if (qpdf.status != 0)
        return ::testing::AssertionFailure() << "qpdf --check " << path << " failed:\n" << qpdf.output;

    // Render every page at a low resolution into a scratch folder.
    std::filesystem::path folder = std::filesystem::path(path).string() + ".render";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    CommandResult render =
        Run("pdftoppm -r 8 -png " + Quoted(path) + " " + Quoted((folder / "page").string()));
    bool rendered = !std::filesystem::is_empty(folder);
    std::filesystem::remove_all(folder);
    if (render.status != 0 || !render.output.empty() || !rendered)
        return ::testing::AssertionFailure()
               << "pdftoppm " << path << " (status " << render.status << "):\n" << render.output;
    return ::testing::AssertionSuccess();
#endif
}

std::string OutputPath(std::string_view fileName) {
    return (std::filesystem::path(PIM_TEST_OUTPUT) / std::string(fileName)).string();
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFileBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace pim::test
