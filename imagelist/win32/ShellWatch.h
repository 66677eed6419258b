// Watching a folder for changes: a thread waits on the file system's change
// notification for the folder (subfolders not watched) and on a stop event,
// and posts a message to the list's window for every change it sees.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "base/win32/Handles.h"

namespace pim {

class TShellWatcher {
public:
    // Starts watching path (the platform's file-name encoding) with the
    // change filter; posts message (serial, 0) to window on each change.
    // nullptr when the folder cannot be watched.
    static std::unique_ptr<TShellWatcher> Start(const std::string& path, unsigned filter, HWND window, UINT message);
    // Stops the thread and waits for it.
    ~TShellWatcher();
    TShellWatcher(const TShellWatcher&) = delete;
    TShellWatcher& operator=(const TShellWatcher&) = delete;
    // Tells this watcher's messages from those of one stopped before it.
    int Serial() const { return serial_; }

private:
    TShellWatcher(HANDLE change, HWND window, UINT message);
    static DWORD WINAPI Run(void* self);

    HANDLE change_;  // closed by FindCloseChangeNotification, not CloseHandle
    TKernelHandle stop_;
    TKernelHandle thread_;
    HWND window_;
    UINT message_;
    int serial_;
};

}  // namespace pim
