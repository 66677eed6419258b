// Helpers for the report tests: serialised PDF values, and second opinions
// from qpdf and poppler (Linux only; empty elsewhere).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "pdf/PdfTypes.h"
#include "tests/support/TestTools.h"

namespace pim::test {

// The bytes a PDF value is written as.
std::string Serialized(TPdfObject& object);

// `qpdf --json` of the file with all white space outside strings removed;
// empty when qpdf cannot be run.
std::string QpdfJson(const std::string& path);
// Each page's MediaBox as "x0,y0,x1,y1", in page order, from QpdfJson.
std::vector<std::string> QpdfPageSizes(const std::string& json);
// The top-level bookmark titles, in order, from QpdfJson.
std::vector<std::string> QpdfOutlineTitles(const std::string& json);

// Renders one page (1-based) at 72 dpi into a PPM file (read it with
// ReadPnm) and returns its path; empty when pdftoppm cannot be run.
std::string RenderPage(const std::string& pdf, int page);

// True when a file can be created in the folder whatever its permissions
// say (running as root).
bool WritableDespitePermissions(const std::filesystem::path& folder);

}  // namespace pim::test
