// A small top-level window built the way the program builds its own: ANSI
// API, Shift_JIS captions, the "ＭＳ Ｐゴシック" font, an owner-data list view
// and a button. The Windows tests drive it and photograph it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "base/CodePage.h"

namespace pim::test {

// The texts the window shows, as its ANSI calls take them (code page 932).
inline const std::string kButtonCaption = Ansi("PDF作成");
inline const std::string kPGothicFace = Ansi("ＭＳ Ｐゴシック");
extern const std::string kRowTexts[3];  // "画像1.jpg", "画像2.bmp", "文書3.txt"

constexpr UINT kUserMessage = 1025;  // WM_USER + 1, what the thumbnail worker posts

struct PostedMessage {
    WPARAM wParam;
    LPARAM lParam;
};

// 24-bit pixels, rows top to bottom, each row padded to 4 bytes (BMP layout).
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> bgr;
    COLORREF Pixel(int x, int y) const;
};

class ProofWindow {
public:
    ProofWindow();  // shown and painted when the constructor returns
    ~ProofWindow();
    ProofWindow(const ProofWindow&) = delete;
    ProofWindow& operator=(const ProofWindow&) = delete;

    HWND Handle() const { return window_; }
    HWND List() const { return list_; }
    HWND Button() const { return button_; }
    HFONT Font() const { return font_; }

    // Messages 1025 received so far, and the rows the list asked texts for.
    const std::vector<PostedMessage>& Received() const { return received_; }
    const std::vector<int>& RowsAsked() const { return rowsAsked_; }

    // Dispatches messages until `done` holds or `timeoutMs` passes.
    template <class Pred>
    bool PumpUntil(Pred done, DWORD timeoutMs = 5000);
    void PumpPending();

    // The whole window as drawn: frame, caption and children.
    Capture CaptureWindow() const;

private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnNotify(const NMHDR& header);

    HWND window_ = nullptr;
    HWND list_ = nullptr;
    HWND button_ = nullptr;
    HFONT font_ = nullptr;
    std::vector<PostedMessage> received_;
    std::vector<int> rowsAsked_;
};

// Any window as drawn, frame included.
Capture CaptureWindow(HWND window);

// Writes a capture as a bottom-up 24-bit BMP.
void WriteBmp(const Capture& capture, const std::string& path);

// A file in the tests' output folder, as a path Windows can open (the
// folder is a Unix path when the tests run under Wine).
std::string OutputPath(const std::string& name);

// What an open popup menu held, read from inside its modal loop, and what
// was then pressed in it (which closes it).
struct MenuSeen {
    std::vector<std::string> entries;  // captions ("-" for a separator)
    std::vector<bool> grayed;          // entry by entry
    int defaultPos = -1;
    RECT place{};              // on the screen
    std::vector<WPARAM> keys;  // pressed in the menu
    char mnemonic = 0;         // or typed
    std::string screenshot;    // the screen while the menu is open, into this file of the output
};

// Runs `open`, which opens a popup menu on this thread and returns when it
// closes, and fills `seen` while the menu is open.
void WithOpenMenu(MenuSeen& seen, const std::function<void()>& open);

template <class Pred>
bool ProofWindow::PumpUntil(Pred done, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        PumpPending();
    }
    return true;
}

}  // namespace pim::test
