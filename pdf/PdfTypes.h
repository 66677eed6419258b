// PDF values in memory and the exact bytes each one is written as.
//
// Ownership: a container (array, dictionary, stream attributes) owns the
// direct objects placed in it. An indirect object is owned by the object
// manager (the document's cross-reference table); containers refer to it
// through a TPdfVirtualObject proxy carrying its number. So the API takes
// std::unique_ptr for objects that change owner and plain pointers for
// indirect objects that are only referred to.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Classes.h"
#include "base/DateUtils.h"
#include "base/FileSystem.h"
#include "base/SysUtils.h"

namespace pim {

class EPdfInvalidValue : public Exception {
public:
    using Exception::Exception;
};

class EPdfInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

// Base of the objects a document or a PDF object keeps alive for someone else
// (the wrappers the report layer attaches to destinations and outline
// entries, the document's object list).
class TPdfOwnedObject {
public:
    virtual ~TPdfOwnedObject() = default;
};

enum TPdfObjectKind : std::uint8_t { okDirect = 0, okIndirect = 1, okVirtual = 2 };

class TPdfObject;
class TPdfNumber;
class TPdfReal;
class TPdfName;
class TPdfArray;
class TPdfDictionary;

// The registry that numbers indirect objects and resolves references.
class TPdfObjectMgr {
public:
    virtual ~TPdfObjectMgr() = default;
    // Takes ownership of a direct object and makes it indirect (numbered);
    // returns it.
    virtual TPdfObject* AddObject(std::unique_ptr<TPdfObject> object) = 0;
    virtual TPdfObject* GetObject(int number) const = 0;

    // The same, keeping the caller's static type.
    template <class T>
    requires(!std::is_same_v<T, TPdfObject>) T* AddObject(std::unique_ptr<T> object) {
        T* result = object.get();
        AddObject(std::unique_ptr<TPdfObject>(std::move(object)));
        return result;
    }
};

class TPdfObject {
public:
    TPdfObject() = default;
    virtual ~TPdfObject() = default;
    TPdfObject(const TPdfObject&) = delete;
    TPdfObject& operator=(const TPdfObject&) = delete;

    TPdfObjectKind ObjectKind() const { return kind_; }
    int ObjectNumber() const { return number_; }
    int GenerationNumber() const { return generation_; }
    bool IsDirect() const { return kind_ == okDirect; }

    // The value in place, or "n g R" for an indirect or proxy object.
    void WriteTo(TStream& stream);
    // "n g obj" CR LF, the value, CR LF "endobj" CR LF. Indirect objects only.
    void WriteDefinition(TStream& stream);
    // Used by the object manager only: n > 0 makes the object indirect.
    void SetObjectNumber(int n);

protected:
    // The value's own syntax; the base writes nothing.
    virtual void WriteValue(TStream& stream);
    void SetVirtual(int number);

private:
    TPdfObjectKind kind_ = okDirect;
    int number_ = -1;
    int generation_ = 0;
};

// A reference to an indirect object by number. Only CreateVirtual makes one.
class TPdfVirtualObject : public TPdfObject {
public:
    // Always raises: a proxy without a number would write a dangling reference.
    TPdfVirtualObject();
    static std::unique_ptr<TPdfVirtualObject> CreateVirtual(int number);

private:
    struct ByNumber {};
    TPdfVirtualObject(ByNumber, int number);
};

class TPdfNull : public TPdfObject {
protected:
    void WriteValue(TStream& stream) override;
};

class TPdfBoolean : public TPdfObject {
public:
    explicit TPdfBoolean(bool value = false) : value_(value) {}
    bool Value() const { return value_; }
    void SetValue(bool value) { value_ = value; }

protected:
    void WriteValue(TStream& stream) override;

private:
    bool value_;
};

class TPdfNumber : public TPdfObject {
public:
    explicit TPdfNumber(std::int32_t value = 0) : value_(value) {}
    std::int32_t Value() const { return value_; }
    void SetValue(std::int32_t value) { value_ = value; }

protected:
    void WriteValue(TStream& stream) override;

private:
    std::int32_t value_;
};

class TPdfReal : public TPdfObject {
public:
    explicit TPdfReal(double value = 0) : value_(value) {}
    double Value() const { return value_; }
    void SetValue(double value) { value_ = value; }

protected:
    void WriteValue(TStream& stream) override;

private:
    double value_;
};

// A text string in the ANSI code page (Shift_JIS).
class TPdfText : public TPdfObject {
public:
    explicit TPdfText(std::string value = {}) : value_(std::move(value)) {}
    const std::string& Value() const { return value_; }
    void SetValue(std::string value) { value_ = std::move(value); }

protected:
    void WriteValue(TStream& stream) override;

private:
    std::string value_;
};

// A text string known in UTF-16, for a text that code page 932 cannot hold
// (a file name): always written in its UTF-16BE form with the language
// prefix. Value() is its code page 932 form, "?" for what that lacks.
class TPdfUnicodeText : public TPdfText {
public:
    explicit TPdfUnicodeText(std::u16string text);
    const std::u16string& Utf16() const { return utf16_; }

protected:
    void WriteValue(TStream& stream) override;

private:
    std::u16string utf16_;
};

// A name, held without its leading slash.
class TPdfName : public TPdfObject {
public:
    explicit TPdfName(std::string value = {}) : value_(std::move(value)) {}
    const std::string& Value() const { return value_; }
    void SetValue(std::string value) { value_ = std::move(value); }

protected:
    void WriteValue(TStream& stream) override;

private:
    std::string value_;
};

class TPdfArray : public TPdfObject {
public:
    explicit TPdfArray(TPdfObjectMgr* objectMgr = nullptr) : mgr_(objectMgr) {}

