#include "shellutil/DropDst.h"

#include <shellapi.h>

#include "base/CodePage.h"

namespace pim {

void TDropDst::SetAcceptDrop(bool accept) {
    if (accept == acceptDrop_) return;
    acceptDrop_ = accept;
    Register();
}

void TDropDst::Register() {
    if (HookedHandle()) DragAcceptFiles(HookedHandle(), acceptDrop_ ? TRUE : FALSE);
}

void TDropDst::HandleChanged(int reason) {
    TControlHook::HandleChanged(reason);
    if (reason == 2) Register();
}

LRESULT TDropDst::HookedMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_DROPFILES) return TControlHook::HookedMessage(message, wParam, lParam);
    const auto drop = reinterpret_cast<HDROP>(wParam);
    try {
        if (OnFileDrop) Drop(drop);
    } catch (...) {
        ui::Application().HandleException();
    }
    DragFinish(drop);
    return 0;
}

void TDropDst::Drop(HDROP drop) {
    std::vector<std::string> files;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        // The whole path, however long: a cut one would name another folder.
        std::u16string path(DragQueryFileW(drop, i, nullptr, 0) + 1, u'\0');
        const UINT n = DragQueryFileW(drop, i, reinterpret_cast<wchar_t*>(path.data()), static_cast<UINT>(path.size()));
        path.resize(n);
        files.push_back(Utf16ToUtf8(path));
    }
    POINT point{};
    DragQueryPoint(drop, &point);
    OnFileDrop(files, point.x, point.y);
}

}  // namespace pim
