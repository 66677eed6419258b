#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "pdf/PdfDoc.h"
#include "tests/pdf/PdfTestUtil.h"

namespace pim {
namespace {

using test::MaskDates;
using test::SaveAndCheck;
using test::SaveToBytes;

std::string Obj(int n, const std::string& body) { return std::to_string(n) + " 0 obj\r\n" + body + "\r\nendobj\r\n"; }

template <class E>
void ExpectError(const std::function<void()>& call, const std::string& message) {
    try {
        call();
        ADD_FAILURE() << "no exception, expected: " << message;
    } catch (const E& e) {
        EXPECT_EQ(std::string(e.what()), message);
    }
}

TEST(PdfDocument, OnePageWithOutlinesIsWrittenByteForByte) {
    TPdfDoc doc;
    doc.SetUseOutlines(true);
    doc.NewDocument();
    doc.AddPage();
    std::string actual = MaskDates(SaveAndCheck(doc, "worked-example.pdf"));

    std::vector<std::string> objects = {
        Obj(1, "<<\r\n/Type /Catalog\r\n/Outlines 2 0 R\r\n/Pages 4 0 R\r\n>>"),
        Obj(2, "<<\r\n/Type /Outlines\r\n/Count 0\r\n>>"),
        Obj(3,
            "<<\r\n/Producer (Quillet version 0.9)\r\n/CreationDate (D:00000000000000)\r\n"
            "/ModDate (D:00000000000000)\r\n>>"),
        Obj(4, "<<\r\n/Type /Pages\r\n/Kids [5 0 R ]\r\n/Count 1\r\n>>"),
        Obj(5,
            "<<\r\n/Type /Page\r\n/Parent 4 0 R\r\n/MediaBox [0 0 596 842 ]\r\n"
            "/Resources <<\r\n/Font <<\r\n/F0 7 0 R\r\n>>\r\n/XObject <<\r\n>>\r\n"
            "/ProcSet [/PDF /Text /ImageC ]\r\n>>\r\n/Contents 6 0 R\r\n>>"),
        Obj(6, "<<\r\n/Length 10\r\n/Filter []\r\n>>\r\nstream\r\n/F0 10 Tf\n\nendstream"),
        Obj(7,
            "<<\r\n/Type /Font\r\n/Subtype /Type1\r\n/Encoding /WinAnsiEncoding\r\n"
            "/FirstChar 32\r\n/LastChar 255\r\n/BaseFont /Helvetica\r\n/Name /F0\r\n>>"),
    };
    std::string expected = "%PDF-1.2 \r\n";
    std::string xref = "xref\r\n0 8\r\n0000000000 65535 f\r\n";
    for (const std::string& object : objects) {
        char line[32];
        std::snprintf(line, sizeof line, "%010zu 00000 n\r\n", expected.size());
        xref += line;
        expected += object;
    }
    std::size_t startxref = expected.size();
    expected += xref;
    expected += "trailer\r\n<<\r\n/Size 8\r\n/Root 1 0 R\r\n/Info 3 0 R\r\n>>\r\nstartxref\r\n" +
                std::to_string(startxref) + "\r\n%%EOF\r\n";
    EXPECT_EQ(actual, expected);
}

TEST(PdfDocument, WithoutOutlinesTheNumbersMoveUpAndSavingTwiceGivesTheSameFile) {
    TPdfDoc doc;
    doc.NewDocument();
    doc.AddPage();
    doc.AddPage();
    std::string first = MaskDates(SaveAndCheck(doc, "two-pages.pdf"));
    EXPECT_NE(first.find("1 0 obj\r\n<<\r\n/Type /Catalog\r\n/Pages 3 0 R\r\n>>"), std::string::npos);
    EXPECT_NE(first.find("/Kids [4 0 R 7 0 R ]\r\n/Count 2"), std::string::npos);
    EXPECT_NE(first.find("/Size 9\r\n/Root 1 0 R\r\n/Info 2 0 R"), std::string::npos);
    // The second page reuses font F0: no new font object.
    EXPECT_EQ(first.find("/F1"), std::string::npos);
    EXPECT_EQ(MaskDates(SaveToBytes(doc)), first);
}

TEST(PdfDocument, XrefOffsetsPointAtTheirObjects) {
    TPdfDoc doc;
    doc.SetUseOutlines(true);
    doc.NewDocument();
    for (int i = 0; i < 3; ++i) doc.AddPage();
    std::string bytes = SaveToBytes(doc);
    std::size_t tail = bytes.rfind("startxref\r\n");
    std::size_t xrefAt = std::stoul(bytes.substr(tail + 11));
    ASSERT_EQ(bytes.compare(xrefAt, 6, "xref\r\n"), 0);
    std::size_t lines = bytes.find("\r\n", xrefAt + 6) + 2;
    int count = std::stoi(bytes.substr(xrefAt + 8));
    EXPECT_EQ(count, doc.Xref()->EntryCount());
    for (int n = 1; n < count; ++n) {
        std::string line = bytes.substr(lines + 20 * static_cast<std::size_t>(n), 20);
        std::size_t offset = std::stoul(line.substr(0, 10));
        EXPECT_EQ(bytes.compare(offset, std::to_string(n).size() + 6, std::to_string(n) + " 0 obj"), 0)
            << "object " << n;
        EXPECT_EQ(line.substr(10), " 00000 n\r\n");
    }
    EXPECT_NE(bytes.find("/Size " + std::to_string(count) + "\r\n"), std::string::npos);
}

TEST(PdfDocument, StateErrorsCarryTheirMessages) {
    TPdfDoc doc;
    ExpectError<EPdfInvalidOperation>([&] { doc.GetCanvas(); }, "GetCanvas --Document is null");
    ExpectError<EPdfInvalidOperation>([&] { doc.GetInfo(); }, "GetInfo --this method can not use this state..");
    ExpectError<EPdfInvalidOperation>([&] { doc.GetRoot(); }, "GetRoot --this method can not use this state..");
    ExpectError<EPdfInvalidOperation>([&] { doc.GetOutlineRoot(); }, "GetOutlineRoot --document is null..");
    ExpectError<EPdfInvalidOperation>([&] { doc.GetFont("Arial"); }, "GetFont --document is null.");
    TMemoryStream out;
    ExpectError<EPdfInvalidOperation>([&] { doc.SaveToStream(out); }, "SaveToStream --there is no document to save.");

    doc.NewDocument();
    ExpectError<EPdfInvalidOperation>([&] { doc.GetOutlineRoot(); }, "GetOutlineRoot --not use outline mode..");
    ExpectError<EPdfInvalidOperation>([&] { doc.SaveToStream(out); }, "GetPage --the Page is nil");
    EXPECT_EQ(out.Size(), 0);
    ExpectError<Exception>([&] { doc.CreateFont("Wingdings"); }, "CreateFont --InvalidFontName:Wingdings");
    ExpectError<EPdfInvalidOperation>([&] { doc.CreateDestination(); }, "GetPage --the Page is nil");

    doc.FreeDocument();
    ExpectError<EPdfInvalidOperation>([&] { doc.AddPage(); }, "AddPage --current pages null.");
}

TEST(PdfDocument, InfoSettersReplaceAndMoveTheirKeys) {
    TPdfDoc doc;
    doc.NewDocument();
    doc.AddPage();
    TPdfInfo* info = doc.GetInfo();
    info->SetTitle("First");
    info->SetAuthor("Me (really)");
    info->SetTitle("\x93\xFA\x96\x7B");
    info->SetKeywords("k");
    info->SetSubject("s");
    info->SetCreator("Pim");
    std::string bytes = MaskDates(SaveAndCheck(doc, "info.pdf"));
    EXPECT_NE(bytes.find("<<\r\n/Producer (Quillet version 0.9)\r\n/CreationDate (D:00000000000000)\r\n"
                         "/Author (Me \\(really\\))\r\n/Title <FEFF65E5672C>\r\n"
                         "/Keywords (k)\r\n/Subject (s)\r\n/Creator (Pim)\r\n"
                         "/ModDate (D:00000000000000)\r\n>>"),
              std::string::npos);
}

TEST(PdfDocument, CatalogSettings) {
    TPdfDoc doc;
    doc.NewDocument();
    doc.AddPage();
    TPdfCatalog* root = doc.GetRoot();
    TPdfDictionary* catalog = root->Data();

    root->SetViewerPreference(0);  // nothing set yet: no dictionary appears
    EXPECT_EQ(catalog->Lookup("ViewerPreferences"), nullptr);

    root->SetPageMode(pmUseOutlines);
    root->SetPageLayout(plOneColumn);
    root->SetPageMode(pmFullScreen);  // in place: keeps its position before PageLayout
    root->SetNonFullScreenPageMode(pmUseThumbs);
    root->SetViewerPreference(ViewerPreferenceBit(vpFitWindow) | ViewerPreferenceBit(vpHideToolbar));
    root->SetViewerPreference(ViewerPreferenceBit(vpFitWindow));
    std::string bytes = SaveAndCheck(doc, "catalog.pdf");
    EXPECT_NE(bytes.find("/Type /Catalog\r\n/Pages 3 0 R\r\n/PageMode /FullScreen\r\n"
                         "/PageLayout /OneColumn\r\n/ViewerPreferences <<\r\n"
                         "/NonFullScreenPageMode /UseThumbs\r\n/FitWindow true\r\n>>\r\n>>"),
              std::string::npos)
        << bytes.substr(0, 300);

    root->SetNonFullScreenPageMode(pmUseNone);
    EXPECT_EQ(catalog->LookupDictionary("ViewerPreferences")->Lookup("NonFullScreenPageMode"), nullptr);

    TPdfDictionary notPages;
    root->SetPages(&notPages);  // ignored: not a page-tree node
    EXPECT_EQ(catalog->Lookup("Pages"), doc.CurrentPages());
}

TEST(PdfDocument, ChildPageTreeNodes) {
    TPdfDoc doc;
    doc.NewDocument();
    TPdfDictionary* top = doc.CurrentPages();
    TPdfDictionary* child = doc.CreatePages(top);
    EXPECT_EQ(top->LookupNumber("Count")->Value(), 1);
    EXPECT_EQ(top->LookupArray("Kids")->ItemAt(0), child);
    EXPECT_EQ(doc.GetRoot()->Data()->Lookup("Pages"), top);
}

// A minimal image XObject the way an image builder makes one.
std::unique_ptr<TPdfImage> MakeImage(int width = 2, int height = 1) {
    auto image = std::make_unique<TPdfImage>();
    image->Attributes().PutName("Type", "XObject");
    image->Attributes().PutName("Subtype", "Image");
    image->Attributes().PutName("ColorSpace", "DeviceRGB");
    image->Attributes().PutNumber("Width", width);
    image->Attributes().PutNumber("Height", height);
    image->Attributes().PutNumber("BitsPerComponent", 8);
    for (int i = 0; i < width * height; ++i) image->Content().Write("\xFF\x00\x00", 3);
    return image;
}

TEST(PdfDocument, ImagesAreRegisteredOnceByName) {
    TPdfDoc doc;
    doc.NewDocument();
    doc.AddPage();
    TPdfImage* image = doc.AddImage("Image1", MakeImage());
    EXPECT_EQ(image->ObjectNumber(), 7);
    EXPECT_EQ(doc.FindXObject("Image1"), image);
    EXPECT_EQ(doc.FindXObject("Image2"), nullptr);
    EXPECT_EQ(image->Attributes().LookupName("Name")->Value(), "Image1");

    ExpectError<Exception>([&] { doc.AddImage("Image1", MakeImage()); },
                           "AddImage --the image named Image1 is already exists..");
    ExpectError<Exception>([&] { doc.AddImage("Bad", std::make_unique<TPdfImage>()); },
                           "AddImage --the image is not valid TPdfImage..");
    ExpectError<Exception>([&] { doc.AddImage("Null", nullptr); }, "AddImage --the image is not valid TPdfImage..");
    ExpectError<EPdfInvalidValue>([&] { doc.RegisterXObject(static_cast<TPdfXObject*>(nullptr), "X"); },
                                  "RegisterXObject --AObject is null");
    ExpectError<EPdfInvalidValue>([&] { doc.RegisterXObject(std::make_unique<TPdfXObject>(), "X"); },
                                  "RegisterXObject --not XObject");
    auto form = std::make_unique<TPdfXObject>();
    form->Attributes().PutName("Type", "XObject");
    ExpectError<EPdfInvalidValue>([&] { doc.RegisterXObject(std::move(form), "Image1"); },
                                  "RegisterXObject --dupulicate name: Image1");
    EXPECT_EQ(doc.Xref()->EntryCount(), 8);  // failures registered nothing

    doc.GetCanvas()->DrawXObject(0, 0, 2, 1, "Image1");
    SaveAndCheck(doc, "image.pdf");
}

// Counts the bytes written and keeps only the last ones.
class TailStream : public TStream {
public:
    std::size_t Read(void*, std::size_t) override { return 0; }
    void Write(const void* data, std::size_t count) override {
        constexpr std::size_t kKeep = 1 << 16;
        position_ += static_cast<std::int64_t>(count);
        const char* bytes = static_cast<const char*>(data);
        if (count > kKeep) {
            tail_.clear();
            bytes += count - kKeep;
            count = kKeep;
        }
        tail_.append(bytes, count);
        if (tail_.size() > 2 * kKeep) tail_.erase(0, tail_.size() - kKeep);
    }
    using TStream::Write;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
        if (origin == TSeekOrigin::soBeginning) position_ = offset;
        return position_;
    }
    std::int64_t Size() override { return position_; }
    const std::string& Tail() const { return tail_; }

private:
    std::int64_t position_ = 0;
    std::string tail_;
};

// One GiB of zeros that never exist in memory at once.
class ZeroSource : public TPdfContentSource {
public:
    std::int64_t Size() const override { return std::int64_t{1} << 30; }
    std::size_t ReadAt(std::int64_t, void* buffer, std::size_t count) const override {
        std::memset(buffer, 0, count);
        return count;
    }
    void WriteTo(TStream& out) const override {
        static const std::vector<char> zeros(1 << 22);
        for (std::int64_t done = 0; done < Size(); done += std::ssize(zeros)) out.Write(zeros.data(), zeros.size());
    }
};

TEST(PdfDocument, OffsetsPastFourGigabytesAreWrittenInFull) {
    TPdfDoc doc;
    doc.NewDocument();
    doc.AddPage();
    for (int i = 0; i < 5; ++i) {
        auto image = MakeImage();
        image->Content().Clear();
        image->Content().AppendSource(std::make_unique<ZeroSource>());
        doc.AddImage("Big" + std::to_string(i), std::move(image));
    }
    doc.GetCanvas()->SetFillColor(0);  // something after the images
    TailStream out;
    doc.SaveToStream(out);
    const std::string& tail = out.Tail();
    std::size_t at = tail.rfind("startxref\r\n");
    ASSERT_NE(at, std::string::npos);
    std::int64_t xrefAt = std::stoll(tail.substr(at + 11));
    EXPECT_GT(xrefAt, std::int64_t{5} << 30);
    std::size_t lastLine = tail.rfind(" 00000 n\r\n");
    std::int64_t lastObject = std::stoll(tail.substr(lastLine - 10, 10));
    EXPECT_GT(lastObject, std::int64_t{4} << 30);
    EXPECT_LT(lastObject, xrefAt);
}

TEST(PdfDocument, ADocumentTheXrefCannotAddressFailsInsteadOfBeingCorrupt) {
    TPdfDoc doc;
    doc.NewDocument();
    doc.AddPage();
    for (int i = 0; i < 10; ++i) {
        auto image = MakeImage();
        image->Content().Clear();
        image->Content().AppendSource(std::make_unique<ZeroSource>());
        doc.AddImage("Big" + std::to_string(i), std::move(image));
    }
    TailStream out;
    ExpectError<EPdfInvalidOperation>([&] { doc.SaveToStream(out); }, "SaveToStream --the document is too large.");
}

TEST(PdfDocument, MeasuringCanvasMeasuresButWritesNothing) {
    TPdfDoc doc;
    TPdfCanvas* canvas = doc.CreateMeasuringCanvas();
    ASSERT_TRUE(doc.HasDoc());
    std::string before = canvas->Contents()->Content().ToString();
    canvas->ShowText("hello");
    canvas->SetFillColor(255);
    EXPECT_EQ(canvas->Contents()->Content().ToString(), before);
    EXPECT_FLOAT_EQ(canvas->TextWidth("A"), 6.67f);
}

TEST(PdfDocument, ANewDocumentDiscardsTheOldOne) {
    TPdfDoc doc;
    doc.NewDocument();
    doc.AddPage();
    doc.AddImage("Image1", MakeImage());
    doc.NewDocument();
    EXPECT_EQ(doc.FindXObject("Image1"), nullptr);
    EXPECT_EQ(doc.Xref()->EntryCount(), 4);
    EXPECT_THROW(doc.GetCanvas()->GetPage(), EPdfInvalidOperation);
    doc.AddPage();
    EXPECT_EQ(doc.FontList().size(), 1u);
    SaveAndCheck(doc, "renewed.pdf");
}

}  // namespace
}  // namespace pim

