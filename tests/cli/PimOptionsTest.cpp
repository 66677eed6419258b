// pim's options, exit codes and messages, end to end.
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "tests/app/PdfFacts.h"
#include "tests/app/TestPictures.h"
#include "tests/cli/PimProcess.h"
#include "tests/support/PdfCheck.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

namespace fs = std::filesystem;
using test::RunPim;
using test::TPdfFacts;

// A folder with one file of each kind.
struct Folder {
    explicit Folder(const std::string& name) : path(test::FreshFolder(name)) {
        test::WriteJpegFile(Path("b.jpg"), test::GradientBitmap(64, 48));
        test::WriteBmpFile(Path("c.bmp"), test::GradientBitmap(8, 8));
        test::WriteFileBytes(Path("a.txt"), "text\r\n");
    }
    std::string Path(const std::string& file) const { return path + "/" + file; }
    std::string path;
};

std::vector<std::string> Titles(const std::string& pdf) { return TPdfFacts::FromFile(pdf).OutlineTitles(); }

TEST(Pim, TypesOutputNameAndSaveFolder) {
    Folder f("pim-options");
    const std::string save = test::FreshFolder("pim-options-save");
    auto r = RunPim({"-t", "jpg,txt", "-o", "mine", "-d", save, f.path});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Titles(save + "/mine.pdf"), (std::vector<std::string>{"a", "b"}));
    EXPECT_FALSE(fs::exists(f.Path("mine.pdf")));

    // A file names its folder; the PDF goes there as default.pdf.
    r = RunPim({"-t", "bmp", "--quiet", f.Path("b.jpg")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Titles(f.Path("default.pdf")), std::vector<std::string>{"c"});
}

TEST(Pim, ProgressIsOneLinePerFileWhenNotATerminal) {
    Folder f("pim-progress");
    const auto r = RunPim({f.path});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err,
              "画像読み込み:1/3 (0%)\n画像読み込み:2/3 (33%)\n画像読み込み:3/3 (66%)\n画像読み込み:3/3 (100%)\n");
    EXPECT_EQ(r.out, "ＰＤＦが作成出来ました\n" + f.Path("default.pdf") + "\n");
}

TEST(Pim, ReencodeWithQualityBrightnessAndGreyscale) {
    Folder f("pim-reencode");
    const auto r = RunPim({"--reencode", "-q", "0", "-b", "-255", "-g", "-t", "bmp", f.path});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const TPdfFacts pdf = TPdfFacts::FromFile(f.Path("default.pdf"));
    const auto& image = pdf.Object(pdf.PageImages(pdf.Pages().at(0)).at(0));
    EXPECT_EQ(TPdfFacts::Value(image.Dictionary, "Filter"), "[/DCTDecode ]");
    EXPECT_VALID_PDF(f.Path("default.pdf"));
}

