// Runs over the sub-folders of the image folder, for a series kept as one
// folder per chapter: one PDF per sub-folder, or all of them in one PDF
// with a top-level bookmark per chapter. The window and the command line
// call the same functions with their own host.
//
//   TPdfBatchResult result = CreatePdfPerSubfolder(run, host, settings, listing);
//   show(BatchSummary(result));
//
// Each sub-folder is listed as the thumbnail list would list it with the
// same filter and order. A sub-folder with no listed file is skipped; one
// whose PDF cannot be made is recorded with its cause and the others go on;
// a stop ends the whole batch (the PDF being written is not left behind,
// those finished stay). The batch opens the host's progress dialog once:
// the label shows "フォルダ i / n", the folder's name and the run's own label
// with the file being read; per folder there is no error box, and at the end
// the dialog's finished state shows BatchSummary through ShowSummary.
#pragma once

#include <string>
#include <vector>

#include "app/PdfRun.h"
#include "imagelist/ImgShare.h"

namespace pim {

// How a folder is listed: the list's filter and order.
struct TListingOptions {
    std::string Mask = "*.*";  // TDispTypes::Ext, "*.jpg;*.bmp;..."
    TSortTypeEx SortType = TSortTypeEx::istName;
    bool Descend = false;
    bool Hidden = true;  // hidden entries listed (TDispTypes::Hidden)
};

// The direct sub-folders of `folder` (full paths), in the program's name
// order (NaturalOrder); none when the folder cannot be read.
std::vector<std::string> SubfolderPaths(const std::string& folder, const TListingOptions& listing = {});
// The files of `folder` the list would show with these options, in its order.
std::vector<std::string> ListFolderFiles(const std::string& folder, const TListingOptions& listing);

struct TBatchFailure {
    std::string Folder;  // the sub-folder's name (file-name encoding)
    std::string Cause;   // code page 932: FailureMessage's lines after the first (the file, the cause), CR LF between
};

struct TPdfBatchResult {
    int Folders = 0;                       // sub-folders found
    std::vector<std::string> Made;         // the PDFs written (paths), in folder order
    std::vector<std::string> Skipped;      // sub-folders with no listed file (names)
    std::vector<TBatchFailure> Failed;     // sub-folders whose PDF was not made
    bool Stopped = false;                  // the user stopped the batch; later folders were not tried
    std::vector<TPdfRunWarning> Warnings;  // of the PDFs made
};

// The end of a batch as the dialog and the console show it, code page 932,
// lines split by CR LF: "10個のPDFを作成しました", then a line per skipped
// folder "スキップ: name（ファイルがありません）" and per failed one
// "失敗: name" with its cause's lines set in under it; "強制終了されました"
// first after a stop;
// "サブフォルダがありません" when there was none.
std::string BatchSummary(const TPdfBatchResult& result);

// "サブフォルダごとにPDF作成": one PDF per direct sub-folder of
// settings.ImageFolder, named after the sub-folder, saved where a run of the
// image folder would save (the image folder, or SaveFolder with
// UseSaveFolder); settings.OutputName and Chapters are not used.
TPdfBatchResult CreatePdfPerSubfolder(TPdfRun& run, TPdfRunHost& host, const TPdfRunSettings& settings,
                                      const TListingOptions& listing);

// "すべてを1つのPDFに": one PDF named after the image folder: `ownFiles`
// (the image folder's own list, with the user's `ownTurns`) first, then each
// sub-folder with listed files as a chapter. One run, told as any run is.
TPdfRunResult CreatePdfOfAllSubfolders(TPdfRun& run, TPdfRunHost& host, const std::vector<std::string>& ownFiles,
                                       const std::vector<int>& ownTurns, const TPdfRunSettings& settings,
                                       const TListingOptions& listing);

}  // namespace pim
