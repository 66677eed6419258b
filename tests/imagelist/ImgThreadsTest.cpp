#include "imagelist/ImgThreads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "imagelist/ImgList.h"
#include "imagelist/ImgUtil.h"

namespace pim {
namespace {

// A platform whose icon waits until the test lets it go, so a worker can be
// caught in the middle of its decode.
class TGatedPlatform : public TImgPlatform {
public:
    void DrawIcon(const std::string& path, int index, TColor bk, TBitmap& bitmap) override {
        std::unique_lock lock(mutex);
        entered = true;
        changed.notify_all();
        changed.wait(lock, [&] { return open; });
        TImgPlatform::DrawIcon(path, index, bk, bitmap);
    }
    void WaitEntered() {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return entered; });
    }
    void Open() {
        std::lock_guard lock(mutex);
        open = true;
        changed.notify_all();
    }
    std::mutex mutex;
    std::condition_variable changed;
    bool entered = false;
    bool open = true;
};

// The stand-in for the platform's thread: Execute runs at Start, or on a
// std::thread when the host asks for real threads. Whether it would post its
// result is kept.
class TTestWorker : public TImgWorker {
public:
    TTestWorker(TImgRequest request, TImgUtil& util, bool threaded, std::vector<std::pair<int, bool>>& ended)
        : TImgWorker(std::move(request), util), threaded_(threaded), ended_(ended) {}
    ~TTestWorker() override {
        WaitFor();
        if (live) std::erase(*live, this);
        ended_.emplace_back(Request().Id, posted);
    }
    void Start() override {
        if (threaded_)
            thread_ = std::thread([this] { posted = Execute(); });
        else
            posted = Execute();
    }
    void RaisePriority() override { raised = true; }
    void WaitFor() override {
        if (onWait) onWait();
        if (thread_.joinable()) thread_.join();
    }
    std::function<void()> onWait;
    std::vector<TTestWorker*>* live = nullptr;  // the host's list of workers not yet freed
    bool posted = false;
    bool raised = false;

private:
    bool threaded_;
    std::vector<std::pair<int, bool>>& ended_;
    std::thread thread_;
};

// A view with items "0".."n-1" (Ids 0..n-1) named after existing paths.
class TTestHost : public TImgThreadsHost {
public:
    explicit TTestHost(int n) {
        for (int i = 0; i < n; ++i) {
            auto item = std::make_unique<TImgListItem>(items, TIdList::FromItem(std::to_string(i)), false);
            item->SetFullPath(".");  // a folder: its picture is the icon
            items.Add(std::move(item));
        }
        thumbs.SetCellSize(94, 94);
    }
    TImgListItems& ImgItems() override { return items; }
    TImgUtil& ImgUtil() override { return util; }
    TImgList& Thumbs() override { return thumbs; }
    TImgSize BoxSize() override { return {94, 94}; }
    bool WantsThumbnail(TImgListItem& item) override { return item.Id() != wontId; }
    bool Rebuilding() override { return rebuilding; }
    std::unique_ptr<TImgWorker> CreateWorker(TImgRequest request) override {
        started.push_back(request.Id);
        auto worker = std::make_unique<TTestWorker>(std::move(request), util, threaded, ended);
        last = worker.get();
        live.push_back(last);
        worker->live = &live;
        worker->onWait = [this] {
            // Stopping waits for the longest worker, not for their sum.
            for (TTestWorker* w : live) allAskedWhenWaited = allAskedWhenWaited && w->Terminated();
        };
        return worker;
    }
    void ImageLoad(TImgListItem& item) override { loading.push_back(item.Id()); }
    void RepaintItem(int id) override { repainted.push_back(id); }
    // Delivers what the current worker posted, as the message loop would.
    void Deliver(TImgThreads& threads) {
        ASSERT_TRUE(last && last->posted);
        threads.TakeIn(last->Request().Id, last->Result());
    }

