// The few operating-system services the run needs. On Windows the program
// runs in the ANSI code page 932, so file names, arguments and the program's
// own text are the same bytes; on POSIX file names and arguments are UTF-8.
// Implemented per platform (platform/posix, platform/win32).
#pragma once

#include <string>
#include <string_view>

namespace pim {

// Platform text (file names, arguments) to code page 932 and back.
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
