// The files a dropped or pasted data object carries in the platform's
// file-drop format (CF_HDROP). The list's drop events receive one; the view
// adds its files in file mode.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

#include "base/win32/ComPtr.h"

namespace pim {

// The request for the file-drop format: CF_HDROP, no target device, the
// content aspect, every index, in global memory.
FORMATETC FileDropFormat();
// True when the data object offers the file-drop format.
bool OffersFiles(IDataObject* data);

class TFileDataObject {
public:
    // Keeps a reference to data (which may be nullptr: no files).
    explicit TFileDataObject(IDataObject* data);

    IDataObject* DataObject() const { return data_.Get(); }
    // Number of files, read once.
    int Count();
    // The files' paths in the platform's file-name encoding, at most 260
    // characters each, read once.
    const std::vector<std::string>& FileNames();

private:
    void Read();

    TComPtr<IDataObject> data_;
    std::vector<std::string> names_;
    bool read_ = false;
};

}  // namespace pim
