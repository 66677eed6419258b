// Handing a file or folder to the shell: opening it with the "OPEN" verb, as
// the dialog's "PDFを起動" and a double click on a folder label do, and
// showing a file in its folder. Tests put their own functions in place of
// the shell.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace pim {

// path: the platform's file-name encoding; it is passed in double quotes.
// When the shell cannot open it (no program registered for PDF, a file that
// has gone), Exception says so with the path and the system's reason.
void ShellOpen(HWND owner, const std::string& path);
extern std::function<void(HWND owner, const std::u16string& quotedPath)> ShellOpenHook;

// Opens the folder holding the file in the shell's file browser, the file
// selected; where the shell cannot select it, the folder alone is opened.
void ShellShowInFolder(HWND owner, const std::string& path);
extern std::function<void(HWND owner, const std::u16string& path)> ShellShowInFolderHook;

}  // namespace pim
