// The main window's list, filter and sort controls, and the output name and
// save folder.
#include <utility>

#include "app/MainModel.h"
#include "app/win32/Unit1.h"
#include "base/CodePage.h"

namespace pim {

using namespace ui;

// ---- Type filter and sorting ---------------------------------------------------

int TForm1::FileTypeBits() const {
    int bits = 0;
    const std::pair<TCheckBox*, int> boxes[] = {
        {CheckBox3, ftJpg}, {CheckBox4, ftBmp}, {CheckBox5, ftTxt}, {CheckBox7, ftPng}, {CheckBox9, ftScanWeb}};
    for (const auto& [box, bit] : boxes)
        if (box->Checked()) bits |= bit;
    return bits;
}

void TForm1::CheckBox3Click() { Check_Attrib(); }
void TForm1::CheckBox4Click() { Check_Attrib(); }
void TForm1::CheckBox5Click() { Check_Attrib(); }
void TForm1::CheckBox7Click() { Check_Attrib(); }

void TForm1::Check_Attrib() {
    if (const auto mask = MaskOfFileTypeBits(FileTypeBits())) ImgListView1->DispTypes().SetExt(*mask);
}

void TForm1::ComboBox1Click() {
    if (const auto sortType = SortTypeOfIndex(ComboBox1->ItemIndex())) ImgListView1->SetSortType(*sortType);
}

void TForm1::ComboBox2Click() {
    if (const auto descend = DescendOfIndex(ComboBox2->ItemIndex())) ImgListView1->SetDescend(*descend);
}

// JPEG thumbnails stand as their pages will: the run reads the box too.
void TForm1::CheckBox8Click() {
    ImgListView1->SetAutoOrient(CheckBox8->Checked());
    AdjustmentChanged();  // the preview stands as the page will
}

// ---- The list's own events ------------------------------------------------------

void TForm1::ImgListView1SelectItem(int, bool) {
    StatusBar1->SetPanelText(1, SelectedStatusText(ImgListView1->SelCount()));
}

void TForm1::ImgListView1ListChanged() {
    // The pictures and texts: blank items are pages of no file.
    StatusBar1->SetPanelText(0, TotalStatusText(ImgListView1->ImgItems().EntryCount()));
    StatusBar1->SetPanelText(1, SelectedStatusText(ImgListView1->SelCount()));
    StatusBar1->SetPanelText(2, ImgListView1->FolderMissing() ? kStatusNoFolder : std::string_view());
}

// A right click has selected the row under the pointer, if any, first.
void TForm1::ImgListView1ContextPopup(POINT screen) {
    const bool selected = ImgListView1->SelCount() > 0;
    for (TMenuItem* item : {N6, N7, N8}) item->SetEnabled(selected);
    N10->SetEnabled(ImgListView1->Model().CanInsertBlank());
    const bool folder = !ImgListView1->FolderPath().empty();
    for (TMenuItem* item : {N12, N13}) item->SetEnabled(folder);
    PopupMenu1.Popup(screen.x, screen.y);
}

// ---- Output name and save folder ------------------------------------------------

// The name the user typed comes back when they return from the folder's name.
void TForm1::SpeedButton1Click() {
    if (!folderNamed_) return;
    folderNamed_ = false;
    LabeledEdit6->SetTextW(typedName_);
}

void TForm1::SpeedButton2Click() {
    if (!folderNamed_) typedName_ = LabeledEdit6->TextW();
    folderNamed_ = true;
    LabeledEdit6->SetTextW(Utf8ToUtf16(FolderNameOf(ImgListView1->FolderPath())));
}

// The name box's hint says where the PDF goes; an empty box shows the name
// taken then.
void TForm1::ShowOutputPlace() {
    const std::string folder = CheckBox6->Checked() ? Utf16ToUtf8(StaticText2->TextW()) : ImageFolder();
    const std::string pdf = OutputFileName(folder, Utf16ToUtf8(LabeledEdit6->TextW()));
    LabeledEdit6->SetHintW(u"保存先: " + Utf8ToUtf16(pdf));
}

void TForm1::CheckBox6Click() {
    if (!CheckBox6->Checked()) {
        StaticText2->SetTextW(StaticText3->TextW());
        StaticText2->SetHintW(StaticText3->TextW());
        ShowOutputPlace();
        return;
    }
    if (SelectFolderDialog1.Execute(Handle())) {
        const std::u16string folder = Utf8ToUtf16(SelectFolderDialog1.SelectedPath());
        StaticText2->SetTextW(folder);
        StaticText2->SetHintW(folder);
        ShowOutputPlace();
    } else {
        CheckBox6->SetChecked(false);  // runs this handler again: the save folder follows the image folder
    }
}

}  // namespace pim
