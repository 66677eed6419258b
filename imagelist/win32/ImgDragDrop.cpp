#include "imagelist/win32/ImgDragDrop.h"

#include <commctrl.h>
#include <shlobj.h>

#include "base/win32/Handles.h"
#include "imagelist/win32/ImgListView.h"
#include "imagelist/win32/ShellObjects.h"

namespace pim {

namespace {

// A COM object of one interface with its own reference count.
template <typename Interface>
class TComObject : public Interface {
public:
    virtual ~TComObject() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || iid == __uuidof(Interface)) {
            *object = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

private:
    LONG references_ = 1;
};

// What a drag of blank items alone carries: nothing, so that no other
// program takes it; over their own list the items move all the same.
class TNoData : public TComObject<IDataObject> {
public:
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override { return DV_E_FORMATETC; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out) out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }
};

// Without Ctrl a move, with Ctrl a copy, with Ctrl and Shift a link.
DWORD KeyEffect(DWORD keys) {
    if (keys & MK_CONTROL) return (keys & MK_SHIFT) ? DROPEFFECT_LINK : DROPEFFECT_COPY;
    return DROPEFFECT_MOVE;
}

// File mode only lists the files: a move would let the source delete what
// the list now shows, so it is offered as a copy.
DWORD FileModeEffect(DWORD keys, DWORD allowed) {
    const DWORD wanted = KeyEffect(keys) == DROPEFFECT_MOVE ? DROPEFFECT_COPY : KeyEffect(keys);
    if (wanted & allowed) return wanted;
    if (allowed & DROPEFFECT_COPY) return DROPEFFECT_COPY;
    return allowed & DROPEFFECT_LINK;
}

POINT ClientPoint(HWND window, POINTL screen) {
    POINT point{screen.x, screen.y};
    ScreenToClient(window, &point);
    return point;
}

}  // namespace

TShiftState ShiftOfKeyState(DWORD keys) {
    TShiftState shift = 0;
    if (keys & MK_SHIFT) shift |= ssShift;
    if (keys & MK_ALT) shift |= ssAlt;
    if (keys & MK_CONTROL) shift |= ssCtrl;
    if (keys & MK_LBUTTON) shift |= ssLeft;
    if (keys & MK_RBUTTON) shift |= ssRight;
    if (keys & MK_MBUTTON) shift |= ssMiddle;
    return shift;
}

