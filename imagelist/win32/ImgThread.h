// The Windows side of the thumbnail maker: the worker thread and the
// platform services (GDI, the shell, Video for Windows) TImgUtil decodes
// with.
//
//   util.SetPlatform(&WindowsImgPlatform());
//   ...in the view's CreateWorker:
//   return CreateImgThread(std::move(request), util, Handle());
//
// The header leaves out <windows.h>, whose macros (LoadImage, DrawText)
// would rename TImgUtil's and TImgPlatform's members in every file that
// includes it.
#pragma once

#include <memory>

#include "imagelist/ImgPlatform.h"
#include "imagelist/ImgThreads.h"

struct HWND__;

namespace pim {

// Icons, BMP through the DIB loader, metafiles, the shell's image
// extractor, AVI frames and text, with GDI and the shell. Stateless: every
// call makes and frees its own device contexts, so the worker may use it
// while the GUI thread draws.
TImgPlatform& WindowsImgPlatform();

// A thumbnail worker run by one of the program's thumbnail threads, one
// priority step below normal. Start hands it to them; its thread runs
// Execute and, unless it was asked to stop, posts kImgResultMessage (item
// Id, result code) to the target window.
class TImgThread : public TImgWorker {
public:
    TImgThread(TImgRequest request, TImgUtil& util, HWND__* target);
    // Waits for its thread; a worker never started decodes nothing.
    ~TImgThread() override;

    void Start() override;
    void RaisePriority() override;
    void WaitFor() override;

private:
    friend class TImgThreadPool;
    void Run();

    HWND__* target_;
    bool started_ = false;
    // Kept by the threads, under their lock: the thread running the job,
    // and whether it has ended.
    void* runner_ = nullptr;
    bool ended_ = false;
};

// What the view's TImgThreadsHost::CreateWorker returns.
std::unique_ptr<TImgWorker> CreateImgThread(TImgRequest request, TImgUtil& util, HWND__* target);

}  // namespace pim
