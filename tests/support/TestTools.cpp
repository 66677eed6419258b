#include "tests/support/TestTools.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace pim::test {

namespace {

TCommandResult Capture([[maybe_unused]] const std::string& command) {
    TCommandResult result;
#ifndef _WIN32
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    result.status = pclose(pipe);
#endif
    return result;
}

}  // namespace

std::string OutputPath(std::string_view fileName) {
    return (std::filesystem::path(PIM_TEST_OUTPUT) / std::string(fileName)).string();
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::uint8_t> ReadFileBuffer(const std::string& path) {
    const std::string bytes = ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

void WriteFileBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    WriteFileBytes(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string ShellQuote(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

TCommandResult RunCommand(const std::string& command) { return Capture(command + " 2>&1"); }

TCommandResult RunCommandStdout(const std::string& command) { return Capture(command); }

}  // namespace pim::test