    TImgListItems items;
    TGatedPlatform platform;
    TImgUtil util{&platform};
    TImgList thumbs;
    bool threaded = false;
    bool rebuilding = false;
    int wontId = -1;
    TTestWorker* last = nullptr;
    std::vector<TTestWorker*> live;
    bool allAskedWhenWaited = true;
    std::vector<int> started, loading, repainted;
    std::vector<std::pair<int, bool>> ended;  // Id and whether it would post, as workers are freed
};

TEST(ImgThreads, UrgentLastInFirstOutLookAheadInOrder) {
    TTestHost host(10);
    TImgThreads threads(host, 1);
    for (int id : {1, 2, 3}) threads.Request(id, false);  // look-ahead while listing
    threads.Request(7, true);
    threads.Request(8, true);
    threads.Request(2, false);  // repeated: moves to the end
    EXPECT_EQ(threads.Queue(), (std::vector<int>{3, 1, 7, 8, 2}));
    threads.Request(7, true);
    EXPECT_EQ(threads.Queue(), (std::vector<int>{3, 1, 8, 2, 7}));
}

TEST(ImgThreads, PumpSkipsWhatIsGoneOrResolvedAndTakesResultsIn) {
    TTestHost host(5);
    TImgThreads threads(host, 1);
    host.items.ItemById(3)->Resolved = true;
    host.items.Delete(host.items.IndexOfId(4));
    host.wontId = 1;
    for (int id : {0, 1, 2}) threads.Request(id, false);
    threads.Request(3, true);
    threads.Request(4, true);
    threads.Start();
    EXPECT_TRUE(threads.Busy());
    EXPECT_EQ(host.started, (std::vector<int>{0}));
    EXPECT_EQ(host.loading, (std::vector<int>{0}));
    threads.Pump();  // a worker is outstanding: nothing happens
    EXPECT_EQ(host.started.size(), 1u);

    host.Deliver(threads);
    TImgListItem* item = host.items.ItemById(0);
    EXPECT_TRUE(item->Resolved);
    EXPECT_EQ(item->ThumbIndex, 0);
    EXPECT_EQ(item->SourceWidth, 32);
    EXPECT_EQ(host.thumbs.Count(), 1);
    EXPECT_EQ(host.repainted, (std::vector<int>{0}));
    EXPECT_EQ(host.started, (std::vector<int>{0, 1}));  // the next one runs

    host.Deliver(threads);  // 1 is not a kind with thumbnails: -1
    EXPECT_EQ(host.items.ItemById(1)->ImageType(), TImageType::iitNone);
    EXPECT_TRUE(host.items.ItemById(1)->Resolved);  // done: drawn with its icon
    host.Deliver(threads);
    EXPECT_EQ(host.items.ItemById(2)->ThumbIndex, 1);
    EXPECT_FALSE(threads.Busy());
    EXPECT_EQ(host.thumbs.Count(), 2);

    // A failed picture is not asked for again, however often it is painted.
    const std::size_t workers = host.started.size();
    for (int k = 0; k < 5; ++k) threads.RequestAndPump(1, true);
    EXPECT_EQ(host.started.size(), workers);
    EXPECT_FALSE(threads.Busy());
}

TEST(ImgThreads, AForgottenItemLeavesTheQueueAndItsWorkerStops) {
    TTestHost host(4);
    TImgThreads threads(host, 1);
    for (int id : {0, 1, 2}) threads.Request(id, false);
    threads.Forget(1);
    EXPECT_EQ(threads.Queue(), (std::vector<int>{2, 0}));
    threads.Start();
    ASSERT_TRUE(threads.Busy());
    EXPECT_EQ(host.started, (std::vector<int>{0}));
    const int result = host.last->Result();
    threads.Forget(0);  // its file changed while the worker made its picture
    EXPECT_FALSE(threads.Busy());
    threads.TakeIn(0, result);  // the stopped worker's message comes late
    EXPECT_FALSE(host.items.ItemById(0)->Resolved);
    EXPECT_EQ(host.thumbs.Count(), 0);
    threads.Start();
    EXPECT_EQ(host.started, (std::vector<int>{0, 2}));
    threads.Forget(3);  // neither queued nor running: nothing happens
    EXPECT_TRUE(threads.Busy());
}

