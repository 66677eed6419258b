#include "settings/IniFile.h"

#include <filesystem>
#include <system_error>

#include "base/Classes.h"
#include "base/CodePage.h"

namespace pim {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The position of the single-byte character c, never matching a trail byte.
std::size_t FindChar(std::string_view text, char c) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == c) return i;
        if (IsLeadByte(static_cast<unsigned char>(text[i]))) ++i;
    }
    return std::string_view::npos;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

bool IsQuoted(std::string_view text) { return text.size() >= 2 && IsQuote(text.front()) && text.back() == text.front(); }

enum class TLineKind { lkOther, lkSection, lkKey };

struct TLine {
    TLineKind kind = TLineKind::lkOther;
    std::string_view name;   // section or key, trimmed
    std::string_view value;  // key's value as read
};

TLine Classify(std::string_view line) {
    line = Trim(line);
    if (line.starts_with('[')) {
        const std::string_view body = line.substr(1);
        return {TLineKind::lkSection, Trim(body.substr(0, FindChar(body, ']'))), {}};
    }
    if (line.empty() || line.starts_with(';')) return {};
    const std::size_t eq = FindChar(line, '=');
    if (eq == std::string_view::npos) return {};
    std::string_view value = Trim(line.substr(eq + 1));
    if (IsQuoted(value)) value = value.substr(1, value.size() - 2);
    return {TLineKind::lkKey, Trim(line.substr(0, eq)), value};
}

// A lead byte with no byte after it: in a name it would take the "]" or "="
// that follows in the file as its second byte.
bool EndsInCutCharacter(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsLeadByte(static_cast<unsigned char>(text[i]))) continue;
        if (i + 1 == text.size()) return true;
        ++i;
    }
    return false;
}

bool HasLineBreakOrNul(std::string_view text) { return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos; }

}  // namespace

void CheckIniEntry(std::string_view section, std::string_view ident, std::string_view value) {
    const std::string_view key = Trim(ident);
    const bool bad = HasLineBreakOrNul(section) || HasLineBreakOrNul(ident) || HasLineBreakOrNul(value) ||
                     FindChar(section, ']') != std::string_view::npos || EndsInCutCharacter(Trim(section)) ||
                     EndsInCutCharacter(key) ||
                     FindChar(key, '=') != std::string_view::npos || key.starts_with('[') || key.starts_with(';');
    if (bad) throw EIniFileException("WriteString --the entry cannot be kept in an ini file.");
}

std::string QuoteIniValue(std::string_view value) {
    const bool quote = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) || IsQuoted(value));
    if (!quote) return std::string(value);
    std::string quoted(1, '"');
    quoted.append(value).push_back('"');
    return quoted;
}

bool IsIniText(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) return true;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t' && c != '\r' && c != '\n') || u == 0x7F) return false;
    }
    while (!bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        std::string_view line = bytes.substr(0, lf);
        if (line.ends_with('\r')) line.remove_suffix(1);
        line = Trim(line);
        const bool fits = line.empty() || line.starts_with(';') || line.starts_with('#') ||
                          (line.starts_with('[') ? FindChar(line, ']') != std::string_view::npos
                                                 : FindChar(line, '=') != std::string_view::npos);
        if (!fits) return false;
        if (lf == std::string_view::npos) break;
        bytes.remove_prefix(lf + 1);
    }
    return true;
}

// ---- TIniText -------------------------------------------------------------

TIniText::TIniText(std::string_view bytes) {
    // Lines end at LF; a CR before it belongs to the line break.
    while (!bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        std::string_view line = bytes.substr(0, lf);
        if (line.ends_with('\r')) line.remove_suffix(1);
        lines_.emplace_back(line);
        if (lf == std::string_view::npos) break;
        bytes.remove_prefix(lf + 1);
    }
}

std::string TIniText::Text() const {
    std::string text;
    for (const auto& line : lines_) text.append(line).append("\r\n");
    return text;
}

