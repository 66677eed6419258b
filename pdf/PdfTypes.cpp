#include "pdf/PdfTypes.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "base/CodePage.h"
#include "base/FileSystem.h"

namespace pim {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
const char* const kWrongObject = "internal error. wrong object.";
const char* const kWrongType = "internal error wrong object type";

void WriteInt(std::int64_t n, TStream& stream) {
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, n);
    stream.Write(buffer, static_cast<std::size_t>(result.ptr - buffer));
}

void WriteReference(const TPdfObject& object, TStream& stream) {
    char buffer[48];
    int n = std::snprintf(buffer, sizeof buffer, "%d %d R", object.ObjectNumber(), object.GenerationNumber());
    stream.Write(buffer, static_cast<std::size_t>(n));
}

// A proxy for an object that is not direct, or nullptr for a direct one.
std::unique_ptr<TPdfObject> ProxyFor(const TPdfObject& object) {
    if (object.IsDirect()) return nullptr;
    return TPdfVirtualObject::CreateVirtual(object.ObjectNumber());
}

// The stored form of an adopted value: an indirect object given with
// ownership stays with its object manager and is replaced by a proxy.
std::unique_ptr<TPdfObject> Adopt(std::unique_ptr<TPdfObject> value) {
    if (!value) throw EPdfInvalidValue(kWrongObject);
    if (value->ObjectKind() == okIndirect) {
        auto proxy = ProxyFor(*value);
        (void)value.release();  // owned by the object manager, not by us
        return proxy;
    }
    return value;
}

std::map<std::string, std::unique_ptr<TPdfClassFactory>>& ClassRegistry() {
    static std::map<std::string, std::unique_ptr<TPdfClassFactory>> registry;
    return registry;
}

}  // namespace

// ---- TPdfObject ------------------------------------------------------------

void TPdfObject::WriteTo(TStream& stream) {
    if (kind_ != okDirect)
        WriteReference(*this, stream);
    else
        WriteValue(stream);
}

void TPdfObject::WriteDefinition(TStream& stream) {
    if (kind_ != okIndirect) throw EPdfInvalidOperation(kWrongType);
    char buffer[48];
    int n = std::snprintf(buffer, sizeof buffer, "%d %d obj\r\n", number_, generation_);
    stream.Write(buffer, static_cast<std::size_t>(n));
    WriteValue(stream);
    WriteRaw("\r\nendobj\r\n", stream);
}

void TPdfObject::SetObjectNumber(int n) {
    number_ = n;
    kind_ = n > 0 ? okIndirect : okDirect;
}

void TPdfObject::WriteValue(TStream&) {}

void TPdfObject::SetVirtual(int number) {
    kind_ = okVirtual;
    number_ = number;
}

TPdfVirtualObject::TPdfVirtualObject() { throw Exception("virtualObject must be create by CreateVirtual method."); }

TPdfVirtualObject::TPdfVirtualObject(ByNumber, int number) { SetVirtual(number); }

std::unique_ptr<TPdfVirtualObject> TPdfVirtualObject::CreateVirtual(int number) {
    return std::unique_ptr<TPdfVirtualObject>(new TPdfVirtualObject(ByNumber{}, number));
}

// ---- Values ------------------------------------------------------------------

void TPdfNull::WriteValue(TStream& stream) { WriteRaw("null", stream); }

void TPdfBoolean::WriteValue(TStream& stream) { WriteRaw(value_ ? "true" : "false", stream); }

void TPdfNumber::WriteValue(TStream& stream) { WriteInt(value_, stream); }

void TPdfReal::WriteValue(TStream& stream) {
    char buffer[40];
    stream.Write(buffer, FormatGeneralTo(buffer, value_));
}

void TPdfText::WriteValue(TStream& stream) {
    // Only plain ASCII reads the same in every viewer's encoding: anything
    // else, half-width katakana included, goes as UTF-16.
    if (!IsPlainAscii(value_)) {
        WriteRaw("<", stream);
        WriteRaw(kUtf16Mark, stream);
        WriteRaw(UnicodeHex(value_), stream);
        WriteRaw(">", stream);
    } else {
        WriteRaw("(", stream);
        WriteRaw(EscapeText(value_), stream);
        WriteRaw(")", stream);
    }
}

TPdfUnicodeText::TPdfUnicodeText(std::u16string text) : TPdfText(Utf16ToAnsi(text)), utf16_(std::move(text)) {}

