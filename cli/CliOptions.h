// The command line of `pim`: one optional folder (or a file in it) and
// options that mirror the main window's controls.
#pragma once

#include <optional>
#include <string>

namespace pim {

// Exit codes of `pim`.
inline constexpr int kExitDone = 0;
inline constexpr int kExitNoFiles = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitFailed = 3;
inline constexpr int kExitStopped = 130;

struct TCliOptions {
    std::string Target = ".";  // FOLDER or FILE
    std::string Output;        // -o: LabeledEdit6, ".pdf" added unless it ends so
    bool FolderName = false;   // --folder-name: "フォルダ名"
    std::string SaveDir;       // -d: "保存先変更"; empty: the image folder
    int FileTypeBits = 31;     // -t: the kinds' bits (base/FileKind.h)
    int SortIndex = 0;         // -s: ComboBox1 index (name, date, size, type)
    bool Descending = false;   // -r: ComboBox2 "降順"
    bool Reencode = false;     // --reencode: "JPEG再変換"
    int Quality = 100;         // -q: "画質"
    int Brightness = 0;        // -b: "明るさ"
    bool Greyscale = false;    // -g: "グレイスケール"
    int Jobs = 0;              // -j: worker threads preparing pages; 0 one per processor
    bool AutoOrient = true;    // JPEGs stand as their EXIF orientation says; --no-auto-orient: as stored
    std::string Title, Subject, Author, Keywords;  // platform encoding
    bool RightToLeft = false;                      // --binding r2l: "右綴じ"
    int Layout = 0;                                // --layout: continuous, single, spread, spread-cover
    int PageSize = 0;                              // --page-size: pixels, dpi, A3 ... letter ("ページサイズ")
    int Orientation = 0;                           // --orientation on paper: auto, portrait, landscape ("向き")
    double MarginMm = 0;                           // --margin on paper, 0..30 mm ("余白")
    bool Enlarge = false;                          // --enlarge: small pictures fill the paper ("拡大しない" off)
    bool EachSubfolder = false;                    // --each-subfolder: one PDF per sub-folder
    bool SubfoldersInOne = false;                  // --subfolders-in-one: the sub-folders as chapters of one PDF
    bool Open = false;                             // --open: "PDFを起動"
    bool Quiet = false;
};

// Parses the arguments (in the platform's encoding). Returns the exit code
// when the program should end now: 0 after --help or --version (printed),
// kExitUsage after a bad option (a message naming it printed to stderr).
std::optional<int> ParseCommandLine(int argc, const char* const* argv, TCliOptions& options);

// The usage text.
std::string UsageText();

}  // namespace pim
