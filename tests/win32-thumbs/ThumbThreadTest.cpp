// The worker threads: a worker never started, the result message reaching a window and
// being taken in, and a stop during a slow decode dropping the result.
#include <windows.h>
// TImgUtil::LoadImage and TImgPlatform::DrawText, not the API switches.
#undef DrawText
#undef LoadImage

#include <gtest/gtest.h>

#include <atomic>

#include "base/Classes.h"
#include "graphics/BmpFile.h"
#include "graphics/Resample.h"
#include "imagelist/IdList.h"
#include "imagelist/ImgList.h"
#include "imagelist/ImgThreads.h"
#include "imagelist/ImgUtil.h"
#include "imagelist/win32/ImgThread.h"
#include "tests/win32-thumbs/ThumbFiles.h"

namespace pim {
namespace {

// The Windows decoders, with a BMP decode that announces itself and takes
// its time, so a stop can come in the middle of it.
class TSlowPlatform : public TImgPlatform {
public:
    TSlowPlatform() : entered_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~TSlowPlatform() override { CloseHandle(entered_); }
    void DrawIcon(const std::string& path, int index, TColor bk, TBitmap& bitmap) override {
        WindowsImgPlatform().DrawIcon(path, index, bk, bitmap);
    }
    int LoadBmp(const std::string& path, TBitmap& bitmap) override {
        if (slow) {
            SetEvent(entered_);
            Sleep(300);
        }
        const int result = WindowsImgPlatform().LoadBmp(path, bitmap);
        decodes.fetch_add(1);
        return result;
    }
    bool WaitEntered() { return WaitForSingleObject(entered_, 10000) == WAIT_OBJECT_0; }

    bool slow = false;
    std::atomic<int> decodes{0};

private:
    HANDLE entered_;
};

// A list of one BMP (Id 0) with a message-only window standing in for the
// view's.
class WinThumbThread : public ::testing::Test, public TImgThreadsHost {
protected:
    WinThumbThread() {
        const std::string path = test::ThumbPath("worker.bmp");
        TBitmap picture(60, 40, TPixelFormat::pf24bit);
        FillBitmap(picture, clGreen);
        TFileStream file(path, TFileMode::fmCreate);
        WriteBmp(file, picture);
        auto item = std::make_unique<TImgListItem>(items, TIdList::FromItem("worker.bmp"), false);
        item->SetFullPath(path);
        items.Add(std::move(item));
        thumbs.SetCellSize(94, 94);

        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"PimThumbTestTarget";
        RegisterClassW(&wc);
        window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }
    ~WinThumbThread() override { DestroyWindow(window); }

    TImgListItems& ImgItems() override { return items; }
    TImgUtil& ImgUtil() override { return util; }
    TImgList& Thumbs() override { return thumbs; }
    TImgSize BoxSize() override { return {94, 94}; }
    bool WantsThumbnail(TImgListItem&) override { return true; }
    std::unique_ptr<TImgWorker> CreateWorker(TImgRequest request) override {
        return CreateImgThread(std::move(request), util, window);
    }

    // Handles the window's messages for up to `ms`; true with the result
    // message's parameters when one came.
    bool WaitResult(DWORD ms, WPARAM& id, LPARAM& result) {
        const DWORD start = GetTickCount();
        for (;;) {
            MSG msg;
            while (PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) {
                if (msg.message == kImgResultMessage) {
                    id = msg.wParam;
                    result = msg.lParam;
                    return true;
                }
                DispatchMessageW(&msg);
            }
            const DWORD spent = GetTickCount() - start;
            if (spent >= ms) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
        }
    }

    TImgListItems items;
    TSlowPlatform platform;
    TImgUtil util{&platform};
    TImgList thumbs;
    HWND window = nullptr;
};

TEST_F(WinThumbThread, AWorkerNeverStartedDecodesAndPostsNothing) {
    auto worker = CreateImgThread({0, items[0]->FullPath(), true, 94, 94}, util, window);
    worker.reset();
    WPARAM id;
    LPARAM result;
    EXPECT_FALSE(WaitResult(100, id, result));
    EXPECT_EQ(platform.decodes.load(), 0);
}

TEST_F(WinThumbThread, ResultMessageReachesTheWindowAndIsTakenIn) {
    TImgThreads threads(*this, 2);
    const int itemId = items[0]->Id();
    threads.RequestAndPump(itemId, true);
    ASSERT_TRUE(threads.Busy());
    WPARAM id = 0;
    LPARAM result = -2;
    ASSERT_TRUE(WaitResult(10000, id, result));
    EXPECT_EQ(static_cast<int>(id), itemId);
    EXPECT_EQ(result, kImgLoaded);
    threads.TakeIn(static_cast<int>(id), static_cast<int>(result));
    EXPECT_FALSE(threads.Busy());
    ASSERT_EQ(thumbs.Count(), 1);
    EXPECT_TRUE(static_cast<TImgListItem*>(items[0])->Resolved);
    EXPECT_EQ(items[0]->SourceWidth, 60);
    TBitmap cell;
    thumbs.CopyOut(0, cell);
    EXPECT_EQ(test::RgbAt(cell, 47, 47), 0x008000u);  // centred in the 94 x 94 cell
    EXPECT_EQ(test::RgbAt(cell, 10, 10), 0xFFFFFFu);
}

TEST_F(WinThumbThread, StopDuringASlowDecodeWaitsAndDropsTheResult) {
    platform.slow = true;
    TImgThreads threads(*this, 2);
    threads.RequestAndPump(items[0]->Id(), true);
    ASSERT_TRUE(platform.WaitEntered());
    threads.Stop();
    EXPECT_EQ(platform.decodes.load(), 1) << "Stop returned before the worker ended";
    EXPECT_FALSE(threads.Busy());
    WPARAM id;
    LPARAM result;
    EXPECT_FALSE(WaitResult(300, id, result)) << "a stopped worker posted its result";
    EXPECT_EQ(thumbs.Count(), 0);
    EXPECT_FALSE(static_cast<TImgListItem*>(items[0])->Resolved);
}

}  // namespace
}  // namespace pim
