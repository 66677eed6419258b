// Code page 932 through glibc's iconv ("CP932" is Microsoft's Shift_JIS, the
// same table Windows uses, including the NEC and IBM extensions).
#include "base/CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <mutex>

#include "base/SysUtils.h"

namespace pim {

namespace {

// One converter per direction; iconv descriptors are not thread-safe, so
// each use holds its lock.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw Exception(std::string("iconv cannot convert ") + from + " to " + to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts one whole input; on an unconvertible sequence calls
    // onError(consumedBytes&) which appends a replacement and returns how
    // many input bytes to skip.
    template <typename OnError>
    std::string Run(const char* in, std::size_t inLeft, OnError onError) {
        std::lock_guard lock(mutex_);
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        char buf[4096];
        char* src = const_cast<char*>(in);
        while (inLeft > 0) {
            char* dst = buf;
            std::size_t dstLeft = sizeof buf;
            const std::size_t rc = iconv(cd_, &src, &inLeft, &dst, &dstLeft);
            out.append(buf, static_cast<std::size_t>(dst - buf));
            if (rc != static_cast<std::size_t>(-1)) break;
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL (incomplete sequence at the end)
            const std::size_t skip = onError(out, src, inLeft);
            src += skip;
            inLeft -= skip;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

private:
    iconv_t cd_;
    std::mutex mutex_;
};

Converter& ToUtf16() {
    static Converter c("UTF-16LE", "CP932");
    return c;
}

Converter& FromUtf16() {
    static Converter c("CP932", "UTF-16LE");
    return c;
}

}  // namespace

std::u16string AnsiToUtf16(std::string_view ansi) {
    const std::string bytes = ToUtf16().Run(
        ansi.data(), ansi.size(), [](std::string& out, const char* src, std::size_t left) -> std::size_t {
            // An undefined double-byte code becomes the katakana middle dot,
            // a lone undefined byte its own value, as Windows does.
            const auto b = static_cast<unsigned char>(src[0]);
            if (IsLeadByte(b) && left >= 2) {
                out.append("\xFB\x30", 2);
                return 2;
            }
            out.push_back(static_cast<char>(b));
            out.push_back(b >= 0x80 ? '\xF8' : '\0');  // U+F8xx private use for 0x80, 0xA0, 0xFD-0xFF
            return 1;
        });
    std::u16string out(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return out;
}

std::string Utf16ToAnsi(std::u16string_view original) {
    const std::u16string text = SupplementaryAsQuestionMarks(original);
    std::string le(text.size() * 2, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        le[2 * i] = static_cast<char>(text[i] & 0xFF);
        le[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    return FromUtf16().Run(le.data(), le.size(), [](std::string& out, const char*, std::size_t) {
        // One "?" per character the code page lacks (a lone surrogate is one).
        out.push_back('?');
        return std::size_t{2};
    });
}

}  // namespace pim
