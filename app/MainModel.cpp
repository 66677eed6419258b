#include "app/MainModel.h"

#include <filesystem>

#include "app/AppPlatform.h"
#include "base/CodePage.h"

namespace pim {

std::string ReadingLabel(int index, int count) {
    return std::string(kLabelReading) + std::to_string(index + 1) + "/" + std::to_string(count);
}

std::string FinishedLabel() { return std::string(kMsgCreated) + "\n\r" + std::string(kMsgWhereToLook); }

std::string TotalStatusText(int count) { return std::string(kStatusTotal) + std::to_string(count); }

std::string SelectedStatusText(int count) { return std::string(kStatusSelected) + std::to_string(count); }

std::optional<std::string> MaskOfFileTypeBits(int fileTypeBits) {
    static constexpr const char* kMasks[8] = {
        "*.pim", "*.jpg", "*.bmp", "*.jpg;*.bmp", "*.txt", "*.jpg;*.txt", "*.bmp;*.txt", "*.jpg;*.bmp;*.txt",
    };
    if (fileTypeBits < 0 || fileTypeBits > 7) return std::nullopt;
    return kMasks[fileTypeBits];
}

std::optional<TSortTypeEx> SortTypeOfIndex(int index) {
    switch (index) {
        case 0: return TSortTypeEx::istName;
        case 1: return TSortTypeEx::istDate;
        case 2: return TSortTypeEx::istSize;
        case 3: return TSortTypeEx::istType;
        default: return std::nullopt;
    }
}

std::optional<bool> DescendOfIndex(int index) {
    switch (index) {
        case 0: return false;
        case 1: return true;
        default: return std::nullopt;
    }
}

char PathDelimiter() { return static_cast<char>(std::filesystem::path::preferred_separator); }

std::string FolderNameOf(std::string_view folderPath) {
    // Only the platform's separator counts here, as in the window.
    const char delimiter = PathDelimiter();
    std::size_t start = 0;
    for (std::size_t i = 0; i < folderPath.size(); ++i) {
        if (folderPath[i] == delimiter) start = i + 1;
    }
    return std::string(folderPath.substr(start));
}

std::string OutputFileName(std::string_view folder, std::string_view name) {
    std::string result(folder);
    result += PathDelimiter();
    if (name.empty())
        result += "default.pdf";
    else
        result.append(name).append(".pdf");
    return result;
}

std::string CurrentExtOf(std::string_view fileName) {
    const std::string_view name = ExtractFileName(fileName);
    return LowerCaseName(name.substr(name.size() < 3 ? 0 : name.size() - 3));
}

std::string BookmarkTitleOf(std::string_view fileName) {
    const std::string name = NativeToAnsi(ExtractFileName(fileName));
    return name.substr(0, name.size() < 4 ? 0 : name.size() - 4);
}

std::u16string UnicodeBookmarkTitleOf(std::string_view fileName) {
    std::u16string name = NativeToUtf16(ExtractFileName(fileName));
    if (AnsiToUtf16(Utf16ToAnsi(name)) == name) return {};
    // Four characters off the end; a character outside the basic plane is
    // two units.
    for (int dropped = 0; dropped < 4 && !name.empty(); ++dropped) {
        name.pop_back();
        if (!name.empty() && name.back() >= 0xD800 && name.back() <= 0xDBFF) name.pop_back();
    }
    return name;
}

}  // namespace pim
