// Checks that a PDF written by a test is sound: qpdf finds no error or
// warning in its structure, and poppler renders every page without a word
// on stderr. Both tools exist only in the Linux build; the Windows build
// (under Wine) accepts every file unchecked.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace pim::test {

::testing::AssertionResult IsValidPdf(const std::string& path);

}  // namespace pim::test

#define EXPECT_VALID_PDF(path) EXPECT_TRUE(::pim::test::IsValidPdf(path))
#define ASSERT_VALID_PDF(path) ASSERT_TRUE(::pim::test::IsValidPdf(path))
