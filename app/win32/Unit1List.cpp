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
    const std::pair<TCheckBox*, int> boxes[] = {{CheckBox3, ftJpg}, {CheckBox4, ftBmp}, {CheckBox5, ftTxt},
                                                {CheckBox7, ftPng}};
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
void TForm1::CheckBox8Click() { ImgListView1->SetAutoOrient(CheckBox8->Checked()); }

// ---- The list's own events ------------------------------------------------------

void TForm1::ImgListView1SelectItem(int, bool) {
    StatusBar1->SetPanelText(1, SelectedStatusText(ImgListView1->SelCount()));
}

void TForm1::ImgListView1ListChanged() {
    StatusBar1->SetPanelText(0, TotalStatusText(ImgListView1->ImgItems().Count()));
    StatusBar1->SetPanelText(1, SelectedStatusText(ImgListView1->SelCount()));
    StatusBar1->SetPanelText(2, ImgListView1->FolderMissing() ? kStatusNoFolder : std::string_view());
}

// A right click has selected the row under the pointer, if any, first.
void TForm1::ImgListView1ContextPopup(POINT screen) {
    const bool selected = ImgListView1->SelCount() > 0;
    for (TMenuItem* item : {N6, N7, N8}) item->SetEnabled(selected);
    PopupMenu1.Popup(screen.x, screen.y);
}

// ---- Output name and save folder ------------------------------------------------

void TForm1::SpeedButton1Click() { LabeledEdit6->SetText(""); }

void TForm1::SpeedButton2Click() {
    LabeledEdit6->SetTextW(Utf8ToUtf16(FolderNameOf(ImgListView1->FolderPath())));
}

void TForm1::CheckBox6Click() {
    if (!CheckBox6->Checked()) {
        StaticText2->SetTextW(StaticText3->TextW());
        StaticText2->SetHintW(StaticText3->TextW());
        return;
    }
    if (SelectFolderDialog1.Execute(Handle())) {
        const std::u16string folder = Utf8ToUtf16(SelectFolderDialog1.SelectedPath());
        StaticText2->SetTextW(folder);
        StaticText2->SetHintW(folder);
    } else {
        CheckBox6->SetChecked(false);  // runs this handler again: the save folder follows the image folder
    }
}

}  // namespace pim