// The view as drop source: Escape or both buttons cancel, letting go drops;
// the owner has the last word (Continue) while it lives.
class TImgDragDrop::TSource : public TComObject<IDropSource> {
public:
    explicit TSource(TImgDragDrop* owner) : owner_(owner) {}
    void Detach() { owner_ = nullptr; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        HRESULT answer = S_OK;
        if (escape || ((keys & MK_LBUTTON) && (keys & MK_RBUTTON)))
            answer = DRAGDROP_S_CANCEL;
        else if (!(keys & (MK_LBUTTON | MK_RBUTTON)))
            answer = DRAGDROP_S_DROP;
        return owner_ ? owner_->Continue(answer) : answer;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override {
        // Over its own list the items can land even where no drop target
        // answers (the main window keeps the list's off).
        if (!owner_ || owner_->Insertion().At < 0) return DRAGDROP_S_USEDEFAULTCURSORS;
        SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
        return S_OK;
    }

private:
    TImgDragDrop* owner_;
};

// The view's drop target: hands every call to its owner while it lives.
class TImgDragDrop::TTarget : public TComObject<IDropTarget> {
public:
    explicit TTarget(TImgDragDrop* owner) : owner_(owner) {}
    void Detach() { owner_ = nullptr; }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override {
        return owner_ ? owner_->Enter(data, keys, point, effect) : None(effect);
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override {
        return owner_ ? owner_->Over(keys, point, effect) : None(effect);
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return owner_ ? owner_->Leave() : S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD keys, POINTL point, DWORD* effect) override {
        return owner_ ? owner_->Drop(keys, point, effect) : None(effect);
    }

private:
    static HRESULT None(DWORD* effect) {
        if (effect) *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    TImgDragDrop* owner_;
};

TImgDragDrop::TImgDragDrop(TImgListView& view) : view_(view), target_(new TTarget(this)) {
    RunDragLoop = [](IDataObject* data, IDropSource* source, DWORD allowed, DWORD* effect) {
        return DoDragDrop(data, source, allowed, effect);
    };
}

TImgDragDrop::~TImgDragDrop() {
    Revoke();
    target_->Detach();
}

IDropTarget* TImgDragDrop::DropTarget() const { return target_.Get(); }

// ---- Registration -----------------------------------------------------------------

void TImgDragDrop::UpdateRegistration() {
    const bool wanted = view_.DefaultExec().DropTarget() && view_.Handle() != nullptr;
    if (wanted == registered_) return;
    if (!wanted) {
        Revoke();
        return;
    }
    // Registration needs OLE on this thread; without it the view takes no drops.
    registered_ = SUCCEEDED(RegisterDragDrop(view_.Handle(), target_.Get()));
}

void TImgDragDrop::Revoke() {
    if (!registered_) return;
    if (view_.Handle()) RevokeDragDrop(view_.Handle());
    registered_ = false;
    Leave();
}

// ---- Dragging out -----------------------------------------------------------------

void TImgDragDrop::MouseMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN: {
            // The list view selects the row under the button itself, so a row
            // pressed on is a selected row by the time the pointer moves.
            LVHITTESTINFO hit{};
            hit.pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            const int row = ListView_HitTest(view_.Handle(), &hit);
            const bool onRow = view_.DefaultExec().DropSource() && row >= 0 && row < view_.ImgItems().Count();
            state_ = !onRow                      ? TDragOutState::dsIdle
                     : message == WM_LBUTTONDOWN ? TDragOutState::dsLeftArmed
                                                 : TDragOutState::dsRightArmed;
            break;
        }
        case WM_MBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            if (state_ == TDragOutState::dsLeftArmed || state_ == TDragOutState::dsRightArmed)
                state_ = TDragOutState::dsIdle;
            break;
        case WM_MOUSEMOVE:
            if ((state_ == TDragOutState::dsLeftArmed && (wParam & MK_LBUTTON)) ||
                (state_ == TDragOutState::dsRightArmed && (wParam & MK_RBUTTON)))
                StartDrag();
            break;
        default: break;
    }
}

void TImgDragDrop::BeginDrag(bool right) {
    if (state_ == (right ? TDragOutState::dsRightArmed : TDragOutState::dsLeftArmed)) StartDrag();
}

void TImgDragDrop::StartDrag() {
    const bool left = state_ == TDragOutState::dsLeftArmed;
    state_ = left ? TDragOutState::dsLeftRunning : TDragOutState::dsRightRunning;
    const TShellItemsOf items = view_.ShellSelection();
    TComPtr<IDataObject> data = items.UiObject<IDataObject>(view_.Handle(), IID_IDataObject);
    // Blank items alone have no files for the shell; dragged with the left
    // button they can still be moved within the list.
    const bool blanksOnly = !data && left && view_.BlanksSelected();
    if (blanksOnly) data = TComPtr<IDataObject>(new TNoData);
    if (data) {
        TComPtr<TSource> source(new TSource(this));
        DWORD effect = DROPEFFECT_NONE;
        const DWORD allowed =
            blanksOnly ? DROPEFFECT_MOVE
                       : view_.DefaultExec().DragType() & (DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK);
        RunDragLoop(data.Get(), source.Get(), allowed, &effect);
        source->Detach();
        ShowInsertion({});
    }
    state_ = TDragOutState::dsIdle;
}

// ---- Dropping in ------------------------------------------------------------------

bool TImgDragDrop::FireEvent(const TFileDropTargetEvent& event, DWORD keys, POINTL point) {
    bool accept = true;
    if (event) {
        TFileDataObject files(data_.Get());
        event(files, ShiftOfKeyState(keys), POINT{point.x, point.y}, accept);
    }
    return accept;
}

HRESULT TImgDragDrop::Enter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    data_.Reset();
    if (!OffersFiles(data)) {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    data_ = TComPtr<IDataObject>::Share(data);
    *effect = view_.Model().IsFileMode() ? FileModeEffect(keys, *effect) : KeyEffect(keys);
    if (!FireEvent(view_.OnFileDragEnter, keys, point)) *effect = DROPEFFECT_NONE;
    return S_OK;
}

HRESULT TImgDragDrop::Over(DWORD keys, POINTL point, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    if (!data_) {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    const POINT client = ClientPoint(view_.Handle(), point);
    if (state_ == TDragOutState::dsLeftRunning) {
        // Its own items: the drop source moves them (Continue).
        *effect &= DROPEFFECT_MOVE;
        return S_OK;
    }
    if (view_.Model().IsFileMode()) {
        *effect = FileModeEffect(keys, *effect);
    } else {
        // Asked afresh at every move: enter the shell's target, read its
        // effect, leave it again.
        const DWORD allowed = *effect;
        int row = -1;
        *effect = DROPEFFECT_NONE;
        if (TComPtr<IDropTarget> target = ShellTargetAt(client, row)) {
            DWORD answer = allowed;
            if (SUCCEEDED(target->DragEnter(data_.Get(), keys, point, &answer))) *effect = answer;
            target->DragLeave();
        }
        Highlight(row);
    }
    if (!FireEvent(view_.OnFileDragOver, keys, point)) *effect = DROPEFFECT_NONE;
    AutoScroll(client);
    return S_OK;
}

HRESULT TImgDragDrop::Leave() {
    Highlight(-1);
    const bool had = static_cast<bool>(data_);
    data_.Reset();
    if (had && view_.OnFileDragLeave) view_.OnFileDragLeave();
    return S_OK;
}

HRESULT TImgDragDrop::Drop(DWORD keys, POINTL point, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    if (!data_) {
        *effect = DROPEFFECT_NONE;
        Highlight(-1);
        return S_OK;
    }
    const DWORD allowed = *effect;
    *effect = DROPEFFECT_NONE;
    // Items dragged with the left button and let go over their own list stay
    // where they are.
    const bool own = state_ == TDragOutState::dsLeftRunning;
    if (FireEvent(view_.OnFileDragDrop, keys, point) && !own) {
        if (view_.Model().IsFileMode()) {
            *effect = FileModeEffect(keys, allowed);
            if (*effect != DROPEFFECT_NONE) {
                TFileDataObject files(data_.Get());
                view_.AddFiles(files);
            }
        } else {
            int row = -1;
            if (TComPtr<IDropTarget> target = ShellTargetAt(ClientPoint(view_.Handle(), point), row)) {
                DWORD answer = allowed;
                if (SUCCEEDED(target->DragEnter(data_.Get(), keys, point, &answer))) {
                    answer = allowed;
                    target->Drop(data_.Get(), keys, point, &answer);
                    *effect = answer;
                } else {
                    target->DragLeave();
                }
            }
        }
    }
    Highlight(-1);
    data_.Reset();
    return S_OK;
}

TComPtr<IDropTarget> TImgDragDrop::ShellTargetAt(POINT client, int& row) {
    const HWND window = view_.Handle();
    LVHITTESTINFO hit{};
    hit.pt = client;
    row = ListView_HitTest(window, &hit);
    const TIdList& shown = view_.Model().FolderIdList();
    if (row >= 0 && row < view_.ImgItems().Count()) {
        TImgListItem& item = *view_.ImgItems()[row];
        if (!item.IdList().Absent() && item.HasAttributes(SFGAO_DROPTARGET)) {
            TShellItemsOf items{BindFolder(shown), {item.IdList()}};
            if (TComPtr<IDropTarget> target = items.UiObject<IDropTarget>(window, IID_IDropTarget)) return target;
        }
    }
    row = -1;
    TIdList folder = shown.IsDesktop() ? DesktopDirectory() : shown;
    if (folder.Absent() || folder.IsDesktop()) return {};
    TShellItemsOf entry{BindFolder(folder.Parent()), {folder.Last()}};
    if (!entry.Attributes(SFGAO_DROPTARGET)) return {};
    return entry.UiObject<IDropTarget>(window, IID_IDropTarget);
}

void TImgDragDrop::Highlight(int row) {
    if (row == highlighted_ || !view_.Handle()) return;
    // An owner-data list view keeps only selection and focus itself: it asks
    // the view for the drop highlight (Highlighted) when it draws the row.
    const int old = highlighted_;
    highlighted_ = row;
    if (old >= 0) ListView_RedrawItems(view_.Handle(), old, old);
    if (row >= 0) ListView_RedrawItems(view_.Handle(), row, row);
}

namespace {

// One line, then the end of the scroll, as a scroll bar sends them: until
// the end comes, the list believes the user is still scrolling and names
// only the focused row.
void ScrollLine(HWND window, UINT message, WPARAM step) {
    SendMessageW(window, message, step, 0);
    SendMessageW(window, message, SB_ENDSCROLL, 0);
}

}  // namespace

void TImgDragDrop::AutoScroll(POINT client) {
    const HWND window = view_.Handle();
    RECT area{};
    GetClientRect(window, &area);
    int line = 16;
    if (const TWindowDC dc(window); dc.get()) {
        const TSelection font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
        TEXTMETRICW metrics{};
        if (GetTextMetricsW(dc.get(), &metrics)) line = metrics.tmHeight;
    }
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    const auto hasRange = [window](int bar) {
        SCROLLINFO info{sizeof info, SIF_RANGE, 0, 0, 0, 0, 0};
        return GetScrollInfo(window, bar, &info) && info.nMax > info.nMin;
    };
    if (style & WS_VSCROLL) {
        const int bottom = line + (hasRange(SB_HORZ) ? GetSystemMetrics(SM_CYHSCROLL) : 0);
        if (client.y < line)
            ScrollLine(window, WM_VSCROLL, SB_LINEUP);
        else if (client.y > area.bottom - bottom)
            ScrollLine(window, WM_VSCROLL, SB_LINEDOWN);
    }
    if (style & WS_HSCROLL) {
        const int right = line + (hasRange(SB_VERT) ? GetSystemMetrics(SM_CXVSCROLL) : 0);
        if (client.x < line)
            ScrollLine(window, WM_HSCROLL, SB_LINELEFT);
        else if (client.x > area.right - right)
            ScrollLine(window, WM_HSCROLL, SB_LINERIGHT);
    }
}

// ---- Adding files (file mode) ---------------------------------------------------------

void TImgListView::AddFiles(TFileDataObject& files) {
    if (!model_.IsFileMode()) return;
    struct TBusy {
        bool& flag;
        ~TBusy() { flag = false; }
    } busy{busy_};
    busy_ = true;
    for (const std::string& path : files.FileNames()) model_.AddFile(path);
    SetRowCount(ImgItems().Count());
    Invalidate();
}

}  // namespace pim
