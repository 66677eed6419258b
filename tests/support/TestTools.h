// Small helpers every test folder shares: the output folder, whole files as
// bytes, and shell commands.
// The command-line tools (qpdf, poppler, ImageMagick, libjpeg's cjpeg and
// djpeg) exist only in the Linux build: under Wine a command never runs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pim::test {

// A path in the tests' output folder.
std::string OutputPath(std::string_view fileName);

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

}  // namespace pim::test
