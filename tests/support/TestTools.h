// Small helpers every test folder shares: exception messages, the output
// folder, whole files as bytes, shell commands, and the PNM pictures pdftoppm
// and ImageMagick write.
// The command-line tools (qpdf, poppler, ImageMagick, libjpeg's cjpeg and
// djpeg) exist only in the Linux build: under Wine a command never runs.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/SysUtils.h"

// Skips the test where the command-line tools are missing (the Windows build).
#ifdef _WIN32
#define PIM_NEEDS_TOOLS() GTEST_SKIP() << "needs the Linux command-line tools"
#else
#define PIM_NEEDS_TOOLS() (void)0
#endif

namespace pim::test {

// The message of the E that the call raises; another exception passes through.
template <class E = Exception, class F>
std::string MessageOf(F&& call) {
    try {
        call();
    } catch (const E& e) {
        return e.what();
    }
    return "(no exception)";
}

// A path for std::filesystem and the file streams from the program's form of
// a file name (UTF-8 everywhere; a plain string would be taken in the ANSI
// code page on Windows).
std::filesystem::path FsPath(std::string_view utf8);

// A path in the tests' output folder.
std::string OutputPath(std::string_view fileName);
// A path as the platform's shell names it: under Wine the Unix root is
// drive Z:, and the separator is "\\".
std::string ShellPath(std::string path);

std::string ReadFileBytes(const std::string& path);
// The same bytes as unsigned values, for decoders and byte-level edits.
std::vector<std::uint8_t> ReadFileBuffer(const std::string& path);
void WriteFileBytes(const std::string& path, std::string_view bytes);
void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// The text in single quotes for the POSIX shell.
std::string ShellQuote(const std::string& text);

// A shell command's exit status (-1 when it could not be run, always so in
// the Windows build) and what it wrote.
struct TCommandResult {
    int status = -1;
    std::string output;
};
// Runs the command; `output` holds stdout and stderr together.
TCommandResult RunCommand(const std::string& command);
// Runs the command; `output` holds stdout alone (stderr goes to the test's
// own), for commands whose output is data.
TCommandResult RunCommandStdout(const std::string& command);

// Runs the command and throws, with its output, when it fails.
void Shell(const std::string& command);

// A picture as 8-bit samples, rows top-down, no padding: `channels` samples
// a pixel (1 grey, 3 red-green-blue). Empty (0 x 0) when it could not be read.
struct TImage {
    int width = 0;
    int height = 0;
    int channels = 3;
    std::vector<std::uint8_t> pixels;

    std::uint8_t Sample(int x, int y, int channel = 0) const;
    // The pixel as 0xRRGGBB (a grey pixel's value three times).
    unsigned Rgb(int x, int y) const;
};

// A binary PNM picture (P5 grey or P6 colour, maximum value 255).
TImage ParsePnm(std::string_view bytes);
TImage ReadPnm(const std::string& path);

}  // namespace pim::test
