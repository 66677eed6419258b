#include "imagelist/SPlugin.h"

#include <algorithm>

#include "base/Classes.h"
#include "graphics/BmpFile.h"
#include "imagelist/ImgShare.h"

namespace pim {

namespace {

std::uint32_t GetU32(const std::uint8_t* p) {
    return p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}

void PutU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

std::vector<std::uint8_t> TSPlugin::ReadHead(const std::string& path) {
    std::vector<std::uint8_t> head(TSPluginEntry::kHeadSize, 0);
    try {
        TFileStream file(path, TFileMode::fmOpenRead);
        std::size_t got = 0;
        while (got < head.size()) {
            const std::size_t n = file.Read(head.data() + got, head.size() - got);
            if (n == 0) break;
            got += n;
        }
    } catch (const EStreamError&) {
        head.clear();  // an unreadable file is claimed by no one
    }
    return head;
}

bool TSPlugin::EntryClaims(TSPluginEntry& entry, const std::string& path, const std::uint8_t* head) {
    const std::string ext = LowerCaseName(ExtractFileExt(path));
    if (ext.empty() || (LowerCaseName(entry.Extensions()) + ";").find(ext) == std::string::npos) return false;
    return entry.IsSupported(path, head) != 0;
}

bool TSPlugin::Claims(const std::string& path) {
    if (entries_.empty()) return false;
    const std::vector<std::uint8_t> head = ReadHead(path);
    if (head.empty()) return false;
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const auto& entry) { return EntryClaims(*entry, path, head.data()); });
}

int TSPlugin::Decode(const std::string& path, TBitmap& bitmap) {
    if (entries_.empty()) return -1;
    const std::vector<std::uint8_t> head = ReadHead(path);
    if (head.empty()) return -1;
    for (const auto& entry : entries_) {
        if (!EntryClaims(*entry, path, head.data())) continue;
        entry->PreviewFlag = Preview;
        TSusiePicture picture;
        int result = -1;
        if (entry->PreviewFlag) result = entry->GetPreview(path, 0, 0, picture);
        if (result != 0) {
            picture = {};
            result = entry->GetPicture(path, 0, 0, picture);
        }
        if (result != 0) continue;
        LoadDib(picture.Info.data(), picture.Info.size(), picture.Bits.data(), picture.Bits.size(), bitmap);
        return 0;
    }
    return -1;
}

void LoadDib(const std::uint8_t* info, std::size_t infoSize, const std::uint8_t* bits, std::size_t bitsSize,
             TBitmap& bitmap) {
    constexpr std::size_t kFileHeader = 14;
    TMemoryStream file;
    std::uint8_t header[kFileHeader] = {'B', 'M'};
    PutU32(header + 2, static_cast<std::uint32_t>(kFileHeader + infoSize + bitsSize));
    PutU32(header + 10, static_cast<std::uint32_t>(kFileHeader + infoSize));
    file.Write(header, sizeof header);
    if (infoSize) file.Write(info, infoSize);
    if (bitsSize) file.Write(bits, bitsSize);
    file.SetPosition(0);
    ReadBmp(file, bitmap);
}

std::size_t PackedDibInfoSize(const std::uint8_t* dib, std::size_t size) {
    if (size < 4) return 0;
    const std::uint32_t headerSize = GetU32(dib);
    if (headerSize < 40 || headerSize > size) return 0;
    const unsigned bits = dib[14] | (dib[15] << 8);
    const std::uint32_t compression = GetU32(dib + 16);
    const std::uint32_t used = GetU32(dib + 32);
    std::size_t info = headerSize;
    if (headerSize == 40 && (compression == 3 || compression == 6)) info += compression == 6 ? 16 : 12;
    if (bits <= 8) info += 4 * static_cast<std::size_t>(used != 0 ? std::min(used, 1u << bits) : 1u << bits);
    return std::min(info, size);
}

}  // namespace pim