void TPdfUnicodeText::WriteValue(TStream& stream) {
    WriteRaw("<", stream);
    WriteRaw(kUtf16Mark, stream);
    WriteRaw(UnicodeHex(utf16_), stream);
    WriteRaw(">", stream);
}

void TPdfName::WriteValue(TStream& stream) {
    WriteRaw("/", stream);
    WriteRaw(EscapeName(value_), stream);
}

// ---- TPdfArray ---------------------------------------------------------------

TPdfObject* TPdfArray::Append(std::unique_ptr<TPdfObject> item) {
    items_.push_back(Adopt(std::move(item)));
    return items_.back().get();
}

void TPdfArray::Append(TPdfObject* item) {
    if (!item) throw EPdfInvalidValue(kWrongObject);
    if (item->IsDirect()) {
        // Only a proxy or an item of this very array can be given without
        // ownership; a direct item we already hold is not added twice.
        bool present = std::any_of(items_.begin(), items_.end(), [item](const auto& p) { return p.get() == item; });
        if (!present) throw EPdfInvalidOperation(kWrongType);
        return;
    }
    items_.push_back(ProxyFor(*item));
}

void TPdfArray::Replace(int index, std::unique_ptr<TPdfObject> item) {
    items_.at(static_cast<std::size_t>(index)) = Adopt(std::move(item));
}

TPdfObject* TPdfArray::ItemAt(int index) const {
    TPdfObject* item = items_.at(static_cast<std::size_t>(index)).get();
    if (item->ObjectKind() == okVirtual) return mgr_ ? mgr_->GetObject(item->ObjectNumber()) : nullptr;
    return item;
}

TPdfName* TPdfArray::FindName(std::string_view text) const {
    for (const auto& item : items_) {
        auto* name = dynamic_cast<TPdfName*>(item.get());
        if (name && name->Value() == text) return name;
    }
    return nullptr;
}

bool TPdfArray::RemoveName(std::string_view text) {
    TPdfName* name = FindName(text);
    if (!name) return false;
    items_.erase(std::find_if(items_.begin(), items_.end(), [name](const auto& p) { return p.get() == name; }));
    return true;
}

void TPdfArray::WriteValue(TStream& stream) {
    WriteRaw("[", stream);
    for (const auto& item : items_) {
        item->WriteTo(stream);
        WriteRaw(" ", stream);
    }
    WriteRaw("]", stream);
}

std::unique_ptr<TPdfArray> CreateNumberArray(TPdfObjectMgr* objectMgr, std::span<const std::int32_t> values) {
    auto array = std::make_unique<TPdfArray>(objectMgr);
    for (std::int32_t v : values) array->Append(std::make_unique<TPdfNumber>(v));
    return array;
}

std::unique_ptr<TPdfArray> CreateNumberArray(TPdfObjectMgr* objectMgr, std::initializer_list<std::int32_t> values) {
    return CreateNumberArray(objectMgr, std::span<const std::int32_t>(values.begin(), values.size()));
}

// ---- TPdfDictionary ----------------------------------------------------------

TPdfDictionaryElement::TPdfDictionaryElement(std::string key, std::unique_ptr<TPdfObject> value, bool hidden)
    : key_(std::make_unique<TPdfName>(std::move(key))), value_(std::move(value)), hidden_(hidden) {
    if (!value_) throw EPdfInvalidValue(kWrongObject);
}

TPdfObject* TPdfDictionary::PutElement(std::string_view key, std::unique_ptr<TPdfObject> value, bool hidden) {
    auto stored = Adopt(std::move(value));
    Remove(key);
    elements_.emplace_back(std::string(key), std::move(stored), hidden);
    return elements_.back().Value();
}

TPdfObject* TPdfDictionary::Put(std::string_view key, std::unique_ptr<TPdfObject> value) {
    return PutElement(key, std::move(value), false);
}

void TPdfDictionary::Put(std::string_view key, TPdfObject* indirect) {
    if (!indirect) throw EPdfInvalidValue(kWrongObject);
    if (indirect->IsDirect()) throw EPdfInvalidOperation(kWrongType);
    PutElement(key, ProxyFor(*indirect), false);
}

TPdfObject* TPdfDictionary::PutHidden(std::string_view key, std::unique_ptr<TPdfObject> value) {
    return PutElement(key, std::move(value), true);
}

