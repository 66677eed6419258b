// Keeps the image data of printed pages out of memory until the document is
// saved. Pages whose image bytes the PDF writer holds in memory (bitmap
// samples, freshly encoded JPEGs) hand them to the spool right after they are
// printed: the bytes go to a scratch file and the image stream refers to
// them there (TPdfContentSource), so a run's memory does not grow with the
// folder while the saved file stays byte for byte the same.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/Classes.h"
#include "pdf/PdfTypes.h"

namespace pim {

class TPageSpool {
public:
    // The scratch file is made in `folder` on first use; without a folder
    // nothing is spooled.
    explicit TPageSpool(std::string folder);
    ~TPageSpool();
    TPageSpool(const TPageSpool&) = delete;
    TPageSpool& operator=(const TPageSpool&) = delete;

    // Moves every image of the page whose bytes are all in memory into the
    // spool. Images already outside memory are left alone. When no scratch
    // file can be made the bytes simply stay in memory.
    void SpoolPageImages(TPdfDictionary& page);
    // Moves content held wholly in memory into the spool; false (content
    // unchanged) when it is empty, not wholly in memory, or no scratch file
    // can be made.
    bool Spool(TPdfStreamContent& content);

    // Reads from the scratch file; used by the spooled content.
    std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count);
    // Bytes spooled so far.
    std::int64_t Size() const { return size_; }
    // The scratch file's name; empty before first use.
    const std::string& FileName() const { return fileName_; }

private:
    bool Open();

    std::string folder_;
    std::string fileName_;
    std::unique_ptr<TFileStream> file_;
    std::int64_t size_ = 0;
    bool failed_ = false;
};

}  // namespace pim