TEST(Pim, NothingToListEndsWithExitCodeOne) {
    const auto r = RunPim({"-t", "txt", test::FreshFolder("pim-nothing-empty")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "画像が存在しません\n");
    EXPECT_FALSE(fs::exists(test::OutputPath("pim-nothing-empty/default.pdf")));
}

TEST(Pim, BadUsageNamesTheOptionAndWhatIsAllowed) {
    Folder f("pim-usage");
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> mentions;
    };
    const Case cases[] = {
        {{"-q", "101"}, {"--quality", "0..100"}},
        {{"--brightness=-256"}, {"--brightness", "-255..255"}},
        {{"-b", "x"}, {"--brightness", "-255..255"}},
        {{"-s", "colour"}, {"--sort", "name, date, size or type"}},
        {{"-t", "jpg,heic"}, {"--types", "heic"}},
        {{"-t", ""}, {"--types", "no file type"}},
        {{"-j", "0"}, {"--jobs", "1..256"}},
        {{"--types=,"}, {"--types", "no file type"}},
        {{"--folder-name", "-o", "x"}, {"--folder-name", "--output"}},
        {{"--no-such-option"}, {"--no-such-option"}},
        {{f.Path("missing")}, {"missing"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        if (args[0] != f.Path("missing")) args.push_back(f.path);
        const auto r = RunPim(args);
        EXPECT_EQ(r.exitCode, 2) << c.args[0];
        for (const std::string& m : c.mentions) EXPECT_NE(r.err.find(m), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(f.Path("default.pdf")));
    }
    const auto brightness = RunPim({"-b", "-255", "-t", "bmp", "--quiet", f.path});
    EXPECT_EQ(brightness.exitCode, 0) << "a negative value after a short option" << brightness.err;
}

TEST(Pim, HelpAndVersion) {
    auto r = RunPim({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("--reencode"), std::string::npos);
    EXPECT_NE(r.out.find("JPEG再変換"), std::string::npos);
    r = RunPim({"--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "pim " PIM_VERSION "\n");  // the project's one version
}

// Every failure: the run's message, a line with the cause, exit code 3, and
// no new file; an old one is left as it was.
TEST(Pim, ACorruptFileFailsWithItsName) {
    Folder f("pim-corrupt");
    test::WriteFileBytes(f.Path("d.jpg"), "no JPEG at all");
    test::WriteFileBytes(f.Path("default.pdf"), "old");
    const auto r = RunPim({f.path});
    EXPECT_EQ(r.exitCode, 3);
    // Only a stop says "強制終了されました"; a failure says which file and why.
    EXPECT_EQ(r.err.find("強制終了されました"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("pim: reading " + f.Path("d.jpg") + ": "), std::string::npos) << r.err;
    EXPECT_EQ(test::ReadFileBytes(f.Path("default.pdf")), "old");
}

// A JPEG cut off in its data: its page is written as before, and pim says
// which file is damaged.
TEST(Pim, ACutOffJpegIsNamedButTheRunSucceeds) {
    Folder f("pim-cutoff");
    test::WriteJpegFile(f.Path("b.jpg"), test::GradientBitmap(400, 300));
    const std::string bytes = test::ReadFileBytes(f.Path("b.jpg"));
    test::WriteFileBytes(f.Path("b.jpg"), bytes.substr(0, bytes.size() * 2 / 3));
    const auto r = RunPim({"--quiet", f.path});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err.rfind("pim: warning: " + f.Path("b.jpg") + ": the JPEG data end before the image does", 0), 0u)
        << r.err;
    EXPECT_EQ(test::TPdfFacts::FromFile(f.Path("default.pdf")).Pages().size(), 3u);
}

TEST(Pim, AMissingSaveFolderFailsBeforeThePages) {
    Folder f("pim-no-save-folder");
    const auto r = RunPim({"-d", f.Path("nowhere"), f.path});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.err.find("画像読み込み"), std::string::npos) << r.err;
    EXPECT_EQ(r.err, "pim: writing " + f.Path("nowhere") + "/default.pdf: No such file or directory\n");
    EXPECT_FALSE(fs::exists(f.Path("nowhere")));
}

// Names Windows refuses are refused on Linux too, before any page is read,
// with a message naming the rule; nothing is written.
TEST(Pim, ANameWindowsRefusesIsABadOption) {
    Folder f("pim-bad-names");
    test::WriteFileBytes(f.Path("default.pdf"), "old");
    const std::pair<const char*, const char*> cases[] = {
        {"a:b", "the name holds \":\", which Windows does not allow in a file name"},
        {"CON", "\"CON\" is a device name Windows reserves"},
        {"nul.txt", "\"nul\" is a device name Windows reserves"},
        {"end.", "the name ends in a dot or a space"},
        {"..", "the name is only spaces or dots"},
        {"tab\there", "the name holds a control character"},
    };
    for (const auto& [name, rule] : cases) {
        const auto r = RunPim({"-o", name, f.path});
        EXPECT_EQ(r.exitCode, 2) << name << ": " << r.err;
        EXPECT_EQ(r.err.rfind("pim: writing " + f.path + "/" + name + ".pdf: " + rule, 0), 0u) << r.err;
        EXPECT_EQ(r.err.find("画像読み込み"), std::string::npos) << r.err;
    }
    EXPECT_EQ(test::ReadFileBytes(f.Path("default.pdf")), "old");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(f.path)) names.push_back(entry.path().filename().string());
    EXPECT_EQ(names.size(), 4u);  // the three pictures and the old PDF
}

// The temporary file's name does not grow with the PDF's: the longest name
// the file system takes is written.
TEST(Pim, AVeryLongNameIsWritten) {
    Folder f("pim-long-name");
    const std::string name(250, 'n');
    const auto r = RunPim({"--quiet", "-o", name, f.path});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(TPdfFacts::FromFile(f.Path(name + ".pdf")).Pages().size(), 3u);
    for (const auto& entry : fs::directory_iterator(f.path))
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
}

// A full disk says so in the system's words, not "Stream write error": the
// save folder is a 64 KiB tmpfs mounted in a mount namespace of the test's
// own (skipped where the test may not make one).
TEST(Pim, AFullDiskSaysNoSpaceLeftOnDevice) {
    if (test::RunCommand("unshare -m true").status != 0) GTEST_SKIP() << "no mount namespace here";
    const std::string folder = test::FreshFolder("pim-full-disk");
    test::WriteBmpFile(folder + "/big.bmp", test::GradientBitmap(300, 300));  // 270 KB of samples
    const std::string save = test::FreshFolder("pim-full-disk-mount");
    const std::string errFile = test::OutputPath("pim-full-disk.err");
    const auto r = test::RunCommand(
        "unshare -m sh -c " +
        test::ShellQuote("mount -t tmpfs -o size=64k tmpfs " + test::ShellQuote(save) + " && printf old > " +
                         test::ShellQuote(save + "/default.pdf") + " && " + test::ShellQuote(PIM_CLI_PATH) +
                         " --quiet -d " + test::ShellQuote(save) + " " + test::ShellQuote(folder) + " 2>" +
                         test::ShellQuote(errFile) + "; echo exit=$?; ls -A " + test::ShellQuote(save) + "; cat " +
                         test::ShellQuote(save + "/default.pdf")));
    EXPECT_NE(r.output.find("exit=3\ndefault.pdf\nold"), std::string::npos) << r.output;  // no temporary file left
    EXPECT_EQ(test::ReadFileBytes(errFile), "pim: writing " + save + "/default.pdf: No space left on device\n");
}

// A page past 14,400 units is scaled down, and pim names the file.
TEST(Pim, AnOversizedPageIsScaledWithAWarning) {
    const std::string folder = test::FreshFolder("pim-panorama");
    test::WriteJpegFile(folder + "/wide.jpg", test::GradientBitmap(15000, 800));
    const auto r = RunPim({"--quiet", folder});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.rfind("pim: warning: " + folder + "/wide.jpg: the picture is 15000 x 800 pixels", 0), 0u) << r.err;
    const TPdfFacts facts = TPdfFacts::FromFile(folder + "/default.pdf");
    EXPECT_EQ(facts.PageSize(facts.Pages().at(0)), (std::pair<int, int>{14400, 768}));
}

// Ctrl-C, and being told to end (SIGTERM, SIGHUP), stop the run before the
// next file: nothing is written, no temporary file is left. Ctrl-C once the
// last file is being read stops the save that follows as well, up to the
// moment the PDF takes the old one's place.
struct TStopCase {
    int signal;
    int exitCode;
    bool atLastFile;
};
class PimStop : public testing::TestWithParam<TStopCase> {};

TEST_P(PimStop, StopsTheRunAndWritesNothing) {
    const auto [signal, exitCode, atLastFile] = GetParam();
    // Large pictures (hard links to one file) keep the run busy long enough
    // for the signal to arrive after the first page, and the save long
    // enough (a PDF of 270 MB, synced) for it to arrive before the rename.
    const std::string folder = test::FreshFolder("pim-stop-" + std::to_string(signal) + (atLastFile ? "-save" : ""));
    test::WriteBmpFile(folder + "/p000.bmp", test::GradientBitmap(1500, 1500));
    for (int i = 1; i < 40; ++i)
        fs::create_hard_link(folder + "/p000.bmp", folder + "/p" + std::to_string(100 + i) + ".bmp");
    test::WriteFileBytes(folder + "/default.pdf", "old");
    const auto r = test::RunPimAndInterrupt({folder}, signal, atLastFile ? "40/40 " : "\n");
    EXPECT_EQ(r.exitCode, exitCode) << r.err;
    EXPECT_NE(r.err.find("強制終了されました\n"), std::string::npos) << r.err;
    if (!atLastFile) {
        EXPECT_EQ(r.err.find("40/40"), std::string::npos);
    }
    const std::string pdf = test::ReadFileBytes(folder + "/default.pdf");
    EXPECT_EQ(pdf.substr(0, 16), "old");  // not the new PDF, which is too long to print
    EXPECT_EQ(pdf.size(), 3u);
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_TRUE(entry.path().extension() == ".bmp" || entry.path().filename() == "default.pdf") << entry.path();
}

INSTANTIATE_TEST_SUITE_P(Pim, PimStop,
                         testing::Values(TStopCase{SIGINT, 130, false}, TStopCase{SIGTERM, 143, false},
                                         TStopCase{SIGHUP, 129, false}, TStopCase{SIGINT, 130, true}));

// The file-size limit makes the write fail as any write error does: exit 3,
// the old PDF kept, no temporary file left.
TEST(Pim, TheFileSizeLimitFailsTheWriteInsteadOfKillingTheProgram) {
    Folder f("pim-file-size");
    test::WriteBmpFile(f.Path("c.bmp"), test::GradientBitmap(600, 600));
    test::WriteFileBytes(f.Path("default.pdf"), "old");
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 256 * 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    const auto r = RunPim({"--quiet", f.path});
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_NE(r.err.find("pim: writing " + f.Path("default.pdf")), std::string::npos) << r.err;
    EXPECT_EQ(test::ReadFileBytes(f.Path("default.pdf")), "old");
    for (const auto& entry : fs::directory_iterator(f.path))
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
}

// One picture is held once on its way into the PDF: a 1 KB RLE bitmap of
// 12000 x 12000 pixels (144 MB of samples) stays within 1.5 times that.
TEST(Pim, ALargePictureIsHeldOnce) {
    const std::string folder = test::FreshFolder("pim-large-rle");
    std::string bmp = "BM";
    const auto put = [&bmp](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) bmp += static_cast<char>(value >> (8 * i) & 0xFF);
    };
    const std::uint32_t offset = 14 + 40 + 1024;
    put(offset + 2, 4), put(0, 4), put(offset, 4);
    put(40, 4), put(12000, 4), put(12000, 4), put(1, 2), put(8, 2), put(1, 4), put(2, 4);  // RLE8
    put(2835, 4), put(2835, 4), put(256, 4), put(0, 4);
    for (std::uint32_t i = 0; i < 256; ++i) put(i * 0x010101, 4);
    bmp += std::string("\x00\x01", 2);  // end of bitmap: the rest is index 0
    test::WriteFileBytes(folder + "/large.bmp", bmp);
    const auto r = RunPim({"--quiet", folder});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const long samples = 12000L * 12000L;
    EXPECT_LE(r.peakKiB * 1024L, samples * 3 / 2 + 32L * 1024 * 1024);
    fs::remove(folder + "/default.pdf");
}

// The list's order is the page order: each sort key, both directions.
struct SortCase {
    std::vector<std::string> args;
    std::vector<std::string> titles;
};

class PimSort : public testing::TestWithParam<SortCase> {};

TEST_P(PimSort, BookmarksInListOrder) {
    // a.txt: smallest, middle date, type TXT; b.jpg: largest, newest, JPG;
    // c.bmp: middle size, oldest, BMP.
    Folder f("pim-sort");
    const auto now = fs::file_time_type::clock::now();
    fs::last_write_time(f.Path("c.bmp"), now - std::chrono::hours(3));
    fs::last_write_time(f.Path("a.txt"), now - std::chrono::hours(2));
    fs::last_write_time(f.Path("b.jpg"), now - std::chrono::hours(1));
    std::vector<std::string> args = GetParam().args;
    args.push_back(f.path);
    const auto r = RunPim(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Titles(f.Path("default.pdf")), GetParam().titles);
}

INSTANTIATE_TEST_SUITE_P(Pim, PimSort,
                         testing::Values(SortCase{{}, {"a", "b", "c"}}, SortCase{{"-r"}, {"c", "b", "a"}},
                                         SortCase{{"-s", "date"}, {"c", "a", "b"}},
                                         SortCase{{"-s", "date", "-r"}, {"b", "a", "c"}},
                                         SortCase{{"-s", "size"}, {"a", "c", "b"}},
                                         SortCase{{"-s", "size", "--descending"}, {"b", "c", "a"}},
                                         SortCase{{"-s", "type"}, {"c", "b", "a"}},
                                         SortCase{{"-s", "type", "-r"}, {"a", "b", "c"}}));

}  // namespace
}  // namespace pim
