// The shell's folder browser: Execute shows it, SelectedPath is the folder
// chosen, in the platform's file-name encoding. Only file-system folders
// can be chosen; the root is the desktop.
#pragma once

#include <windows.h>

#include <string>

namespace pim {

class TSelectFolderDialog {
public:
    // True when the user chose a folder; a browser that cannot open counts
    // as a cancel.
    bool Execute(HWND owner);
    const std::string& SelectedPath() const { return selectedPath_; }

private:
    std::string selectedPath_;
};

}  // namespace pim