void TPdfDictionary::PutNumber(std::string_view key, std::int32_t n) { Put(key, std::make_unique<TPdfNumber>(n)); }

void TPdfDictionary::PutName(std::string_view key, std::string text) {
    Put(key, std::make_unique<TPdfName>(std::move(text)));
}

void TPdfDictionary::Remove(std::string_view key) {
    auto it = std::find_if(elements_.begin(), elements_.end(), [key](const auto& e) { return e.Key().Value() == key; });
    if (it != elements_.end()) elements_.erase(it);
}

TPdfObject* TPdfDictionary::Resolve(TPdfObject* value) const {
    if (value && value->ObjectKind() == okVirtual) return mgr_ ? mgr_->GetObject(value->ObjectNumber()) : nullptr;
    return value;
}

TPdfObject* TPdfDictionary::Lookup(std::string_view key) const {
    for (const auto& e : elements_)
        if (e.Key().Value() == key) return Resolve(e.Value());
    return nullptr;
}

TPdfNumber* TPdfDictionary::LookupNumber(std::string_view key) const { return dynamic_cast<TPdfNumber*>(Lookup(key)); }
TPdfReal* TPdfDictionary::LookupReal(std::string_view key) const { return dynamic_cast<TPdfReal*>(Lookup(key)); }
TPdfName* TPdfDictionary::LookupName(std::string_view key) const { return dynamic_cast<TPdfName*>(Lookup(key)); }
TPdfDictionary* TPdfDictionary::LookupDictionary(std::string_view key) const {
    return dynamic_cast<TPdfDictionary*>(Lookup(key));
}
TPdfArray* TPdfDictionary::LookupArray(std::string_view key) const { return dynamic_cast<TPdfArray*>(Lookup(key)); }

void TPdfDictionary::WriteValue(TStream& stream) {
    WriteRaw("<<\r\n", stream);
    for (auto& e : elements_) {
        if (e.IsHidden()) continue;
        e.Key().WriteTo(stream);
        WriteRaw(" ", stream);
        e.Value()->WriteTo(stream);
        WriteRaw("\r\n", stream);
    }
    WriteRaw(">>", stream);
}

// ---- Stream content ------------------------------------------------------------

void TPdfContentSource::WriteTo(TStream& out) const {
    std::vector<char> chunk(64 * 1024);
    std::int64_t done = 0;
    const std::int64_t total = Size();
    while (done < total) {
        auto want =
            static_cast<std::size_t>(std::min<std::int64_t>(total - done, static_cast<std::int64_t>(chunk.size())));
        std::size_t got = ReadAt(done, chunk.data(), want);
        if (got == 0) throw EStreamError("Stream read error");
        out.Write(chunk.data(), got);
        done += static_cast<std::int64_t>(got);
    }
}

TPdfFileContent::TPdfFileContent(std::string fileName, std::int64_t offset, std::int64_t count)
    : fileName_(std::move(fileName)), offset_(offset), count_(count) {
    if (!FileStampOf(fileName_, stamp_)) throw EStreamError("Cannot open file \"" + fileName_ + "\"");
    if (offset_ < 0 || offset_ > stamp_.Size) throw EStreamError("Stream read error");
    if (count_ < 0) count_ = stamp_.Size - offset_;
    if (count_ > stamp_.Size - offset_) throw EStreamError("Stream read error");
}

void TPdfFileContent::CheckUnchanged() const {
    TFileStamp now;
    if (!FileStampOf(fileName_, now) || now != stamp_)
        throw EPdfInvalidOperation("SaveToStream --the file has changed: " + fileName_);
}

std::size_t TPdfFileContent::ReadAt(std::int64_t offset, void* buffer, std::size_t count) const {
    if (offset < 0 || offset >= count_) return 0;
    count = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(count), count_ - offset));
    TFileStream file(fileName_, TFileMode::fmOpenRead);
    file.SetPosition(offset_ + offset);
    return file.Read(buffer, count);
}

void TPdfFileContent::WriteTo(TStream& out) const {
    CheckUnchanged();
    TFileStream file(fileName_, TFileMode::fmOpenRead);
    file.SetPosition(offset_);
    std::vector<char> chunk(64 * 1024);
    std::int64_t left = count_;
    while (left > 0) {
        auto want = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(chunk.size())));
        std::size_t got = file.Read(chunk.data(), want);
        if (got == 0) throw EStreamError("Stream read error");
        out.Write(chunk.data(), got);
        left -= static_cast<std::int64_t>(got);
    }
}

