#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "pdf/PdfDoc.h"
#include "tests/pdf/PdfTestUtil.h"

namespace pim {
namespace {

using test::BytesOf;

template <class T, class... A>
std::string Written(A&&... args) {
    T object(std::forward<A>(args)...);
    return BytesOf(object);
}

TEST(PdfValues, ScalarsAreWrittenInTheirExactForm) {
    EXPECT_EQ(Written<TPdfNull>(), "null");
    EXPECT_EQ(Written<TPdfBoolean>(true), "true");
    EXPECT_EQ(Written<TPdfBoolean>(false), "false");
    EXPECT_EQ(Written<TPdfNumber>(0), "0");
    EXPECT_EQ(Written<TPdfNumber>(-42), "-42");
    EXPECT_EQ(Written<TPdfNumber>(std::numeric_limits<std::int32_t>::min()), "-2147483648");
    EXPECT_EQ(Written<TPdfReal>(1.0), "1");
    EXPECT_EQ(Written<TPdfReal>(0.1), "0.1");
    EXPECT_EQ(Written<TPdfReal>(10.0), "10");
    EXPECT_EQ(Written<TPdfReal>(0.25), "0.25");
    EXPECT_EQ(Written<TPdfReal>(-1234.5), "-1234.5");
    EXPECT_EQ(Written<TPdfReal>(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(Written<TPdfReal>(0.00001), "0.00001");
    EXPECT_EQ(Written<TPdfReal>(0.000001), "1E-6");
    EXPECT_EQ(Written<TPdfReal>(123456789012345.0), "123456789012345");
    EXPECT_EQ(Written<TPdfReal>(1e15), "1E15");
}

TEST(PdfValues, NamesEscapeDelimitersAndBytesOutsidePrintableAscii) {
    EXPECT_EQ(Written<TPdfName>("A B/C"), "/A#20B#2FC");
    EXPECT_EQ(Written<TPdfName>(std::string("\x80", 1)), "/#80");
    EXPECT_EQ(Written<TPdfName>("#%()<>[]{}"), "/#23#25#28#29#3C#3E#5B#5D#7B#7D");
    EXPECT_EQ(Written<TPdfName>("Type"), "/Type");
    EXPECT_EQ(Written<TPdfName>(std::string("~\x7F!", 3)), "/~#7F!");
}

TEST(PdfValues, PlainTextsAreLiteralStringsWithEightEscapes) {
    EXPECT_EQ(Written<TPdfText>("a(b)\\c"), "(a\\(b\\)\\\\c)");
    EXPECT_EQ(Written<TPdfText>("x\r\ny"), "(x\\r\\ny)");
    EXPECT_EQ(Written<TPdfText>("\t\b\f"), "(\\t\\b\\f)");
    // Other control bytes pass unchanged.
    EXPECT_EQ(Written<TPdfText>(std::string("\x01\x7F", 2)), std::string("(\x01\x7F)", 4));
    EXPECT_EQ(Written<TPdfText>(""), "()");
}

TEST(PdfValues, TextsBeyondAsciiAreUtf16WithOnlyTheByteOrderMark) {
    EXPECT_EQ(Written<TPdfText>("\x93\xFA\x96\x7B"), "<FEFF65E5672C>");
    // Mixed with ASCII, every character becomes a UTF-16 unit.
    EXPECT_EQ(Written<TPdfText>("A\x93\xFA"), "<FEFF004165E5>");
    // Half-width katakana are single bytes in code page 932, yet no viewer
    // reads them as such in a literal string: "\xBD\xB7\xAC\xDD001" is ｽｷｬﾝ001.
    EXPECT_EQ(Written<TPdfText>("\xBD\xB7\xAC\xDD" "001"), "<FEFFFF7DFF77FF6CFF9D003000300031>");
}

TEST(PdfValues, UnitRoutines) {
    EXPECT_TRUE(IsPlainAscii("plain \x7F"));
    EXPECT_FALSE(IsPlainAscii("kana \xB1"));
    EXPECT_EQ(HexOfBytes(std::string("\x00\x0F\xFE", 3)), "000FFE");
    EXPECT_EQ(UnicodeHex("\x93\xFA\x96\x7B"), "65E5672C");
    EXPECT_TRUE(HasDoubleByte("ab\x82\xA0"));
    EXPECT_FALSE(HasDoubleByte("plain \xB1 kana"));
    EXPECT_FALSE(HasDoubleByte(""));
    EXPECT_EQ(PdfDate(EncodeDateTime({2024, 2, 29, 23, 5, 9, 999})), "D:20240229230509");
    EXPECT_EQ(PdfDate(EncodeDateTime({1999, 1, 1, 0, 0, 0, 0})), "D:19990101000000");
}

TEST(PdfValues, FormatRealRoundsHalfUpByTruncation) {
    EXPECT_EQ(FormatReal(10), "10");
    EXPECT_EQ(FormatReal(12.345), "12.35");
    EXPECT_EQ(FormatReal(0.502), "0.5");
    EXPECT_EQ(FormatReal(0.004), "0");
    EXPECT_EQ(FormatReal(-0.004), "0");
    EXPECT_EQ(FormatReal(-0.006), "0");  // never "-0"
    EXPECT_EQ(FormatReal(-1.234), "-1.22");
    EXPECT_EQ(FormatReal(595.999), "596");
    EXPECT_EQ(FormatReal(128 / 255.0), "0.5");
    EXPECT_EQ(FormatReal(842 - 10 * 0.85), "833.5");
    EXPECT_EQ(FormatReal(std::nan("")), "0");
}

TEST(PdfArrays, AppendWriteAndFind) {
    TPdfArray empty;
    EXPECT_EQ(BytesOf(empty), "[]");

    auto numbers = CreateNumberArray(nullptr, {1, 2});
    EXPECT_EQ(BytesOf(*numbers), "[1 2 ]");

    TPdfArray a;
    TPdfObject* n = a.Append(std::make_unique<TPdfNumber>(7));
    a.Append(n);  // the same direct object again: stored once
    EXPECT_EQ(a.Count(), 1);
    a.Append(std::make_unique<TPdfName>("FlateDecode"));
    a.Append(std::make_unique<TPdfName>("DCTDecode"));
    EXPECT_EQ(a.FindName("DCTDecode"), a.ItemAt(2));
    EXPECT_TRUE(a.RemoveName("FlateDecode"));
    EXPECT_FALSE(a.RemoveName("FlateDecode"));
    EXPECT_EQ(BytesOf(a), "[7 /DCTDecode ]");

    // A direct object owned elsewhere cannot be borrowed into an array.
    TPdfNumber stranger(1);
    EXPECT_THROW(a.Append(&stranger), EPdfInvalidOperation);
}

TEST(PdfArrays, IndirectItemsBecomeReferencesResolvedThroughTheManager) {
    TPdfXref xref;
    auto* target = xref.AddObject(std::make_unique<TPdfNumber>(99));
    TPdfArray withMgr(&xref);
    withMgr.Append(target);
    withMgr.Append(target);  // two references
    EXPECT_EQ(withMgr.Count(), 2);
    EXPECT_EQ(BytesOf(withMgr), "[1 0 R 1 0 R ]");
    EXPECT_EQ(withMgr.ItemAt(1), target);

    TPdfArray noMgr;
    noMgr.Append(target);
    EXPECT_EQ(noMgr.ItemAt(0), nullptr);
}

TEST(PdfDictionaries, PutLookupHiddenAndOrder) {
    TPdfDictionary d;
    EXPECT_EQ(BytesOf(d), "<<\r\n>>");

    d.PutName("Type", "Page");
    d.PutNumber("Count", 1);
    d.PutHidden("_Font", std::make_unique<TPdfName>("Arial"));
    d.PutNumber("Type", 2);  // same key again: one element, now last
    EXPECT_EQ(d.ElementCount(), 3);
    EXPECT_EQ(d.LookupName("_Font")->Value(), "Arial");
    EXPECT_EQ(d.LookupNumber("Type")->Value(), 2);
    EXPECT_EQ(d.LookupName("Type"), nullptr);  // a number, not a name
    EXPECT_EQ(d.Lookup("type"), nullptr);       // keys are case-sensitive
    EXPECT_EQ(BytesOf(d), "<<\r\n/Count 1\r\n/Type 2\r\n>>");

    d.Remove("Count");
    d.Remove("Missing");
    EXPECT_EQ(BytesOf(d), "<<\r\n/Type 2\r\n>>");
}

TEST(PdfDictionaries, ReferencesAndNesting) {
    TPdfXref xref;
    auto* page = xref.AddObject(std::make_unique<TPdfDictionary>(&xref));
    TPdfDictionary d(&xref);
    d.Put("Parent", page);
    auto* inner = d.Put("Resources", std::make_unique<TPdfDictionary>(&xref));
    inner->Put("ProcSet", CreateNumberArray(&xref, {}));
    EXPECT_EQ(d.LookupDictionary("Parent"), page);
    EXPECT_EQ(BytesOf(d), "<<\r\n/Parent 1 0 R\r\n/Resources <<\r\n/ProcSet []\r\n>>\r\n>>");

    TPdfDictionary orphan;  // no manager: a reference cannot be followed
    orphan.Put("Parent", page);
    EXPECT_EQ(orphan.Lookup("Parent"), nullptr);
}

TEST(PdfObjects, MisuseRaisesWithFixedMessages) {
    try {
        TPdfVirtualObject proxy;
        FAIL();
    } catch (const EPdfInvalidValue&) {
        FAIL() << "wrong class";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "virtualObject must be create by CreateVirtual method.");
    }
    TPdfNumber direct(1);
    TMemoryStream out;
    try {
        direct.WriteDefinition(out);
        FAIL();
    } catch (const EPdfInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "internal error wrong object type");
    }
    EXPECT_EQ(out.Size(), 0);
    try {
        TPdfDictionaryElement element("Key", nullptr);
        FAIL();
    } catch (const EPdfInvalidValue& e) {
        EXPECT_STREQ(e.what(), "internal error. wrong object.");
    }
    TPdfXref xref;
    try {
        xref.AddObject(TPdfVirtualObject::CreateVirtual(3));
        FAIL();
    } catch (const EPdfInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "AddObject --wrong object type.");
    }
    EXPECT_EQ(xref.EntryCount(), 1);
}

TEST(PdfObjects, NumberedDefinitionAndReference) {
    TPdfXref xref;
    auto* d = xref.AddObject(std::make_unique<TPdfDictionary>(&xref));
    EXPECT_EQ(d->ObjectNumber(), 1);
    EXPECT_EQ(d->ObjectKind(), okIndirect);
    TMemoryStream out;
    d->WriteDefinition(out);
    EXPECT_EQ(out.View(), "1 0 obj\r\n<<\r\n>>\r\nendobj\r\n");
    EXPECT_EQ(BytesOf(*d), "1 0 R");
    auto proxy = TPdfVirtualObject::CreateVirtual(5);
    EXPECT_EQ(proxy->ObjectKind(), okVirtual);
    EXPECT_EQ(BytesOf(*proxy), "5 0 R");
}

TEST(PdfStreams, LengthFilterAndLayout) {
    TPdfXref xref;
    auto* s = xref.AddObject(std::make_unique<TPdfStream>(&xref));
    s->Attributes().LookupArray("Filter")->Append(std::make_unique<TPdfName>("FlateDecode"));
    s->Content().Write("abc");
    TMemoryStream out;
    s->WriteDefinition(out);
    EXPECT_EQ(out.View(),
              "1 0 obj\r\n<<\r\n/Length 3\r\n/Filter []\r\n>>\r\nstream\r\nabc\nendstream\r\nendobj\r\n");

    // Attributes a caller adds come after Length and Filter.
    TPdfStream image;
    image.Attributes().PutName("Type", "XObject");
    image.Attributes().LookupArray("Filter")->Append(std::make_unique<TPdfName>("DCTDecode"));
    EXPECT_EQ(BytesOf(image),
              "<<\r\n/Length 0\r\n/Filter [/DCTDecode ]\r\n/Type /XObject\r\n>>\r\nstream\r\n\nendstream");

    TPdfBinary binary;
    binary.Content() = "<00 FF >";
    EXPECT_EQ(BytesOf(binary), "<00 FF >");
}

TEST(PdfStreamContent, MemoryAndFilePiecesReadAndWriteInOrder) {
    std::string path = test::OutputPath("content-source.bin");
    test::WriteFileBytes(path, "0123456789");

    TPdfStreamContent c;
    c.Write("head-");
    c.AppendSource(std::make_unique<TPdfFileContent>(path, 2, 5));
    c.Write("-tail");
    EXPECT_EQ(c.Size(), 15);
    EXPECT_EQ(c.MemorySize(), 10);
    EXPECT_EQ(c.ToString(), "head-23456-tail");

    char part[7] = {};
    c.SetPosition(3);
    EXPECT_EQ(c.Read(part, 6), 6u);
    EXPECT_EQ(std::string(part), "d-2345");
    c.Seek(-2, TSeekOrigin::soEnd);
    EXPECT_EQ(c.Read(part, 6), 2u);

    TPdfStreamContent whole;
    whole.AppendSource(std::make_unique<TPdfFileContent>(path));
    EXPECT_EQ(whole.Size(), 10);

    EXPECT_THROW(TPdfFileContent(path, 8, 5), EStreamError);
    EXPECT_THROW(TPdfFileContent(test::OutputPath("no-such-file.bin")), EStreamError);
}

TEST(PdfStreamContent, AChangedSourceFileFailsTheSaveInsteadOfWritingOtherBytes) {
    std::string path = test::OutputPath("content-changed.bin");
    test::WriteFileBytes(path, "original");
    TPdfStream s;
    s.Content().AppendSource(std::make_unique<TPdfFileContent>(path));
    EXPECT_NE(BytesOf(s).find("stream\r\noriginal\nendstream"), std::string::npos);

    test::WriteFileBytes(path, "changed, and longer");
    TMemoryStream out;
    try {
        s.WriteTo(out);
        FAIL();
    } catch (const EPdfInvalidOperation& e) {
        EXPECT_EQ(std::string(e.what()), "SaveToStream --the file has changed: " + path);
    }
}

TEST(PdfRegistry, FactoriesAreFoundByNameAndKind) {
    struct Widget : TPdfOwnedObject {
        explicit Widget(int v) : value(v) {}
        int value;
    };
    using WidgetFactory = TPdfFactoryOf<Widget, int>;
    RegisterPdfClass("Test-Widget", std::make_unique<WidgetFactory>(
                                        [](int v) { return std::make_unique<Widget>(v); }));
    const auto* factory = FindPdfClassOf<Widget, int>("Test-Widget");
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->Create(4)->value, 4);
    EXPECT_EQ((FindPdfClassOf<Widget, long>("Test-Widget")), nullptr);  // another kind
    UnregisterPdfClass("Test-Widget");
    EXPECT_EQ(FindPdfClass("Test-Widget"), nullptr);
}

}  // namespace
}  // namespace pim
