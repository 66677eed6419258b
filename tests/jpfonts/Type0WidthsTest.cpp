// Reading "W" arrays back into width runs, and the width lookup against a
// plain scan of the runs.
#include <gtest/gtest.h>

#include <charconv>
#include <string>
#include <variant>
#include <vector>

#include "pdf/PdfJpFonts.h"
#include "tests/pdf/PdfTestUtil.h"

namespace pim {
namespace {

// An element of a W array: a number, a list of widths, or something else.
using WItem = std::variant<int, std::vector<int>, std::string>;

// Test converter: the CID is the decimal number the text starts with.
std::int32_t CidFromDigits(std::string_view text, int position) {
    if (position != 1) return -1;
    std::int32_t cid = 0;
    std::from_chars(text.data(), text.data() + text.size(), cid);
    return cid;
}

class Type0WidthsTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterJapaneseFonts();
        doc.NewDocument();
        doc.AddPage();
        font = dynamic_cast<TPdfType0Font*>(doc.GetFont("PGothic"));
        ASSERT_NE(font, nullptr);
    }

    // A Type0 dictionary whose descendant has DW 900, MissingWidth 300 and
    // the given W array.
    TPdfDictionary* Type0With(const std::vector<WItem>& items) {
        auto w = std::make_unique<TPdfArray>(&xref);
        for (const WItem& item : items) {
            if (const int* n = std::get_if<int>(&item)) {
                w->Append(std::make_unique<TPdfNumber>(*n));
            } else if (const auto* list = std::get_if<std::vector<int>>(&item)) {
                w->Append(CreateNumberArray(&xref, std::span<const std::int32_t>(*list)));
            } else {
                w->Append(std::make_unique<TPdfName>(std::get<std::string>(item)));
            }
        }
        auto descriptor = std::make_unique<TPdfDictionary>(&xref);
        descriptor->PutNumber("MissingWidth", 300);
        auto descendant = std::make_unique<TPdfDictionary>(&xref);
        descendant->PutNumber("DW", 900);
        descendant->Put("W", std::move(w));
        descendant->Put("FontDescriptor", std::move(descriptor));
        auto descendants = std::make_unique<TPdfArray>(&xref);
        descendants->Append(std::move(descendant));
        dictionaries.push_back(std::make_unique<TPdfDictionary>(&xref));
        dictionaries.back()->Put("DescendantFonts", std::move(descendants));
        return dictionaries.back().get();
    }

    std::string Runs() const {
        std::string text;
        for (const auto& run : font->CidWidths())
            text += std::to_string(run.FirstCid) + "-" + std::to_string(run.LastCid) + ":" +
                    std::to_string(run.RunWidth) + " ";
        return text;
    }

    // The width rule with a plain scan of the runs.
    int ScannedWidth(std::int32_t cid) const {
        if (cid == -1) return 0;
        for (const auto& run : font->CidWidths())
            if (run.LastCid >= cid) return cid >= run.FirstCid && run.RunWidth ? run.RunWidth : font->MissingWidth();
        return font->MissingWidth();
    }

    TPdfDoc doc;
    TPdfXref xref;
    std::vector<std::unique_ptr<TPdfDictionary>> dictionaries;
    TPdfType0Font* font = nullptr;
};

TEST_F(Type0WidthsTest, BothFormsOfTheWArrayBecomeRuns) {
    font->SetData(Type0With({1, 3, 400, 10, std::vector<int>{600, 0, 700}, 20}));
    EXPECT_EQ(Runs(), "1-3:400 10-10:600 11-11:0 12-12:700 ");  // a lone last start is ignored
    EXPECT_EQ(font->DefaultWidth(), 900);
    EXPECT_EQ(font->MissingWidth(), 300);
    font->SetData(Type0With({}));
    EXPECT_EQ(Runs(), "");
}

TEST_F(Type0WidthsTest, MalformedWArraysAreRejectedAndChangeNothing) {
    struct Case {
        std::vector<WItem> w;
        const char* message;
    };
    const Case cases[] = {
        {{std::string("x")}, "invalid W array start pos.."},
        {{1, std::vector<int>{500}, std::string("x"), 2}, "invalid W array start pos.."},
        {{1, 2}, "invalid W array end pos.."},
        {{1, 2, std::string("x")}, "invalid W array end pos.."},
        {{1, std::string("x")}, "invalid W array value.."},
        {{1, std::vector<int>{500}, 4, std::string("x"), 5}, "invalid W array value.."},
    };
    const std::string before = Runs();
    for (const Case& c : cases) {
        try {
            font->SetData(Type0With(c.w));
            ADD_FAILURE() << "no error for " << c.message;
        } catch (const EPdfInvalidValue& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_EQ(Runs(), before);
        EXPECT_EQ(font->DefaultWidth(), 1000);
    }
    // A width list holding something other than numbers is refused as well.
    auto w = std::make_unique<TPdfArray>(&xref);
    w->Append(std::make_unique<TPdfNumber>(1));
    auto list = std::make_unique<TPdfArray>(&xref);
    list->Append(std::make_unique<TPdfName>("x"));
    w->Append(std::move(list));
    TPdfDictionary* type0 = Type0With({});
    dynamic_cast<TPdfDictionary*>(type0->LookupArray("DescendantFonts")->ItemAt(0))->Put("W", std::move(w));
    EXPECT_THROW(font->SetData(type0), EPdfInvalidValue);
}

TEST_F(Type0WidthsTest, IndexedLookupAgreesWithAScanOfTheRuns) {
    const std::vector<std::vector<WItem>> arrays = {
        {},                                                      // PGothic's own runs (below)
        {231, 631, 500},                                         // the fixed fonts
        {500, std::vector<int>{1, 2, 3}, 10, 20, 700, 5, 600, 800},  // runs out of order
        {10, 30, 100, 20, 40, 200, 50, 40, 900},                 // overlapping and reversed
        {-5, -1, 444, 0, std::vector<int>{0, 12}},               // negative CIDs, zero widths
        {0, 100000, 321, 7, std::vector<int>{77}},               // too wide to index
    };
    bool first = true;
    for (const auto& items : arrays) {
        if (!first) font->SetData(Type0With(items));
        first = false;
        font->SetCidConverter(CidFromDigits);
        SCOPED_TRACE(Runs().substr(0, 60));
        for (std::int32_t cid = -12; cid <= 1100; ++cid)
            ASSERT_EQ(font->WidthOfCharAt(std::to_string(cid), 1), ScannedWidth(cid)) << cid;
        for (std::int32_t cid : {65535, 65536, 99999, 100000, 100001, 2000000000})
            ASSERT_EQ(font->WidthOfCharAt(std::to_string(cid), 1), ScannedWidth(cid)) << cid;
    }
}

}  // namespace
}  // namespace pim