void TPdfStreamContent::Write(const void* buffer, std::size_t count) {
    if (count == 0) return;
    if (pieces_.empty() || pieces_.back().source) pieces_.emplace_back();
    pieces_.back().bytes.append(static_cast<const char*>(buffer), count);
    size_ += static_cast<std::int64_t>(count);
}

void TPdfStreamContent::AppendSource(std::unique_ptr<TPdfContentSource> source) {
    if (!source) throw EPdfInvalidValue(kWrongObject);
    size_ += source->Size();
    pieces_.push_back(Piece{{}, std::move(source)});
}

std::size_t TPdfStreamContent::Read(void* buffer, std::size_t count) {
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    std::int64_t start = 0;
    for (const Piece& piece : pieces_) {
        if (done == count) break;
        const std::int64_t size = piece.Size();
        if (position_ < start + size) {
            const std::int64_t at = position_ - start;
            auto want =
                static_cast<std::size_t>(std::min<std::int64_t>(size - at, static_cast<std::int64_t>(count - done)));
            std::size_t got;
            if (piece.source) {
                got = piece.source->ReadAt(at, out + done, want);
            } else {
                std::memcpy(out + done, piece.bytes.data() + at, want);
                got = want;
            }
            done += got;
            position_ += static_cast<std::int64_t>(got);
            if (got < want) break;
        }
        start += size;
    }
    return done;
}

std::int64_t TPdfStreamContent::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? position_ : size_;
    position_ = std::clamp<std::int64_t>(base + offset, 0, size_);
    return position_;
}

void TPdfStreamContent::Clear() {
    pieces_.clear();
    size_ = 0;
    position_ = 0;
}

std::string TPdfStreamContent::ToString() const {
    TMemoryStream memory;
    WriteTo(memory);
    return std::string(memory.View());
}

void TPdfStreamContent::WriteTo(TStream& out) const {
    for (const Piece& piece : pieces_) {
        if (piece.source)
            piece.source->WriteTo(out);
        else
            out.Write(piece.bytes.data(), piece.bytes.size());
    }
}

std::int64_t TPdfStreamContent::MemorySize() const {
    std::int64_t n = 0;
    for (const Piece& piece : pieces_)
        if (!piece.source)
            n += static_cast<std::int64_t>(piece.bytes.size());
        else if (piece.source->InMemory())
            n += piece.source->Size();
    return n;
}

// ---- TPdfStream, TPdfBinary ------------------------------------------------------

TPdfStream::TPdfStream(TPdfObjectMgr* objectMgr) : attributes_(std::make_unique<TPdfDictionary>(objectMgr)) {
    attributes_->PutNumber("Length", 0);
    attributes_->Put("Filter", std::make_unique<TPdfArray>(objectMgr));
}

void TPdfStream::WriteValue(TStream& stream) {
    // The writer compresses nothing itself, so a Flate filter reaches the
    // file only over content that is Flate data already.
    if (TPdfArray* filter = attributes_->LookupArray("Filter"); filter && !flateEncoded_)
        filter->RemoveName("FlateDecode");
    const std::int64_t size = content_.ContentSize();
    if (size > std::numeric_limits<std::int32_t>::max())
        throw EPdfInvalidValue("SaveToStream --stream content too large.");
    if (TPdfNumber* length = attributes_->LookupNumber("Length")) length->SetValue(static_cast<std::int32_t>(size));
    attributes_->WriteTo(stream);
    WriteRaw("\r\nstream\r\n", stream);
    content_.WriteTo(stream);
    WriteRaw("\nendstream", stream);
}

void TPdfBinary::WriteValue(TStream& stream) { WriteRaw(content_, stream); }

// ---- Unit routines -------------------------------------------------------------

void WriteRaw(std::string_view text, TStream& stream) { stream.Write(text.data(), text.size()); }

