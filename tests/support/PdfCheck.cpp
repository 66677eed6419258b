#include "tests/support/PdfCheck.h"

#include <filesystem>

#include "tests/support/TestTools.h"

namespace pim::test {

::testing::AssertionResult IsValidPdf(const std::string& path) {
#ifdef _WIN32
    (void)path;
    return ::testing::AssertionSuccess() << "not checked on Windows";
#else
    if (!std::filesystem::exists(path)) return ::testing::AssertionFailure() << path << " does not exist";
    const TCommandResult qpdf = RunCommand("qpdf --check " + ShellQuote(path));
    if (qpdf.status != 0)
        return ::testing::AssertionFailure() << "qpdf --check " << path << " failed:\n" << qpdf.output;

    // Render every page at a low resolution into a scratch folder.
    std::filesystem::path folder = std::filesystem::path(path).string() + ".render";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const TCommandResult render =
        RunCommand("pdftoppm -r 8 -png " + ShellQuote(path) + " " + ShellQuote((folder / "page").string()));
    bool rendered = !std::filesystem::is_empty(folder);
    std::filesystem::remove_all(folder);
    if (render.status != 0 || !render.output.empty() || !rendered)
        return ::testing::AssertionFailure()
               << "pdftoppm " << path << " (status " << render.status << "):\n" << render.output;
    return ::testing::AssertionSuccess();
#endif
}

}  // namespace pim::test
