// The base of every window of the program: it owns the HWND, finds itself
// from the handle, and handles messages in one virtual procedure. A system
// control (a button, the list view) is subclassed onto the same base and
// keeps its own procedure for whatever the object does not handle.
//
// Texts are code page 932 bytes, as everywhere in the program; they cross to
// Windows as UTF-16, converted here. A path goes in as UTF-16 (SetTextW), so a
// name the code page cannot hold still shows correctly.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "settings/Persistent.h"

namespace pim::ui {

// Left, top, width, height in the parent's client pixels.
struct TBounds {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// The sides of its parent a control keeps its distance to when the form grows
// beyond its design size; left and top alone: it stays where it is.
enum TAnchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

// A length of the layout, designed at 96 dpi, at this dpi (nearest pixel).
inline int ScaleDpi(int value, int dpi) { return MulDiv(value, dpi, 96); }
// The dpi a window is drawn at: its monitor's as the system reports it to
// this program (96 when the system stretches the program's windows itself).
int DpiOf(HWND window);

using TNotifyEvent = std::function<void()>;
using TMouseEvent = std::function<void(TMouseButton button, int x, int y)>;

std::u16string Widen(std::string_view cp932);
std::string Narrow(std::u16string_view text);
inline const wchar_t* W(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

class TWindow;

// Why a window's handle changed, as its hooks are told.
enum class THandleChange {
    hcDestroyed,  // the handle is being destroyed (WM_DESTROY); it is still valid
    hcCreated,    // a new handle exists (RecreateHandle)
    hcFreed,      // the window object is going: the hook is detached for good
};

// A hook on a window's messages, put in front of the window's own handling
// without deriving from its class.
struct TMessageHook {
    // Every message the window handles; true when the hook consumed it,
    // result then being the answer. False passes it on to the hooks added
    // before this one, then to the window.
    std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)> Message;
    std::function<void(THandleChange why)> HandleChanged;
};

// Holds a hook in place: destroying or resetting the token removes it, in
// whatever order hooks are removed. A token outliving its window does
// nothing.
class THookToken {
public:
    THookToken() = default;
    ~THookToken() { Remove(); }
    THookToken(THookToken&& other) noexcept = default;
    THookToken& operator=(THookToken&& other) noexcept {
        if (this != &other) {
            Remove();
            entry_ = std::move(other.entry_);
        }
        return *this;
    }
    void Remove();
    // True while the hook is on a window.
    bool Attached() const { return !entry_.expired(); }

private:
    friend class TWindow;
    struct TEntry;
    explicit THookToken(std::weak_ptr<TEntry> entry) : entry_(std::move(entry)) {}
    std::weak_ptr<TEntry> entry_;
};

// What every window needs from the application, which registers itself: the
// control layer's base knows nothing above it.
class TWindowHost {
public:
    virtual ~TWindowHost() = default;
    // An exception stopped at a window procedure; called inside the handler
    // that caught it, so the host can rethrow it to see what it is.
    virtual void HandleException() = 0;
    // The mouse moved over `window` (hints follow the mouse).
    virtual void MouseMoved(TWindow& window) = 0;
};

// Every window can be kept as a settings snapshot: its name and the few
// properties each control kind describes next to its own code.
class TWindow : public TPersistentComponent {
public:
    ~TWindow() override;
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;

    HWND Handle() const { return handle_; }
    TWindow* Parent() const { return parent_; }
    // The object behind a window of ours, nullptr for any other window.
    static TWindow* FromHandle(HWND handle);

    std::string Text() const;
    void SetText(std::string_view cp932);
    std::u16string TextW() const;
    virtual void SetTextW(std::u16string_view text);

    TBounds Bounds() const;
    virtual void SetBounds(const TBounds& bounds);
    int Left() const { return Bounds().Left; }
    int Top() const { return Bounds().Top; }
    int Width() const { return Bounds().Width; }
    int Height() const { return Bounds().Height; }
    SIZE ClientSize() const;

    bool Visible() const;
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const;
    void SetEnabled(bool enabled);
    // Borrowed; children take their parent's font when they are created.
    HFONT Font() const { return font_; }
    void SetFont(HFONT font);
    void Invalidate();

