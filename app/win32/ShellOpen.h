// Opening a file or folder with the shell's "OPEN" verb, as the dialog's
// "PDFを起動" and a double click on a folder label do. Tests put their own
// function in place of the shell.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace pim {

// path: the platform's file-name encoding; it is passed in double quotes.
void ShellOpen(HWND owner, const std::string& path);
extern std::function<void(HWND owner, const std::u16string& quotedPath)> ShellOpenHook;

}  // namespace pim
