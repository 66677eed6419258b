#include "imagelist/win32/ImgThread.h"

#include <windows.h>

#include <deque>

#include "base/SysUtils.h"
#include "base/win32/Handles.h"

namespace pim {

// Threads that live as long as the program and make the thumbnails handed
// to them. A thread of its own for each thumbnail cost more under Wine
// than decoding a camera's preview does. Threads are made as jobs wait
// with none idle, up to one per processor (as many as the list's workers);
// they run one priority step below normal, so the window stays first.
class TImgThreadPool {
public:
    TImgThreadPool() {
        InitializeCriticalSection(&lock_);
        InitializeConditionVariable(&work_);
        InitializeConditionVariable(&done_);
    }
    // Nothing is freed: waiting threads may outlive static destruction,
    // and the process's end takes everything.
    ~TImgThreadPool() = default;
    TImgThreadPool(const TImgThreadPool&) = delete;
    TImgThreadPool& operator=(const TImgThreadPool&) = delete;

    void Submit(TImgThread& job) {
        TLock lock(lock_);
        jobs_.push_back(&job);
        if (idle_ == 0 && threads_ < DefaultImgWorkerCount()) {
            // The thread runs on without its handle, which is only needed here.
            const TKernelHandle thread(CreateThread(nullptr, 0, &TImgThreadPool::ThreadProc, this, 0, nullptr));
            if (!thread && threads_ == 0) {
                jobs_.pop_back();
                throw Exception("Thread creation error");
            }
            if (thread) {
                SetThreadPriority(thread.get(), THREAD_PRIORITY_BELOW_NORMAL);
                ++threads_;
            }
        }
        WakeConditionVariable(&work_);
    }

    // Takes a job that no thread has begun out of the queue: true then.
    bool Withdraw(TImgThread& job) {
        TLock lock(lock_);
        for (auto it = jobs_.begin(); it != jobs_.end(); ++it)
            if (*it == &job) {
                jobs_.erase(it);
                return true;
            }
        return false;
    }

    void WaitFor(const TImgThread& job) {
        TLock lock(lock_);
        while (!job.ended_) SleepConditionVariableCS(&done_, &lock_, INFINITE);
    }

    void Raise(const TImgThread& job) {
        TLock lock(lock_);
        if (job.runner_) SetThreadPriority(job.runner_, THREAD_PRIORITY_NORMAL);
    }

private:
    struct TLock {
        explicit TLock(CRITICAL_SECTION& section) : section_(section) { EnterCriticalSection(&section_); }
        ~TLock() { LeaveCriticalSection(&section_); }
        CRITICAL_SECTION& section_;
    };

    static DWORD WINAPI ThreadProc(void* param) {
        static_cast<TImgThreadPool*>(param)->Serve();
        return 0;
    }

    void Serve() {
        // A handle of this thread that others may use while it runs a job.
        HANDLE self = nullptr;
        DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
        for (;;) {
            TImgThread* job = nullptr;
            {
                TLock lock(lock_);
                ++idle_;
                while (jobs_.empty()) SleepConditionVariableCS(&work_, &lock_, INFINITE);
                --idle_;
                job = jobs_.front();
                jobs_.pop_front();
                job->runner_ = self;
            }
            job->Run();
            TLock lock(lock_);
            job->runner_ = nullptr;
            SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
            job->ended_ = true;  // the job may be freed from here on
            WakeAllConditionVariable(&done_);
        }
    }

    CRITICAL_SECTION lock_;
    CONDITION_VARIABLE work_;
    CONDITION_VARIABLE done_;
    std::deque<TImgThread*> jobs_;
    int idle_ = 0;
    int threads_ = 0;
};

namespace {

TImgThreadPool& Pool() {
    static TImgThreadPool pool;
    return pool;
}

}  // namespace

TImgThread::TImgThread(TImgRequest request, TImgUtil& util, HWND__* target)
    : TImgWorker(std::move(request), util), target_(target) {}

TImgThread::~TImgThread() {
    if (!started_) return;
    Terminate();
    if (!Pool().Withdraw(*this)) Pool().WaitFor(*this);
}

void TImgThread::Start() {
    if (started_) return;
    Pool().Submit(*this);
    started_ = true;
}

void TImgThread::RaisePriority() { Pool().Raise(*this); }

void TImgThread::WaitFor() {
    if (!started_) return;
    if (Pool().Withdraw(*this)) {
        // Never begun: it ends here, as a stopped job would.
        Terminate();
        Run();
        ended_ = true;
        return;
    }
    Pool().WaitFor(*this);
}

void TImgThread::Run() {
    // The window may be gone when the view was destroyed first; a stopped
    // worker's message would be dropped by the view anyway.
    if (Execute() && IsWindow(target_))
        PostMessageW(target_, kImgResultMessage, static_cast<WPARAM>(Request().Id), static_cast<LPARAM>(Result()));
}

std::unique_ptr<TImgWorker> CreateImgThread(TImgRequest request, TImgUtil& util, HWND__* target) {
    return std::make_unique<TImgThread>(std::move(request), util, target);
}

}  // namespace pim
