// Small helpers for the writer's tests: the bytes of one object, and a
// document saved to a file that is then checked by qpdf and poppler.
#pragma once

#include <string>

#include "base/Classes.h"
#include "pdf/PdfDoc.h"
#include "tests/support/PdfCheck.h"
#include "tests/support/TestTools.h"

namespace pim::test {

inline std::string BytesOf(TPdfObject& object) {
    TMemoryStream m;
    object.WriteTo(m);
    return std::string(m.View());
}

// The value of an indirect object (its definition without "n 0 obj" and "endobj").
inline std::string ValueOf(TPdfObject& object) {
    TMemoryStream m;
    object.WriteDefinition(m);
    std::string bytes(m.View());
    std::size_t start = bytes.find("\r\n") + 2;
    return bytes.substr(start, bytes.size() - start - std::string("\r\nendobj\r\n").size());
}

inline std::string SaveToBytes(TPdfDoc& doc) {
    TMemoryStream m;
    doc.SaveToStream(m);
    return std::string(m.View());
}

// Saves into the test output folder, checks the file, returns its bytes.
inline std::string SaveAndCheck(TPdfDoc& doc, const std::string& fileName) {
    std::string path = OutputPath(fileName);
    {
        TFileStream file(path, TFileMode::fmCreate);
        doc.SaveToStream(file);
        file.Close();
    }
    EXPECT_VALID_PDF(path);
    return ReadFileBytes(path);
}

// Replaces the fourteen digits of every "D:" date by zeros.
inline std::string MaskDates(std::string bytes) {
    for (std::size_t at = bytes.find("(D:"); at != std::string::npos; at = bytes.find("(D:", at + 1)) {
        std::size_t digits = 0;
        while (digits < 14 && at + 3 + digits < bytes.size() &&
               bytes[at + 3 + digits] >= '0' && bytes[at + 3 + digits] <= '9')
            ++digits;
        if (digits == 14) bytes.replace(at + 3, 14, 14, '0');
    }
    return bytes;
}

// The content stream of the canvas's current page.
inline std::string PageContent(TPdfDoc& doc) {
    return doc.GetCanvas()->Contents()->Content().ToString();
}

}  // namespace pim::test