std::optional<TIniText::TSectionRange> TIniText::FindSection(std::string_view section) const {
    section = Trim(section);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const TLine line = Classify(lines_[i]);
        if (line.kind != TLineKind::lkSection || !SameTextAnsi(line.name, section)) continue;
        std::size_t end = i + 1;
        while (end < lines_.size() && Classify(lines_[end]).kind != TLineKind::lkSection) ++end;
        return TSectionRange{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> TIniText::FindKey(const TSectionRange& range, std::string_view ident) const {
    ident = Trim(ident);
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        const TLine line = Classify(lines_[i]);
        if (line.kind == TLineKind::lkKey && SameTextAnsi(line.name, ident)) return i;
    }
    return std::nullopt;
}

std::optional<std::string> TIniText::ReadString(std::string_view section, std::string_view ident) const {
    const auto range = FindSection(section);
    if (!range) return std::nullopt;
    const auto key = FindKey(*range, ident);
    if (!key) return std::nullopt;
    return std::string(Classify(lines_[*key]).value);
}

void TIniText::WriteString(std::string_view section, std::string_view ident, std::string_view value) {
    CheckIniEntry(section, ident, value);
    const auto range = FindSection(section);
    if (!range) {
        std::string header(1, '[');
        header.append(Trim(section)).push_back(']');
        lines_.push_back(std::move(header));
        lines_.push_back(std::string(Trim(ident)) + "=" + QuoteIniValue(value));
        return;
    }
    if (const auto key = FindKey(*range, ident)) {
        // The key keeps its spelling; the line takes the plain key=value form.
        lines_[*key] = std::string(Classify(lines_[*key]).name) + "=" + QuoteIniValue(value);
        return;
    }
    std::size_t at = range->header + 1;
    for (std::size_t i = at; i < range->end; ++i)
        if (Classify(lines_[i]).kind == TLineKind::lkKey) at = i + 1;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::string(Trim(ident)) + "=" + QuoteIniValue(value));
}

bool TIniText::DeleteKey(std::string_view section, std::string_view ident) {
    const auto range = FindSection(section);
    if (!range) return false;
    const auto key = FindKey(*range, ident);
    if (!key) return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*key));
    return true;
}

std::size_t TIniText::KeyCount(std::string_view section) const {
    const auto range = FindSection(section);
    std::size_t count = 0;
    for (std::size_t i = range ? range->header + 1 : 0; range && i < range->end; ++i)
        if (Classify(lines_[i]).kind == TLineKind::lkKey) ++count;
    return count;
}

// ---- TIniFileStore --------------------------------------------------------

TIniFileStore::TIniFileStore(std::string fileName) : fileName_(std::move(fileName)) {
    std::error_code ec;
    const auto status = std::filesystem::status(std::filesystem::path(fileName_), ec);
    if (status.type() == std::filesystem::file_type::not_found) return;
    readable_ = status.type() == std::filesystem::file_type::regular;
    if (!readable_) return;  // a folder, say: read as empty, never written over
    try {
        TMemoryStream bytes;
        bytes.LoadFromFile(fileName_);
        text_ = TIniText(bytes.View());
    } catch (const EStreamError&) {
        // Read as an empty file, as Windows does, but never written over.
        readable_ = false;
    }
}

std::optional<std::string> TIniFileStore::ReadString(const std::string& section, const std::string& ident) {
    return text_.ReadString(section, ident);
}

void TIniFileStore::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
    text_.WriteString(section, ident, value);
    modified_ = true;
}

void TIniFileStore::DeleteKey(const std::string& section, const std::string& ident) {
    if (text_.DeleteKey(section, ident)) modified_ = true;
}

void TIniFileStore::Close() {
    if (!modified_) return;
    modified_ = false;
    try {
        if (!readable_) throw EStreamError("unreadable");
        TFileStream file(fileName_, TFileMode::fmCreate);
        file.Write(text_.Text());
        file.Close();
    } catch (const EStreamError&) {
        throw EIniFileException("Unable to write to " + fileName_);
    }
}

}  // namespace pim
