// Pages prepared ahead on workers: taken in order, failures where they
// belong, and an owner that is never held by a job that does not end (a read
// that blocks): it gives up taking, and it ends while the job goes on.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "app/OrderedWorkers.h"

namespace pim {
namespace {

using namespace std::chrono_literals;

TEST(OrderedWorkers, TakesInOrderAndNeverWaitsForABlockedJobWithoutEnd) {
    std::mutex mutex;
    std::condition_variable released;
    bool release = false;
    std::atomic<int> ended{0};
    {
        TOrderedWorkers<int> workers(4, 2, 2, [&](int i) {
            if (i == 1) throw std::runtime_error("item 1");
            if (i == 2) {
                std::unique_lock lock(mutex);
                released.wait(lock, [&] { return release; });
            }
            ++ended;
            return i * 10;
        });
        EXPECT_EQ(workers.Take(0), 10 * 0);
        EXPECT_THROW(workers.Take(1, [] { return true; }), std::runtime_error);
        int asked = 0;
        EXPECT_EQ(workers.Take(2, [&] { return ++asked < 3; }, 1ms), std::nullopt);
        EXPECT_EQ(asked, 3);
    }  // item 2 still blocked: the owner ends all the same
    {
        const std::lock_guard lock(mutex);
        release = true;
    }
    released.notify_all();
    // The left worker ends on its own (item 3 may have run too).
    while (ended < 2) std::this_thread::sleep_for(1ms);
}

}  // namespace
}  // namespace pim
