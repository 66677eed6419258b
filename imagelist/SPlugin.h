// The image-loader plug-in registry. An entry stands for one loader library
// of the Susie kind: it names the extensions it reads, tests the start of a
// file, and hands back a picture as a bitmap information header (with its
// palette) and the pixel bits. How libraries are found and loaded is the
// platform side's business; this program registers none, so the list stays
// empty unless a caller adds entries.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/Graphics.h"

namespace pim {

// A picture as a plug-in returns it: the packed bitmap information header
// (with palette) and the pixel rows, in the platform's DIB layout.
struct TSusiePicture {
    std::vector<std::uint8_t> Info;
    std::vector<std::uint8_t> Bits;
};

class TSPluginEntry {
public:
    static constexpr std::size_t kHeadSize = 2176;

    virtual ~TSPluginEntry() = default;
    // The extensions the loader reads, as "*.pic;*.mag".
    virtual std::string Extensions() = 0;
    // Nonzero when the loader reads the file; head holds its first kHeadSize
    // bytes, zero-padded.
    virtual int IsSupported(const std::string& path, const std::uint8_t* head) = 0;
    // 0 on success. Called with offset 0 and flag 0.
    virtual int GetPicture(const std::string& path, long offset, unsigned flag, TSusiePicture& picture) = 0;
    virtual int GetPreview(const std::string& path, long offset, unsigned flag, TSusiePicture& picture) = 0;
    // Set from the registry's Preview before every decode.
    bool PreviewFlag = false;
};

class TSPlugin {
public:
    // True asks the loaders for their preview first.
    bool Preview = false;

    void Add(std::unique_ptr<TSPluginEntry> entry) { entries_.push_back(std::move(entry)); }
    int Count() const { return static_cast<int>(entries_.size()); }
    TSPluginEntry& Entries(int index) const { return *entries_.at(static_cast<std::size_t>(index)); }

    // True when some entry claims the file: its extension list names the
    // file's extension and its test accepts the file's start.
    bool Claims(const std::string& path);
    // Decodes with the claiming entries in list order until one succeeds;
    // 0 and the picture in bitmap then, else -1 (bitmap unchanged).
    int Decode(const std::string& path, TBitmap& bitmap);

private:
    bool EntryClaims(TSPluginEntry& entry, const std::string& path, const std::uint8_t* head);
    std::vector<std::uint8_t> ReadHead(const std::string& path);

    std::vector<std::unique_ptr<TSPluginEntry>> entries_;
};

// A device-independent bitmap handed over as its information part (header,
// bit-field masks, palette) and its bits, the form plug-ins and the video
// frame reader use, as a bitmap. Raises EInvalidGraphic when it is damaged.
void LoadDib(const std::uint8_t* info, std::size_t infoSize, const std::uint8_t* bits, std::size_t bitsSize,
             TBitmap& bitmap);
// Bytes of the information part at the start of a packed DIB: the header's
// own size, the three masks after a plain 40-byte header with bit fields,
// and 4 bytes per palette entry (the used-colour count, or the full table up
// to 8 bits when that is 0). 0 when the header itself is cut short.
std::size_t PackedDibInfoSize(const std::uint8_t* dib, std::size_t size);

}  // namespace pim
