#include "ui/Window.h"

#include <windowsx.h>

#include <exception>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>

#include "base/CodePage.h"
#include "base/ErrorReport.h"
#include "base/SysUtils.h"
#include "base/win32/Handles.h"

namespace pim::ui {

namespace {

// Which object each window belongs to. Not a window property: under Wine
// every GetProp is a round trip to the Wine server, about 75 us, and this
// lookup runs for every message and twice for every notification (a list of
// 10,000 rows asks for each row's name on its first paint: 1.6 s). A window
// is made and served on one thread, so each thread keeps its own table.
thread_local std::unordered_map<HWND, TWindow*> objects;

TWindowHost* host = nullptr;

// No host: the exception's own words go to the error report.
void ReportException() {
    try {
        throw;
    } catch (const std::exception& e) {
        ShowErrorReport(e.what());
    } catch (...) {
        ShowErrorReport("Unknown error");
    }
}

TMouseButton ButtonOf(UINT message) {
    switch (message) {
        case WM_RBUTTONDOWN: return TMouseButton::mbRight;
        case WM_MBUTTONDOWN: return TMouseButton::mbMiddle;
        default: return TMouseButton::mbLeft;
    }
}

}  // namespace

std::u16string Widen(std::string_view cp932) { return AnsiToUtf16(cp932); }
std::string Narrow(std::u16string_view text) { return Utf16ToAnsi(text); }

TWindowHost* TWindow::SetHost(TWindowHost* newHost) { return std::exchange(host, newHost); }

TWindow::~TWindow() {
    if (handle_) DestroyWindow(handle_);
    NotifyHooks(THandleChange::hcFreed);
    hooks_.clear();
}

THookToken TWindow::AddHook(TMessageHook hook) {
    hooks_.push_back(std::make_shared<THookToken::TEntry>(THookToken::TEntry{this, std::move(hook)}));
    return THookToken(hooks_.back());
}

void THookToken::Remove() {
    if (const std::shared_ptr<TEntry> entry = entry_.lock()) {
        std::erase(entry->Window->hooks_, entry);
    }
    entry_.reset();
}

void TWindow::NotifyHooks(THandleChange why) {
    // A copy: a hook may remove itself, or another, while it is told.
    const std::vector<std::weak_ptr<THookToken::TEntry>> hooks(hooks_.rbegin(), hooks_.rend());
    for (const auto& weak : hooks)
        if (const auto entry = weak.lock(); entry && entry->Hook.HandleChanged) entry->Hook.HandleChanged(why);
}

LRESULT TWindow::Perform(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!hooks_.empty()) {
        const std::vector<std::weak_ptr<THookToken::TEntry>> hooks(hooks_.rbegin(), hooks_.rend());
        for (const auto& weak : hooks) {
            const auto entry = weak.lock();
            LRESULT result = 0;
            if (entry && entry->Hook.Message && entry->Hook.Message(message, wParam, lParam, result)) return result;
        }
    }
    return WndProc(message, wParam, lParam);
}

TWindow* TWindow::FromHandle(HWND handle) {
    if (!handle) return nullptr;
    const auto found = objects.find(handle);
    return found == objects.end() ? nullptr : found->second;
}

const wchar_t* TWindow::OwnClass(const wchar_t* name, UINT style, int background) {
    static std::map<std::wstring, bool> registered;
    if (!registered[name]) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = style;
        wc.lpfnWndProc = Procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.hbrBackground = background < 0 ? nullptr : GetSysColorBrush(background);
        wc.lpszClassName = name;
        wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
        // A class another module registered first is as good as ours.
        if (!RegisterClassExW(&wc)) {
            const DWORD error = GetLastError();
            if (error != ERROR_CLASS_ALREADY_EXISTS)
                throw Exception("Error registering window class (system error " + std::to_string(error) + ")");
        }
        registered[name] = true;
    }
    return name;
}

int DpiOf(HWND window) {
    // Windows 10 answers per window; older systems per screen.
    using TGetDpiForWindow = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<TGetDpiForWindow>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow)
        if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
    const int dpi = GetDeviceCaps(TWindowDC(window).get(), LOGPIXELSY);
    return dpi > 0 ? dpi : 96;
}

