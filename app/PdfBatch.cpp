#include "app/PdfBatch.h"

#include <algorithm>

#include "base/CodePage.h"
#include "base/Paths.h"
#include "imagelist/ImgListModel.h"
#include "imagelist/NaturalOrder.h"

namespace pim {

namespace {

constexpr const char* kNoSubfolders = "サブフォルダがありません";
constexpr const char* kCreatedCount = "個のPDFを作成しました";
constexpr const char* kSkipped = "スキップ: ";
constexpr const char* kNoFiles = "（ファイルがありません）";
constexpr const char* kFailed = "失敗: ";

// A model listing `folder` as the window's list does, without a window.
std::unique_ptr<TImgListModel> ListingModel(const std::string& folder, const TListingOptions& listing, bool folders) {
    auto model = std::make_unique<TImgListModel>();
    model->ChangeCurrentDirectory = false;
    model->DispTypes().SetFolders(folders);
    model->DispTypes().SetNonFolders(!folders);
    model->DispTypes().SetHidden(listing.Hidden);
    if (!folders) model->DispTypes().SetExt(listing.Mask);
    model->SetSortType(listing.SortType);
    model->SetDescend(listing.Descend);
    model->SetFolderPath(folder);
    return model;
}

// The error box's lines after "ＰＤＦを作成できませんでした。" (the file and
// the cause).
std::string CauseLines(const std::string& message) {
    const std::size_t at = message.find("\r\n");
    return at == std::string::npos ? message : message.substr(at + 2);
}

// The batch's one progress dialog as each folder's run sees it: the label
// tells which folder and which file; the finished and failed states, and
// every error box, wait for the batch's end.
class TBatchProgress : public TPdfRunHost, public TPdfRunProgress {
public:
    explicit TBatchProgress(TPdfRunHost& host) : host_(host) {}

    void StartFolder(int index, int count, const std::string& name, const std::vector<std::string>& files) {
        header_ = Utf8ToAnsi("フォルダ " + std::to_string(index + 1) + " / " + std::to_string(count) + "：" + name);
        files_ = &files;
        position_ = 0;
        finished_ = false;
    }
    // The dialog, opened by the first folder's run (or now).
    TPdfRunProgress& Dialog() {
        if (!dialog_) dialog_ = &host_.OpenProgress();
        return *dialog_;
    }
    bool Opened() const { return dialog_ != nullptr; }

    // As a host.
    TPdfRunProgress& OpenProgress() override {
        Dialog();
        return *this;
    }
    void ShowError(const std::string&) override {}
    void ShowFailure(const TPdfRunResult&) override {}
    void ActivateListTab() override {
        if (!tabActivated_) host_.ActivateListTab();
        tabActivated_ = true;
    }

    // As the dialog.
    void SetCaption(const std::string& text) override {
        if (!finished_) Dialog().SetCaption(text);
    }
    void SetLabel(const std::string& text) override {
        if (finished_) return;
        std::string label = header_ + "\r\n" + text;
        if (files_ && position_ >= 0 && static_cast<std::size_t>(position_) < files_->size()) {
            const std::string& file = (*files_)[static_cast<std::size_t>(position_)];
            if (!file.empty()) label += "  " + Utf8ToAnsi(ExtractFileName(file));
        }
        Dialog().SetLabel(label);
    }
    void SetMaximum(int value) override { Dialog().SetMaximum(value); }
    void SetPosition(int value) override {
        position_ = value;
        if (!finished_) Dialog().SetPosition(value);
    }
    void ShowFinishButtons() override { finished_ = true; }
    void ProcessMessages() override { Dialog().ProcessMessages(); }
    bool Stopped() const override { return dialog_ && dialog_->Stopped(); }
    bool WaitingForRead() override { return Dialog().WaitingForRead(); }
    void ShowFailure(const std::string&) override { finished_ = true; }

private:
    TPdfRunHost& host_;
    TPdfRunProgress* dialog_ = nullptr;
    std::string header_;
    const std::vector<std::string>* files_ = nullptr;
    int position_ = 0;
    bool finished_ = false;
    bool tabActivated_ = false;
};

}  // namespace

std::vector<std::string> SubfolderPaths(const std::string& folder, const TListingOptions& listing) {
    std::unique_ptr<TImgListModel> model = ListingModel(folder, listing, true);
    std::vector<std::string> paths;
    if (model->FolderPath().empty()) return paths;
    TImgListItems& items = model->ImgItems();
    for (int i = 0; i < items.Count(); ++i)
        if (items[i]->IsFolder() && !items[i]->FullPath().empty()) paths.push_back(items[i]->FullPath());
    std::sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) {
        return NameCompare(ExtractFileName(a), ExtractFileName(b)) < 0;
    });
    return paths;
}

