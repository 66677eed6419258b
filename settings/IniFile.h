// Ini files in the form Windows' profile functions read and write: CRLF
// lines, "[section]" headers, "key=value" entries, anything else (comments,
// blank lines, text before the first section) kept as it is. Section and key
// names are matched without regard to ASCII case and with surrounding blanks
// ignored; values lose surrounding blanks and one pair of matching quotes when
// read. Text is code page 932 bytes and is never converted.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/SettingsStore.h"

namespace pim {

// Raises EIniFileException when the entry cannot be kept in an ini file as it
// is: a line break or NUL anywhere, "]" in the section, "=" in the key, a key
// that would read as a section or a comment, or a section or key ending in a
// lead byte without its second byte (which would swallow the "]" or "=").
void CheckIniEntry(std::string_view section, std::string_view ident, std::string_view value);

// The value as it goes into the file: in double quotes when reading would
// otherwise strip blanks or quotes from it.
std::string QuoteIniValue(std::string_view value);

// Whether the bytes read as an ini file: every line blank, a comment (";" or
// "#"), a "[section]" header or a key=value entry, with no control
// character other than a tab. A file in UTF-16 (with its byte-order mark),
// which Windows' profile functions read, counts as one.
bool IsIniText(std::string_view bytes);

class TIniText {
public:
    TIniText() = default;
    explicit TIniText(std::string_view bytes);

    // Every line followed by CR LF.
    std::string Text() const;

    // The first matching key of the first matching section.
    std::optional<std::string> ReadString(std::string_view section, std::string_view ident) const;
    // Replaces the key's line, or adds the key after the section's last key,
    // or adds the section at the end. Checks the entry first.
    void WriteString(std::string_view section, std::string_view ident, std::string_view value);
    // Removes the key's line; the section stays. False when there was none.
    bool DeleteKey(std::string_view section, std::string_view ident);
    std::size_t KeyCount(std::string_view section) const;

private:
    struct TSectionRange {
        std::size_t header;  // index of the "[section]" line
        std::size_t end;     // one past its last line
    };
    std::optional<TSectionRange> FindSection(std::string_view section) const;
    std::optional<std::size_t> FindKey(const TSectionRange& range, std::string_view ident) const;

    std::vector<std::string> lines_;
};

// An ini file read when opened and written back, whole, on Close when
// something changed (the Linux store).
class TIniFileStore : public TSettingsStore {
public:
    explicit TIniFileStore(std::string fileName);

    std::optional<std::string> ReadString(const std::string& section, const std::string& ident) override;
    void WriteString(const std::string& section, const std::string& ident, const std::string& value) override;
    void DeleteKey(const std::string& section, const std::string& ident) override;
    std::size_t ValueCount(const std::string& section) override { return text_.KeyCount(section); }
    void Close() override;

private:
    std::string fileName_;
    TIniText text_;
    bool readable_ = true;  // false: the file exists but could not be read
    bool modified_ = false;
};

}  // namespace pim
