// The few operating-system services the run needs. File names, paths and
// arguments are UTF-8 on every platform (the platform's file-name encoding:
// Windows converts them to UTF-16 at each call that touches a file); the
// program's own texts, document properties and text files are code page 932.
// Implemented per platform (platform/posix, platform/win32).
#pragma once

#include <string>
#include <string_view>

namespace pim {

// Platform text (file names, arguments) to code page 932 and back; a
// character the code page cannot hold becomes "?".
std::string NativeToAnsi(std::string_view text);
std::string AnsiToNative(std::string_view text);

// A file name or path in the platform's encoding to UTF-16 and back,
// losslessly: the window shows and takes paths this way, so a name the
// ANSI code page cannot hold still reads correctly.
std::u16string NativeToUtf16(std::string_view text);
std::string Utf16ToNative(std::u16string_view text);

// The folder for scratch files, in the platform's file-name encoding;
// empty when there is none.
std::string TemporaryFolder();

}  // namespace pim
