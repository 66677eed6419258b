#include "imagelist/win32/ImgThread.h"

#include <windows.h>

#include "base/SysUtils.h"

namespace pim {


TImgThread::TImgThread(TImgRequest request, TImgUtil& util, HWND__* target)
    : TImgWorker(std::move(request), util), target_(target) {
    thread_ = CreateThread(nullptr, 0, &TImgThread::ThreadProc, this, CREATE_SUSPENDED, nullptr);
    if (!thread_) throw Exception("Thread creation error");
    SetThreadPriority(thread_, THREAD_PRIORITY_BELOW_NORMAL);
}

TImgThread::~TImgThread() {
    if (!started_) {
        // Execute sees the stop at once and the thread ends without work.
        Terminate();
        Start();
    }
    WaitFor();
    CloseHandle(thread_);
}

void TImgThread::Start() {
    if (started_) return;
    started_ = true;
    ResumeThread(thread_);
}

void TImgThread::RaisePriority() { SetThreadPriority(thread_, THREAD_PRIORITY_NORMAL); }

void TImgThread::WaitFor() {
    if (started_) WaitForSingleObject(thread_, INFINITE);
}

DWORD WINAPI TImgThread::ThreadProc(void* param) {
    auto* self = static_cast<TImgThread*>(param);
    // The window may be gone when the view was destroyed first; a stopped
    // worker's message would be dropped by the view anyway.
    if (self->Execute() && IsWindow(self->target_))
        PostMessageW(self->target_, kImgResultMessage, static_cast<WPARAM>(self->Request().Id),
                     static_cast<LPARAM>(self->Result()));
    return 0;
}

std::unique_ptr<TImgWorker> CreateImgThread(TImgRequest request, TImgUtil& util, HWND__* target) {
    return std::make_unique<TImgThread>(std::move(request), util, target);
}

}  // namespace pim
