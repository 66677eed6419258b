// The adjustment tab: the first selected picture as the run would write it
// ("効果確認") or as stored ("元の画像"), and scrolling it.
#include <string>

#include "app/MainModel.h"
#include "app/win32/Unit1.h"
#include "graphics/Jpeg.h"

namespace pim {

using namespace ui;

namespace {

constexpr int kListTab = 0;
constexpr int kAdjustTab = 1;
constexpr char kMsgTextNotAllowed[] = "テキストは選択出来ません";
constexpr char kMsgSelectImage[] = "画像を選択して下さい";

}  // namespace

void TForm1::ScrollBar1Change() { StaticText8->SetText(std::to_string(ScrollBar1->Position())); }

void TForm1::ScrollBar2Change() { StaticText9->SetText(std::to_string(ScrollBar2->Position())); }

void TForm1::ShowPreviewError(const std::string& message) {
    Application().ShowError(message);
    PageControl1->SetActivePageIndex(kListTab);
    Panel1->Show();
    Panel2->Show();
}

void TForm1::Button5Click() {
    Panel1->Hide();
    Panel2->Hide();
    Image1->Clear();
    const int row = ImgListView1->ItemIndex();
    const std::string file = row >= 0 ? ImgListView1->ImgItems()[row]->FullPath() : std::string();
    PageControl1->SetActivePageIndex(kAdjustTab);
    if (row < 0) return ShowPreviewError(kMsgSelectImage);
    if (CurrentExtOf(file) == "txt") return ShowPreviewError(kMsgTextNotAllowed);
    try {
        const TAdjustSettings adjust{ScrollBar1->Position(), ScrollBar2->Position(), CheckBox2->Checked()};
        Image1->SetPicture(PreviewPicture(file, adjust).Graphic());
    } catch (const std::exception&) {
        return ShowPreviewError(kMsgSelectImage);
    }
    ScrollBox1->Realign();
}

void TForm1::Button6Click() {
    const int row = ImgListView1->ItemIndex();
    if (row >= 0) {
        const std::string file = ImgListView1->ImgItems()[row]->FullPath();
        const std::string ext = CurrentExtOf(file);
        if (ext != "txt") {
            try {
                if (ext == "jpg") {
                    TJPEGImage WorkJpeg;
                    WorkJpeg.LoadFromFile(file);
                    Image1->SetPicture(&WorkJpeg);
                } else {
                    TBitmap WorkBitmap;
                    WorkBitmap.LoadFromFile(file);
                    Image1->SetPicture(&WorkBitmap);
                }
                ScrollBox1->Realign();
                return;
            } catch (const std::exception&) {
                // An unreadable picture: the same answer as no picture.
            }
        }
    }
    Application().ShowError(kMsgSelectImage);
    PageControl1->SetActivePageIndex(kListTab);
}

void TForm1::PageControl1Change() {
    if (PageControl1->ActivePageIndex() == kAdjustTab) {
        Button5Click();
    } else {
        Panel1->Show();
        Panel2->Show();
    }
}

void TForm1::Image1MouseDown(TMouseButton, int x, int y) {
    ScrollBox1->SetHorzPosition(x - ScrollBox1->Width() / 2);
    ScrollBox1->SetVertPosition(y - ScrollBox1->Height() / 2);
}

// The wheel gets the box's own handling.
bool TForm1::ScrollBox1MouseWheelDown(int, int) { return false; }

}  // namespace pim