namespace pim {
namespace {

TEST(PdfVersion, FollowsTheFeaturesTheDocumentUses) {
    const struct {
        TPdfFeatures features;
        int minor;
    } cases[] = {
        {0, 2},
        {PdfFeatureBit(pfDirection), 3},
        {PdfFeatureBit(pfDirection) | 0x80000000u, 3},  // a bit no feature has yet raises nothing
    };
    for (const auto& c : cases) EXPECT_EQ(PdfMinorVersionFor(c.features), c.minor) << c.features;
}

// The catalog as binding and page display write it, and the header that
// follows: right to left alone raises the version.
TEST(PdfVersion, CatalogBindingAndLayoutAndTheHeader) {
    const TPdfViewerPreferences fitCentre = ViewerPreferenceBit(vpFitWindow) | ViewerPreferenceBit(vpCenterWindow);
    const struct {
        TPdfPageLayout layout;
        TPdfViewerPreferences prefs;
        TPdfDirection direction;
        const char* catalog;
        const char* header;
    } cases[] = {
        {plOneColumn, fitCentre, pdL2R,
         "/PageLayout /OneColumn\r\n/ViewerPreferences <<\r\n/FitWindow true\r\n/CenterWindow true\r\n>>",
         "%PDF-1.2 \r\n"},
        {plTwoColumnRight, fitCentre, pdR2L,
         "/PageLayout /TwoColumnRight\r\n/ViewerPreferences <<\r\n/FitWindow true\r\n/CenterWindow true\r\n"
         "/Direction /R2L\r\n>>",
         "%PDF-1.3 \r\n"},
        {plTwoColumnLeft, 0, pdR2L, "/PageLayout /TwoColumnLeft\r\n/ViewerPreferences <<\r\n/Direction /R2L\r\n>>",
         "%PDF-1.3 \r\n"},
        {plSinglePage, 0, pdL2R, "/PageLayout /SinglePage\r\n>>", "%PDF-1.2 \r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.catalog);
        TPdfDoc doc;
        doc.NewDocument();
        TPdfCatalog* catalog = doc.GetRoot();
        catalog->SetPageLayout(c.layout);
        if (c.prefs) catalog->SetViewerPreference(c.prefs);
        catalog->SetDirection(c.direction);
        doc.AddPage();
        const std::string bytes = test::SaveAndCheck(doc, "catalog-" + std::to_string(c.layout) + ".pdf");
        EXPECT_EQ(bytes.substr(0, 11), c.header);
        EXPECT_NE(bytes.find(c.catalog), std::string::npos) << bytes.substr(0, 300);
    }
    // Back to left to right: the key goes, and so does the later version.
    TPdfDoc doc;
    doc.NewDocument();
    doc.GetRoot()->SetDirection(pdR2L);
    EXPECT_EQ(doc.Features(), PdfFeatureBit(pfDirection));
    doc.GetRoot()->SetDirection(pdL2R);
    EXPECT_EQ(doc.Features(), 0u);
    doc.AddPage();
    EXPECT_EQ(SaveToBytes(doc).substr(0, 11), "%PDF-1.2 \r\n");
}

}  // namespace
}  // namespace pim
