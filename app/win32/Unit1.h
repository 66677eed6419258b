// The main window: the document properties, the output name, the picture
// adjustments, the thumbnail list with its filter and sort controls, and the
// buttons that start a run or a preview. The rules behind the controls live
// in the portable model (MainModel, TPdfRun, TImgListModel); the handlers
// here read the controls, call the model and show what it answers.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/PdfBatch.h"
#include "app/PdfRun.h"
#include "app/SettingsKeeper.h"
#include "imagelist/win32/ImgListView.h"
#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/ComboBox.h"
#include "ui/Form.h"
#include "ui/GroupBox.h"
#include "ui/Image.h"
#include "ui/LabeledEdit.h"
#include "ui/Menu.h"
#include "ui/PageControl.h"
#include "ui/Panel.h"
#include "ui/ScrollBar.h"
#include "ui/ScrollBox.h"
#include "ui/SpeedButton.h"
#include "ui/StaticText.h"
#include "ui/StatusBar.h"
#include "shellutil/DropDst.h"
#include "shellutil/SelectFolder.h"
#include "shellutil/zHint.h"
#include "settings/RegMng.h"

namespace pim {

class TForm2;

class TProgressLink;
class TSettingsHook;

class TForm1 : public ui::TForm, private TPdfRunHost {
public:
    TForm1();
    ~TForm1() override;

    // Controls, in the order of the window's table.
    ui::TGroupBox* GroupBox1;
    ui::TLabeledEdit* LabeledEdit1;
    ui::TLabeledEdit* LabeledEdit2;
    ui::TLabeledEdit* LabeledEdit3;
    ui::TLabeledEdit* LabeledEdit4;
    ui::TGroupBox* GroupBox2;
    ui::TLabeledEdit* LabeledEdit6;
    ui::TCheckBox* CheckBox6;
    ui::TSpeedButton* SpeedButton1;
    ui::TSpeedButton* SpeedButton2;
    ui::TGroupBox* GroupBox3;
    ui::TStaticText* StaticText7;
    ui::TScrollBar* ScrollBar1;
    ui::TStaticText* StaticText8;
    ui::TStaticText* StaticText6;
    ui::TScrollBar* ScrollBar2;
    ui::TStaticText* StaticText9;
    ui::TCheckBox* CheckBox2;
    ui::TButton* Button5;
    ui::TButton* Button6;
    ui::TCheckBox* CheckBox1;
    ui::TCheckBox* CheckBox8;  // "EXIF回転"
    ui::TButton* Button4;
    ui::TPageControl* PageControl1;
    ui::TTabSheet* TabSheet1;
    TImgListView* ImgListView1;
    ui::TTabSheet* TabSheet2;
    ui::TScrollBox* ScrollBox1;
    ui::TImage* Image1;
    ui::TTabSheet* TabSheet3;  // "PDF設定"
    ui::TGroupBox* GroupBox4;
    ui::TStaticText* StaticText12;
    ui::TComboBox* ComboBox3;  // "綴じ方向"
    ui::TStaticText* StaticText13;
    ui::TComboBox* ComboBox4;  // "ページの表示"
    ui::TGroupBox* GroupBox5;
    ui::TButton* Button8;  // "サブフォルダごとにPDF作成"
    ui::TButton* Button9;  // "すべてを1つのPDFに"
    ui::TPanel* Panel1;
    ui::TComboBox* ComboBox2;
    ui::TComboBox* ComboBox1;
    ui::TCheckBox* CheckBox3;
    ui::TCheckBox* CheckBox4;
    ui::TCheckBox* CheckBox5;
    ui::TCheckBox* CheckBox7;  // "png"
    ui::TCheckBox* CheckBox9;  // "tif/gif/webp"
    ui::TPanel* Panel2;
    ui::TStaticText* StaticText11;
    ui::TStaticText* StaticText3;
    ui::TStaticText* StaticText1;
    ui::TStaticText* StaticText2;
    ui::TButton* Button7;  // "参照...": chooses the image folder
    ui::TStatusBar* StatusBar1;

    // Components without a window.
    ui::TPopupMenu PopupMenu1;
    ui::TMenuItem* N1;
    ui::TMenuItem* N2;
    ui::TMenuItem* N3;
    ui::TMenuItem* N4;
    ui::TMenuItem* N5;
    ui::TMenuItem* N6;  // "右に90°回転"
    ui::TMenuItem* N7;  // "左に90°回転"
    ui::TMenuItem* N8;  // "回転を元に戻す"
    ui::TMenuItem* N9;
    ui::TMenuItem* N10;  // "白紙ページを挿入"
    ui::TMenuItem* N11;
    ui::TMenuItem* N12;  // "サブフォルダごとにPDF作成"
    ui::TMenuItem* N13;  // "すべてを1つのPDFに"
    TSelectFolderDialog SelectFolderDialog1;
    TzHint zHint1;
    TDropDst DropDst1;
    // Pim.ini: what the window remembers between starts (Unit1Settings.cpp).
    TRegManager RegManager1;
    // The report, its hidden page and items: the run, called with the files
    // and the settings read from the controls.
    std::unique_ptr<TPdfRun> PdfRun;
    // The hidden working list: the files of the next run, one per page, or
    // the rows registered for a move.
    TStringList ListBox1;

