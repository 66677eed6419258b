#include "tests/support/TestTools.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

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

// The next number of a PNM header at `at`, after white space and comments;
// -1 when there is none.
int HeaderNumber(std::string_view bytes, std::size_t& at) {
    while (at < bytes.size() && (std::isspace(static_cast<unsigned char>(bytes[at])) || bytes[at] == '#')) {
        if (bytes[at] == '#')
            while (at < bytes.size() && bytes[at] != '\n') ++at;
        else
            ++at;
    }
    if (at == bytes.size() || !std::isdigit(static_cast<unsigned char>(bytes[at]))) return -1;
    int value = 0;
    while (at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[at])) && value < 100000)
        value = value * 10 + (bytes[at++] - '0');
    return value;
}

}  // namespace

std::filesystem::path FsPath(std::string_view utf8) { return std::u8string(utf8.begin(), utf8.end()); }

std::string OutputPath(std::string_view fileName) {
    std::string path = PIM_TEST_OUTPUT;
    path += '/';
    path += fileName;
    return path;
}

std::string ShellPath(std::string path) {
#ifdef _WIN32
    if (!path.empty() && path.front() == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
#endif
    return path;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(FsPath(path), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::uint8_t> ReadFileBuffer(const std::string& path) {
    const std::string bytes = ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

void WriteFileBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(FsPath(path), std::ios::binary | std::ios::trunc);
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

void Shell(const std::string& command) {
    const TCommandResult result = RunCommand(command);
    if (result.status != 0) throw std::runtime_error("command failed: " + command + "\n" + result.output);
}

std::uint8_t TImage::Sample(int x, int y, int channel) const {
    return pixels[(static_cast<std::size_t>(y) * width + x) * channels + channel];
}

unsigned TImage::Rgb(int x, int y) const {
    if (channels == 1) return Sample(x, y) * 0x010101u;
    return (Sample(x, y, 0) << 16) | (Sample(x, y, 1) << 8) | Sample(x, y, 2);
}

TImage ParsePnm(std::string_view bytes) {
    if (bytes.size() < 2 || bytes[0] != 'P' || (bytes[1] != '5' && bytes[1] != '6')) return {};
    TImage image;
    image.channels = bytes[1] == '5' ? 1 : 3;
    std::size_t at = 2;
    image.width = HeaderNumber(bytes, at);
    image.height = HeaderNumber(bytes, at);
    const int maxValue = HeaderNumber(bytes, at);
    if (image.width <= 0 || image.height <= 0 || maxValue != 255 || at == bytes.size()) return {};
    ++at;  // the single white-space byte before the samples
    const std::size_t size = static_cast<std::size_t>(image.width) * image.height * image.channels;
    if (bytes.size() - at < size) return {};
    image.pixels.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                        bytes.begin() + static_cast<std::ptrdiff_t>(at + size));
    return image;
}

TImage ReadPnm(const std::string& path) { return ParsePnm(ReadFileBytes(path)); }

}  // namespace pim::test
