#include "imagelist/ImgThreads.h"

#include <thread>

#include "imagelist/ImgList.h"

namespace pim {

int DefaultImgWorkerCount() { return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 4); }

bool TImgWorker::Execute() {
    int result = kImgFailed;
    if (!Terminated() && request_.WantsThumbnail) {
        try {
            result = util_.LoadImage(request_.Path, request_.Width, 0, request_.Height, picture_, request_.Turn);
        } catch (...) {
            // Even the icon could not be made; the item keeps its shell icon.
            result = kImgFailed;
        }
    }
    if (Terminated()) result = kImgFailed;
    result_.store(result, std::memory_order_release);
    finished_.store(true, std::memory_order_release);
    return !Terminated();
}

void TImgThreads::Request(int id, bool urgent) {
    if (auto found = queued_.find(id); found != queued_.end()) {
        queue_.splice(queue_.end(), queue_, found->second);
        return;
    }
    queued_[id] = urgent ? queue_.insert(queue_.end(), id) : queue_.insert(queue_.begin(), id);
}

std::vector<int> TImgThreads::Making() const {
    std::vector<int> ids;
    for (const auto& worker : workers_) ids.push_back(worker->Request().Id);
    return ids;
}

TImgThreads::TWorkers::iterator TImgThreads::WorkerFor(int id) {
    return std::find_if(workers_.begin(), workers_.end(),
                        [id](const auto& worker) { return worker->Request().Id == id; });
}

void TImgThreads::EndWorkers(TWorkers& workers) {
    for (auto& worker : workers) {
        worker->RaisePriority();
        worker->Terminate();
    }
    for (auto& worker : workers) worker->WaitFor();
    workers.clear();
}

void TImgThreads::Pump() {
    // The host's callbacks may request and pump again.
    if (pumping_) return;
    pumping_ = true;
    struct TDone {
        bool& flag;
        ~TDone() { flag = false; }
    } done{pumping_};
    while (static_cast<int>(workers_.size()) < inFlight_ && !queue_.empty()) {
        const int id = queue_.back();
        queue_.pop_back();
        queued_.erase(id);
        TImgListItem* item = host_.ImgItems().ItemById(id);
        if (!item || item->Resolved || WorkerFor(id) != workers_.end()) continue;
        host_.ImageLoad(*item);
        const TImgSize box = host_.BoxSize();
        workers_.push_back(
            host_.CreateWorker({id, item->FullPath(), host_.WantsThumbnail(*item), box.Width, box.Height, item->Turn}));
        workers_.back()->Start();
    }
}

void TImgThreads::Stop() {
    queue_.clear();
    queued_.clear();
    EndWorkers(workers_);
}

void TImgThreads::Forget(int id) {
    if (const auto found = queued_.find(id); found != queued_.end()) {
        queue_.erase(found->second);
        queued_.erase(found);
    }
    if (const auto worker = WorkerFor(id); worker != workers_.end()) {
        TWorkers stopped;
        stopped.push_back(std::move(*worker));
        workers_.erase(worker);
        EndWorkers(stopped);
    }
}

void TImgThreads::TakeIn(int id, int result) {
    // Only the answer of a worker still running for the item counts: a
    // message posted by a worker that was stopped meanwhile would otherwise
    // take in the picture of a file as it was.
    const auto found = WorkerFor(id);
    if (found == workers_.end() || !(*found)->Finished()) return;
    result = (*found)->Result();
    if (host_.Rebuilding()) return;
    const std::unique_ptr<TImgWorker> worker = std::move(*found);
    workers_.erase(found);
    TImgListItem* item = host_.ImgItems().ItemById(id);
    if (item) {
        if (result == kImgLoaded && !item->Resolved) {
            const TImgResult& picture = worker->Picture();
            item->Resolved = true;
            item->ThumbIndex = host_.Thumbs().Add(picture.Bitmap);
            host_.DrawBadge(*item);
            item->SourceWidth = picture.SourceWidth;
            item->SourceHeight = picture.SourceHeight;
        } else if (result != kImgLoaded) {
            item->Resolved = true;
            item->SetImageType(TImageType::iitNone);
        }
        host_.ImageLoaded(*item);
    }
    Pump();
    if (item) host_.RepaintItem(id);
}

}  // namespace pim