std::vector<std::string> ListFolderFiles(const std::string& folder, const TListingOptions& listing) {
    std::unique_ptr<TImgListModel> model = ListingModel(folder, listing, false);
    if (model->FolderPath().empty()) return {};
    return ListedFiles(model->ImgItems());
}

std::string BatchSummary(const TPdfBatchResult& result) {
    std::vector<std::string> lines;
    if (result.Stopped) lines.push_back(std::string(kMsgStopped));
    if (result.Folders == 0 && !result.Stopped) {
        lines.push_back(Utf8ToAnsi(kNoSubfolders));
    } else {
        lines.push_back(Utf8ToAnsi(std::to_string(result.Made.size()) + kCreatedCount));
        for (const std::string& name : result.Skipped) lines.push_back(Utf8ToAnsi(kSkipped + name + kNoFiles));
        // A failed folder's name, then its cause's lines set in under it.
        const std::string indent = Utf8ToAnsi("\r\n　");
        for (const TBatchFailure& f : result.Failed) {
            std::string cause = f.Cause;
            for (std::size_t at = cause.find("\r\n"); at != std::string::npos;
                 at = cause.find("\r\n", at + indent.size()))
                cause.replace(at, 2, indent);
            lines.push_back(Utf8ToAnsi(kFailed + f.Folder) + indent + cause);
        }
    }
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
    return text;
}

TPdfBatchResult CreatePdfPerSubfolder(TPdfRun& run, TPdfRunHost& host, const TPdfRunSettings& settings,
                                      const TListingOptions& listing) {
    TPdfBatchResult result;
    const std::vector<std::string> folders = SubfolderPaths(settings.ImageFolder, listing);
    result.Folders = static_cast<int>(folders.size());
    TBatchProgress batch(host);
    batch.ActivateListTab();
    for (int i = 0; i < result.Folders; ++i) {
        const std::string& folder = folders[static_cast<std::size_t>(i)];
        const std::string name(ExtractFileName(folder));
        if (batch.Opened()) {
            batch.Dialog().ProcessMessages();
            if (batch.Stopped()) {
                result.Stopped = true;
                break;
            }
        }
        const std::vector<std::string> files = ListFolderFiles(folder, listing);
        if (files.empty()) {
            result.Skipped.push_back(name);
            continue;
        }
        TPdfRunSettings s = settings;
        s.OutputName = name;
        s.Chapters.clear();
        batch.StartFolder(i, result.Folders, name, files);
        const TPdfRunResult one = run.CreatePdf(batch, files, s);
        switch (one.Outcome) {
            case TPdfRunOutcome::roDone:
                result.Made.push_back(run.PReport1->FileName());
                result.Warnings.insert(result.Warnings.end(), one.Warnings.begin(), one.Warnings.end());
                break;
            case TPdfRunOutcome::roNoFiles: result.Skipped.push_back(name); break;
            case TPdfRunOutcome::roStopped: result.Stopped = true; break;
            case TPdfRunOutcome::roFailed: result.Failed.push_back({name, CauseLines(one.Message)}); break;
        }
        if (result.Stopped) break;
    }
    // The end, a stop's too, in the dialog: what was made, skipped and not made.
    batch.Dialog().ShowSummary(BatchSummary(result));
    host.UpdateStatus();
    return result;
}

TPdfRunResult CreatePdfOfAllSubfolders(TPdfRun& run, TPdfRunHost& host, const std::vector<std::string>& ownFiles,
                                       const std::vector<int>& ownTurns, const TPdfRunSettings& settings,
                                       const TListingOptions& listing) {
    std::vector<std::string> files = ownFiles;
    std::vector<int> turns = ownTurns;
    turns.resize(files.size());
    TPdfRunSettings s = settings;
    s.OutputName = FolderNameOf(settings.ImageFolder);
    s.Chapters.clear();
    for (const std::string& folder : SubfolderPaths(settings.ImageFolder, listing)) {
        std::vector<std::string> chapter = ListFolderFiles(folder, listing);
        if (chapter.empty()) continue;
        s.Chapters.push_back({std::string(ExtractFileName(folder)), static_cast<int>(files.size())});
        files.insert(files.end(), chapter.begin(), chapter.end());
    }
    turns.resize(files.size());
    return run.CreatePdf(host, files, s, turns);
}

}  // namespace pim
