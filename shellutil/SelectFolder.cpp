#include "shellutil/SelectFolder.h"

#include <vector>

#include "base/CodePage.h"
#include "ui/Application.h"
#include "ui/Form.h"

namespace pim {

namespace {

constexpr int kCsidl[] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B,
                          0x0D, 0x0E, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19,
                          0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25,
                          0x26, 0x27, 0x28, 0x2B, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x35, 0x36, 0x37};
constexpr wchar_t kBrowserProperty[] = L"Pim.TSelectFolderDialog";

TPidl SpecialFolderList(TSpecialFolder folder) {
    if (folder == TSpecialFolder::sfNone) return {};
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CsidlOf(folder), &list))) return {};
    return TPidl(list);
}

// The program's other top-level windows are disabled while the browser is
// open, and given back afterwards, also when the browser fails.
class TDisabledWindows {
public:
    TDisabledWindows() : active_(GetActiveWindow()), focus_(GetFocus()) {
        EnumThreadWindows(GetCurrentThreadId(), &Disable, reinterpret_cast<LPARAM>(&windows_));
    }
    ~TDisabledWindows() {
        for (HWND w : windows_) EnableWindow(w, TRUE);
        if (active_ && IsWindow(active_)) SetActiveWindow(active_);
        if (focus_ && IsWindow(focus_)) SetFocus(focus_);
    }
    TDisabledWindows(const TDisabledWindows&) = delete;
    TDisabledWindows& operator=(const TDisabledWindows&) = delete;

private:
    static BOOL CALLBACK Disable(HWND window, LPARAM list) {
        if (IsWindowVisible(window) && IsWindowEnabled(window)) {
            EnableWindow(window, FALSE);
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        }
        return TRUE;
    }
    HWND active_, focus_;
    std::vector<HWND> windows_;
};

std::u16string Wide(const std::string& cp932) { return ui::Widen(cp932); }

}  // namespace

int CsidlOf(TSpecialFolder folder) { return kCsidl[static_cast<int>(folder)]; }

TSelectFolderDialog::TSelectFolderDialog() { SetRootSpecialFolder(TSpecialFolder::sfDesktop); }

TSelectFolderDialog::~TSelectFolderDialog() = default;

void TSelectFolderDialog::SetRootSpecialFolder(TSpecialFolder folder) {
    rootFolder_ = folder;
    root_ = SpecialFolderList(folder);
}

void TSelectFolderDialog::SetSelectSpecialFolder(TSpecialFolder folder) {
    selected_ = SpecialFolderList(folder);
    if (browser_ && selected_) SendMessageW(browser_, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(selected_.Get()));
}

void TSelectFolderDialog::SetSelectedPath(const std::string& path) {
    const std::u16string wide = Utf8ToUtf16(path);
    if (LPITEMIDLIST list = ILCreateFromPathW(ui::W(wide))) selected_ = TPidl(list);
}

TSpecialFolder TSelectFolderDialog::SelectSpecialFolder() const {
    if (!selected_) return TSpecialFolder::sfNone;
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop))) return TSpecialFolder::sfNone;
    TSpecialFolder found = TSpecialFolder::sfNone;
    for (int i = 0; i < static_cast<int>(TSpecialFolder::sfNone); ++i) {
        const TPidl special = SpecialFolderList(static_cast<TSpecialFolder>(i));
        if (special && HRESULT_CODE(desktop->CompareIDs(0, special.Get(), selected_.Get())) == 0)
            found = static_cast<TSpecialFolder>(i);
    }
    desktop->Release();
    return found;
}

void TSelectFolderDialog::SetStatusText(const std::string& text) {
    statusText_ = text;
    if (browser_) SendMessageW(browser_, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(ui::W(Wide(text))));
}

void TSelectFolderDialog::SetCaption(const std::string& text) {
    caption_ = text;
    if (browser_ && !text.empty()) SetWindowTextW(browser_, ui::W(Wide(text)));
}

