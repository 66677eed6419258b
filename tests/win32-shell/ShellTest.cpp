// The thumbnail list acting as a shell folder under Wine's shell: the
// clipboard keys, delete, paste, dropping in, dragging out and the merged
// context menu. Where Wine's shell differs from Windows' the test asserts
// what Wine does and says what it stands in for.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "base/CodePage.h"
#include "ProofWindow.h"
#include "imagelist/win32/ImgListView.h"
#include "ui/Form.h"

namespace pim::test {
namespace {

class OleEnvironment : public ::testing::Environment {
public:
    void SetUp() override { OleInitialize(nullptr); }
    void TearDown() override { OleUninitialize(); }
};
const auto* const kOle = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

// A folder of the test output holding exactly these (small text) files.
std::string FolderWith(const std::string& name, const std::vector<std::string>& files) {
    const std::string folder = OutputPath(name);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    for (const std::string& file : files) std::ofstream(folder + "\\" + file) << file;
    return folder;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

template <class Pred>
bool PumpUntil(Pred done, DWORD ms = 5000) {
    const ULONGLONG deadline = GetTickCount64() + ms;
    for (MSG msg; !done(); MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT)) {
        if (GetTickCount64() >= deadline) return false;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    return true;
}

// A key as the user presses it, Ctrl held or not.
void Press(HWND window, WPARAM key, bool ctrl) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(keys);
    SendMessageW(window, WM_KEYDOWN, key, 0);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
}

std::vector<std::string> ClipboardFiles() {
    TComPtr<IDataObject> clipboard;
    if (FAILED(OleGetClipboard(clipboard.Put()))) return {};
    return TFileDataObject(clipboard.Get()).FileNames();
}

// Only text on the clipboard: no files.
void ClipboardTextOnly() {
    OleSetClipboard(nullptr);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 2);
    static_cast<char*>(GlobalLock(text))[0] = 'x';
    GlobalUnlock(text);
    SetClipboardData(CF_TEXT, text);
    CloseClipboard();
}

// The shell's own data object for files of one folder, as another
// program's drag hands it over.
TComPtr<IDataObject> ShellFiles(const std::string& folder, const std::vector<std::string>& names) {
    TIdList absolute;
    if (!SystemShell().ParseDisplayName(nullptr, folder, absolute)) return {};
    TShellItemsOf items{BindFolder(absolute), {}};
    for (const std::string& name : names) {
        TIdList file;
        if (SystemShell().ParseDisplayName(nullptr, folder + "\\" + name, file)) items.Items.push_back(file.Last());
    }
    return items.UiObject<IDataObject>(nullptr, IID_IDataObject);
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override { form.ShowForm(); }
    TImgListView& Make(const std::string& shown, TViewMode mode = TViewMode::ivmFolder) {
        list = std::make_unique<TImgListView>(TImgListView::Params{.Parent = &form,
                                                                   .Bounds = {0, 0, 480, 300},
                                                                   .ViewStyle = ui::TViewStyle::vsReport,
                                                                   .IconStyle = TIconStyle::iisIcon,
                                                                   .MultiSelect = true});
        list->DispTypes().SetFolders(false);
        list->Model().SetViewMode(mode);
        list->Setup();
        if (mode == TViewMode::ivmFolder) list->SetFolderPath(shown);
        list->Model().FinishListing();
        return *list;
    }
    void Select(std::initializer_list<int> rows) {
        list->Model().FinishListing();
        ListView_SetItemState(list->Handle(), -1, 0, LVIS_SELECTED);
        for (int row : rows) list->SetSelected(row, true);
    }
    std::vector<std::string> Paths() {
        list->Model().FinishListing();
        std::vector<std::string> paths;
        for (int i = 0; i < list->ImgItems().Count(); ++i) paths.push_back(list->ImgItems()[i]->FullPath());
        return paths;
    }
    // The middle of a row's label, in client and screen coordinates.
    POINT RowPoint(int row, bool screen = false) {
        RECT bounds{};
        ListView_GetItemRect(list->Handle(), row, &bounds, LVIR_LABEL);
        POINT point{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
        if (screen) ClientToScreen(list->Handle(), &point);
        return point;
    }
    // True when the view is registered as a drop target: the platform then
    // refuses a second registration.
    bool RegisteredForDrops() {
        const HRESULT hr = RegisterDragDrop(list->Handle(), list->DragDrop().DropTarget());
        if (SUCCEEDED(hr)) RevokeDragDrop(list->Handle());
        return hr == DRAGDROP_E_ALREADYREGISTERED;
    }

    ui::TForm form{{.Caption = "shell list", .ClientWidth = 480, .ClientHeight = 300}};
    std::unique_ptr<TImgListView> list;
};

TEST_F(ShellTest, CopyAndCutPutTheSelectedFilesOnTheClipboardInRowOrder) {
    const std::string folder = FolderWith("shell-copy", {"a.txt", "b.txt", "c.txt"});
    TImgListView& view = Make(folder);
    ASSERT_EQ(view.ImgItems().Count(), 3);
    Select({0, 2});
    Press(view.Handle(), 'C', true);
    EXPECT_EQ(ClipboardFiles(), (std::vector<std::string>{folder + "\\a.txt", folder + "\\c.txt"}));

    // Windows also marks a cut's files for moving ("Preferred DropEffect");
    // Wine's cut leaves the same clipboard as a copy.
    Select({1});
    Press(view.Handle(), 'X', true);
    EXPECT_EQ(ClipboardFiles(), std::vector<std::string>{folder + "\\b.txt"});
    EXPECT_TRUE(Exists(folder + "\\b.txt"));  // a cut moves nothing until the paste
}

TEST_F(ShellTest, PasteGoesToTheShownFolderOnlyWhenTheClipboardOffersFiles) {
    const std::string source = FolderWith("shell-paste-from", {"p.txt", "q.txt"});
    const std::string target = FolderWith("shell-paste-to", {"z.txt"});
    TImgListView& view = Make(target);

    ClipboardTextOnly();
    EXPECT_FALSE(view.ShellCommand(TShellCommand::scPaste));
    Press(view.Handle(), 'V', true);
    EXPECT_EQ(view.ImgItems().Count(), 1);

    // Files on the clipboard: the shell's paste is invoked on the shown
    // folder's own entry. On Windows it copies p.txt and q.txt here; Wine's
    // item menu has no paste (only a folder's background menu does), so
    // the files stay where they were.
    ASSERT_EQ(OleSetClipboard(ShellFiles(source, {"p.txt", "q.txt"}).Get()), S_OK);
    EXPECT_TRUE(view.ShellCommand(TShellCommand::scPaste));
    ASSERT_EQ(view.ImgItems().SelIdLists.size(), 1u);
    EXPECT_EQ(view.ImgItems().SelIdLists[0], view.Model().FolderIdList().Last());
    EXPECT_FALSE(Exists(target + "\\p.txt"));

    // In file mode Ctrl+V adds the clipboard's files to the list.
    TImgListView& files = Make("", TViewMode::ivmFile);
    Press(files.Handle(), 'V', true);
    EXPECT_EQ(Paths(), (std::vector<std::string>{source + "\\p.txt", source + "\\q.txt"}));
    EXPECT_EQ(ListView_GetItemCount(files.Handle()), 2);
    ClipboardTextOnly();
    Select({1, 0});
    Press(files.Handle(), 'C', true);
    EXPECT_EQ(ClipboardFiles(), (std::vector<std::string>{source + "\\p.txt", source + "\\q.txt"}));
}

TEST_F(ShellTest, DeleteRemovesBothSelectedFilesInOneShellOperationAndTheListFollows) {
    const std::string folder = FolderWith("shell-delete", {"d1.txt", "d2.txt", "keep.txt"});
    TImgListView& view = Make(folder);
    ASSERT_EQ(view.ImgItems().Count(), 3);
    ASSERT_TRUE(view.Watching());

    // The shell asks first, in a modal box on this thread: answer it from
    // another one, once per question.
    std::atomic<bool> stop{false};
    std::atomic<int> questions{0};
    std::thread answerer([&] {
        HWND answered = nullptr;
        while (!stop) {
            HWND box = FindWindowW(nullptr, L"ファイルの削除の確認");
            if (box && box != answered && IsWindowVisible(box)) {
                ++questions;
                answered = box;
                PostMessageW(box, WM_KEYDOWN, VK_RETURN, 0);
            }
            Sleep(50);
        }
    });
    Select({0, 1});
    Press(view.Handle(), VK_DELETE, false);
    const bool gone = PumpUntil([&] { return view.ImgItems().Count() == 1; });
    stop = true;
    answerer.join();
    EXPECT_EQ(questions.load(), 1);
    EXPECT_FALSE(Exists(folder + "\\d1.txt"));
    EXPECT_FALSE(Exists(folder + "\\d2.txt"));
    ASSERT_TRUE(gone);
    EXPECT_EQ(Paths(), std::vector<std::string>{folder + "\\keep.txt"});

    // With Ctrl held Delete is no command.
    Select({0});
    Press(view.Handle(), VK_DELETE, true);
    EXPECT_TRUE(Exists(folder + "\\keep.txt"));
}

TEST_F(ShellTest, DropsGoToTheShellTargetUnderThePointerOrAddTheFilesInFileMode) {
    const std::string source = FolderWith("shell-drop-from", {"m.txt", "n.txt"});
    const std::string target = FolderWith("shell-drop-to", {"t.txt"});
    CreateDirectoryA((target + "\\sub").c_str(), nullptr);
    TImgListView& view = Make(target);
    view.DispTypes().SetFolders(true);
    ASSERT_EQ(Paths(), (std::vector<std::string>{target + "\\sub", target + "\\t.txt"}));
    EXPECT_TRUE(RegisteredForDrops());
    std::vector<std::string> seen;
    bool accept = false;
    view.OnFileDragDrop = [&](TFileDataObject& files, TShiftState shift, POINT, bool& ok) {
        seen = files.FileNames();
        EXPECT_EQ(shift, ssCtrl | ssLeft);
        ok = accept;
    };
    IDropTarget* drop = view.DragDrop().DropTarget();
    TComPtr<IDataObject> data = ShellFiles(source, {"m.txt", "n.txt"});
    ASSERT_TRUE(data);
    // Below the last row: the folder itself is the target.
    POINT below{40, 250};
    ClientToScreen(view.Handle(), &below);
    const POINTL at{below.x, below.y};
    const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    const DWORD keys = MK_CONTROL | MK_LBUTTON;
    const POINT sub = RowPoint(0, true);
    auto highlighted = [&](int row) { return ListView_GetItemState(view.Handle(), row, LVIS_DROPHILITED) != 0; };
    auto dropOnce = [&] {
        DWORD effect = all;
        drop->DragEnter(data.Get(), keys, at, &effect);
        EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));  // Ctrl held
        // Over the sub-folder's row its own drop target answers, and the row
        // is highlighted; below the rows the shown folder's answers.
        effect = all;
        drop->DragOver(keys, {sub.x, sub.y}, &effect);
        EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
        EXPECT_TRUE(highlighted(0));
        effect = all;
        drop->DragOver(keys, at, &effect);
        EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
        EXPECT_FALSE(highlighted(0));
        effect = all;
        drop->Drop(data.Get(), keys, at, &effect);
        return effect;
    };
    // Refused by the event: nothing happens.
    EXPECT_EQ(dropOnce(), static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(seen, (std::vector<std::string>{source + "\\m.txt", source + "\\n.txt"}));
    // Accepted: the drop goes to the folder's shell drop target. On Windows
    // it copies m.txt and n.txt here (Ctrl held); Wine's accepts the drop
    // and copies nothing.
    accept = true;
    EXPECT_NE(dropOnce(), static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_FALSE(Exists(target + "\\m.txt"));
    EXPECT_TRUE(Exists(source + "\\m.txt"));

    // Data without files is refused for the whole drag.
    ClipboardTextOnly();
    TComPtr<IDataObject> text;
    ASSERT_EQ(OleGetClipboard(text.Put()), S_OK);
    DWORD effect = all;
    drop->DragEnter(text.Get(), keys, at, &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    drop->DragLeave();

    // DropTarget off: the view is no drop target; on again: it is.
    view.DefaultExec().SetDropTarget(false);
    EXPECT_FALSE(RegisteredForDrops());
    view.DefaultExec().SetDropTarget(true);
    EXPECT_TRUE(RegisteredForDrops());

    // File mode: the files become items; without Ctrl the source keeps
    // them (a copy, not a move, is reported back).
    TImgListView& files = Make("", TViewMode::ivmFile);
    bool entered = false;
    files.OnFileDragEnter = [&](TFileDataObject& data, TShiftState, POINT, bool&) { entered = data.Count() == 2; };
    effect = all;
    files.DragDrop().DropTarget()->DragEnter(data.Get(), MK_LBUTTON, at, &effect);
    EXPECT_TRUE(entered);
    effect = all;
    files.DragDrop().DropTarget()->Drop(data.Get(), 0, at, &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(Paths(), (std::vector<std::string>{source + "\\m.txt", source + "\\n.txt"}));
    EXPECT_EQ(ListView_GetItemCount(files.Handle()), 2);
}

TEST_F(ShellTest, ADragStartsOnlyWhenThePointerMovesWithTheButtonHeldAndEndsInItsOwnViewWithoutEffect) {
    const std::string folder = FolderWith("shell-drag", {"g1.txt", "g2.txt"});
    TImgListView& view = Make(folder);
    std::vector<DWORD> loops;  // allowed effects of each drag loop run
    std::vector<std::string> dragged;
    std::vector<DWORD> dropped;  // the effect of letting go over the view
    view.DragDrop().RunDragLoop = [&](IDataObject* data, IDropSource* source, DWORD allowed, DWORD* effect) {
        loops.push_back(allowed);
        dragged = TFileDataObject(data).FileNames();
        // The pointer away from the view: letting go is the shell's drop.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
        EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_LBUTTON), S_OK);
        EXPECT_EQ(source->QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
        EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_LBUTTON | MK_RBUTTON), DRAGDROP_S_CANCEL);
        EXPECT_EQ(source->QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
        // Let go over the view itself, below the rows (its own folder).
        POINT below{40, 250};
        ClientToScreen(view.Handle(), &below);
        IDropTarget* target = view.DragDrop().DropTarget();
        *effect = allowed;
        target->DragEnter(data, MK_LBUTTON | MK_CONTROL, {below.x, below.y}, effect);
        *effect = allowed;
        target->Drop(data, MK_CONTROL, {below.x, below.y}, effect);
        dropped.push_back(*effect);
        return S_OK;
    };
    const POINT row = RowPoint(0);
    const LPARAM at = MAKELPARAM(row.x, row.y);
    const LPARAM away = MAKELPARAM(row.x + 60, row.y + 80);

    // Pressed and let go without moving: no drag.
    SendMessageW(view.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    EXPECT_EQ(view.DragDrop().State(), TDragOutState::dsLeftArmed);
    SendMessageW(view.Handle(), WM_LBUTTONUP, 0, at);
    // Moving afterwards with the button flagged changes nothing.
    SendMessageW(view.Handle(), WM_MOUSEMOVE, MK_LBUTTON, away);
    EXPECT_TRUE(loops.empty());
    // Moving with the button held drags the selection, once.
    SendMessageW(view.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(view.Handle(), WM_MOUSEMOVE, 0, away);
    EXPECT_TRUE(loops.empty());
    SendMessageW(view.Handle(), WM_MOUSEMOVE, MK_LBUTTON, away);
    SendMessageW(view.Handle(), WM_LBUTTONUP, 0, away);
    ASSERT_EQ(loops.size(), 1u);
    EXPECT_EQ(loops[0], static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK));
    EXPECT_EQ(dragged, std::vector<std::string>{folder + "\\g1.txt"});
    EXPECT_EQ(view.DragDrop().State(), TDragOutState::dsIdle);
    // Let go over its own view: the drop went nowhere.
    EXPECT_EQ(dropped[0], static_cast<DWORD>(DROPEFFECT_NONE));

    // The right button drags the same way, with the effects DragType allows.
    view.DefaultExec().SetDragType(idtCopy);
    view.DragDrop().MouseMessage(WM_RBUTTONDOWN, MK_RBUTTON, at);
    view.DragDrop().MouseMessage(WM_MOUSEMOVE, MK_LBUTTON, away);
    EXPECT_EQ(loops.size(), 1u);
    view.DragDrop().MouseMessage(WM_MOUSEMOVE, MK_RBUTTON, away);
    ASSERT_EQ(loops.size(), 2u);
    EXPECT_EQ(loops[1], static_cast<DWORD>(DROPEFFECT_COPY));
    // A right-button drag is the shell's to finish: its folder target answers.
    EXPECT_EQ(dropped[1], static_cast<DWORD>(DROPEFFECT_COPY));

    // Pressed on no row, or with DropSource off: nothing is armed.
    SendMessageW(view.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 250));
    EXPECT_EQ(view.DragDrop().State(), TDragOutState::dsIdle);
    SendMessageW(view.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(40, 250));
    view.DefaultExec().SetDropSource(false);
    SendMessageW(view.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(view.Handle(), WM_MOUSEMOVE, MK_LBUTTON, away);
    SendMessageW(view.Handle(), WM_LBUTTONUP, 0, away);
    EXPECT_EQ(loops.size(), 2u);
}

TEST_F(ShellTest, TheContextMenuMergesTheOwnEntriesWithTheShellsAndRunsTheChosenOne) {
    const std::string folder = FolderWith("shell-menu", {"photo.txt"});
    TImgListView& view = Make(folder);
    ui::TPopupMenu own(view);
    int clicked = 0;
    own.Add("Own first")->OnClick = [&] { clicked = 1; };
    own.Add("-");
    ui::TMenuItem* last = own.Add("Own last");
    last->ShortCut = "Ctrl+L";
    last->OnClick = [&] { clicked = 2; };
    view.ImgPopupMenu().SetPopupMenu(&own);
    Select({0});
    const POINT at = RowPoint(0, true);
    auto popup = [&](MenuSeen& seen) {
        WithOpenMenu(seen, [&] {
            SendMessageW(view.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view.Handle()),
                         MAKELPARAM(at.x, at.y));
        });
    };

    // The shell's entries first (ShellMenuPos 0), its first one the
    // default; the own ones after them. Up from the top wraps to the last
    // own entry, whose handler runs.
    MenuSeen merged{.keys = {VK_UP, VK_RETURN}, .screenshot = "shell-menu.bmp"};
    popup(merged);
    ASSERT_GT(merged.entries.size(), 4u);
    const std::vector<std::string> tail(merged.entries.end() - 3, merged.entries.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"Own first", "-", "Own last\tCtrl+L"}));
    EXPECT_EQ(merged.defaultPos, 0);
    EXPECT_EQ(clicked, 2);

    // Renaming from the menu: the shell's entry (shown by Wine only without
    // the explore flag) starts the list's own label editor.
    view.ImgPopupMenu().SetContextMenuType(ictCanRename);
    MenuSeen rename{.mnemonic = 'r'};
    popup(rename);
    EXPECT_NE(std::find(rename.entries.begin(), rename.entries.end(), Utf8ToAnsi("名前の変更(&R)")),
              rename.entries.end());
    EXPECT_NE(ListView_GetEditControl(view.Handle()), nullptr);
    SendMessageW(view.Handle(), LVM_CANCELEDITLABEL, 0, 0);
    EXPECT_EQ(clicked, 2);

    // Off: the own entries alone; closing chooses nothing.
    view.ImgPopupMenu().SetEnabled(false);
    clicked = 0;
    MenuSeen alone{.keys = {VK_ESCAPE}};
    popup(alone);
    EXPECT_EQ(alone.entries, (std::vector<std::string>{"Own first", "-", "Own last\tCtrl+L"}));
    EXPECT_EQ(clicked, 0);
}

}  // namespace
}  // namespace pim::test
