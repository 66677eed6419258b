// Work done ahead on worker threads and taken in order: a job runs for each
// of `count` items, and the owner takes the results 0, 1, 2, ... as it needs
// them. At most `ahead` items are started beyond the last one taken, so
// memory stays bounded by a few items in flight however long the list is.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace pim {

template <class T>
class TOrderedWorkers {
public:
    // The job gets the item's index; it runs on a worker thread, so it must
    // touch nothing the owner changes meanwhile.
    TOrderedWorkers(int count, int workers, int ahead, std::function<T(int)> job)
        : job_(std::move(job)), count_(count), ahead_(std::max(ahead, 1)), slots_(static_cast<std::size_t>(count)) {
        try {
            for (int w = 0; w < workers; ++w) threads_.emplace_back([this] { Work(); });
        } catch (...) {
            Stop();  // a thread the system would not start: none is left running
            throw;
        }
    }
    // Waits for the jobs in progress (they are not interrupted); no new one starts.
    ~TOrderedWorkers() { Stop(); }
    TOrderedWorkers(const TOrderedWorkers&) = delete;
    TOrderedWorkers& operator=(const TOrderedWorkers&) = delete;

    // The result of item `index`, waiting for it; items are taken in order,
    // each once. What the job raised is raised here.
    T Take(int index) {
        std::unique_lock lock(mutex_);
        Slot& slot = slots_[static_cast<std::size_t>(index)];
        changed_.wait(lock, [&] { return slot.done; });
        Slot taken = std::move(slot);
        slot = Slot{};
        taken_ = index + 1;
        lock.unlock();
        changed_.notify_all();
        if (taken.error) std::rethrow_exception(taken.error);
        return std::move(*taken.value);
    }

private:
    struct Slot {
        bool done = false;
        std::optional<T> value;
        std::exception_ptr error;
    };

    void Stop() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        for (std::thread& t : threads_) t.join();
    }

    void Work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return stopping_ || (next_ < count_ && next_ < taken_ + ahead_); });
            if (stopping_) return;
            const int index = next_++;
            lock.unlock();
            Slot slot;
            try {
                slot.value.emplace(job_(index));
            } catch (...) {
                slot.error = std::current_exception();
            }
            slot.done = true;
            lock.lock();
            slots_[static_cast<std::size_t>(index)] = std::move(slot);
            changed_.notify_all();
        }
    }

    std::function<T(int)> job_;
    const int count_;
    const int ahead_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Slot> slots_;
    int next_ = 0;   // the next item a worker starts
    int taken_ = 0;  // items taken so far
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace pim
