#include "imagelist/win32/FileDataObject.h"

#include <shellapi.h>

#include "base/CodePage.h"

namespace pim {

FORMATETC FileDropFormat() { return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

bool OffersFiles(IDataObject* data) {
    if (!data) return false;
    FORMATETC format = FileDropFormat();
    return data->QueryGetData(&format) == S_OK;
}

TFileDataObject::TFileDataObject(IDataObject* data) : data_(TComPtr<IDataObject>::Share(data)) {}

int TFileDataObject::Count() { return static_cast<int>(FileNames().size()); }

const std::vector<std::string>& TFileDataObject::FileNames() {
    if (!read_) Read();
    return names_;
}

void TFileDataObject::Read() {
    read_ = true;
    if (!data_) return;
    FORMATETC format = FileDropFormat();
    STGMEDIUM medium{};
    if (data_->GetData(&format, &medium) != S_OK) return;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
        auto drop = static_cast<HDROP>(medium.hGlobal);
        const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            wchar_t name[MAX_PATH] = {};
            if (DragQueryFileW(drop, i, name, MAX_PATH) > 0)
                names_.push_back(Utf16ToUtf8(reinterpret_cast<const char16_t*>(name)));
        }
    }
    ReleaseStgMedium(&medium);
}

}  // namespace pim
