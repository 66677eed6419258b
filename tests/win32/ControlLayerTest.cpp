// The control layer on its own, with real windows and messages: a
// notification handed back to the control that sent it, a window's object
// detached when its window goes, an exception stopped at the window procedure
// and shown in the error box, and message hooks that outlive RecreateHandle
// and come off in any order.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/SysUtils.h"
#include "ui/Application.h"
#include "ui/Button.h"
#include "ui/Form.h"

namespace pim::test {
namespace {

using namespace ui;

constexpr UINT kProbe = WM_APP + 7;

class TTestForm : public TForm {
public:
    TTestForm() : TForm({.Caption = "control layer", .ClientWidth = 200, .ClientHeight = 100}) {
        Button1 = Make<TButton>({.Parent = this, .Bounds = {10, 10, 80, 24}, .Caption = "OK"});
    }
    ~TTestForm() override { DestroyHandle(); }
    TButton* Button1;
};

// A hook that writes what it sees into log under its name: kProbe (answered
// with 42 when it consumes it) and every change of handle.
TMessageHook Recorder(std::vector<std::string>& log, const std::string& name, bool consume = false) {
    return {.Message = [&log, name, consume](UINT message, WPARAM, LPARAM, LRESULT& result) {
                if (message != kProbe) return false;
                log.push_back(name);
                result = 42;
                return consume;
            },
            .HandleChanged = [&log, name](THandleChange why) {
                log.push_back(name + (why == THandleChange::hcDestroyed ? " destroyed"
                                      : why == THandleChange::hcCreated ? " created"
                                                                        : " freed"));
            }};
}

std::vector<std::string> Probe(TWindow& window, std::vector<std::string>& log) {
    log.clear();
    SendMessageW(window.Handle(), kProbe, 0, 0);
    return log;
}

TEST(ControlLayer, TheParentHandsANotificationBackToTheControlThatSentIt) {
    TTestForm form;
    int clicks = 0;
    form.Button1->OnClick = [&] { ++clicks; };
    const auto id = static_cast<WPARAM>(GetDlgCtrlID(form.Button1->Handle()));
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(form.Button1->Handle()));
    EXPECT_EQ(clicks, 1);
    // A command from a menu names no control: nobody's click.
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    EXPECT_EQ(clicks, 1);
}

TEST(ControlLayer, AnObjectLetsGoOfItsWindowWhenTheWindowGoesAndItsHooksOfTheObject) {
    std::vector<std::string> log;
    THookToken token;
    {
        TTestForm form;
        TButton& button = *form.Button1;
        token = button.AddHook(Recorder(log, "a"));
        const HWND handle = button.Handle();
        DestroyWindow(handle);
        EXPECT_EQ(button.Handle(), nullptr);
        EXPECT_EQ(TWindow::FromHandle(handle), nullptr);
        EXPECT_EQ(log, (std::vector<std::string>{"a destroyed"}));
        EXPECT_TRUE(token.Attached());
        log.clear();
    }
    // The button object went with its form: the hook was told and is off.
    EXPECT_EQ(log, (std::vector<std::string>{"a freed"}));
    EXPECT_FALSE(token.Attached());
    token.Remove();
}

// Finds the error box, reads its text and answers it, from another thread:
// the box blocks the thread that shows it.
class TErrorBoxReader {
public:
    TErrorBoxReader()
        : thread_([this] {
              const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
              while (std::chrono::steady_clock::now() < until) {
                  if (HWND box = FindWindowW(L"#32770", L"\u30A8\u30E9\u30FC")) {  // エラー
                      EnumChildWindows(box, &TErrorBoxReader::ReadStatic, reinterpret_cast<LPARAM>(&text_));
                      PostMessageW(box, WM_COMMAND, IDOK, 0);
                      return;
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(20));
              }
          }) {}
    ~TErrorBoxReader() {
        if (thread_.joinable()) thread_.join();
    }
    // The box's text, once it was answered.
    std::u16string Text() {
        if (thread_.joinable()) thread_.join();
        return text_;
    }

private:
    static BOOL CALLBACK ReadStatic(HWND child, LPARAM data) {
        wchar_t name[32] = {};
        GetClassNameW(child, name, 32);
        wchar_t text[256] = {};
        if (lstrcmpiW(name, L"Static") == 0 && GetWindowTextW(child, text, 256) > 0)
            *reinterpret_cast<std::u16string*>(data) = reinterpret_cast<const char16_t*>(text);
        return TRUE;
    }
    std::u16string text_;
    std::thread thread_;
};

TEST(ControlLayer, AnExceptionStopsAtTheWindowProcedureAndShowsInTheErrorBox) {
    Application().OnError = nullptr;  // the real box
    TTestForm form;
    THookToken token = form.AddHook({.Message = [](UINT message, WPARAM, LPARAM, LRESULT&) -> bool {
        if (message == kProbe) throw Exception("the hook broke");
        return false;
    }});
    TErrorBoxReader reader;
    EXPECT_EQ(SendMessageW(form.Handle(), kProbe, 0, 0), 0);
    EXPECT_EQ(reader.Text(), u"the hook broke");
    // The window goes on working.
    EXPECT_NE(form.Handle(), nullptr);
    EXPECT_EQ(SendMessageW(form.Handle(), WM_GETTEXTLENGTH, 0, 0), 13);
}

TEST(ControlLayer, HooksStayOnAWindowMadeAgain) {
    TTestForm form;
    std::vector<std::string> log;
    THookToken token = form.Button1->AddHook(Recorder(log, "a", true));
    form.Button1->SetText("again");
    form.Button1->RecreateHandle();
    EXPECT_EQ(log, (std::vector<std::string>{"a destroyed", "a created"}));
    EXPECT_EQ(TWindow::FromHandle(form.Button1->Handle()), form.Button1);
    EXPECT_EQ(form.Button1->Text(), "again");
    EXPECT_EQ(SendMessageW(form.Button1->Handle(), kProbe, 0, 0), 42);
    EXPECT_EQ(log.back(), "a");
}

TEST(ControlLayer, HooksComeOffInAnyOrderAndTheLastAddedSeesAMessageFirst) {
    TTestForm form;
    std::vector<std::string> log;
    THookToken a = form.AddHook(Recorder(log, "a"));
    THookToken b = form.AddHook(Recorder(log, "b"));
    THookToken c = form.AddHook(Recorder(log, "c"));
    EXPECT_EQ(Probe(form, log), (std::vector<std::string>{"c", "b", "a"}));
    b.Remove();
    EXPECT_EQ(Probe(form, log), (std::vector<std::string>{"c", "a"}));
    {
        // A hook that consumes the message keeps it from those added before.
        THookToken d = form.AddHook(Recorder(log, "d", true));
        EXPECT_EQ(Probe(form, log), (std::vector<std::string>{"d"}));
    }
    a.Remove();
    EXPECT_EQ(Probe(form, log), (std::vector<std::string>{"c"}));
    // A hook taking another off while a message is on its way: that one is
    // not called any more.
    THookToken e = form.AddHook(Recorder(log, "e"));
    THookToken f = form.AddHook({.Message = [&](UINT message, WPARAM, LPARAM, LRESULT&) {
        if (message == kProbe) e.Remove();
        return false;
    }});
    EXPECT_EQ(Probe(form, log), (std::vector<std::string>{"c"}));
    f.Remove();
    c.Remove();
    EXPECT_EQ(Probe(form, log), (std::vector<std::string>{}));
}

}  // namespace
}  // namespace pim::test
