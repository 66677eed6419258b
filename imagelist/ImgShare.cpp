#include "imagelist/ImgShare.h"

namespace pim {

bool TDispTypes::Filters() const { return extList_.find(";*.*;") == std::string::npos; }

void TDispTypes::SetFolders(bool value) {
    if (value == folders_) return;
    folders_ = value;
    Changed();
}

void TDispTypes::SetNonFolders(bool value) {
    if (value == nonFolders_) return;
    nonFolders_ = value;
    Changed();
}

void TDispTypes::SetHidden(bool value) {
    if (value == hidden_) return;
    hidden_ = value;
    Changed();
}

void TDispTypes::SetExt(const std::string& value) {
    if (value == ext_) return;
    ext_ = value;
    SetExtList();
    Changed();
}

void TDispTypes::SetExtList() {
    if (ext_.empty()) {
        extList_ = ";*.*;";
        return;
    }
    extList_ = LowerCaseName(ext_);
    if (extList_.front() != ';') extList_.insert(extList_.begin(), ';');
    if (extList_.back() != ';') extList_.push_back(';');
}

std::string LowerCaseName(std::string_view name) {
    std::string out(name);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

bool MatchesMask(std::string_view path, std::string_view extList) {
    // A listing asks this of every file: nothing is built to compare.
    const std::string name = LowerCaseName(ExtractFileName(path));
    const std::string_view ext = ExtractFileExt(name);
    for (std::size_t at = extList.find(';'); at != std::string_view::npos;) {
        const std::size_t end = extList.find(';', at + 1);
        if (end == std::string_view::npos) break;
        const std::string_view entry = extList.substr(at + 1, end - at - 1);
        if (entry == name || (entry.starts_with('*') && entry.substr(1) == ext)) return true;
        at = end;
    }
    return false;
}

TImageType ImageTypeByExtension(std::string_view path) {
    const std::string ext = LowerCaseName(ExtractFileExt(path));
    struct Entry {
        std::string_view ext;
        TImageType type;
    };
    static constexpr Entry kTable[] = {
        {".bmp", TImageType::iitBmp}, {".jpg", TImageType::iitJpeg},  {".jpeg", TImageType::iitJpeg},
        {".ico", TImageType::iitIco}, {".cur", TImageType::iitCur},   {".ani", TImageType::iitAni},
        {".emf", TImageType::iitEmf}, {".wmf", TImageType::iitWmf},   {".exe", TImageType::iitExe},
        {".dll", TImageType::iitDll}, {".html", TImageType::iitHtml}, {".htm", TImageType::iitHtml},
        {".eml", TImageType::iitEml}, {".txt", TImageType::iitTxt},   {".avi", TImageType::iitAvi},
        {".png", TImageType::iitPng}, {".tif", TImageType::iitTiff},  {".tiff", TImageType::iitTiff},
        {".gif", TImageType::iitGif}, {".webp", TImageType::iitWebp},
    };
    for (const Entry& e : kTable)
        if (ext == e.ext) return e.type;
    return TImageType::iitNone;
}

}  // namespace pim
