#include "app/MainModel.h"

#include <algorithm>
#include <array>

#include "base/CodePage.h"

namespace pim {

std::string ReadingLabel(int index, int count) {
    return std::string(kLabelReading) + std::to_string(index + 1) + "/" + std::to_string(count);
}

std::string FinishedLabel() { return std::string(kMsgCreated) + "\n\r" + std::string(kMsgWhereToLook); }

std::string TotalStatusText(int count) { return std::string(kStatusTotal) + std::to_string(count); }

std::string SelectedStatusText(int count) { return std::string(kStatusSelected) + std::to_string(count); }

std::optional<std::string> MaskOfFileTypeBits(int fileTypeBits) {
    if (fileTypeBits < 0 || fileTypeBits > ftAll) return std::nullopt;
    if (fileTypeBits == 0) return "*.pim";
    std::string mask;
    for (const TFileKindRow& kind : kFileKinds) {
        if (!(fileTypeBits & kind.TypeBit)) continue;
        if (!mask.empty()) mask += ';';
        mask += kind.Mask;
    }
    return mask;
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

std::string OutputFileName(std::string_view folder, std::string_view name) {
    std::string result(folder);
    result += PathDelimiter();
    if (name.empty()) {
        result += "default.pdf";
    } else {
        // A name typed with its ".pdf" (any case) keeps it, and gets no second one.
        const bool hasExtension = name.size() > 4 && SameTextAnsi(name.substr(name.size() - 4), ".pdf");
        result.append(name);
        if (!hasExtension) result += ".pdf";
    }
    return result;
}

std::string CurrentExtOf(std::string_view fileName) {
    const std::string_view name = ExtractFileName(fileName);
    return LowerCaseName(name.substr(name.size() < 3 ? 0 : name.size() - 3));
}

namespace {

// Characters the title leaves off the end: four (a dot and three letters),
// five for a kind whose extension has four letters (".tiff", ".webp").
std::size_t ExtensionLength(std::string_view fileName) {
    const std::size_t ext = ExtractFileExt(fileName).size();
    return FileKindOf(fileName) != TFileKind::fkOther && ext > 4 ? ext : 4;
}

}  // namespace

std::string BookmarkTitleOf(std::string_view fileName) {
    const std::string name = Utf8ToAnsi(ExtractFileName(fileName));
    const std::size_t drop = ExtensionLength(fileName);
    return name.substr(0, name.size() < drop ? 0 : name.size() - drop);
}

std::u16string UnicodeBookmarkTitleOf(std::string_view fileName) {
    std::u16string name = Utf8ToUtf16(ExtractFileName(fileName));
    if (AnsiToUtf16(Utf16ToAnsi(name)) == name) return {};
    // The extension's characters off the end; a character outside the basic
    // plane is two units.
    const std::size_t drop = ExtensionLength(fileName);
    for (std::size_t dropped = 0; dropped < drop && !name.empty(); ++dropped) {
        name.pop_back();
        if (!name.empty() && name.back() >= 0xD800 && name.back() <= 0xDBFF) name.pop_back();
    }
    return name;
}

// ---- Output name rules ----------------------------------------------------

namespace {

constexpr std::string_view kForbidden = "\\/:*?\"<>|";
constexpr int kMaxNameUnits = 255;

// The device names Windows reserves in every folder. The superscript digits
// count as digits there too.
bool IsDeviceName(std::string_view base) {
    std::string upper;
    for (char c : base) upper += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    static constexpr std::array<std::string_view, 6> kPlain = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    if (std::find(kPlain.begin(), kPlain.end(), upper) != kPlain.end()) return true;
    if (upper.rfind("COM", 0) != 0 && upper.rfind("LPT", 0) != 0) return false;
    const std::string_view number = std::string_view(upper).substr(3);
    return (number.size() == 1 && number[0] >= '1' && number[0] <= '9') || number == "\xC2\xB9" ||
           number == "\xC2\xB2" || number == "\xC2\xB3";
}

}  // namespace

TNameProblem CheckOutputName(std::string_view name) {
    TNameProblem problem;
    if (name.empty()) return problem;
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20) {
            problem.Rule = TNameRule::nrControlCharacter;
            return problem;
        }
        if (kForbidden.find(c) != std::string_view::npos) {
            problem.Rule = TNameRule::nrForbiddenCharacter;
            problem.Detail = std::string(1, c);
            return problem;
        }
    }
    if (name.find_first_not_of(". ") == std::string_view::npos) {
        problem.Rule = TNameRule::nrOnlySpacesOrDots;
        return problem;
    }
    if (name.back() == '.' || name.back() == ' ') {
        problem.Rule = TNameRule::nrTrailingDotOrSpace;
        return problem;
    }
    // The part before the first dot, trailing spaces aside, names the device:
    // "con", "CON.txt" and "nul .x" all do.
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    if (IsDeviceName(base)) {
        problem.Rule = TNameRule::nrDeviceName;
        problem.Detail = std::string(base);
        return problem;
    }
    const int units = static_cast<int>(Utf8ToUtf16(name).size()) + 4;  // ".pdf"
    if (units > kMaxNameUnits) {
        problem.Rule = TNameRule::nrTooLong;
        problem.Length = units;
    }
    return problem;
}

std::string NameProblemText(const TNameProblem& problem) {
    switch (problem.Rule) {
        case TNameRule::nrNone: return {};
        case TNameRule::nrForbiddenCharacter:
            return "the name holds \"" + problem.Detail +
                   "\", which Windows does not allow in a file name (none of \\ / : * ? \" < > |)";
        case TNameRule::nrControlCharacter:
            return "the name holds a control character, which Windows does not allow in a file name";
        case TNameRule::nrOnlySpacesOrDots: return "the name is only spaces or dots, which Windows does not allow";
        case TNameRule::nrTrailingDotOrSpace: return "the name ends in a dot or a space, which Windows does not allow";
        case TNameRule::nrDeviceName:
            return "\"" + problem.Detail +
                   "\" is a device name Windows reserves (CON, PRN, AUX, NUL, COM1-9, LPT1-9), with or without "
                   "an extension";
        case TNameRule::nrTooLong:
            return "the name is " + std::to_string(problem.Length) +
                   " characters long with \".pdf\"; Windows allows at most 255";
    }
    return {};
}

std::string NameProblemTextAnsi(const TNameProblem& problem) {
    std::string text;  // UTF-8 here, code page 932 on return
    switch (problem.Rule) {
        case TNameRule::nrNone: return {};
        case TNameRule::nrForbiddenCharacter:
            text = "名前に使えない文字「" + problem.Detail + "」があります（\\ / : * ? \" < > | は使えません）";
            break;
        case TNameRule::nrControlCharacter: text = "名前に制御文字があります"; break;
        case TNameRule::nrOnlySpacesOrDots: text = "名前が空白かピリオドだけです"; break;
        case TNameRule::nrTrailingDotOrSpace: text = "名前の最後が空白かピリオドです"; break;
        case TNameRule::nrDeviceName:
            text =
                "「" + problem.Detail + "」はWindowsが機器のために予約している名前です（拡張子があっても使えません）";
            break;
        case TNameRule::nrTooLong:
            text = "名前が長すぎます（.pdf を含めて" + std::to_string(problem.Length) + "文字、255文字まで）";
            break;
    }
    return Utf8ToAnsi(text);
}

}  // namespace pim