    // Adopts a direct item or a proxy; returns it.
    TPdfObject* Append(std::unique_ptr<TPdfObject> item);
    template <class T>
    requires(!std::is_same_v<T, TPdfObject>) T* Append(std::unique_ptr<T> item) {
        T* result = item.get();
        Append(std::unique_ptr<TPdfObject>(std::move(item)));
        return result;
    }
    // Refers to an indirect object (a proxy is appended). An item already in
    // this array is not appended again. A direct item not in the array has
    // no owner to take it from: EPdfInvalidOperation.
    void Append(TPdfObject* item);

    int Count() const { return static_cast<int>(items_.size()); }
    // Puts a direct item in place of the one at index (which must exist).
    void Replace(int index, std::unique_ptr<TPdfObject> item);
    // The item, with a proxy resolved through the object manager (nullptr
    // when there is none).
    TPdfObject* ItemAt(int index) const;
    TPdfName* FindName(std::string_view text) const;
    bool RemoveName(std::string_view text);
    TPdfObjectMgr* ObjectMgr() const { return mgr_; }

protected:
    void WriteValue(TStream& stream) override;

private:
    std::vector<std::unique_ptr<TPdfObject>> items_;
    TPdfObjectMgr* mgr_;
};

// An array of numbers, one per value, in order.
std::unique_ptr<TPdfArray> CreateNumberArray(TPdfObjectMgr* objectMgr, std::span<const std::int32_t> values);
std::unique_ptr<TPdfArray> CreateNumberArray(TPdfObjectMgr* objectMgr, std::initializer_list<std::int32_t> values);

class TPdfDictionaryElement {
public:
    // A missing value raises EPdfInvalidValue.
    TPdfDictionaryElement(std::string key, std::unique_ptr<TPdfObject> value, bool hidden = false);

    TPdfName& Key() const { return *key_; }
    TPdfObject* Value() const { return value_.get(); }
    bool IsHidden() const { return hidden_; }

private:
    std::unique_ptr<TPdfName> key_;
    std::unique_ptr<TPdfObject> value_;
    bool hidden_;
};

class TPdfDictionary : public TPdfObject {
public:
    explicit TPdfDictionary(TPdfObjectMgr* objectMgr = nullptr) : mgr_(objectMgr) {}

    // Replaces any element with the key (the new one goes last), adopting
    // the direct value or proxy; returns it.
    TPdfObject* Put(std::string_view key, std::unique_ptr<TPdfObject> value);
    template <class T>
    requires(!std::is_same_v<T, TPdfObject>) T* Put(std::string_view key, std::unique_ptr<T> value) {
        T* result = value.get();
        Put(key, std::unique_ptr<TPdfObject>(std::move(value)));
        return result;
    }
    // Stores a reference to an indirect object.
    void Put(std::string_view key, TPdfObject* indirect);
    // As Put, but the element is never written (in-memory state only).
    TPdfObject* PutHidden(std::string_view key, std::unique_ptr<TPdfObject> value);
    void PutNumber(std::string_view key, std::int32_t n);
    void PutName(std::string_view key, std::string text);
    void Remove(std::string_view key);

