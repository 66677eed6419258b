// The thumbnail list's settings objects: how thumbnails look (TViewImage and
// its frames, badge and blank space), what the list shows (TView), its
// built-in behaviours (TDefaultExec) and its folder watching
// (TShellChangeNotification). Every setter that changes a value fires
// OnChange; the list rebuilds or lays itself out in answer.
#pragma once

#include <cstdint>

#include "base/Font.h"
#include "imagelist/ImgShare.h"
#include "imagelist/ImgUtil.h"

namespace pim {

enum class TIconStyle { iisIcon, iisSmallIcon, iisImage };
enum class TIconPosition { iipLeftTop, iipLeftBottom, iipRightTop, iipRightBottom, iipNone };
enum class TBevelCut { bvNone, bvLowered, bvRaised };
enum class TCellBorder { bsNone, bsSingle };

// Colours of the system, as the drawing calls resolve them.
inline constexpr TColor clInactiveBorder = SystemColor(11);
inline constexpr TColor clHighlight = SystemColor(13);

// A set of content kinds (bit n for TImageType n).
using TDispImage = std::uint32_t;
constexpr TDispImage DispImageOf(TImageType type) { return TDispImage{1} << static_cast<int>(type); }
constexpr TDispImage kAllImageTypes = (TDispImage{1} << kImageTypeCount) - 1;

// Drag effects the list offers.
enum TDragTypeBit : unsigned { idtCopy = 1, idtMove = 2, idtLink = 4 };
// Changes watched in the shown folder, bit for bit the platform's filter.
enum TNotifyTypeBit : unsigned {
    intFileName = 0x1, intDirName = 0x2, intAttributes = 0x4, intSize = 0x8,
    intLastWrite = 0x10, intLastAccess = 0x20, intCreation = 0x40, intSecurity = 0x100,
};

// The base of the settings objects: a setter that fires OnChange.
class TViewSettings {
public:
    TNotifyEvent OnChange;

protected:
    template <class T>
    void Set(T& field, const T& value) {
        if (field == value) return;
        field = value;
        Changed();
    }
    void Changed() const {
        if (OnChange) OnChange();
    }
};

#define PIM_SETTING(Type, Name, field) \
    Type Name() const { return field; } \
    void Set##Name(Type value) { Set(field, value); }

class TFrameStyle : public TViewSettings {
public:
    TFrameStyle(TColor color, int width) : color_(color), width_(width) {}
    PIM_SETTING(bool, Visible, visible_)
    PIM_SETTING(TColor, Color, color_)
    PIM_SETTING(int, Width, width_)

private:
    bool visible_ = true;
    TColor color_;
    int width_;
};

class TIconSpacing : public TViewSettings {
public:
    PIM_SETTING(int, X, x_)
    PIM_SETTING(int, Y, y_)

private:
    int x_ = 15;
    int y_ = 32;
};

// The file-kind mark on a thumbnail: its corner, its gap to the box's edges
// and its side (the form scales both with the dpi).
class TSmallIcon : public TViewSettings {
public:
    PIM_SETTING(TIconPosition, IconPos, iconPos_)
    PIM_SETTING(int, Space, space_)
    PIM_SETTING(int, Size, size_)

private:
    TIconPosition iconPos_ = TIconPosition::iipRightBottom;
    int space_ = 2;
    int size_ = 16;
};

class TBlankSpace : public TViewSettings {
public:
    PIM_SETTING(int, Left, left_)
    PIM_SETTING(int, Top, top_)
    PIM_SETTING(int, Right, right_)
    PIM_SETTING(int, Bottom, bottom_)

private:
    int left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
};

// How thumbnails look: the box, its frames and bevels, which kinds get one.
class TViewImage : public TViewSettings {
public:
    TViewImage();
    TImgUtil& ImgUtil() { return imgUtil_; }
    TFrameStyle& Frame() { return frame_; }
    TFrameStyle& SelectFrame() { return selectFrame_; }
    TSmallIcon& SmallIcon() { return smallIcon_; }
    TBlankSpace& BlankSpace() { return blankSpace_; }
    PIM_SETTING(int, ImageWidth, imageWidth_)
    PIM_SETTING(int, ImageHeight, imageHeight_)
    PIM_SETTING(TBevelCut, BevelInner, bevelInner_)
    PIM_SETTING(TBevelCut, BevelOuter, bevelOuter_)
    PIM_SETTING(int, BevelWidth, bevelWidth_)
    PIM_SETTING(int, BorderWidth, borderWidth_)
    PIM_SETTING(TCellBorder, BorderStyle, borderStyle_)
    PIM_SETTING(TDispImage, DispImage, dispImage_)
    PIM_SETTING(bool, LookAhead, lookAhead_)
    PIM_SETTING(bool, BigIcon, bigIcon_)
    PIM_SETTING(int, BigIconSize, bigIconSize_)
    bool Shows(TImageType type) const { return (dispImage_ & DispImageOf(type)) != 0; }
    // The cell margin: the wider visible frame, a single border, the bevels.
    int Margin() const;

private:
    TImgUtil imgUtil_;
    TFrameStyle frame_{clInactiveBorder, 1};
    TFrameStyle selectFrame_{clHighlight, 3};
    TSmallIcon smallIcon_;
    TBlankSpace blankSpace_;
    int imageWidth_ = 94, imageHeight_ = 94;
    TBevelCut bevelInner_ = TBevelCut::bvNone, bevelOuter_ = TBevelCut::bvNone;
    int bevelWidth_ = 1, borderWidth_ = 0;
    TCellBorder borderStyle_ = TCellBorder::bsNone;
    TDispImage dispImage_ = kAllImageTypes;
    bool lookAhead_ = false, bigIcon_ = false;
    int bigIconSize_ = 48;
};

// What the list shows: captions, which entries (DispTypes), icon spacing.
class TView : public TViewSettings {
public:
    explicit TView(TDispTypes& dispTypes);
    TDispTypes& DispTypes() { return dispTypes_; }
    TIconSpacing& IconSpacing() { return iconSpacing_; }
    PIM_SETTING(bool, ShowCaptions, showCaptions_)
    TNotifyEvent OnChange1;
    TNotifyEvent OnChange2;

private:
    TDispTypes& dispTypes_;
    TIconSpacing iconSpacing_;
    bool showCaptions_ = true;
};

// Built-in behaviours.
class TDefaultExec : public TViewSettings {
public:
    PIM_SETTING(bool, DblClick, dblClick_)
    PIM_SETTING(bool, ColumnSort, columnSort_)
    PIM_SETTING(bool, DropSource, dropSource_)
    PIM_SETTING(bool, DropTarget, dropTarget_)
    PIM_SETTING(unsigned, DragType, dragType_)

private:
    bool dblClick_ = true, columnSort_ = true, dropSource_ = true, dropTarget_ = true;
    unsigned dragType_ = idtCopy | idtMove | idtLink;
};

// Watching the shown folder for changes.
class TShellChangeNotification : public TViewSettings {
public:
    PIM_SETTING(bool, Enabled, enabled_)
    PIM_SETTING(unsigned, NotifyTypes, notifyTypes_)

private:
    bool enabled_ = true;
    unsigned notifyTypes_ = intFileName | intDirName;
};

#undef PIM_SETTING

// The cell of a thumbnail, margins and blank space included.
struct TCellSize {
    int Margin = 0;
    int Width = 0;
    int Height = 0;
};
TCellSize CellSizeOf(TViewImage& viewImage);

}  // namespace pim
