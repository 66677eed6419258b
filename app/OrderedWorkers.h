// Work done ahead on worker threads and taken in order: a job runs for each
// of `count` items, and the owner takes the results 0, 1, 2, ... as it needs
// them. At most `ahead` items are started beyond the last one taken, so
// memory stays bounded by a few items in flight however long the list is.
//
// The owner never waits for a job without end: a job may block in a read
// (a file on a dead network share, a device), and the owner must still be
// able to stop. Taking can give up, and the workers are never joined while
// in a job: such a worker is left to finish on its own, with the state it
// shares kept alive until it does, and the process may end before it.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace pim {

template <class T>
class TOrderedWorkers {
public:
    // The job gets the item's index; it runs on a worker thread, so it must
    // touch nothing the owner changes meanwhile, nor anything that may end
    // before the job does.
    TOrderedWorkers(int count, int workers, int ahead, std::function<T(int)> job)
        : state_(std::make_shared<TState>(count, std::max(ahead, 1), std::move(job))) {
        state_->busy.assign(static_cast<std::size_t>(std::max(workers, 0)), false);
        try {
            for (int w = 0; w < workers; ++w) {
                threads_.emplace_back([state = state_, w] { Work(*state, static_cast<std::size_t>(w)); });
            }
        } catch (...) {
            Stop();  // a thread the system would not start: none is left running
            throw;
        }
    }
    // No new job starts; idle workers are joined, the ones in a job left to
    // finish on their own (their results are dropped).
    ~TOrderedWorkers() { Stop(); }
    TOrderedWorkers(const TOrderedWorkers&) = delete;
    TOrderedWorkers& operator=(const TOrderedWorkers&) = delete;

    // The result of item `index`, waiting for it; items are taken in order,
    // each once. What the job raised is raised here. While it waits,
    // `waiting` is asked every `slice` (if given): false gives up, and
    // nothing is returned.
    std::optional<T> Take(int index, const std::function<bool()>& waiting = {},
                          std::chrono::milliseconds slice = std::chrono::milliseconds(50)) {
        TState& s = *state_;
        std::unique_lock lock(s.mutex);
        TSlot& slot = s.slots[static_cast<std::size_t>(index)];
        while (!slot.done) {
            if (!waiting) {
                s.changed.wait(lock);
                continue;
            }
            if (s.changed.wait_for(lock, slice, [&] { return slot.done; })) break;
            lock.unlock();
            const bool goOn = waiting();
            lock.lock();
            if (!goOn) return std::nullopt;
        }
        TSlot taken = std::move(slot);
        slot = TSlot{};
        s.taken = index + 1;
        lock.unlock();
        s.changed.notify_all();
        if (taken.error) std::rethrow_exception(taken.error);
        return std::move(*taken.value);
    }

private:
    struct TSlot {
        bool done = false;
        std::optional<T> value;
        std::exception_ptr error;
    };
    // What the workers share with the owner; it lives until the last of them ends.
    struct TState {
        TState(int count, int ahead, std::function<T(int)> job)
            : job(std::move(job)), count(count), ahead(ahead), slots(static_cast<std::size_t>(count)) {}
        std::function<T(int)> job;
        const int count;
        const int ahead;
        std::mutex mutex;
        std::condition_variable changed;
        std::vector<TSlot> slots;
        std::vector<bool> busy;  // per worker: in a job
        int next = 0;            // the next item a worker starts
        int taken = 0;           // items taken so far
        bool stopping = false;
    };

    void Stop() {
        std::vector<bool> busy;
        {
            const std::lock_guard lock(state_->mutex);
            state_->stopping = true;
            busy = state_->busy;
        }
        state_->changed.notify_all();
        for (std::size_t w = 0; w < threads_.size(); ++w) {
            if (w < busy.size() && busy[w])
                threads_[w].detach();
            else
                threads_[w].join();  // it leaves at once: nothing to start
        }
        threads_.clear();
    }

    static void Work(TState& s, std::size_t worker) {
        std::unique_lock lock(s.mutex);
        for (;;) {
            s.changed.wait(lock, [&] { return s.stopping || (s.next < s.count && s.next < s.taken + s.ahead); });
            if (s.stopping) return;
            const int index = s.next++;
            s.busy[worker] = true;
            lock.unlock();
            TSlot slot;
            try {
                slot.value.emplace(s.job(index));
            } catch (...) {
                slot.error = std::current_exception();
            }
            slot.done = true;
            lock.lock();
            s.busy[worker] = false;
            if (s.stopping) return;  // the owner has gone: the result is dropped
            s.slots[static_cast<std::size_t>(index)] = std::move(slot);
            s.changed.notify_all();
        }
    }

    std::shared_ptr<TState> state_;
    std::vector<std::thread> threads_;
};

}  // namespace pim
