#include "cli/CliOptions.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <vector>

#include "base/FileKind.h"
#include "cli/Console.h"

#ifndef PIM_VERSION
#define PIM_VERSION "0"
#endif

namespace pim {

namespace {

// Accepts a whole decimal integer from lo to hi; the message names the range.
CLI::Validator IntegerFrom(int lo, int hi) {
    const std::string range = std::to_string(lo) + ".." + std::to_string(hi);
    return CLI::Validator(
        [lo, hi, range](std::string& text) -> std::string {
            int value = 0;
            const char* end = text.data() + text.size();
            const auto [at, error] = std::from_chars(text.data(), end, value);
            if (error != std::errc() || at != end || value < lo || value > hi)
                return "'" + text + "' is not allowed; use a whole number from " + range;
            return {};
        },
        "INT in " + range);
}

// "jpg,bmp,txt,png,tif,gif,webp" (any subset, any order) to FileTypeBits; tif,
// gif and webp share one bit, so any of them lists all three.
CLI::Validator FileTypes(int& bits) {
    return CLI::Validator(
        [&bits](std::string& text) -> std::string {
            bits = 0;
            std::size_t start = 0;
            while (start <= text.size()) {
                std::size_t comma = text.find(',', start);
                if (comma == std::string::npos) comma = text.size();
                const std::string type = text.substr(start, comma - start);
                if (const TFileKind kind = FileKindOfWord(type); kind != TFileKind::fkOther)
                    bits |= FileKindBit(kind);
                else if (!type.empty())
                    return "'" + type +
                           "' is not a file type; use jpg, bmp, txt, png, tif, gif and webp, separated by commas";
                start = comma + 1;
            }
            if (bits == 0)
                return "'" + text +
                       "' names no file type; use jpg, bmp, txt, png, tif, gif and webp, separated by commas";
            return {};
        },
        "jpg,bmp,txt,png,tif,gif,webp");
}

CLI::Validator SortKey(int& index) {
    return CLI::Validator(
        [&index](std::string& text) -> std::string {
            static const char* const kKeys[] = {"name", "date", "size", "type"};
            for (int i = 0; i < 4; ++i)
                if (text == kKeys[i]) {
                    index = i;
                    return {};
                }
            return "'" + text + "' is not a sort key; use name, date, size or type";
        },
        "name|date|size|type");
}

// One of `words` to its index; the message lists them.
CLI::Validator OneOf(std::vector<std::string> words, const char* what, int& index) {
    std::string list;
    for (std::size_t i = 0; i < words.size(); ++i)
        list += (i == 0 ? "" : i + 1 == words.size() ? " or " : ", ") + words[i];
    std::string shape;
    for (const std::string& w : words) shape += (shape.empty() ? "" : "|") + w;
    return CLI::Validator(
        [words, what, list, &index](std::string& text) -> std::string {
            for (std::size_t i = 0; i < words.size(); ++i)
                if (text == words[i]) {
                    index = static_cast<int>(i);
                    return {};
                }
            return "'" + text + "' is not " + what + "; use " + list;
        },
        shape);
}

// Option texts whose meaning the validators store in the options.
struct TRawValues {
    std::string types;
    std::string sort;
    std::string binding;
    std::string layout;
    std::string pageSize;
    std::string orientation;
    int bindingIndex = 0;
};

void Describe(CLI::App& app, TCliOptions& o, TRawValues& raw) {
    app.description(
        "Makes one PDF of the JPEG, BMP and Shift_JIS text files of a folder, one file per page,\n"
        "as Pim's \"PDF作成\" button does.");
    app.add_option("FOLDER", o.Target,
                   "the folder of pictures and texts, or a file in it (default: the current folder)");
    app.add_option("-o,--output", o.Output,
                   "name of the PDF, used as typed; \".pdf\" is added unless it ends so (default: default.pdf)");
    app.add_flag("--folder-name", o.FolderName, "name the PDF after the folder (\"フォルダ名\")")
        ->excludes(app.get_option("--output"));
    app.add_option("-d,--save-dir", o.SaveDir, "write the PDF into DIR instead of the folder (\"保存先変更\")");
    app.add_option("-t,--types", raw.types, "file types to list (default: jpg,bmp,txt,png,tif,gif,webp)")
        ->check(FileTypes(o.FileTypeBits));
    app.add_option("-s,--sort", raw.sort, "page order: name, date, size or type (default: name)")
        ->check(SortKey(o.SortIndex));
    app.add_flag("-r,--descending", o.Descending, "sort in descending order (\"降順\")");
    app.add_flag("--reencode", o.Reencode, "decode and encode every picture again (\"JPEG再変換\")");
    app.add_option("-q,--quality", o.Quality, "JPEG quality of re-encoded pictures, 0..100 (default: 100)")
        ->check(IntegerFrom(0, 100));
    app.add_option("-b,--brightness", o.Brightness, "brightness added to re-encoded pictures, -255..255 (default: 0)")
        ->check(IntegerFrom(-255, 255));
    app.add_flag("-g,--greyscale", o.Greyscale, "make re-encoded pictures grey (\"グレイスケール\")");
    app.add_option("-j,--jobs", o.Jobs,
                   "prepare pages on N threads, 1..256 (default: one per processor; 1: one page at a time)")
        ->check(IntegerFrom(1, 256));
    app.add_flag("--auto-orient,!--no-auto-orient", o.AutoOrient,
                 "JPEG pages stand as their EXIF orientation says, turned when drawn, the bytes unchanged (the "
                 "default; --no-auto-orient: as stored)");
    app.add_option("--binding", raw.binding,
                   "l2r (default) or r2l: a book bound on the right reads right to left, and viewers lay its "
                   "spreads out so (\"右綴じ\"; the PDF becomes version 1.3)")
        ->check(OneOf({"l2r", "r2l"}, "a binding", raw.bindingIndex));
    app.add_option("--layout", raw.layout,
                   "how a viewer opens the pages: continuous (default), single, spread, or spread-cover (the cover "
                   "alone, then spreads)")
        ->check(OneOf({"continuous", "single", "spread", "spread-cover"}, "a page layout", o.Layout));
    app.add_option("--page-size", raw.pageSize,
                   "pixels (default: one pixel a unit, the page the picture's size), dpi (the picture's size at "
                   "the density its file states, 96 dpi when none), or paper: A3, A4, A5, B4, B5 (JIS) or letter, "
                   "the picture fitted inside the margin and centred")
        ->check(OneOf({"pixels", "dpi", "A3", "A4", "A5", "B4", "B5", "letter"}, "a page size", o.PageSize));
    app.add_option("--orientation", raw.orientation,
                   "paper turned to suit each picture (auto, the default), or always portrait or landscape")
        ->check(OneOf({"auto", "portrait", "landscape"}, "an orientation", o.Orientation));
    app.add_option("--margin", o.MarginMm, "margin on every side of the paper in mm, 0..30 (default: 0)")
        ->check(CLI::Range(0.0, 30.0));
    app.add_flag("--enlarge", o.Enlarge,
                 "enlarge pictures smaller than the paper to fill it (default: they keep their size at their "
                 "density)");
    app.add_flag("--each-subfolder", o.EachSubfolder,
                 "one PDF per direct sub-folder, named after it, in the folder (or -d DIR); a sub-folder with no "
                 "listed file is skipped, one that fails does not stop the others")
        ->excludes(app.get_option("--output"))
        ->excludes(app.get_option("--folder-name"));
    app.add_flag("--subfolders-in-one", o.SubfoldersInOne,
                 "one PDF named after the folder: its own files, then each sub-folder's as a chapter with a "
                 "bookmark of its name")
        ->excludes(app.get_option("--output"))
        ->excludes(app.get_option("--folder-name"))
        ->excludes(app.get_option("--each-subfolder"));
    app.add_option("--title", o.Title, "document title (\"タイトル\")");
    app.add_option("--subject", o.Subject, "document subject (\"サブタイトル\")");
    app.add_option("--author", o.Author, "document author (\"作成者\")");
    app.add_option("--keywords", o.Keywords, "document keywords (\"キーワード\")");
    app.add_flag("--open", o.Open, "open the finished PDF with the desktop's viewer (\"PDFを起動\")");
    app.add_flag("--quiet", o.Quiet, "no progress and no message on success");
    app.set_version_flag("--version", std::string("pim ") + PIM_VERSION, "print the version and exit");
    app.footer(
        "Brightness, quality and greyscale apply to re-encoded pictures: with --reencode every\n"
        "picture, without it greyscale and CMYK JPEGs only (they are always re-encoded).\n"
        "A JPEG cut off in its data still makes its page, and a warning names it.\n"
        "Exit status: 0 done, 1 no files to put in the PDF, 2 bad usage, 3 the run failed (with\n"
        "--each-subfolder: a sub-folder failed, the others made),\n"
        "130 stopped with Ctrl-C, 143 and 129 ended by SIGTERM and SIGHUP (a stop before the PDF\n"
        "is in place writes nothing and keeps an existing PDF as it was).");
}

}  // namespace

std::string UsageText() {
    TCliOptions options;
    TRawValues raw;
    CLI::App app("", "pim");
    Describe(app, options, raw);
    return app.help();
}

std::optional<int> ParseCommandLine(int argc, const char* const* argv, TCliOptions& options) {
    TRawValues raw;
    CLI::App app("", "pim");
    Describe(app, options, raw);
    try {
        app.parse(argc, argv);
        options.RightToLeft = raw.bindingIndex == 1;
    } catch (const CLI::CallForHelp&) {
        WriteUtf8(TConsoleStream::csOut, app.help());
        return kExitDone;
    } catch (const CLI::CallForVersion& e) {
        WriteUtf8(TConsoleStream::csOut, std::string(e.what()) + "\n");
        return kExitDone;
    } catch (const CLI::ParseError& e) {
        WriteNative(TConsoleStream::csErr, std::string("pim: ") + e.what() + "\n");
        WriteUtf8(TConsoleStream::csErr, "Try 'pim --help' for more information.\n");
        return kExitUsage;
    }
    return std::nullopt;
}

}  // namespace pim
