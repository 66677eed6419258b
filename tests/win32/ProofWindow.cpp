#include "ProofWindow.h"

#include <commctrl.h>

#include <cstring>
#include <fstream>
#include <stdexcept>

namespace pim::test {

const std::string kRowTexts[3] = {Ansi("画像1.jpg"), Ansi("画像2.bmp"), Ansi("文書3.txt")};

namespace {

constexpr const char* kClassName = "PimProofWindow";
constexpr int kClientWidth = 320;
constexpr int kClientHeight = 160;
constexpr int kButtonId = 1;
constexpr int kListId = 2;

void Check(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(std::string(what) + " failed, error " + std::to_string(GetLastError()));
}

void RegisterWindowClass(WNDPROC proc) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    Check(RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS, "RegisterClassA");
}

}  // namespace

COLORREF Capture::Pixel(int x, int y) const {
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    const unsigned char* p = bgr.data() + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 3;
    return RGB(p[2], p[1], p[0]);
}

ProofWindow::ProofWindow() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
    Check(InitCommonControlsEx(&icc), "InitCommonControlsEx");
    RegisterWindowClass(WindowProc);

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRect(&frame, style, FALSE);
    window_ = CreateWindowExA(0, kClassName, Ansi("Pim-ピム- test").c_str(), style, 40, 40, frame.right - frame.left,
                              frame.bottom - frame.top, nullptr, nullptr, GetModuleHandleA(nullptr), this);
    Check(window_ != nullptr, "CreateWindowExA (window)");

    font_ = CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kPGothicFace.c_str());
    Check(font_ != nullptr, "CreateFontA");

    // Owner-data list: it holds no texts of its own and asks for each row.
    list_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                            WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 8, 8, 304, 100,
                            window_, reinterpret_cast<HMENU>(kListId), GetModuleHandleA(nullptr), nullptr);
    Check(list_ != nullptr, "CreateWindowExA (list view)");
    SendMessageA(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 280;
    std::string caption = Ansi("ファイル");
    column.pszText = caption.data();
    Check(SendMessageA(list_, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column)) == 0, "LVM_INSERTCOLUMNA");
    ListView_SetItemCountEx(list_, 3, 0);

    button_ = CreateWindowExA(0, WC_BUTTONA, kButtonCaption.c_str(), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 8, 120, 100,
                              30, window_, reinterpret_cast<HMENU>(kButtonId), GetModuleHandleA(nullptr), nullptr);
    Check(button_ != nullptr, "CreateWindowExA (button)");
    SendMessageA(button_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);

    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    PumpPending();
}

ProofWindow::~ProofWindow() {
    if (window_) DestroyWindow(window_);
    PumpPending();
    if (font_) DeleteObject(font_);
}

void ProofWindow::PumpPending() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

LRESULT CALLBACK ProofWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<ProofWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    switch (msg) {
        case WM_NOTIFY:
            if (self) return self->OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
            break;
        case kUserMessage:
            if (self) self->received_.push_back({wParam, lParam});
            return 0;
        case WM_NCDESTROY:
            if (self) self->window_ = nullptr;
            break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT ProofWindow::OnNotify(const NMHDR& header) {
    if (header.idFrom == kListId && header.code == LVN_GETDISPINFOA) {
        auto& item = const_cast<LVITEMA&>(reinterpret_cast<const NMLVDISPINFOA&>(header).item);
        if (item.iItem >= 0 && item.iItem < 3) {
            rowsAsked_.push_back(item.iItem);
            if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
                lstrcpynA(item.pszText, kRowTexts[item.iItem].c_str(), item.cchTextMax);
        }
    }
    return 0;
}

Capture ProofWindow::CaptureWindow() const { return pim::test::CaptureWindow(window_); }

Capture CaptureWindow(HWND window_) {
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT frame;
    GetWindowRect(window_, &frame);
    Capture capture;
    capture.width = frame.right - frame.left;
    capture.height = frame.bottom - frame.top;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC windowDc = GetWindowDC(window_);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    HBITMAP dib = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    Check(dib != nullptr, "CreateDIBSection");
    HGDIOBJ old = SelectObject(memoryDc, dib);
    const BOOL copied = BitBlt(memoryDc, 0, 0, capture.width, capture.height, windowDc, 0, 0, SRCCOPY);
    GdiFlush();
    const std::size_t stride = (static_cast<std::size_t>(capture.width) * 3 + 3) & ~std::size_t{3};
    const auto* first = static_cast<const unsigned char*>(bits);
    capture.bgr.assign(first, first + stride * static_cast<std::size_t>(capture.height));
    SelectObject(memoryDc, old);
    DeleteObject(dib);
    DeleteDC(memoryDc);
    ReleaseDC(window_, windowDc);
    Check(copied, "BitBlt");
    return capture;
}

void WriteBmp(const Capture& capture, const std::string& path) {
    const std::size_t stride = (static_cast<std::size_t>(capture.width) * 3 + 3) & ~std::size_t{3};
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = static_cast<DWORD>(file.bfOffBits + capture.bgr.size());
    info.biSize = sizeof(info);
    info.biWidth = capture.width;
    info.biHeight = capture.height;  // bottom-up, the form every reader takes
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(capture.bgr.size());

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot create " + path);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&info), sizeof(info));
    for (int y = capture.height - 1; y >= 0; --y)
        out.write(reinterpret_cast<const char*>(capture.bgr.data() + static_cast<std::size_t>(y) * stride),
                  static_cast<std::streamsize>(stride));
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

std::string OutputPath(const std::string& name) {
    std::string dir = PIM_TEST_OUTPUT;
    if (!dir.empty() && dir.front() == '/') dir = "Z:" + dir;  // Wine maps Z: to the Unix root
    for (char& c : dir)
        if (c == '/') c = '\\';
    return dir + "\\" + name;
}

namespace {

MenuSeen* gMenu = nullptr;

void CALLBACK ReadOpenMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND window = FindWindowW(L"#32768", nullptr);
    if (!gMenu || !window || !IsWindowVisible(window)) return;
    KillTimer(nullptr, timer);
    auto menu = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[256] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_STATE;
        info.dwTypeData = text;
        info.cch = sizeof text;
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        gMenu->entries.push_back(info.fType & MFT_SEPARATOR ? "-" : text);
        gMenu->grayed.push_back((info.fState & MFS_GRAYED) != 0);
    }
    gMenu->defaultPos = static_cast<int>(GetMenuDefaultItem(menu, TRUE, 0));
    GetWindowRect(window, &gMenu->place);
    if (!gMenu->screenshot.empty()) WriteBmp(CaptureWindow(GetDesktopWindow()), OutputPath(gMenu->screenshot));
    for (WPARAM key : gMenu->keys) PostMessageW(window, WM_KEYDOWN, key, 0);
    if (gMenu->mnemonic) PostMessageW(window, WM_CHAR, static_cast<WPARAM>(gMenu->mnemonic), 0);
}

}  // namespace

void WithOpenMenu(MenuSeen& seen, const std::function<void()>& open) {
    gMenu = &seen;
    const UINT_PTR timer = SetTimer(nullptr, 0, 200, &ReadOpenMenu);
    open();
    KillTimer(nullptr, timer);
    gMenu = nullptr;
}

}  // namespace pim::test
