#include "imagelist/win32/ShellWatch.h"

#include "base/CodePage.h"

namespace pim {

namespace {
int nextSerial = 1;
}

std::unique_ptr<TShellWatcher> TShellWatcher::Start(const std::string& path, unsigned filter, HWND window,
                                                    UINT message) {
    const std::u16string wide = Utf8ToUtf16(path);
    HANDLE change = FindFirstChangeNotificationW(reinterpret_cast<const wchar_t*>(wide.c_str()), FALSE, filter);
    if (change == INVALID_HANDLE_VALUE) return nullptr;  // not watched, silently
    std::unique_ptr<TShellWatcher> watcher(new TShellWatcher(change, window, message));
    watcher->thread_.reset(CreateThread(nullptr, 0, &Run, watcher.get(), 0, nullptr));
    if (!watcher->thread_) return nullptr;
    return watcher;
}

TShellWatcher::TShellWatcher(HANDLE change, HWND window, UINT message)
    : change_(change),
      stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      window_(window),
      message_(message),
      serial_(nextSerial++) {}

// The thread has ended before the handles it waits on are closed.
TShellWatcher::~TShellWatcher() {
    SetEvent(stop_.get());
    if (thread_) WaitForSingleObject(thread_.get(), INFINITE);
    FindCloseChangeNotification(change_);
}

// The change reaches the GUI thread as a posted message rather than a call
// that waits for it: the GUI thread may itself be waiting for this thread to
// stop, and neither would then go on.
DWORD WINAPI TShellWatcher::Run(void* self) {
    auto& w = *static_cast<TShellWatcher*>(self);
    const HANDLE handles[2] = {w.change_, w.stop_.get()};
    for (;;) {
        const DWORD signalled = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        if (signalled != WAIT_OBJECT_0) return 0;
        PostMessageW(w.window_, w.message_, static_cast<WPARAM>(w.serial_), 0);
        if (!FindNextChangeNotification(w.change_)) return 0;
    }
}

}  // namespace pim
