// The windows' fonts: "ＭＳ Ｐゴシック", the program's own, and fonts made by
// face and pixel height, owned by whoever holds the handle.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "base/CodePage.h"
#include "base/win32/Handles.h"

namespace pim::ui {

// "ＭＳ Ｐゴシック" in code page 932, as LOGFONTA and MakeFont take it.
inline const std::string kPGothic = Ansi("ＭＳ Ｐゴシック");

// height in pixels (cell height minus internal leading, as a negative
// LOGFONT height asks for).
TFontHandle MakeFont(std::string_view faceCp932, int height, BYTE charset = SHIFTJIS_CHARSET, int weight = FW_NORMAL);

}  // namespace pim::ui
