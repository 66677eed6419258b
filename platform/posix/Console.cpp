#include "cli/Console.h"

#include <iconv.h>
#include <langinfo.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/CodePage.h"

extern char** environ;

namespace pim {

namespace {

std::atomic<bool> stopRequested{false};
std::atomic<int> endSignal{0};  // SIGTERM or SIGHUP once received
// The terminal's character set when it is neither UTF-8 nor plain ASCII.
std::string terminalCodeset;

void OnInterrupt(int) { stopRequested.store(true); }
void OnEnd(int signal) {
    endSignal.store(signal);
    stopRequested.store(true);
}

int Descriptor(TConsoleStream stream) { return stream == TConsoleStream::csOut ? STDOUT_FILENO : STDERR_FILENO; }
std::FILE* File(TConsoleStream stream) { return stream == TConsoleStream::csOut ? stdout : stderr; }

// UTF-8 text in the terminal's own character set; characters it lacks
// become "?".
std::string FromUtf8(std::string_view text) {
    if (terminalCodeset.empty()) return std::string(text);
    iconv_t cd = iconv_open((terminalCodeset + "//TRANSLIT").c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text);
    std::string out;
    char buffer[256];
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    while (inLeft > 0) {
        char* at = buffer;
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(cd, &in, &inLeft, &at, &outLeft);
        out.append(buffer, static_cast<size_t>(at - buffer));
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            out += '?';
            ++in;
            --inLeft;
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

void InitConsole() {
    std::setlocale(LC_ALL, "");
    const std::string codeset = nl_langinfo(CODESET);
    // UTF-8 terminals, and the plain C locale, where UTF-8 is the best guess.
    if (codeset != "UTF-8" && codeset != "utf8" && codeset != "ANSI_X3.4-1968") terminalCodeset = codeset;
    std::setlocale(LC_NUMERIC, "C");
}

bool IsTerminal(TConsoleStream stream) { return isatty(Descriptor(stream)) == 1; }

void WriteAnsi(TConsoleStream stream, std::string_view text) { WriteNative(stream, AnsiToUtf8(text)); }

void WriteNative(TConsoleStream stream, std::string_view text) {
    const std::string bytes = FromUtf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), File(stream));
    std::fflush(File(stream));
}

void WriteUtf8(TConsoleStream stream, std::string_view text) { WriteNative(stream, text); }

void InstallStopHandler() {
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    action.sa_handler = OnInterrupt;
    sigaction(SIGINT, &action, nullptr);
    action.sa_handler = OnEnd;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    action.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &action, nullptr);
}

bool StopRequested() { return stopRequested.load(); }
bool EndRequested() { return endSignal.load() != 0; }
int StoppedExitCode() { return endSignal.load() != 0 ? 128 + endSignal.load() : 130; }
void RunEnded() {}

std::vector<std::string> NativeArguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

bool IsExistingFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool IsExistingFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void OpenWithViewer(const std::string& path) {
    std::string program = "xdg-open";
    char* argv[] = {program.data(), const_cast<char*>(path.c_str()), nullptr};
    pid_t pid;
    posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ);
}

}  // namespace pim
