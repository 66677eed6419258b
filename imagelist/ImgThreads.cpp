#include "imagelist/ImgThreads.h"

#include "imagelist/ImgList.h"
#include "imagelist/ImgUtil.h"

namespace pim {

bool TImgWorker::Execute() {
    int result = kImgFailed;
    if (!Terminated() && request_.WantsThumbnail) {
        try {
            result = util_.LoadImage(request_.Path, request_.Width, 0, request_.Height);
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

void TImgThreads::EndWorker() {
    if (!worker_) return;
    worker_->RaisePriority();
    worker_->Terminate();
    worker_->WaitFor();
    worker_.reset();
}

void TImgThreads::Pump() {
    if (busy_) return;
    busy_ = true;
    try {
        EndWorker();
        while (!queue_.empty()) {
            const int id = queue_.back();
            queue_.pop_back();
            queued_.erase(id);
            TImgListItem* item = host_.ImgItems().ItemById(id);
            if (!item || item->Resolved) continue;
            host_.ImageLoad(*item);
            const TImgSize box = host_.BoxSize();
            worker_ = host_.CreateWorker({id, item->FullPath(), host_.WantsThumbnail(*item), box.Width, box.Height});
            worker_->Start();
            return;
        }
    } catch (...) {
        // No worker runs: the next Start or request may try again.
        worker_.reset();
        busy_ = false;
        throw;
    }
    busy_ = false;
}

void TImgThreads::Stop() {
    queue_.clear();
    queued_.clear();
    if (!busy_) return;
    EndWorker();
    busy_ = false;
}

void TImgThreads::Forget(int id) {
    if (const auto found = queued_.find(id); found != queued_.end()) {
        queue_.erase(found->second);
        queued_.erase(found);
    }
    if (busy_ && worker_ && worker_->Request().Id == id) {
        EndWorker();
        busy_ = false;
    }
}

void TImgThreads::TakeIn(int id, int result) {
    // Only the answer of the worker now running counts: a message posted by
    // a worker that was stopped meanwhile would otherwise take in the
    // picture of another item, or read the TImgUtil while a new worker
    // writes it.
    if (!busy_ || !worker_ || worker_->Request().Id != id || !worker_->Finished()) return;
    if (host_.Rebuilding()) return;
    TImgListItem* item = host_.ImgItems().ItemById(id);
    if (item) {
        if (result == kImgLoaded && !item->Resolved) {
            const TImgUtil& util = host_.ImgUtil();
            item->Resolved = true;
            item->ThumbIndex = host_.Thumbs().Add(util.Bitmap());
            host_.DrawBadge(*item);
            item->SourceWidth = util.SourceWidth();
            item->SourceHeight = util.SourceHeight();
        } else if (result != kImgLoaded) {
            item->Resolved = true;
            item->SetImageType(TImageType::iitNone);
        }
        host_.ImageLoaded(*item);
    }
    busy_ = false;
    Pump();
    if (item) host_.RepaintItem(id);
}

}  // namespace pim