    // The value (hidden elements included), a proxy resolved through the
    // object manager; nullptr when absent or unresolvable.
    TPdfObject* Lookup(std::string_view key) const;
    // Lookup taken as the class; nullptr when absent or of another class.
    TPdfNumber* LookupNumber(std::string_view key) const;
    TPdfReal* LookupReal(std::string_view key) const;
    TPdfName* LookupName(std::string_view key) const;
    TPdfDictionary* LookupDictionary(std::string_view key) const;
    TPdfArray* LookupArray(std::string_view key) const;

    const TPdfDictionaryElement& ElementAt(int index) const { return elements_.at(index); }
    int ElementCount() const { return static_cast<int>(elements_.size()); }
    TPdfObjectMgr* ObjectMgr() const { return mgr_; }

protected:
    void WriteValue(TStream& stream) override;

private:
    TPdfObject* PutElement(std::string_view key, std::unique_ptr<TPdfObject> value, bool hidden);
    TPdfObject* Resolve(TPdfObject* value) const;

    std::vector<TPdfDictionaryElement> elements_;
    TPdfObjectMgr* mgr_;
};

// Bytes of a stream kept outside memory and written at save time.
class TPdfContentSource {
public:
    virtual ~TPdfContentSource() = default;
    virtual std::int64_t Size() const = 0;
    // Reads up to count bytes at offset; returns how many were read.
    virtual std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count) const = 0;
    // Writes all Size() bytes; raises when the bytes are no longer those
    // that were attached.
    virtual void WriteTo(TStream& out) const;
    // True when the bytes are made from something held in memory (a
    // picture), so that moving them to a scratch file frees memory.
    virtual bool InMemory() const { return false; }
};

// A byte range of a file on disk. Its size and modification time are taken
// when it is attached; the save raises EPdfInvalidOperation if the file has
// changed since, so the output never silently differs from what was built.
class TPdfFileContent : public TPdfContentSource {
public:
    // count < 0: to the end of the file. Raises EStreamError if the file or
    // the range cannot be read.
    explicit TPdfFileContent(std::string fileName, std::int64_t offset = 0, std::int64_t count = -1);
    std::int64_t Size() const override { return count_; }
    std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count) const override;
    void WriteTo(TStream& out) const override;
    const std::string& FileName() const { return fileName_; }

private:
    void CheckUnchanged() const;

    std::string fileName_;
    std::int64_t offset_;
    std::int64_t count_;
    TFileStamp stamp_;
};

// The content of a stream: a sequence of pieces, each either bytes in memory
// or a TPdfContentSource. Writing appends (amortised O(1)); reading and
// seeking work over the whole sequence. The save writes the pieces straight to
// the output, so content is never copied again just to be measured.
class TPdfStreamContent : public TStream {
public:
    // Appends at the end, wherever the read position is.
    void Write(const void* buffer, std::size_t count) override;
    using TStream::Write;
    std::size_t Read(void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return size_; }
    std::int64_t ContentSize() const { return size_; }

    // Appends bytes held outside memory.
    void AppendSource(std::unique_ptr<TPdfContentSource> source);
    void Clear();
    // All bytes (reads external pieces); meant for tests and small contents.
    std::string ToString() const;
    // Writes every byte to out.
    void WriteTo(TStream& out) const;
    // Bytes currently held in memory: pieces of bytes, and sources that make
    // theirs from memory (InMemory).
    std::int64_t MemorySize() const;

private:
    struct Piece {
        std::string bytes;                          // used when source is null
        std::unique_ptr<TPdfContentSource> source;  // bytes kept outside memory
        std::int64_t Size() const { return source ? source->Size() : static_cast<std::int64_t>(bytes.size()); }
    };
    std::vector<Piece> pieces_;
    std::int64_t size_ = 0;
    std::int64_t position_ = 0;
};

