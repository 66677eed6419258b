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

void TDropDst::HandleChanged(ui::THandleChange why) {
    TControlHook::HandleChanged(why);
    if (why == ui::THandleChange::hcCreated) Register();
}

bool TDropDst::HookedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != WM_DROPFILES) return TControlHook::HookedMessage(message, wParam, lParam, result);
    const auto drop = reinterpret_cast<HDROP>(wParam);
    try {
        if (OnFileDrop) Drop(drop);
    } catch (...) {
        ui::Application().HandleException();
    }
    DragFinish(drop);
    result = 0;
    return true;
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
