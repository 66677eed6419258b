// Thumbnails are made off the GUI thread, on as many workers as there are
// processors (at most four). TImgThreads holds the queue of item Ids still
// to do and the workers that run; the view (TImgThreadsHost) supplies the
// items, the shared TImgUtil, the thumbnail store and the threads
// themselves (TImgWorker). Everything here but TImgWorker::Execute runs on
// the GUI thread.
//
// The flow: Request queues an item; Pump starts workers for the most recent
// requests while a worker is free; a worker's thread runs Execute and posts
// the result message (kImgResultMessage, Id, result) to the view; the view
// hands it to TakeIn, which takes the picture into the store and pumps the
// next request.
//
// A worker is handed the item's path and whether its kind gets a thumbnail
// when it is created, so it never looks at the collection while the GUI
// thread sorts or moves it.
#pragma once

#include <algorithm>
#include <atomic>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "graphics/Resample.h"
#include "imagelist/ImgUtil.h"
#include "imagelist/ImgUtils.h"

namespace pim {

class TImgList;

// The view's message that carries a worker's result: WM_USER + 1, the item
// Id as word parameter, the result code as long parameter.
constexpr unsigned kImgResultMessage = 1025;

// What a worker needs, taken from its item on the GUI thread.
struct TImgRequest {
    int Id = -1;
    std::string Path;
    bool WantsThumbnail = false;
    int Width = 0;  // the thumbnail box
    int Height = 0;
    int Turn = 0;  // the item's quarter turns clockwise
};

// Workers the list runs: one per processor, at least one, at most four.
int DefaultImgWorkerCount();

// One thumbnail load. The platform's thread class derives from it: the
// thread is created suspended (one priority step below normal), runs
// Execute, and posts the result message when Execute says so.
class TImgWorker {
public:
    TImgWorker(TImgRequest request, TImgUtil& util) : request_(std::move(request)), util_(util) {}
    virtual ~TImgWorker() = default;
    TImgWorker(const TImgWorker&) = delete;
    TImgWorker& operator=(const TImgWorker&) = delete;

    const TImgRequest& Request() const { return request_; }
    // The LoadImage result; -1 until Execute has ended.
    int Result() const { return result_.load(std::memory_order_acquire); }
    // Execute has ended: Picture() may be read.
    bool Finished() const { return finished_.load(std::memory_order_acquire); }
    const TImgResult& Picture() const { return picture_; }
    void Terminate() { terminated_.store(true); }
    bool Terminated() const { return terminated_.load(); }

    // Lets the suspended thread run.
    virtual void Start() = 0;
    // Back to normal priority, so that waiting for it does not wait on a
    // thread the scheduler keeps behind others.
    virtual void RaisePriority() = 0;
    // Returns when the thread has ended.
    virtual void WaitFor() = 0;

protected:
    // The thread's body: makes the picture unless asked to stop (a stop
    // that comes meanwhile turns the result into -1). True when the result
    // is to be posted to the view. Never throws.
    bool Execute();

private:
    TImgRequest request_;
    TImgUtil& util_;
    TImgResult picture_;
    std::atomic<int> result_{-1};
    std::atomic<bool> finished_{false};
    std::atomic<bool> terminated_{false};
};

// What TImgThreads needs from the view.
class TImgThreadsHost {
public:
    virtual ~TImgThreadsHost() = default;
    virtual TImgListItems& ImgItems() = 0;
    virtual TImgUtil& ImgUtil() = 0;
    virtual TImgList& Thumbs() = 0;
    // ViewImage's ImageWidth x ImageHeight.
    virtual TImgSize BoxSize() = 0;
    // The item's kind is one of the view's DispImage kinds.
    virtual bool WantsThumbnail(TImgListItem& item) = 0;
    // True while the view rebuilds its list: results are dropped.
    virtual bool Rebuilding() { return false; }
    // A suspended worker for the request.
    virtual std::unique_ptr<TImgWorker> CreateWorker(TImgRequest request) = 0;
    // OnImageLoad, just before a worker is created for the item.
    virtual void ImageLoad(TImgListItem& /*item*/) {}
    // Draws the small-icon badge into the item's new thumbnail cell.
    virtual void DrawBadge(TImgListItem& /*item*/) {}
    // OnImageLoaded, after a result was taken in.
    virtual void ImageLoaded(TImgListItem& /*item*/) {}
    virtual void RepaintItem(int /*id*/) {}
};

class TImgThreads {
public:
    // workers: how many may run at once (at least one); ahead: how many
    // more are handed to the platform's threads beforehand, so that a
    // thread done with one picture need not wait for the window to take it
    // in before it starts the next.
    TImgThreads(TImgThreadsHost& host, int workers, int ahead = 0)
        : host_(host), workerCount_(std::max(workers, 1)), inFlight_(workerCount_ + std::max(ahead, 0)) {}
    ~TImgThreads() { Stop(); }
    TImgThreads(const TImgThreads&) = delete;
    TImgThreads& operator=(const TImgThreads&) = delete;

    // Queues the item. Requests are served from the end: a repeated request
    // moves to the end, a new urgent one goes to the end, a new look-ahead
    // one to the front (so look-ahead requests go in the order they came,
    // after every urgent one).
    void Request(int id, bool urgent);
    void RequestAndPump(int id, bool urgent) {
        Request(id, urgent);
        Pump();
    }
    // While fewer workers than workers + ahead are out: starts one for the
    // most recent queued item that still exists, is not resolved and is
    // not being made already.
    void Pump();
    void Start() { Pump(); }
    // Empties the queue, stops the workers and waits for them (all asked to
    // stop first, so the wait is the longest one's, not their sum).
    void Stop();
    // The item left the list or its file changed: its request leaves the
    // queue, and a worker making its picture is stopped (the picture would
    // be of the file as it was). Start pumps again.
    void Forget(int id);
    // The result message of a worker making the item: takes its picture
    // into the thumbnail store (result 0) or marks the item to be drawn with
    // its icon (any other result: the item is resolved all the same, so a
    // picture that cannot be made is not asked for again), then pumps. A
    // message of a worker already stopped is ignored.
    void TakeIn(int id, int result);

    // A worker is outstanding or its result awaited.
    bool Busy() const { return !workers_.empty(); }
    int WorkerCount() const { return workerCount_; }
    // The queued Ids, the next to be served last.
    std::vector<int> Queue() const { return {queue_.begin(), queue_.end()}; }
    // The Ids being made, in the order their workers started.
    std::vector<int> Making() const;

private:
    using TWorkers = std::vector<std::unique_ptr<TImgWorker>>;
    TWorkers::iterator WorkerFor(int id);
    static void EndWorkers(TWorkers& workers);

    TImgThreadsHost& host_;
    const int workerCount_;
    const int inFlight_;
    std::list<int> queue_;
    std::unordered_map<int, std::list<int>::iterator> queued_;
    bool pumping_ = false;
    TWorkers workers_;
};

}  // namespace pim
