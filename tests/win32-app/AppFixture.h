// The main window as the tests meet it: made on a folder of the test output,
// shown as at start-up, driven with real window messages. Error boxes are
// recorded instead of shown, except where a test answers a real one.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/win32/Unit1.h"
#include "app/win32/Unit2.h"

namespace pim::test {

// A folder in the test output, emptied, as a path the program takes.
std::string FreshFolder(const std::string& name);
// Pictures and texts of one colour or content.
void WriteBmpFile(const std::string& path, int width, int height, COLORREF color);
void WriteJpegFile(const std::string& path, int width, int height, COLORREF color);
// An 8-bit RGBA PNG of the colour at the opacity (0..255).
void WritePngFile(const std::string& path, int width, int height, COLORREF color, int alpha);
void WriteTextFile(const std::string& path, const std::string& bytes);
std::string ReadWholeFile(const std::string& path);
// Pages of a PDF the program wrote (its page objects).
int PdfPageCount(const std::string& path);

// A DROPFILES block as the shell hands it over with WM_DROPFILES; the
// receiver frees it.
HGLOBAL MakeDropFiles(const std::vector<std::u16string>& paths, POINT point = {});

// Text of a window as code page 932 bytes, and its class.
std::string TextOf(HWND window);
std::string ClassOf(HWND window);
// A window's rectangle in its parent's client area.
RECT RectInParent(HWND window);

// Sends what the user's click sends: BM_CLICK for buttons and check boxes.
void Click(ui::TWindow& control);
// Picks item index of a combo box as the user does (CBN_SELCHANGE follows).
void Pick(ui::TComboBox& box, int index);
// Picks a tab as the user does (TCN_SELCHANGE follows).
void PickTab(ui::TPageControl& pages, int index);

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Starts the window with folder as its command-line argument (none when empty).
    void Open(const std::string& folder);
    // Where the window keeps its settings during the tests.
    static std::string SettingsFile();
    TForm1& Form() { return *form_; }
    // The list's rows as the list view shows them.
    std::vector<std::string> Rows();
    void SelectOnly(int row);
    // Lands the folder's listing, then handles the messages waiting.
    void Pump() {
        Listed();
        ui::Application().ProcessMessages();
    }
    // The list holds the folder's entries: the listing running on its own
    // thread has landed.
    void Listed() {
        if (form_) form_->ImgListView1->Model().FinishListing();
    }
    // Leaves a screenshot of a window in the test output (name.bmp).
    void Screenshot(HWND window, const std::string& name);
    // Rests the mouse on a control and waits up to two seconds for its
    // hint; the application's hint window (nullptr when none was made).
    const ui::THintWindow* RestMouseOn(HWND control);

    std::vector<std::string> errors;     // error boxes, in order
    std::vector<std::string> infos;      // information boxes
    std::vector<std::string> questions;  // はい/いいえ questions, each answered with `answer`
    bool answer = true;

private:
    std::unique_ptr<TForm1> form_;
};

}  // namespace pim::test
