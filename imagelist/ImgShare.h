// Types shared by the image list's parts: content kinds, sort keys, view
// modes and the display filter.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/Font.h"
#include "base/Paths.h"  // the file-name helpers the list's parts use

namespace pim {

// Kind of an item's content, decided from its path.
enum class TImageType : std::uint8_t {
    iitNone,
    iitSusie,
    iitBmp,
    iitJpeg,
    iitIco,
    iitCur,
    iitAni,
    iitEmf,
    iitWmf,
    iitExe,
    iitDll,
    iitHtml,
    iitTxt,
    iitEml,
    iitDir,
    iitCustom,
    iitAvi,
    iitPng,
    iitTiff,
    iitGif,
    iitWebp,
};
constexpr int kImageTypeCount = 21;

// Sort key; the ordinal is the shell column compared.
enum class TSortTypeEx { istName, istSize, istType, istDate, istAttr };

// ivmFolder: the list shows one shell folder; ivmFile: files added one by one.
enum class TViewMode { ivmFolder, ivmFile };

using TNotifyEvent = std::function<void()>;

// Which entries of a folder are listed. Every setter that changes a value
// fires OnChange (the list rebuilds itself from its folder).
class TDispTypes {
public:
    TDispTypes() { SetExtList(); }

    bool Folders() const { return folders_; }
    bool NonFolders() const { return nonFolders_; }
    bool Hidden() const { return hidden_; }
    const std::string& Ext() const { return ext_; }
    // Ext lower-cased and framed by ";": "*.JPG;*.bmp" gives ";*.jpg;*.bmp;",
    // an empty Ext gives ";*.*;".
    const std::string& ExtList() const { return extList_; }
    // True when ExtList lets only some names through (it lacks ";*.*;").
    bool Filters() const;

    void SetFolders(bool value);
    void SetNonFolders(bool value);
    void SetHidden(bool value);
    void SetExt(const std::string& value);

    TNotifyEvent OnChange;

private:
    void SetExtList();
    void Changed() const {
        if (OnChange) OnChange();
    }

    bool folders_ = true;
    bool nonFolders_ = true;
    bool hidden_ = true;
    std::string ext_ = "*.*";
    std::string extList_;
};

// Lower-casing of a file name's ASCII letters only (names are UTF-8).
std::string LowerCaseName(std::string_view name);

// The mask test of a path against a normalised ExtList: the lower-cased file
// name matches when ";name;" occurs in the list, or ";*.ext;" for its
// extension. No other wildcard is understood.
bool MatchesMask(std::string_view path, std::string_view extList);

// Kind of a file by its extension alone; the thumbnail maker may install a
// fuller detector on the item collection.
TImageType ImageTypeByExtension(std::string_view path);

}  // namespace pim