    // Where the form's design puts the control (96 dpi, in the form's
    // smallest client area; the bounds it was made with) and the sides it
    // keeps when the form grows.
    TBounds DesignBounds;
    unsigned Anchors = akLeft | akTop;
    // Puts the control at its design place for this dpi, the form having
    // grown by dx, dy beyond its design size.
    virtual void Arrange(int dpi, int dx, int dy);

    // The hint, shown when the mouse rests on the control and ShowHint is on.
    const std::u16string& Hint() const { return hint_; }
    void SetHint(std::string_view cp932) { hint_ = Widen(cp932); }
    void SetHintW(std::u16string_view text) { hint_ = text; }
    bool ShowHint = false;

    TMouseEvent OnMouseDown;

    // The designer name; empty for a control nobody looks up.
    std::string Name;
    std::string PersistentName() const override { return Name; }
    // Raises when another window of the same form has that name.
    void SetPersistentName(const std::string& name) override;
    std::string PersistentClassName() const override { return "TWinControl"; }
    // Left, Top, Width, Height, Visible, Enabled; controls add their own.
    TPersistentProperties PublishedProperties() override;
    // Installs the host (borrowed; nullptr: none) and returns the one before.
    // Without a host an exception's message goes to the error report.
    static TWindowHost* SetHost(TWindowHost* host);

    // A window inside this one by name (nullptr: none).
    TWindow* FindChild(const std::string& name, const TWindow* except = nullptr) const;

    // Puts a hook in front of the window's handling: the hook added last
    // sees a message first. It stays in place when the handle is made again
    // and is detached when the window object goes.
    [[nodiscard]] THookToken AddHook(TMessageHook hook);
    // The object's own handling of a message; what it does not handle goes
    // on to the control's original procedure.
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Handles a message as if Windows had sent it: the hooks, then WndProc.
    LRESULT Perform(UINT message, WPARAM wParam, LPARAM lParam);
    // Destroys the window and makes it again: same class, style, place and
    // text. Windows inside it are not made again.
    void RecreateHandle();

protected:
    TWindow() = default;

    struct TCreateParams {
        TWindow* Parent = nullptr;
        const wchar_t* ClassName = nullptr;
        TBounds Bounds;
        std::string_view Text;
        DWORD Style = 0;
        DWORD ExStyle = 0;
        bool Visible = true;
        HWND Owner = nullptr;  // a top-level window's owner
    };
    // Creates the window; a system class is subclassed onto this object.
    void CreateHandle(const TCreateParams& params);
    // Registers one of our own window classes once.
    static const wchar_t* OwnClass(const wchar_t* name, UINT style = CS_DBLCLKS, int background = COLOR_BTNFACE);

    LRESULT CallDefault(UINT message, WPARAM wParam, LPARAM lParam);
    // A notification the parent received from this control (WM_COMMAND,
    // WM_NOTIFY, WM_HSCROLL, WM_VSCROLL, WM_CTLCOLOR*), handed back to it.
    // True when handled; result is then the parent's answer.
    virtual bool Notified(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The window is gone (WM_NCDESTROY); the object may live on.
    virtual void Destroyed() {}
    // SetFont gave the control another font.
    virtual void FontChanged() {}

private:
    friend class THookToken;
    static LRESULT CALLBACK Procedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
    void NotifyHooks(THandleChange why);
    void Attach(HWND handle);
    bool Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    HWND handle_ = nullptr;
    TWindow* parent_ = nullptr;
    // What the window was made with, for RecreateHandle.
    std::wstring className_;
    DWORD style_ = 0;
    DWORD exStyle_ = 0;
    HWND owner_ = nullptr;
    WNDPROC original_ = nullptr;
    HFONT font_ = nullptr;
    std::u16string hint_;
    bool everCreated_ = false;
    // In the order added; a hook's token holds only a weak reference, so a
    // hook removed while a message is on its way is skipped, not called.
    std::vector<std::shared_ptr<THookToken::TEntry>> hooks_;
};

struct THookToken::TEntry {
    TWindow* Window;
    TMessageHook Hook;
};

}  // namespace pim::ui
