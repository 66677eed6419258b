// Moving pictures in the list ("画像移動（登録）", "画像移動（移動）"), a folder or
// file dropped on the window, and opening the image folder.
#include <algorithm>
#include <string>
#include <vector>

#include "app/AppPlatform.h"
#include "app/win32/ShellOpen.h"
#include "app/win32/Unit1.h"
#include "imagelist/FileFacts.h"

namespace pim {

using namespace ui;

void TForm1::N3Click() {
    if (ImgListView1->ItemIndex() < 0) return;
    N4->SetEnabled(true);
    TStringList& list = PdfRun->ListBox1;
    list.Clear();
    for (int i = 0; i < ImgListView1->ImgItems().Count(); ++i)
        if (ImgListView1->Selected(i)) list.Add(std::to_string(i));
}

// The registered items land, in their order, at the first selected row: the
// rows at and after it move down behind them. Items are followed by identity,
// not by their registered rows, so a move towards the end of the list takes
// the items the user registered and never a row outside the list.
void TForm1::N4Click() {
    const int target = ImgListView1->ItemIndex();
    if (target < 0) return;
    TImgListItems& items = ImgListView1->ImgItems();
    std::vector<int> ids;
    for (int k = 0; k < PdfRun->ListBox1.Count(); ++k) {
        const int row = std::atoi(PdfRun->ListBox1[k].c_str());
        if (row < 0 || row >= items.Count()) continue;
        const int id = items[row]->Id();
        if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
    }
    const int n = static_cast<int>(ids.size());
    const int count = items.Count();
    // To the end first, in order; then each to its place from the first row.
    for (int id : ids) items.Move(items.IndexOfId(id), count - 1);
    const int first = std::min(target, count - n);
    for (int k = 0; k < n; ++k) items.Move(count - n + k, first + k);
    ImgListView1->Repaint();
    N4->SetEnabled(false);
    ImgListView1->SetItemIndex(-1);
}

void TForm1::DropDst1FileDrop(const std::vector<std::string>& files, int, int) {
    if (Height() == RolledHeight) ToggleRollUp();
    if (files.empty()) return;
    std::string path = files.front();
    if (FileExists(path)) path = FolderOfFile(path);
    ImgListView1->SetFolderPath(path);
    ImgListView1->Repaint();
    UpdateStatus();
    if (SpeedButton2->Down()) SpeedButton2Click();
}

void TForm1::StaticText3DblClick() { ShellOpen(Handle(), ImgListView1->FolderPath()); }

}  // namespace pim
