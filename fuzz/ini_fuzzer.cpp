// libFuzzer target: any bytes read as an ini file's text (the settings
// store's file, which a user may edit by hand). Reading never fails; an
// entry the checks let through is written and reads back as written, and
// survives a round trip through the file's text; a deleted key is gone.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/IniFile.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// Three short pieces of the input name a section, a key and a value.
std::string_view Piece(std::string_view& rest) {
    const std::size_t n = rest.empty() ? 0 : static_cast<unsigned char>(rest[0]) % 12;
    rest.remove_prefix(rest.empty() ? 0 : 1);
    const std::string_view piece = rest.substr(0, n);
    rest.remove_prefix(piece.size());
    return piece;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The last bytes choose the entry; all bytes are the file.
    std::string_view rest = bytes.substr(size > 40 ? size - 40 : 0);
    const std::string section(Piece(rest)), key(Piece(rest)), value(Piece(rest));

    pim::TIniText ini(bytes);
    const std::string text = ini.Text();
    (void)ini.ReadString(section, key);
    (void)ini.KeyCount(section);
    // Reading the text it writes gives the same text again.
    Check(pim::TIniText(text).Text() == text);

    bool valid = true;
    try {
        pim::CheckIniEntry(section, key, value);
    } catch (const pim::Exception&) {
        valid = false;
    }
    if (!valid) return 0;
    ini.WriteString(section, key, value);  // quoted as needed on the way in
    const auto back = ini.ReadString(section, key);
    Check(back.has_value() && *back == value);
    const pim::TIniText reread(ini.Text());
    const auto again = reread.ReadString(section, key);
    Check(again.has_value() && *again == value);
    Check(ini.DeleteKey(section, key));
    return 0;
}
