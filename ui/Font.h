// The windows' fonts: "ＭＳ Ｐゴシック", the program's own, and fonts made by
// face and pixel height, owned by whoever holds the handle.
#pragma once

#include <windows.h>

#include <string_view>

#include "base/win32/Handles.h"

namespace pim::ui {

// "ＭＳ Ｐゴシック".
inline constexpr char kPGothic[] = "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";

// height in pixels (cell height minus internal leading, as a negative
// LOGFONT height asks for).
TFontHandle MakeFont(std::string_view faceCp932, int height, BYTE charset = SHIFTJIS_CHARSET, int weight = FW_NORMAL);

}  // namespace pim::ui