std::size_t FormatGeneralTo(char* buffer, double x) {
    if (x == 0 || !std::isfinite(x)) {
        buffer[0] = '0';
        return 1;
    }
    // Fifteen significant digits as d.dddddddddddddde[+-]x, then laid out.
    char sci[40];
    auto res = std::to_chars(sci, sci + sizeof sci, x, std::chars_format::scientific, 14);
    const char* p = sci;
    char* out = buffer;
    if (*p == '-') *out++ = *p++;
    char digits[16];
    int n = 0;
    for (; *p != 'e'; ++p)
        if (*p != '.') digits[n++] = *p;
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+'), res.ptr, exponent);
    while (n > 1 && digits[n - 1] == '0') --n;
    if (exponent < -5 || exponent >= 15) {
        *out++ = digits[0];
        if (n > 1) {
            *out++ = '.';
            for (int i = 1; i < n; ++i) *out++ = digits[i];
        }
        *out++ = 'E';
        out = std::to_chars(out, out + 8, exponent).ptr;
    } else if (exponent < 0) {
        *out++ = '0';
        *out++ = '.';
        for (int i = -1; i > exponent; --i) *out++ = '0';
        for (int i = 0; i < n; ++i) *out++ = digits[i];
    } else {
        for (int i = 0; i <= exponent; ++i) *out++ = i < n ? digits[i] : '0';
        if (n > exponent + 1) {
            *out++ = '.';
            for (int i = exponent + 1; i < n; ++i) *out++ = digits[i];
        }
    }
    return static_cast<std::size_t>(out - buffer);
}

std::string FormatGeneral(double x) {
    char buffer[40];
    return std::string(buffer, FormatGeneralTo(buffer, x));
}

std::size_t FormatRealTo(char* buffer, double x) {
    // Half up to two decimals by truncating x*100 + 0.5, in extended precision.
    long double v = std::trunc(static_cast<long double>(x) * 100.0L + 0.5L);
    return FormatGeneralTo(buffer, static_cast<double>(v) / 100.0);
}

std::string FormatReal(double x) {
    char buffer[40];
    return std::string(buffer, FormatRealTo(buffer, x));
}

std::string PdfDate(TDateTime dateTime) {
    TDateTimeParts t = DecodeDateTime(dateTime);
    char buffer[40];
    int n = std::snprintf(buffer, sizeof buffer, "D:%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                          t.second);
    return std::string(buffer, static_cast<std::size_t>(n));
}

bool HasDoubleByte(std::string_view text) {
    // Before the first lead byte every byte is a single-byte character, so
    // the text holds a double-byte character exactly when it holds a lead byte.
    return std::any_of(text.begin(), text.end(), [](char c) { return IsLeadByte(static_cast<unsigned char>(c)); });
}

std::string HexOfBytes(std::string_view text) {
    std::string hex;
    hex.reserve(text.size() * 2);
    for (char c : text) {
        auto b = static_cast<unsigned char>(c);
        hex += kHexDigits[b >> 4];
        hex += kHexDigits[b & 15];
    }
    return hex;
}

std::string UnicodeHex(std::string_view text) { return UnicodeHex(AnsiToUtf16(text)); }

std::string UnicodeHex(std::u16string_view utf16) {
    std::string hex;
    hex.reserve(utf16.size() * 4);
    for (char16_t u : utf16) {
        for (int shift = 12; shift >= 0; shift -= 4) hex += kHexDigits[(u >> shift) & 15];
    }
    return hex;
}

bool IsPlainAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string DictionaryType(const TPdfDictionary* dictionary) {
    if (!dictionary) return {};
    TPdfName* type = dictionary->LookupName("Type");
    return type ? type->Value() : std::string();
}

std::string EscapeName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (char c : name) {
        auto b = static_cast<unsigned char>(c);
        if (b < 0x21 || b > 0x7E || std::strchr("#%()/<>[]{}", c)) {
            out += '#';
            out += kHexDigits[b >> 4];
            out += kHexDigits[b & 15];
        } else {
            out += c;
        }
    }
    return out;
}

std::string EscapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        switch (c) {
            case '(': out += "\\("; break;
            case ')': out += "\\)"; break;
            case '\\': out += "\\\\"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            default: out += c;
        }
    }
    return out;
}

// ---- Class registry --------------------------------------------------------------

void RegisterPdfClass(const std::string& name, std::unique_ptr<TPdfClassFactory> factory) {
    ClassRegistry()[name] = std::move(factory);
}

void UnregisterPdfClass(const std::string& name) { ClassRegistry().erase(name); }

const TPdfClassFactory* FindPdfClass(const std::string& name) {
    auto& registry = ClassRegistry();
    auto it = registry.find(name);
    return it == registry.end() ? nullptr : it->second.get();
}

}  // namespace pim
