#include "AppFixture.h"

#include <commctrl.h>

#include <shellapi.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>

#include "ProofWindow.h"
#include "graphics/Graphics.h"
#include "graphics/Jpeg.h"
#include "tests/support/PngBytes.h"

namespace pim::test {

namespace {

TBitmap Filled(int width, int height, COLORREF color) {
    TBitmap bitmap(width, height, TPixelFormat::pf24bit);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = GetBValue(color);
            row[3 * x + 1] = GetGValue(color);
            row[3 * x + 2] = GetRValue(color);
        }
    }
    return bitmap;
}

}  // namespace

std::string FreshFolder(const std::string& name) {
    const std::string folder = OutputPath(name);
    const std::string pattern = folder + "\\*";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((folder + "\\" + found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

void WriteBmpFile(const std::string& path, int width, int height, COLORREF color) {
    Filled(width, height, color).SaveToFile(path);
}

void WriteJpegFile(const std::string& path, int width, int height, COLORREF color) {
    TJPEGImage jpeg;
    jpeg.Assign(Filled(width, height, color));
    jpeg.SaveToFile(path);
}

void WritePngFile(const std::string& path, int width, int height, COLORREF color, int alpha) {
    const std::vector<std::uint8_t> png = MakePng(width, height, 6,
                                                  RgbaRows(width, height, GetRValue(color), GetGValue(color),
                                                           GetBValue(color), static_cast<std::uint8_t>(alpha)));
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
}

void WriteTextFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int PdfPageCount(const std::string& path) {
    const std::string bytes = ReadWholeFile(path);
    const std::regex page("/Type /Page[^s]");
    return static_cast<int>(
        std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), page), std::sregex_iterator()));
}

HGLOBAL MakeDropFiles(const std::vector<std::u16string>& paths, POINT point) {
    std::size_t chars = 1;
    for (const auto& p : paths) chars += p.size() + 1;
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(char16_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = point;
    drop->fWide = TRUE;
    auto* out = reinterpret_cast<char16_t*>(drop + 1);
    for (const auto& p : paths) {
        std::memcpy(out, p.data(), p.size() * sizeof(char16_t));
        out += p.size() + 1;
    }
    GlobalUnlock(block);
    return block;
}

std::string TextOf(HWND window) {
    char buffer[1024] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

std::string ClassOf(HWND window) {
    char buffer[256] = {};
    GetClassNameA(window, buffer, sizeof buffer);
    return buffer;
}

RECT RectInParent(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void Click(ui::TWindow& control) { SendMessageA(control.Handle(), BM_CLICK, 0, 0); }

void Pick(ui::TComboBox& box, int index) {
    SendMessageA(box.Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(GetParent(box.Handle()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box.Handle()), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(box.Handle()));
}

void PickTab(ui::TPageControl& pages, int index) {
    SendMessageA(pages.Handle(), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    NMHDR header{pages.Handle(), static_cast<UINT_PTR>(GetDlgCtrlID(pages.Handle())), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(GetParent(pages.Handle()), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

namespace {

// The settings folder of this test program: the dpi tests run beside the
// others, and must not take away a file or folder one of them has planted.
std::string SettingsFolder() {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string name = exe;
    name = name.substr(name.find_last_of("\\/") + 1);
    return OutputPath("settings-" + name.substr(0, name.rfind('.')));
}

}  // namespace

void MainWindow::SetUp() {
    ui::Application().OnError = [this](const std::string& message) { errors.push_back(message); };
    ui::Application().OnInfo = [this](const std::string& message) { infos.push_back(message); };
    ui::Application().OnConfirm = [this](const std::string& question) {
        questions.push_back(question);
        return answer;
    };
    // Every window starts from its design values: Pim.ini in a folder of the
    // test output, removed (a folder in its place too) before each test.
    const std::string folder = SettingsFolder();
    CreateDirectoryA(folder.c_str(), nullptr);
    SetEnvironmentVariableA("PIM_SETTINGS_DIR", folder.c_str());
    DeleteFileA(SettingsFile().c_str());
    RemoveDirectoryA(SettingsFile().c_str());
}

std::string MainWindow::SettingsFile() { return SettingsFolder() + "\\Pim.ini"; }

void MainWindow::TearDown() {
    ui::Application().CancelHint();
    form_.reset();
    ui::Application().SetMainForm(nullptr);
    ui::Application().OnError = nullptr;
    ui::Application().OnInfo = nullptr;
    ui::Application().OnConfirm = nullptr;
    ui::Application().Args.clear();
    Pump();
}

void MainWindow::Open(const std::string& folder) {
    ui::Application().Args = {folder};
    form_ = std::make_unique<TForm1>();
    ui::Application().SetMainForm(form_.get());
    form_->ShowForm();
    Pump();
}

std::vector<std::string> MainWindow::Rows() {
    Listed();
    std::vector<std::string> rows;
    const HWND list = form_->ImgListView1->Handle();
    for (int i = 0; i < ListView_GetItemCount(list); ++i) {
        char text[MAX_PATH] = {};
        ListView_GetItemText(list, i, 0, text, sizeof text);
        rows.emplace_back(text);
    }
    return rows;
}

void MainWindow::SelectOnly(int row) {
    Listed();
    const HWND list = form_->ImgListView1->Handle();
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

const ui::THintWindow* MainWindow::RestMouseOn(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    SetCursorPos(r.left + 4, r.top + 4);
    SendMessageA(control, WM_MOUSEMOVE, 0, MAKELPARAM(4, 4));
    const ui::THintWindow* hint = nullptr;
    for (int i = 0; i < 100 && !(hint && IsWindowVisible(hint->Handle())); ++i) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        Pump();
        hint = ui::Application().HintWindow();
    }
    return hint;
}

void MainWindow::Screenshot(HWND window, const std::string& name) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    WriteBmp(CaptureWindow(window), OutputPath(name + ".bmp"));
}

}  // namespace pim::test