void TWindow::CreateHandle(const TCreateParams& p) {
    if (!everCreated_) DesignBounds = p.Bounds;
    everCreated_ = true;
    parent_ = p.Parent;
    className_ = p.ClassName;
    style_ = p.Style;
    exStyle_ = p.ExStyle;
    owner_ = p.Owner;
    font_ = p.Parent ? p.Parent->Font() : font_;
    static int nextId = 100;
    const bool child = p.Parent != nullptr;
    DWORD style = p.Style | (p.Visible ? WS_VISIBLE : 0) | (child ? WS_CHILD | WS_CLIPSIBLINGS : 0);
    const std::u16string text = Widen(p.Text);
    const HWND parentHandle = child ? p.Parent->Handle() : p.Owner;
    const auto id = child ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextId++)) : nullptr;
    HWND handle = CreateWindowExW(p.ExStyle, p.ClassName, W(text), style, p.Bounds.Left, p.Bounds.Top, p.Bounds.Width,
                                  p.Bounds.Height, parentHandle, id, GetModuleHandleW(nullptr), this);
    if (!handle) {
        const DWORD error = GetLastError();
        throw Exception("Error creating window of class " + Narrow(reinterpret_cast<const char16_t*>(p.ClassName)) +
                        " (system error " + std::to_string(error) + ")");
    }
    if (!handle_) {
        // A system control: subclass it.
        Attach(handle);
        original_ =
            reinterpret_cast<WNDPROC>(SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure)));
    }
    if (font_) SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    // A control made later lies in front of those made before it.
    if (child) SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    NotifyHooks(THandleChange::hcCreated);
}

void TWindow::Attach(HWND handle) {
    handle_ = handle;
    objects[handle] = this;
}

LRESULT CALLBACK TWindow::Procedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    TWindow* self = FromHandle(handle);
    if (!self && message == WM_NCCREATE) {
        self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self) self->Attach(handle);
    }
    if (!self) return DefWindowProcW(handle, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        const LRESULT result = self->CallDefault(message, wParam, lParam);
        objects.erase(handle);
        if (self->original_) SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->original_));
        self->handle_ = nullptr;
        self->Destroyed();
        return result;
    }
    // An exception must never unwind through Windows' own frames.
    try {
        if (message == WM_DESTROY) self->NotifyHooks(THandleChange::hcDestroyed);
        return self->Perform(message, wParam, lParam);
    } catch (...) {
        if (host)
            host->HandleException();
        else
            ReportException();
        return 0;
    }
}

LRESULT TWindow::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_HSCROLL:
        case WM_VSCROLL:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
            if (Reflect(message, wParam, lParam, result)) return result;
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (OnMouseDown) {
                // Let the control take its own action (focus, selection) first.
                result = CallDefault(message, wParam, lParam);
                OnMouseDown(ButtonOf(message), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
                return result;
            }
            break;
        case WM_MOUSEMOVE:
            if (host) host->MouseMoved(*this);
            break;
        default: break;
    }
    return CallDefault(message, wParam, lParam);
}

LRESULT TWindow::CallDefault(UINT message, WPARAM wParam, LPARAM lParam) {
    if (original_) return CallWindowProcW(original_, handle_, message, wParam, lParam);
    return DefWindowProcW(handle_, message, wParam, lParam);
}

bool TWindow::Notified(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

bool TWindow::Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND from = nullptr;
    if (message == WM_NOTIFY)
        from = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
    else
        from = reinterpret_cast<HWND>(lParam);  // 0 for menus and accelerators
    if (!from || from == handle_) return false;
    TWindow* control = FromHandle(from);
    return control && control->Notified(message, wParam, lParam, result);
}

void TWindow::SetPersistentName(const std::string& name) {
    if (!name.empty()) {
        TWindow* top = this;
        while (top->Parent()) top = top->Parent();
        if (top != this && top->FindChild(name, this)) throw Exception("A component named " + name + " already exists");
    }
    Name = name;
}

