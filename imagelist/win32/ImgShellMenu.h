// The list's shell context menu and the shell's commands on its items. The
// menu merges the program's own entries (a ui::TPopupMenu) with the entries
// the shell offers for the chosen items; the commands (copy, cut, paste,
// delete, properties, create shortcut) invoke the shell's verbs by their
// fixed offsets, so the shell does the work and shows its own questions.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <memory>

#include "imagelist/win32/ShellObjects.h"
#include "ui/Menu.h"

namespace pim {

// Flags for the shell's context menu (the platform's CMF_* values); a set.
using TContextMenuType = unsigned;
enum TContextMenuTypeBit : unsigned {
    ictNormal = 0x0,
    ictDefaultOnly = 0x1,
    ictVerbsOnly = 0x2,
    ictExplore = 0x4,
    ictNoverbs = 0x8,
    ictCanRename = 0x10,
    ictNoDefault = 0x20,
    ictIncludeStatic = 0x40,
    ictReserved = 0xFFFF0000,
};

class TCustomImgPopupMenu {
public:
    TCustomImgPopupMenu() = default;
    virtual ~TCustomImgPopupMenu() = default;
    TCustomImgPopupMenu(const TCustomImgPopupMenu&) = delete;
    TCustomImgPopupMenu& operator=(const TCustomImgPopupMenu&) = delete;

    TContextMenuType ContextMenuType() const { return type_; }
    void SetContextMenuType(TContextMenuType type) { type_ = type; }
    // Where the shell's entries go among the own ones.
    int ShellMenuPos() const { return shellMenuPos_; }
    void SetShellMenuPos(int pos) { shellMenuPos_ = pos; }
    // Off: only the own entries are shown.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    // The own entries, borrowed; nullptr once that menu is destroyed.
    ui::TPopupMenu* PopupMenu() const { return popupAlive_.expired() ? nullptr : popupMenu_; }
    void SetPopupMenu(ui::TPopupMenu* menu);

    // Shows the merged menu for the items at a screen point (owner gets the
    // menu's messages) and runs the chosen entry. The shell's rename entry
    // runs rename instead: renaming goes through the label editor.
    void Popup(HWND owner, const TShellItemsOf& items, POINT screen, const ui::TNotifyEvent& rename);
    // While the menu is open the shell's entries need the owner's menu
    // messages (drawing, measuring, sub-menus, selection). True when the
    // message went to the shell; result is then the answer.
    bool MenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    TContextMenuType type_ = ictExplore | ictCanRename;
    int shellMenuPos_ = 0;
    bool enabled_ = true;
    ui::TPopupMenu* popupMenu_ = nullptr;
    std::weak_ptr<void> popupAlive_;

    // While a menu is open.
    TComPtr<IContextMenu2> menu2_;
    TComPtr<IContextMenu3> menu3_;
    const ui::TMenuCommands* own_ = nullptr;
    bool open_ = false;
};

class TImgListViewPopupMenu : public TCustomImgPopupMenu {};

// The shell's commands on the selection.
enum class TShellCommand { scCopy, scPaste, scCut, scDelete, scProperties, scCreateShortcut };

// Invokes the verb at offset in the items' default-only context menu (the
// offsets of the shell's classic verbs). False when no menu could be had.
bool InvokeShellVerb(HWND owner, const TShellItemsOf& items, int offset);

}  // namespace pim