void TSelectFolderDialog::SetOKButtonCaption(const std::string& text) {
    okCaption_ = text;
    if (browser_ && !text.empty()) SetDlgItemTextW(browser_, IDOK, ui::W(Wide(text)));
}

std::string TSelectFolderDialog::SelectedPath() const {
    wchar_t path[MAX_PATH] = {};
    if (!selected_ || !SHGetPathFromIDListW(selected_.Get(), path)) return {};
    return Utf16ToUtf8(reinterpret_cast<const char16_t*>(path));
}

bool TSelectFolderDialog::Execute(HWND owner) {
    if (!owner && ui::Application().MainForm()) owner = ui::Application().MainForm()->Handle();
    wchar_t displayName[MAX_PATH + 1] = {};
    const std::u16string title = Wide(Title);
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pidlRoot = root_.Get();
    info.pszDisplayName = displayName;
    info.lpszTitle = ui::W(title);
    info.ulFlags = Options;
    info.lpfn = &Callback;
    info.lParam = reinterpret_cast<LPARAM>(this);
    // The browser moves the selection as the user browses; a cancel puts the
    // former one back.
    const TPidl former = selected_;
    LPITEMIDLIST chosen = nullptr;
    {
        const TDisabledWindows disabled;
        chosen = SHBrowseForFolderW(&info);
    }
    if (!chosen) {
        selected_ = former;
        return false;
    }
    selected_ = TPidl(chosen);
    displayName_ = ui::Narrow(reinterpret_cast<const char16_t*>(displayName));
    image_ = info.iImage;
    return true;
}

int CALLBACK TSelectFolderDialog::Callback(HWND window, UINT message, LPARAM lParam, LPARAM data) {
    auto* self = reinterpret_cast<TSelectFolderDialog*>(data);
    try {
        switch (message) {
            case BFFM_INITIALIZED:
                self->Initialised(window);
                return 0;
            case BFFM_SELCHANGED:
                if (self->browser_) {
                    self->selected_ = TPidl(ILClone(reinterpret_cast<LPCITEMIDLIST>(lParam)));
                    if (self->OnFolderChange) self->OnFolderChange();
                }
                return 0;
            case BFFM_VALIDATEFAILEDW: {
                bool canClose = true;
                if (self->OnValidateFailed)
                    self->OnValidateFailed(Utf16ToUtf8(reinterpret_cast<const char16_t*>(lParam)), canClose);
                return canClose ? 0 : 1;
            }
            default:
                return 0;
        }
    } catch (...) {
        ui::Application().HandleException();
        return 0;
    }
}

void TSelectFolderDialog::Initialised(HWND window) {
    browser_ = window;
    SetPropW(window, kBrowserProperty, this);
    browserProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BrowserProc)));
    if (selected_) SendMessageW(window, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(selected_.Get()));
    if (Options & bifStatusText) SetStatusText(statusText_);
    SetCaption(caption_);
    SetOKButtonCaption(okCaption_);
    if (OnShow) OnShow();
}

LRESULT CALLBACK TSelectFolderDialog::BrowserProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<TSelectFolderDialog*>(GetPropW(window, kBrowserProperty));
    try {
        return self->BrowserMessage(message, wParam, lParam);
    } catch (...) {
        ui::Application().HandleException();
        return 0;
    }
}

LRESULT TSelectFolderDialog::BrowserMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND window = browser_;
    const WNDPROC own = browserProc_;
    switch (message) {
        case WM_COMMAND:
            if (wParam == IDOK && OnCanClose) {
                bool canClose = true;
                OnCanClose(canClose);
                if (!canClose) return 0;
            }
            break;
        case WM_DESTROY: {
            const LRESULT result = CallWindowProcW(own, window, message, wParam, lParam);
            if (OnClose) OnClose();
            return result;
        }
        case WM_NCDESTROY:
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
            RemovePropW(window, kBrowserProperty);
            browser_ = nullptr;
            return CallWindowProcW(own, window, message, wParam, lParam);
        default:
            break;
    }
    return CallWindowProcW(own, window, message, wParam, lParam);
}

}  // namespace pim
