// The adjustment tab: the first selected picture as the run would write it
// ("効果確認") or as stored ("元の画像"), fitted into the panel when shown, and
// zooming and scrolling it.
#include <algorithm>
#include <cmath>
#include <string>

#include "app/MainModel.h"
#include "app/Preview.h"
#include "app/PreviewZoom.h"
#include "app/win32/Unit1.h"
#include "base/CodePage.h"
#include "base/FileKind.h"

namespace pim {

using namespace ui;

namespace {

constexpr int kListTab = 0;
constexpr int kAdjustTab = 1;
constexpr char kMsgTextNotAllowed[] = "テキストは選択出来ません";
constexpr char kMsgSelectImage[] = "画像を選択して下さい";
constexpr char kMsgTooLarge[] = "画像が大きすぎるためプレビュー出来ません";
// The preview follows a change of the adjustments this long after the last one.
constexpr UINT kPreviewDelay = 400;

}  // namespace

// A change of an adjustment shows in the preview by itself once the user
// pauses (a drag of a scroll bar gives many changes).
void TForm1::ScrollBar1Change() {
    StaticText8->SetText(std::to_string(ScrollBar1->Position()));
    AdjustmentChanged();
}

void TForm1::ScrollBar2Change() {
    StaticText9->SetText(std::to_string(ScrollBar2->Position()));
    AdjustmentChanged();
}

void TForm1::AdjustmentChanged() {
    if (PageControl1->ActivePageIndex() == kAdjustTab && !Image1->Empty())
        SetTimer(Handle(), kPreviewTimer, kPreviewDelay, nullptr);
}

void TForm1::ShowPreviewError(std::string_view utf8) {
    Application().ShowError(Ansi(utf8));
    PageControl1->SetActivePageIndex(kListTab);
    Panel1->Show();
    Panel2->Show();
}

void TForm1::Button5Click() { ShowPreview(true, false); }

void TForm1::Button6Click() { ShowPreview(false, false); }

// The first selected picture, adjusted or as stored, turned as its page
// will be. A new picture opens fitted; a refresh keeps the zoom and the
// place the user chose.
void TForm1::ShowPreview(bool effect, bool keepView) {
    KillTimer(Handle(), kPreviewTimer);
    const TBounds view = Image1->Bounds();
    const double zoom = Image1->Zoom();
    const SIZE size{Image1->PictureWidth(), Image1->PictureHeight()};
    keepView = keepView && !previewFits_ && !Image1->Empty();
    if (effect) {
        Panel1->Hide();
        Panel2->Hide();
        Image1->Clear();
    }
    const int row = ImgListView1->ItemIndex();
    if (effect) PageControl1->SetActivePageIndex(kAdjustTab);
    if (row < 0) return ShowPreviewError(kMsgSelectImage);
    TImgListItem& item = *ImgListView1->ImgItems()[row];
    const std::string file = item.FullPath();
    if (FileKindOf(file) == TFileKind::fkText) return ShowPreviewError(effect ? kMsgTextNotAllowed : kMsgSelectImage);
    const TPreviewTurn turn{item.Turn, CheckBox8->Checked()};
    try {
        if (effect) {
            const TAdjustSettings adjust{ScrollBar1->Position(), ScrollBar2->Position(), CheckBox2->Checked()};
            Image1->SetPicture(PreviewPicture(file, adjust, turn).Graphic());
        } else {
            Image1->SetPicture(OriginalPicture(file, turn).Graphic());
        }
    } catch (const std::exception&) {
        return ShowPreviewError(IsTooLargeToPreview(std::current_exception()) ? kMsgTooLarge : kMsgSelectImage);
    }
    if (keepView && Image1->PictureWidth() == size.cx && Image1->PictureHeight() == size.cy)
        PlacePreview(zoom, -view.Left / zoom, -view.Top / zoom, 0, 0);
    else
        FitPreview();
}

// The sort and type bar belongs to the list; the folder row also tells
// the PDF設定 tab's commands where they work.
void TForm1::PageControl1Change() {
    if (PageControl1->ActivePageIndex() == kAdjustTab) {
        Button5Click();
        return;
    }
    Panel1->SetVisible(PageControl1->ActivePageIndex() == kListTab);
    Panel2->Show();
}

void TForm1::Image1MouseDown(TMouseButton, int x, int y) {
    ScrollBox1->SetHorzPosition(x - ScrollBox1->Width() / 2);
    ScrollBox1->SetVertPosition(y - ScrollBox1->Height() / 2);
    // The wheel and the zoom keys go where the picture is.
    SetFocus(ScrollBox1->Handle());
}

// The wheel gets the box's own handling.
bool TForm1::ScrollBox1MouseWheelDown(int, int) { return false; }

// ---- Zoom ------------------------------------------------------------------------

// The box's client area without its scroll bars.
SIZE TForm1::PreviewArea() const {
    SIZE area = ScrollBox1->ClientSize();
    const LONG style = GetWindowLongW(ScrollBox1->Handle(), GWL_STYLE);
    if (style & WS_VSCROLL) area.cx += GetSystemMetrics(SM_CXVSCROLL);
    if (style & WS_HSCROLL) area.cy += GetSystemMetrics(SM_CYHSCROLL);
    return area;
}

double TForm1::PreviewFitZoom() const {
    const SIZE area = PreviewArea();
    return FitZoom(Image1->PictureWidth(), Image1->PictureHeight(), area.cx, area.cy);
}

void TForm1::FitPreview() {
    PlacePreview(PreviewFitZoom(), 0, 0, 0, 0);
    previewFits_ = true;
}

// The picture at zoom, its point (px, py) at the box's point (x, y) as far as
// the scroll ranges allow; a picture smaller than the box lies in its middle.
void TForm1::PlacePreview(double zoom, double px, double py, int x, int y) {
    previewFits_ = false;  // the box's own resizing while placing asks for no fit
    ScrollBox1->SetHorzPosition(0);
    ScrollBox1->SetVertPosition(0);
    Image1->SetZoom(zoom);
    const SIZE area = PreviewArea();
    const int width = Image1->Width();
    const int height = Image1->Height();
    // A scroll bar along one side narrows the other.
    const int cx = area.cx - (height > area.cy ? GetSystemMetrics(SM_CXVSCROLL) : 0);
    const int cy = area.cy - (width > cx ? GetSystemMetrics(SM_CYHSCROLL) : 0);
    const int left = std::max(0, (cx - width) / 2);
    const int top = std::max(0, (cy - height) / 2);
    Image1->SetBounds({left, top, width, height});
    ScrollBox1->Realign();
    ScrollBox1->SetHorzPosition(static_cast<int>(std::lround(px * zoom)) + left - x);
    ScrollBox1->SetVertPosition(static_cast<int>(std::lround(py * zoom)) + top - y);
}

// The picture point under the box's point (x, y) stays there.
void TForm1::ZoomPreviewAt(double zoom, int x, int y) {
    zoom = std::min(zoom, MostZoom(Image1->PictureWidth(), Image1->PictureHeight()));
    const TBounds b = Image1->Bounds();
    const double old = Image1->Zoom();
    const double fit = PreviewFitZoom();
    PlacePreview(zoom, (x - b.Left) / old, (y - b.Top) / old, x, y);
    previewFits_ = zoom <= fit;
}

// Below 1:1 the wheel zooms, up to 1:1; from there it scrolls as before.
// With Ctrl it zooms over the whole range.
bool TForm1::ScrollBox1MouseWheel(int notches, int x, int y) {
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    if (Image1->Empty() || notches == 0 || (!ctrl && Image1->Zoom() >= 1)) return false;
    const double fit = PreviewFitZoom();
    double zoom = Image1->Zoom();
    for (int i = 0; i < std::abs(notches); ++i) zoom = StepZoom(zoom, notches > 0, fit);
    ZoomPreviewAt(ctrl ? zoom : std::min(zoom, 1.0), x, y);
    return true;
}

// Between the fitted picture and 1:1 around the clicked point.
void TForm1::Image1DblClick(int x, int y) {
    const TBounds b = Image1->Bounds();
    if (previewFits_ && Image1->Zoom() < 1)
        ZoomPreviewAt(1, b.Left + x, b.Top + y);
    else
        FitPreview();
}

// "+" and "-" on the adjustment tab zoom around the mouse pointer (around the
// middle when it is not over the picture's box); never while typing.
bool TForm1::PreviewKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || PageControl1->ActivePageIndex() != kAdjustTab || Image1->Empty()) return false;
    bool in = false;
    switch (msg.wParam) {
        case VK_ADD:
        case VK_OEM_PLUS: in = true; break;
        case VK_SUBTRACT:
        case VK_OEM_MINUS: in = false; break;
        default: return false;
    }
    wchar_t focusClass[16] = {};
    if (GetClassNameW(GetFocus(), focusClass, 16) && lstrcmpiW(focusClass, L"Edit") == 0) return false;
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(ScrollBox1->Handle(), &p);
    const SIZE client = ScrollBox1->ClientSize();
    if (p.x < 0 || p.y < 0 || p.x >= client.cx || p.y >= client.cy) p = {client.cx / 2, client.cy / 2};
    ZoomPreviewAt(StepZoom(Image1->Zoom(), in, PreviewFitZoom()), p.x, p.y);
    return true;
}

}  // namespace pim
