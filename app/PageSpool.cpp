#include "app/PageSpool.h"

#include <algorithm>

#include "base/FileSystem.h"

namespace pim {

namespace {

// A range of the spool file. The spool outlives the document that refers to
// it (the run frees the document first).
class TSpooledContent : public TPdfContentSource {
public:
    TSpooledContent(TPageSpool& spool, std::int64_t offset, std::int64_t size)
        : spool_(&spool), offset_(offset), size_(size) {}
    std::int64_t Size() const override { return size_; }
    std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count) const override {
        if (offset < 0 || offset >= size_) return 0;
        count = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(count), size_ - offset));
        return spool_->ReadAt(offset_ + offset, buffer, count);
    }

private:
    TPageSpool* spool_;
    std::int64_t offset_;
    std::int64_t size_;
};

}  // namespace

TPageSpool::TPageSpool(std::string folder) : folder_(std::move(folder)) {}

TPageSpool::~TPageSpool() {
    file_.reset();  // closed before it is removed (Windows keeps open files)
    if (!fileName_.empty()) RemoveFile(fileName_);
}

bool TPageSpool::Open() {
    if (failed_) return false;
    if (file_) return true;
    if (folder_.empty()) {
        failed_ = true;
        return false;
    }
    try {
        // A fresh name, created exclusively: nothing already there (a
        // file, another user's link) is written through.
        file_ = CreateUniqueFile(folder_, "pim-spool-", ".tmp");
        fileName_ = file_->FileName();
        return true;
    } catch (...) {
        // No scratch space: the bytes stay where they are, in memory.
        if (!fileName_.empty()) RemoveFile(fileName_);
        fileName_.clear();
        failed_ = true;
        return false;
    }
}

bool TPageSpool::Spool(TPdfStreamContent& content) {
    const std::int64_t size = content.ContentSize();
    if (size == 0 || content.MemorySize() != size || !Open()) return false;
    const std::int64_t offset = size_;
    try {
        file_->SetPosition(offset);
        content.WriteTo(*file_);
    } catch (const EStreamError&) {
        // Scratch space ran out: this and later pages keep their bytes in
        // memory, as they would without a spool. What was written stays
        // unreferenced.
        failed_ = true;
        return false;
    }
    size_ += size;
    content.Clear();
    content.AppendSource(std::make_unique<TSpooledContent>(*this, offset, size));
    return true;
}

void TPageSpool::SpoolPageImages(TPdfDictionary& page) {
    TPdfDictionary* resources = page.LookupDictionary("Resources");
    TPdfDictionary* xObjects = resources ? resources->LookupDictionary("XObject") : nullptr;
    if (!xObjects) return;
    for (int i = 0; i < xObjects->ElementCount(); ++i) {
        auto* stream = dynamic_cast<TPdfStream*>(xObjects->Lookup(xObjects->ElementAt(i).Key().Value()));
        if (stream) Spool(stream->Content());
    }
}

std::size_t TPageSpool::ReadAt(std::int64_t offset, void* buffer, std::size_t count) {
    if (!file_) return 0;
    file_->SetPosition(offset);
    return file_->Read(buffer, count);
}

}  // namespace pim