namespace {

struct TNameSearch {
    const std::string& name;
    const TWindow* except;
    TWindow* found;
};

BOOL CALLBACK MatchName(HWND child, LPARAM data) {
    auto& search = *reinterpret_cast<TNameSearch*>(data);
    TWindow* w = TWindow::FromHandle(child);
    if (!w || w == search.except || w->Name != search.name) return TRUE;
    search.found = w;
    return FALSE;
}

}  // namespace

TWindow* TWindow::FindChild(const std::string& name, const TWindow* except) const {
    TNameSearch search{name, except, nullptr};
    if (handle_) EnumChildWindows(handle_, &MatchName, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TPersistentProperties TWindow::PublishedProperties() {
    auto setBounds = [this](int TBounds::*field) {
        return [this, field](int v) {
            TBounds b = Bounds();
            b.*field = v;
            SetBounds(b);
        };
    };
    return TPersistentProperties()
        .Integer(
            "Left", [this] { return Left(); }, setBounds(&TBounds::Left))
        .Integer(
            "Top", [this] { return Top(); }, setBounds(&TBounds::Top))
        .Integer(
            "Width", [this] { return Width(); }, setBounds(&TBounds::Width))
        .Integer(
            "Height", [this] { return Height(); }, setBounds(&TBounds::Height))
        .Boolean(
            "Visible", [this] { return Visible(); }, [this](bool v) { SetVisible(v); })
        .Boolean(
            "Enabled", [this] { return Enabled(); }, [this](bool v) { SetEnabled(v); });
}

void TWindow::RecreateHandle() {
    if (!handle_) return;
    const TBounds bounds = Bounds();
    const std::string text = Text();
    const bool visible = Visible();
    DestroyWindow(handle_);
    const std::wstring className = className_;
    CreateHandle({.Parent = parent_,
                  .ClassName = className.c_str(),
                  .Bounds = bounds,
                  .Text = text,
                  .Style = style_,
                  .ExStyle = exStyle_,
                  .Visible = visible,
                  .Owner = owner_});
}

std::string TWindow::Text() const { return Narrow(TextW()); }
void TWindow::SetText(std::string_view cp932) { SetTextW(Widen(cp932)); }

std::u16string TWindow::TextW() const {
    std::u16string text(static_cast<std::size_t>(GetWindowTextLengthW(handle_)) + 1, u'\0');
    const int n = GetWindowTextW(handle_, reinterpret_cast<wchar_t*>(text.data()), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(n > 0 ? n : 0));
    return text;
}

void TWindow::SetTextW(std::u16string_view text) {
    const std::u16string copy(text);
    SetWindowTextW(handle_, W(copy));
}

TBounds TWindow::Bounds() const {
    RECT r;
    GetWindowRect(handle_, &r);
    if (parent_) MapWindowPoints(HWND_DESKTOP, parent_->Handle(), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void TWindow::SetBounds(const TBounds& b) {
    SetWindowPos(handle_, nullptr, b.Left, b.Top, b.Width, b.Height, SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE TWindow::ClientSize() const {
    RECT r;
    GetClientRect(handle_, &r);
    return {r.right, r.bottom};
}

bool TWindow::Visible() const { return (GetWindowLongW(handle_, GWL_STYLE) & WS_VISIBLE) != 0; }

void TWindow::SetVisible(bool visible) { ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE); }

bool TWindow::Enabled() const { return IsWindowEnabled(handle_) != FALSE; }

void TWindow::SetEnabled(bool enabled) { EnableWindow(handle_, enabled ? TRUE : FALSE); }

void TWindow::SetFont(HFONT font) {
    font_ = font;
    if (handle_) SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    FontChanged();
}

void TWindow::Invalidate() { InvalidateRect(handle_, nullptr, TRUE); }

void TWindow::Arrange(int dpi, int dx, int dy) {
    const TBounds& d = DesignBounds;
    TBounds b{ScaleDpi(d.Left, dpi), ScaleDpi(d.Top, dpi), ScaleDpi(d.Width, dpi), ScaleDpi(d.Height, dpi)};
    if (Anchors & akRight) (Anchors & akLeft ? b.Width : b.Left) += dx;
    if (Anchors & akBottom) (Anchors & akTop ? b.Height : b.Top) += dy;
    SetBounds(b);
}

}  // namespace pim::ui
