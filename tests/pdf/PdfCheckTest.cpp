#include <gtest/gtest.h>

#include "tests/pdf/PdfTestUtil.h"

namespace pim {
namespace {

#ifndef _WIN32
// The checker every PDF test relies on must itself reject broken files.
TEST(PdfCheck, RejectsBrokenFilesAndAcceptsASoundOne) {
    TPdfDoc doc;
    doc.NewDocument();
    doc.AddPage();
    std::string good = test::SaveToBytes(doc);
    test::WriteFileBytes(test::OutputPath("check-good.pdf"), good);
    EXPECT_TRUE(test::IsValidPdf(test::OutputPath("check-good.pdf")));

    std::string badOffset = good;
    badOffset.replace(badOffset.find("0000000011 00000 n"), 10, "0000000012");
    test::WriteFileBytes(test::OutputPath("check-bad-xref.pdf"), badOffset);
    EXPECT_FALSE(test::IsValidPdf(test::OutputPath("check-bad-xref.pdf")));

    std::string badLength = good;
    badLength.replace(badLength.find("/Length 10"), 10, "/Length 12");
    test::WriteFileBytes(test::OutputPath("check-bad-length.pdf"), badLength);
    EXPECT_FALSE(test::IsValidPdf(test::OutputPath("check-bad-length.pdf")));

    EXPECT_FALSE(test::IsValidPdf(test::OutputPath("check-missing.pdf")));
}
#endif

}  // namespace
}  // namespace pim
