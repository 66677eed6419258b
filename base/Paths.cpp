#include "base/Paths.h"

namespace pim {

namespace {

// Position just after the last byte satisfying pred; 0 when none.
template <typename Pred>
std::size_t AfterLast(std::string_view s, Pred pred) {
    std::size_t after = 0;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (pred(s[i])) after = i + 1;
    return after;
}

}  // namespace

std::string_view ExtractFileName(std::string_view path) { return path.substr(AfterLast(path, IsPathDelimiter)); }

std::string_view ExtractFileExt(std::string_view path) {
    const std::string_view name = ExtractFileName(path);
    const std::size_t afterDot = AfterLast(name, [](char c) { return c == '.'; });
    return afterDot == 0 ? std::string_view{} : name.substr(afterDot - 1);
}

std::string_view ExtractFilePath(std::string_view path) { return path.substr(0, AfterLast(path, IsPathDelimiter)); }

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
    const std::string_view old = ExtractFileExt(path);
    return std::string(path.substr(0, path.size() - old.size())) + std::string(ext);
}

std::string FolderOfExistingFile(std::string_view path) {
    std::string folder(ExtractFilePath(path));
    if (folder.empty()) return ".";
    if (folder.size() > 1 && folder.back() == kPathDelim && folder[folder.size() - 2] != ':') folder.pop_back();
    return folder;
}

std::string ParentFolderOf(std::string path) {
    while (path.size() > 1 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    const std::size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos || (path.size() >= 2 && path[1] == ':' && path.size() <= 3)) return {};
    std::string parent = path.substr(0, cut);
    if (parent.size() == 2 && parent[1] == ':') parent += '\\';  // "C:" is the drive's current folder
    return parent;
}

std::string FolderNameOf(std::string_view folderPath) {
    const std::size_t cut = folderPath.rfind(kPathDelim);
    return std::string(cut == std::string_view::npos ? folderPath : folderPath.substr(cut + 1));
}

std::string FolderPrefix(std::string folder) {
    if (!folder.empty() && folder.back() != kPathDelim) folder.push_back(kPathDelim);
    return folder;
}

std::string JoinPath(std::string folder, std::string_view name) {
    if (folder.empty() || folder.back() != kPathDelim) folder.push_back(kPathDelim);
    folder.append(name);
    return folder;
}

}  // namespace pim
