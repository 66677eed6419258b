// pim: folder in, PDF out, from the command line.
//
//   pim [options] [FOLDER|FILE]
//
// The folder is listed as the main window lists it (type filter, sort key
// and direction), and the same run makes the same PDF.

#include <exception>
#include <string>
#include <vector>

#include "app/MainModel.h"
#include "app/PdfBatch.h"
#include "app/PdfRun.h"
#include "base/CodePage.h"
#include "base/Paths.h"
#include "cli/CliOptions.h"
#include "cli/CliProgress.h"
#include "cli/Console.h"
#include "imagelist/ImgListModel.h"

namespace pim {

namespace {

void Error(const std::string& nativeText) { WriteNative(TConsoleStream::csErr, "pim: " + nativeText + "\n"); }

TProgressStyle StyleFor(const TCliOptions& options) {
    if (options.Quiet) return TProgressStyle::psQuiet;
    return IsTerminal(TConsoleStream::csErr) ? TProgressStyle::psBar : TProgressStyle::psLines;
}

void PrintWarnings(const std::vector<TPdfRunWarning>& warnings) {
    // Said even with --quiet: the PDF is not what the files should have made.
    for (const TPdfRunWarning& w : warnings) Error("warning: " + w.File + ": " + w.Cause);
}

// One PDF per sub-folder: the summary on stdout (the failed folders on
// stderr with --quiet); 3 when any folder failed, the others made.
int RunEachSubfolder(TPdfRun& run, TCliProgress& progress, const TPdfRunSettings& settings,
                     const TListingOptions& listing, const TCliOptions& options) {
    const TPdfBatchResult result = CreatePdfPerSubfolder(run, progress, settings, listing);
    PrintWarnings(result.Warnings);
    if (!options.Quiet) {
        std::string summary = BatchSummary(result);  // CR LF between lines, as the dialog takes them
        for (std::size_t at = summary.find("\r\n"); at != std::string::npos; at = summary.find("\r\n", at))
            summary.erase(at, 1);
        WriteAnsi(TConsoleStream::csOut, summary + "\n");
        for (const std::string& pdf : result.Made) WriteNative(TConsoleStream::csOut, pdf + "\n");
    } else {
        for (const TBatchFailure& f : result.Failed) Error(f.Folder + ": " + AnsiToUtf8(f.Cause));
    }
    if (options.Open)
        for (const std::string& pdf : result.Made) OpenWithViewer(pdf);
    if (result.Stopped) return StoppedExitCode();
    if (!result.Failed.empty()) return kExitFailed;
    return result.Made.empty() ? kExitNoFiles : kExitDone;
}

int Run(const TCliOptions& options) {
    std::string folder = options.Target;
    if (IsExistingFile(folder)) {
        folder = FolderOfExistingFile(folder);
    } else if (!IsExistingFolder(folder)) {
        Error(folder + ": no such folder or file");
        return kExitUsage;
    }

    // The list as the window has it after start-up, with the filter and
    // order of the options.
    TImgListModel model;
    model.ChangeCurrentDirectory = false;
    model.DispTypes().SetFolders(false);
    model.DispTypes().SetExt(*MaskOfFileTypeBits(options.FileTypeBits));
    model.SetSortType(*SortTypeOfIndex(options.SortIndex));
    model.SetDescend(*DescendOfIndex(options.Descending ? 1 : 0));
    model.SetFolderPath(folder);
    const std::string folderPath = model.FolderPath();
    if (folderPath.empty()) {
        Error(folder + ": the folder cannot be opened");
        return kExitUsage;
    }

    TPdfRun run;
    TPdfRunSettings s;
    s.Title = Utf8ToAnsi(options.Title);
    s.Subject = Utf8ToAnsi(options.Subject);
    s.Author = Utf8ToAnsi(options.Author);
    s.Keywords = Utf8ToAnsi(options.Keywords);
    s.ImageFolder = folderPath;
    s.UseSaveFolder = !options.SaveDir.empty();
    s.SaveFolder = options.SaveDir;
    s.OutputName = options.FolderName ? FolderNameOf(folderPath) : options.Output;
    s.ReencodeJpeg = options.Reencode;
    s.Adjust = {options.Brightness, options.Quality, options.Greyscale};
    s.Jobs = options.Jobs;
    s.AutoOrient = options.AutoOrient;
    s.Binding = options.RightToLeft ? TBinding::bRight : TBinding::bLeft;
    s.PageDisplay = static_cast<TPageDisplay>(options.Layout);
    s.Paper.Size = static_cast<TPageSize>(options.PageSize);  // the words in TPageSize's order
    s.Paper.Orientation = static_cast<TPaperOrientation>(options.Orientation);
    s.Paper.MarginMm = options.MarginMm;
    s.Paper.Enlarge = options.Enlarge;
    // Sub-folders are listed with the folder's filter and order.
    TListingOptions listing;
    listing.Mask = model.DispTypes().Ext();
    listing.SortType = model.SortType();
    listing.Descend = model.Descend();
    listing.Hidden = model.DispTypes().Hidden();

    InstallStopHandler();
    // Any stop gives up a save until the PDF is in place: the old PDF stays.
    run.SaveAbandoned = StopRequested;
    TCliProgress progress(StyleFor(options));
    if (options.EachSubfolder) return RunEachSubfolder(run, progress, s, listing, options);
    const TPdfRunResult result =
        options.SubfoldersInOne ? CreatePdfOfAllSubfolders(run, progress, ListedFiles(model.ImgItems()), {}, s, listing)
                                : run.CreatePdf(progress, ListedFiles(model.ImgItems()), s);
    switch (result.Outcome) {
        case TPdfRunOutcome::roDone:
            PrintWarnings(result.Warnings);
            if (!options.Quiet) {
                WriteAnsi(TConsoleStream::csOut, std::string(kMsgCreated) + "\n");
                WriteNative(TConsoleStream::csOut, run.PReport1->FileName() + "\n");
            }
            if (options.Open) OpenWithViewer(run.PReport1->FileName());
            return kExitDone;
        case TPdfRunOutcome::roNoFiles: return kExitNoFiles;
        case TPdfRunOutcome::roStopped: return StoppedExitCode();
        case TPdfRunOutcome::roFailed:
            Error((result.Stage == TPdfRunStage::rsReading ? "reading " : "writing ") + result.FailedFile + ": " +
                  result.Cause);
            // A name the rules refuse is a bad option.
            return result.NameProblem ? kExitUsage : kExitFailed;
    }
    return kExitFailed;
}

}  // namespace

}  // namespace pim

int main(int argc, char** argv) {
    pim::InitConsole();
    pim::TCliOptions options;
    const std::vector<std::string> arguments = pim::NativeArguments(argc, argv);
    std::vector<const char*> args;
    for (const std::string& a : arguments) args.push_back(a.c_str());
    if (const auto exitCode = pim::ParseCommandLine(static_cast<int>(args.size()), args.data(), options))
        return *exitCode;
    int exitCode = pim::kExitFailed;
    try {
        exitCode = pim::Run(options);
    } catch (const std::exception& e) {
        pim::Error(e.what());
    }
    pim::RunEnded();
    return exitCode;
}