TEST(ImgThreads, AStoppedWorkersMessageIsIgnored) {
    TTestHost host(3);
    TImgThreads threads(host, 1);
    threads.RequestAndPump(0, true);
    TTestWorker* stopped = host.last;
    const int result = stopped->Result();
    threads.Stop();
    EXPECT_FALSE(threads.Busy());
    threads.RequestAndPump(1, true);
    threads.TakeIn(0, result);  // arrives late
    EXPECT_FALSE(host.items.ItemById(0)->Resolved);
    EXPECT_TRUE(threads.Busy());
    host.rebuilding = true;
    host.Deliver(threads);
    EXPECT_FALSE(host.items.ItemById(1)->Resolved);
    EXPECT_EQ(host.thumbs.Count(), 0);
}

TEST(ImgThreads, AReorderDuringADecodeKeepsTheItem) {
    TTestHost host(3);
    host.threaded = true;
    host.platform.open = false;
    TImgThreads threads(host, 1);
    threads.RequestAndPump(0, true);
    host.platform.WaitEntered();
    host.items.Move(0, 2);
    host.platform.Open();
    host.last->WaitFor();
    host.Deliver(threads);
    EXPECT_TRUE(host.items[2]->Resolved);
    EXPECT_EQ(host.items[2]->ThumbIndex, 0);
    EXPECT_FALSE(host.items[0]->Resolved);
}

TEST(ImgThreads, AFolderChangeWaitsForTheDecodeAndDropsIt) {
    TTestHost host(3);
    host.threaded = true;
    host.platform.open = false;
    TImgThreads threads(host, 1);
    threads.Request(0, false);
    threads.Request(1, false);
    threads.Start();
    host.platform.WaitEntered();
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        host.platform.Open();
    });
    threads.Stop();  // returns once the worker has ended
    EXPECT_EQ(host.ended, (std::vector<std::pair<int, bool>>{{0, false}}));  // nothing to post
    EXPECT_TRUE(threads.Queue().empty());
    EXPECT_FALSE(threads.Busy());
    release.join();
}

TEST(ImgThreads, SeveralWorkersTakeTheQueueInOrderAndDeliverEachPictureOnce) {
    TTestHost host(8);
    TImgThreads threads(host, 2, 1);  // two running, one handed over ahead
    EXPECT_EQ(threads.WorkerCount(), 2);
    for (int id = 0; id < 6; ++id) threads.Request(id, false);
    threads.Request(6, true);
    threads.Request(7, true);
    threads.Start();
    EXPECT_EQ(threads.Making(), (std::vector<int>{7, 6, 0}));  // the visible rows, then the look-ahead
    threads.RequestAndPump(6, true);  // painted again while it is being made
    EXPECT_EQ(threads.Making(), (std::vector<int>{7, 6, 0}));
    for (int id : {0, 6}) threads.TakeIn(id, kImgLoaded);  // in any order
    EXPECT_EQ(threads.Making(), (std::vector<int>{7, 1, 2}));
    while (threads.Busy()) threads.TakeIn(threads.Making().back(), kImgLoaded);
    EXPECT_EQ(host.started, (std::vector<int>{7, 6, 0, 1, 2, 3, 4, 5}));
    std::vector<int> cells;
    for (int id = 0; id < 8; ++id) cells.push_back(host.items.ItemById(id)->ThumbIndex);
    std::sort(cells.begin(), cells.end());
    EXPECT_EQ(cells, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST(ImgThreads, StopAsksEveryWorkerBeforeWaitingForAny) {
    TTestHost host(4);
    host.threaded = true;
    host.platform.open = false;
    TImgThreads threads(host, 3);
    for (int id = 0; id < 4; ++id) threads.Request(id, true);
    threads.Start();
    host.platform.WaitEntered();
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        host.platform.Open();
    });
    threads.Stop();
    release.join();
    EXPECT_TRUE(host.allAskedWhenWaited);
    EXPECT_EQ(host.ended.size(), 3u);
    EXPECT_TRUE(std::none_of(host.ended.begin(), host.ended.end(), [](auto& e) { return e.second; }));
    EXPECT_FALSE(threads.Busy());
}

}  // namespace
}  // namespace pim