class TPdfStream : public TPdfObject {
public:
    // Attributes start as Length 0 and an empty Filter array.
    explicit TPdfStream(TPdfObjectMgr* objectMgr = nullptr);

    TPdfDictionary& Attributes() { return *attributes_; }
    const TPdfDictionary& Attributes() const { return *attributes_; }
    TPdfStreamContent& Content() { return content_; }
    const TPdfStreamContent& Content() const { return content_; }
    // The content is already Flate data (a PNG picture's own, or samples
    // compressed when the page was made): its FlateDecode filter is kept.
    void SetFlateEncoded(bool value) { flateEncoded_ = value; }
    bool FlateEncoded() const { return flateEncoded_; }

protected:
    void WriteValue(TStream& stream) override;

private:
    std::unique_ptr<TPdfDictionary> attributes_;
    TPdfStreamContent content_;
    bool flateEncoded_ = false;
};

// Bytes written verbatim (for example a colour table in hexadecimal).
class TPdfBinary : public TPdfObject {
public:
    std::string& Content() { return content_; }
    const std::string& Content() const { return content_; }

protected:
    void WriteValue(TStream& stream) override;

private:
    std::string content_;
};

class TPdfXObject : public TPdfStream {
public:
    using TPdfStream::TPdfStream;
};

class TPdfImage : public TPdfXObject {
public:
    using TPdfXObject::TPdfXObject;
};

// Writes the bytes of text, nothing added.
void WriteRaw(std::string_view text, TStream& stream);
// A page-content number: rounded to two decimals (half up, by truncating
// x*100+0.5), at most 15 significant digits, "." as decimal point.
std::string FormatReal(double x);
// The same into buffer (at least 32 bytes); returns the length written.
std::size_t FormatRealTo(char* buffer, double x);
// The general form of a double: at most 15 significant digits, no trailing
// zeros; exponent form below 1E-5 or at 1E15 and above.
std::string FormatGeneral(double x);
std::size_t FormatGeneralTo(char* buffer, double x);
// "D:yyyymmddhhmmss" of a local date-time.
std::string PdfDate(TDateTime dateTime);
bool HasDoubleByte(std::string_view text);
// Each byte as two upper-case hexadecimal digits.
std::string HexOfBytes(std::string_view text);
// The text as UTF-16BE code units, four upper-case hexadecimal digits each.
std::string UnicodeHex(std::string_view text);
std::string UnicodeHex(std::u16string_view utf16);
// The byte-order mark that opens a UTF-16BE text string, in hexadecimal.
// (No language escape after it: that belongs to a later PDF version, and
// viewers that do not know it show it as a stray character.)
inline constexpr const char* kUtf16Mark = "FEFF";
// True when every byte is below 0x80.
bool IsPlainAscii(std::string_view text);
// The name under "Type", or "".
std::string DictionaryType(const TPdfDictionary* dictionary);
// The escaped form of a name (without the slash) and of a literal string
// (without the parentheses).
std::string EscapeName(std::string_view name);
std::string EscapeText(std::string_view text);

// Name-to-class registry shared by fonts and image builders: every class is
// registered under a name at start-up and created by name later.
class TPdfClassFactory {
public:
    virtual ~TPdfClassFactory() = default;
};

// A factory making T from Args; look it up with FindPdfClassOf<T, Args...>.
template <class T, class... Args>
class TPdfFactoryOf : public TPdfClassFactory {
public:
    using Function = std::function<std::unique_ptr<T>(Args...)>;
    explicit TPdfFactoryOf(Function function) : function_(std::move(function)) {}
    std::unique_ptr<T> Create(Args... args) const { return function_(args...); }

private:
    Function function_;
};

// Registers (or replaces) the class under the name.
void RegisterPdfClass(const std::string& name, std::unique_ptr<TPdfClassFactory> factory);
void UnregisterPdfClass(const std::string& name);
// The factory registered under the name, or nullptr.
const TPdfClassFactory* FindPdfClass(const std::string& name);

// The factory under the name if it makes T from Args, else nullptr.
template <class T, class... Args>
const TPdfFactoryOf<T, Args...>* FindPdfClassOf(const std::string& name) {
    return dynamic_cast<const TPdfFactoryOf<T, Args...>*>(FindPdfClass(name));
}

}  // namespace pim
