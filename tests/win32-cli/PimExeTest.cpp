// pim.exe run by a Windows process, as a user's command line starts it.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "base/CodePage.h"
#include "base/win32/WideNames.h"
#include "tests/app/PdfFacts.h"
#include "tests/app/SortFolder.h"
#include "tests/app/TestPictures.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

// pim.exe with the arguments, quoted; its exit code, -1 when it did not run.
// With `errors`, its standard error goes to that file.
int RunPimExe(const std::vector<std::string>& args, const std::string& errors = {}) {
    std::wstring command = L"\"" + WideName(test::ShellPath(PIM_CLI_PATH)) + L"\"";
    for (const std::string& a : args) command += L" \"" + WideName(a) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    HANDLE errorFile = INVALID_HANDLE_VALUE;
    if (!errors.empty()) {
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        errorFile = CreateFileW(WidePath(errors).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdError = errorFile;
    }
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, errorFile != INVALID_HANDLE_VALUE,
                                        0, nullptr, nullptr, &startup, &process);
    if (errorFile != INVALID_HANDLE_VALUE) CloseHandle(errorFile);
    if (!started) return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

// Names code page 932 cannot hold, in the folder given on the command line
// and in its files: one page each, showing its own picture, and bookmarks
// that read the true names.
TEST(PimExe, TakesNamesNoCodePageHoldsFromItsWideCommandLine) {
    const std::string folder = test::ShellPath(test::FreshFolder("pimexe-\xED\x95\x9C-\xC3\xA9"));  // 한, é
    const std::vector<std::string> titles = {"e", "\xC3\xA9", "\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4"};  // e, é, 한국어
    for (std::size_t i = 0; i < titles.size(); ++i)
        test::WriteJpegFile(folder + "\\" + titles[i] + ".jpg", test::GradientBitmap(8 + static_cast<int>(i), 8));

    ASSERT_EQ(RunPimExe({"--quiet", folder}), 0);
    const test::TPdfFacts pdf = test::TPdfFacts::FromFile(folder + "\\default.pdf");
    const std::vector<std::string> outline = pdf.OutlineTitles();
    EXPECT_EQ(std::set<std::string>(outline.begin(), outline.end()), std::set<std::string>(titles.begin(), titles.end()));
    const std::vector<int> pages = pdf.Pages();
    ASSERT_EQ(pages.size(), 3u);
    for (std::size_t i = 0; i < pages.size() && i < outline.size(); ++i)
        EXPECT_EQ(pdf.Object(pdf.PageImages(pages[i]).at(0)).Stream, test::ReadFileBytes(folder + "\\" + outline[i] + ".jpg"))
            << outline[i];
}

// Under Wine the shell's column comparison sorts every column by name; the
// program's own order does not ask it, and gives what pim gives on Linux.
TEST(PimExe, EveryKeyGivesTheSameOrderAsOnLinux) {
    const std::string folder = test::ShellPath(test::FreshFolder("pimexe-sort"));
    test::MakeSortFolder(folder);
    for (const std::string key : {"name", "size", "date", "type"}) {
        const std::vector<std::string> titles = test::TitlesOf(test::SortedNames(key));
        ASSERT_EQ(RunPimExe({"--quiet", "-s", key, "-o", key, folder}), 0) << key;
        EXPECT_EQ(test::TPdfFacts::FromFile(folder + "\\" + key + ".pdf").OutlineTitles(), titles) << key;
        ASSERT_EQ(RunPimExe({"--quiet", "-s", key, "-r", "-o", key + "-r", folder}), 0) << key;
        EXPECT_EQ(test::TPdfFacts::FromFile(folder + "\\" + key + "-r.pdf").OutlineTitles(),
                  std::vector<std::string>(titles.rbegin(), titles.rend()))
            << key;
    }
}

// A PDF that a viewer holds open (sharing no deletion) is reported before
// any page is read, with its name, and the old file is left as it was.
TEST(PimExe, APdfHeldOpenByAViewerIsReportedBeforeThePages) {
    const std::string folder = test::ShellPath(test::FreshFolder("pimexe-in-use"));
    test::WriteJpegFile(folder + "\\1.jpg", test::GradientBitmap(8, 8));
    const std::string pdf = folder + "\\default.pdf";
    test::WriteFileBytes(pdf, "old");
    const HANDLE viewer = CreateFileW(WidePath(pdf).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    const std::string errors = test::ShellPath(test::OutputPath("pimexe-in-use.txt"));
    const int code = RunPimExe({folder}, errors);
    CloseHandle(viewer);
    EXPECT_EQ(code, 3);
    // Not a terminal: one progress line per file read, and none was.
    EXPECT_EQ(AnsiToUtf8(test::ReadFileBytes(errors)),
              "pim: writing " + pdf + ": ＰＤＦが他のアプリで開かれています\r\n");
    EXPECT_EQ(test::ReadFileBytes(pdf), "old");
    EXPECT_EQ(RunPimExe({"--quiet", folder}), 0);
}

// A folder past the old limit of 260 characters is listed, read and
// written into as any other.
TEST(PimExe, OpensAFolderPastTheOldPathLimit) {
    const std::string top = test::ShellPath(test::OutputPath("pimexe-long"));
    std::vector<std::string> levels;
    for (const char c : {'a', 'b', 'c', 'd', 'e'})
        levels.push_back((levels.empty() ? top : levels.back()) + "\\" + std::string(55, c));
    const std::string folder = levels.back();
    // Level by level, deepest first: a recursive removal stops at the old limit.
    const auto removeTree = [&] {
        for (const char* name : {"1.jpg", "2.jpg", "default.pdf"}) DeleteFileW(WidePath(folder + "\\" + name).c_str());
        for (auto level = levels.rbegin(); level != levels.rend(); ++level) RemoveDirectoryW(WidePath(*level).c_str());
    };
    removeTree();
    CreateDirectoryW(WidePath(top).c_str(), nullptr);
    for (const std::string& level : levels) ASSERT_TRUE(CreateDirectoryW(WidePath(level).c_str(), nullptr));
    ASSERT_GT(folder.size(), 300u);
    test::WriteJpegFile(folder + "\\1.jpg", test::GradientBitmap(8, 8));
    test::WriteJpegFile(folder + "\\2.jpg", test::GradientBitmap(9, 8));
    ASSERT_EQ(RunPimExe({"--quiet", folder}), 0);
    EXPECT_EQ(test::TPdfFacts::FromFile(folder + "\\default.pdf").Pages().size(), 2u);
    removeTree();
}

}  // namespace
}  // namespace pim
