// Moving pictures in the list ("画像移動（登録）", "画像移動（移動）"), turning
// them ("右に90°回転", "左に90°回転", "回転を元に戻す"), blank pages
// ("白紙ページを挿入"), a folder or file dropped on the window, and opening
// the image folder.
#include <string>
#include <unordered_map>
#include <vector>

#include "app/MainModel.h"
#include "app/win32/ShellOpen.h"
#include "app/win32/Unit1.h"
#include "base/FileKind.h"
#include "base/Paths.h"
#include "imagelist/FileFacts.h"

namespace pim {

using namespace ui;

void TForm1::N3Click() {
    if (ImgListView1->ItemIndex() < 0) return;
    N4->SetEnabled(true);
    TStringList& list = ListBox1;
    list.Clear();
    registered_.clear();
    registeredBlanks_.clear();
    TImgListItems& items = ImgListView1->ImgItems();
    for (int i = 0; i < items.Count(); ++i)
        if (ImgListView1->Selected(i)) {
            list.Add(std::to_string(i));
            // A blank item has no path: its place holds an empty one.
            registered_.push_back(items[i]->FullPath());
            if (items[i]->IsBlank()) registeredBlanks_.push_back(items[i]->Id());
        }
}

// The registered items go, in their order, before the item selected for the
// move (or, when that item is registered itself, before the first row after
// it that is not), moving up or down alike. They are followed by their files,
// not by the rows they had: the list may have been refreshed or filtered
// since, and a registered file no longer listed is left out. A blank item,
// which has no file, is followed by its Id.
void TForm1::N4Click() {
    const int target = ImgListView1->ItemIndex();
    if (target < 0) return;
    TImgListItems& items = ImgListView1->ImgItems();
    std::unordered_map<std::string, int> idOf;
    for (int i = 0; i < items.Count(); ++i)
        if (!items[i]->IsBlank()) idOf.emplace(items[i]->FullPath(), items[i]->Id());
    std::vector<int> ids;
    std::size_t blank = 0;
    for (const std::string& path : registered_)
        if (path.empty() && blank < registeredBlanks_.size())
            ids.push_back(registeredBlanks_[blank++]);
        else if (const auto found = idOf.find(path); found != idOf.end())
            ids.push_back(found->second);
    items.MoveItems(ids, target);
    ImgListView1->Repaint();
    N4->SetEnabled(false);
    ImgListView1->SetItemIndex(-1);
}

// A turn belongs to the item: it stays through sorting and moves, and its
// page and thumbnail show it. Text pages are never turned, so a text item
// takes none; nor does a blank item, whose white page has no picture.
void TForm1::TurnSelected(int (*turned)(int turn)) {
    TImgListItems& items = ImgListView1->ImgItems();
    std::vector<int> ids;
    for (int i = 0; i < items.Count(); ++i) {
        TImgListItem& item = *items[i];
        if (!ImgListView1->Selected(i) || item.IsBlank() || FileKindOf(item.FullPath()) == TFileKind::fkText) continue;
        const int turn = turned(item.Turn);
        if (turn == item.Turn) continue;
        item.Turn = turn;
        ids.push_back(item.Id());
    }
    if (!ids.empty()) ImgListView1->RemakeThumbnails(ids);
}

void TForm1::N6Click() {
    TurnSelected([](int turn) { return (turn + 1) % 4; });
}

void TForm1::N7Click() {
    TurnSelected([](int turn) { return (turn + 3) % 4; });
}

void TForm1::N8Click() {
    TurnSelected([](int) { return 0; });
}

// Before the focused item, else at the end; the blank item is then the one
// selected and focused.
void TForm1::N10Click() { ImgListView1->InsertBlank(); }

void TForm1::DropDst1FileDrop(const std::vector<std::string>& files, int, int) {
    if (Height() == RolledHeight) ToggleRollUp();
    if (files.empty()) return;
    std::string path = files.front();
    if (FileExists(path)) path = std::string(ExtractFilePath(path));
    ImgListView1->SetFolderPath(path);
    ImgListView1->Repaint();
    UpdateStatus();
    if (SpeedButton2->Down()) SpeedButton2Click();
}

void TForm1::StaticText3DblClick() { ShellOpen(Handle(), ImgListView1->FolderPath()); }

// The same browser as 保存先変更, opened on the image folder; the folder chosen
// is taken as a dropped one is.
void TForm1::Button7Click() {
    if (!ImgListView1->FolderPath().empty()) SelectFolderDialog1.SetSelectedPath(ImgListView1->FolderPath());
    if (!SelectFolderDialog1.Execute(Handle())) return;
    const std::string folder = SelectFolderDialog1.SelectedPath();
    if (!folder.empty()) DropDst1FileDrop({folder}, 0, 0);
}

}  // namespace pim