    // Ticked file types, as the boxes show them: jpg 1, bmp 2, txt 4, png 8.
    int FileTypeBits() const;
    int RolledHeight = 0;
    int SavedHeight = 0;

    // The progress dialog of the current or last run, while it is open.
    TForm2* Form2() const { return form2_.get(); }

    // Window.
    void FormShow();
    void FormClose(ui::TCloseAction& action);
    void UpdateStatus() override;
    void ToggleRollUp();
    // List, folder and filter.
    void CheckBox3Click();
    void CheckBox4Click();
    void CheckBox5Click();
    void CheckBox7Click();
    void Check_Attrib();
    void ComboBox1Click();
    void ComboBox2Click();
    void CheckBox8Click();
    void ImgListView1SelectItem(int item, bool selected);
    // The list's rows changed (rebuild, refresh, filter, sort): both counts,
    // and whether the folder is gone.
    void ImgListView1ListChanged();
    // A right click, Shift+F10 or the menu key on the list.
    void ImgListView1ContextPopup(POINT screen);
    // Moving and turning pictures, drops, opening the folder.
    void N3Click();
    void N4Click();
    void N6Click();
    void N7Click();
    void N8Click();
    void N10Click();
    void DropDst1FileDrop(const std::vector<std::string>& files, int x, int y);
    void StaticText3DblClick();
    void Button7Click();
    // Output name and save folder.
    void SpeedButton1Click();
    void SpeedButton2Click();
    void CheckBox6Click();
    void ShowOutputPlace();
    // Adjustment and preview.
    void ScrollBar1Change();
    void ScrollBar2Change();
    void Button5Click();
    void Button6Click();
    void PageControl1Change();
    void Image1MouseDown(ui::TMouseButton button, int x, int y);
    bool ScrollBox1MouseWheelDown(int x, int y);
    bool ScrollBox1MouseWheel(int notches, int x, int y);
    void Image1DblClick(int x, int y);
    // The run.
    void Button4Click();
    void N1Click();
    // The image folder's sub-folders: one PDF each, or all in one PDF.
    void Button8Click();
    void Button9Click();

protected:
    void ChangeScale(int dpi) override;

private:
    void CreateControls();
    void CreatePdfSettingsTab();
    void ConfigureList();
    void WireEvents();
    void ShowPreviewError(std::string_view utf8);
    // The preview (Unit1Preview.cpp): "効果確認" (effect) or "元の画像", a
    // refresh keeping the zoom and place (keepView); and its refresh a
    // moment after an adjustment changed.
    void ShowPreview(bool effect, bool keepView);
    void AdjustmentChanged();
    static constexpr UINT_PTR kPreviewTimer = 0x5E78;
    ui::THookToken previewTimer_;
    // The preview's zoom (Unit1Preview.cpp).
    SIZE PreviewArea() const;
    double PreviewFitZoom() const;
    void FitPreview();
    void PlacePreview(double zoom, double px, double py, int x, int y);
    void ZoomPreviewAt(double zoom, int x, int y);
    bool PreviewKey(const MSG& msg);
    // Sets the selected pictures' turns to what `turned` makes of each.
    void TurnSelected(int (*turned)(int turn));
    // The run over the working list, each file turned as `turns` says.
    void CreatePdf(const std::vector<int>& turns);
    // What a run is told, read from the controls.
    TPdfRunSettings RunSettings() const;
    // The folder the PDFs of a run with these settings go to.
    static std::string OutputFolder(const TPdfRunSettings& s);
    // True when none of the PDFs exists, or the user says to replace them.
    bool MayReplace(const std::vector<std::string>& pdfs);
    std::string ImageFolder() const;
    // Remembered settings (Unit1Settings.cpp).
    friend class TSettingsHook;
    void SetupSettings();
    void RestoreSettings();
    // The window is shown with its settings: a change from now on is the user's.
    void SettingsShown();
    void SettingChanged();
    void SaveSettings();
    void WindowPlaceChanged();
    TWindowPlace WindowPlace() const;
    void RestoreWindowPlace(const TWindowPlace& place);
    void RestoreSaveFolder(const std::string& folder);

    // TPdfRunHost
    TPdfRunProgress& OpenProgress() override;
    void ShowError(const std::string& message) override;
    void ShowFailure(const TPdfRunResult& result) override;
    void ActivateListTab() override;

    // The files registered for a move, in row order: a move takes them
    // wherever the list has put them since.
    std::vector<std::string> registered_;
    std::vector<int> registeredBlanks_;  // and the blank items, by Id
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TProgressLink> progress_;
    bool running_ = false;
    bool previewFits_ = true;  // the preview follows the panel's size
    std::unique_ptr<TSettingsKeeper> settings_;
    std::unique_ptr<TControlHook> settingsHook_;  // a TSettingsHook
    std::u16string settingsFolder_;
    std::string rememberedFolder_;  // the last image folder, when it still exists
    std::string shownFolder_;
    // The output name typed while "フォルダ名" is down, for "ユーザ設定".
    std::u16string typedName_;
    bool folderNamed_ = false;
    TWindowPlace shownPlace_;
};

}  // namespace pim
