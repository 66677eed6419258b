// The shell's folder browser. Execute shows it modally over the program's
// other windows and tells whether the user chose a folder; SelectedPath is
// that folder's file-system path (empty for a folder without one). The root
// and the first selection are well-known shell folders; the title, status
// text, caption and OK caption can be set, and events follow the browser.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>

namespace pim {

// Well-known shell folders; each value is the shell's CSIDL of the same meaning.
enum class TSpecialFolder {
    sfDesktop, sfInternet, sfPrograms, sfControls, sfPrinters, sfPersonal, sfFavorites, sfStartup, sfRecent,
    sfSendto, sfBitBucket, sfStartMenu, sfMyMusic, sfMyVideo, sfDesktopDirectory, sfDirives, sfNetwork,
    sfNetHood, sfFonts, sfTemplates, sfCommonStartMenu, sfCommonPrograms, sfCommonStartup,
    sfCommonDesktopDirectory, sfAppData, sfPrintHood, sfLocalAppData, sfAltStartup, sfCommonAltStartup,
    sfCommonFavorites, sfInternetChache, sfCookies, sfHistory, sfCommonAppData, sfWindows, sfSystem,
    sfProgramFiles, sfMyPictures, sfProfile, sfProgramFilesCommon, sfCommonTemplates, sfCommonDocuments,
    sfCommonAdminTools, sfAdminTools, sfConnections, sfCommonMusic, sfCommonPictures, sfCommonVideo, sfNone,
};
int CsidlOf(TSpecialFolder folder);

// Browser options, as bits of the browser's flags.
enum TBrowseInfoOption : UINT {
    bifReturnOnlyFSDirs = 0x0001, bifDontGoBelowDomain = 0x0002, bifStatusText = 0x0004,
    bifReturnFSAncestors = 0x0008, bifEditBox = 0x0010, bifValidate = 0x0020, bifNewDialogStyle = 0x0040,
    bifUseNewUI = 0x0050, bifBrowseIncludeURLs = 0x0080, bifUAHint = 0x0100, bifNoNewFolderButton = 0x0200,
    bifBrowseForComputer = 0x1000, bifBrowseForPrinter = 0x2000, bifBrowseIncludeFiles = 0x4000,
    bifShareable = 0x8000,
};

// An absolute item ID list in the shell's memory, owned.
class TPidl {
public:
    TPidl() = default;
    explicit TPidl(LPITEMIDLIST list) : list_(list) {}
    ~TPidl() { CoTaskMemFree(list_); }
    TPidl(const TPidl& other) : list_(other.list_ ? ILClone(other.list_) : nullptr) {}
    TPidl& operator=(TPidl other) {
        std::swap(list_, other.list_);
        return *this;
    }
    LPITEMIDLIST Get() const { return list_; }
    explicit operator bool() const { return list_ != nullptr; }

private:
    LPITEMIDLIST list_ = nullptr;
};

class TSelectFolderDialog {
public:
    TSelectFolderDialog();
    ~TSelectFolderDialog();
    TSelectFolderDialog(const TSelectFolderDialog&) = delete;
    TSelectFolderDialog& operator=(const TSelectFolderDialog&) = delete;

    // True when the user chose a folder. owner: the window the browser
    // belongs to (nullptr: the main form).
    bool Execute(HWND owner = nullptr);
    std::string SelectedPath() const;
    const std::string& SelectedDisplayName() const { return displayName_; }
    int SelectedImage() const { return image_; }

    // The folder the browser opens on: a path (UTF-8; one the shell cannot
    // parse leaves the selection as it was).
    void SetSelectedPath(const std::string& path);

    TSpecialFolder SelectSpecialFolder() const;
    void SetSelectSpecialFolder(TSpecialFolder folder);
    TSpecialFolder RootSpecialFolder() const { return rootFolder_; }
    void SetRootSpecialFolder(TSpecialFolder folder);
    // Texts are code page 932.
    std::string Title;
    const std::string& StatusText() const { return statusText_; }
    void SetStatusText(const std::string& text);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& text);
    const std::string& OKButtonCaption() const { return okCaption_; }
    void SetOKButtonCaption(const std::string& text);
    UINT Options = bifReturnOnlyFSDirs;

    std::function<void()> OnClose;
    std::function<void()> OnShow;
    std::function<void(bool& canClose)> OnCanClose;
    std::function<void()> OnFolderChange;
    std::function<void(const std::string& failedFolder, bool& canClose)> OnValidateFailed;

    // The browser's window while it is open.
    HWND BrowserHandle() const { return browser_; }

private:
    static int CALLBACK Callback(HWND window, UINT message, LPARAM lParam, LPARAM data);
    static LRESULT CALLBACK BrowserProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT BrowserMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Initialised(HWND window);

    TPidl selected_;
    TPidl root_;
    TSpecialFolder rootFolder_ = TSpecialFolder::sfDesktop;
    std::string statusText_, caption_, okCaption_, displayName_;
    int image_ = 0;
    HWND browser_ = nullptr;
    WNDPROC browserProc_ = nullptr;
};

}  // namespace pim
