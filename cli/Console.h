// The terminal as the command line uses it: is an output a terminal, which
// encoding does it show, Ctrl-C as a stop request, the files named on the
// command line, and the desktop's PDF viewer. Implemented per platform
// (platform/posix/Console.cpp, platform/win32/Console.cpp).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pim {

enum class TConsoleStream { csOut, csErr };

// Sets the program up for the terminal (locale, console modes); once, first.
void InitConsole();
bool IsTerminal(TConsoleStream stream);
// Writes text of code page 932 (the program's messages), or of the
// platform's own encoding (paths, arguments), in the terminal's encoding.
void WriteAnsi(TConsoleStream stream, std::string_view text);
void WriteNative(TConsoleStream stream, std::string_view text);
// Writes UTF-8 text (the program's help) in the terminal's encoding.
void WriteUtf8(TConsoleStream stream, std::string_view text);

// From now on Ctrl-C (or Ctrl-Break) only sets the stop request, and being
// told to end (SIGTERM or SIGHUP; on Windows the console closing, the user
// logging off, the system shutting down) sets it too and also asks to give
// up a save in progress. The file-size limit (SIGXFSZ) no longer kills the
// program: the write fails instead, as any write error does.
void InstallStopHandler();
bool StopRequested();
// The exit code of a stopped run: 130 after Ctrl-C, 128 + the signal after
// SIGTERM (143) or SIGHUP (129), 143 after the console closed.
int StoppedExitCode();
// True once the program was told to end: a save in progress is given up.
bool EndRequested();
// The run has ended and cleaned up. On Windows a console that is closing
// waits for this before it ends the process; elsewhere it does nothing.
void RunEnded();

// The program's arguments, argv[0] included, in UTF-8 (the file-name
// encoding), whatever the system's code page.
std::vector<std::string> NativeArguments(int argc, char** argv);

// Kinds of an entry named on the command line.
bool IsExistingFile(const std::string& path);
bool IsExistingFolder(const std::string& path);

// Asks the desktop to open the file with its viewer; nothing is reported
// when it cannot.
void OpenWithViewer(const std::string& path);

}  // namespace pim
