// Fonts of the skinned controls, made from a FontInfo. A Chinese face name the system does not
// know by that name is tried again under its English name ("宋体" is "SimSun").
#pragma once

#include "base/Handles.h"
#include "controls/FontInfo.h"

namespace velm {

// Sized for `window`'s DPI (the system DPI for none).
UniqueFont CreateUiFont(const FontInfo& info, HWND window = nullptr);
// A colour as the controls store it: 0x00BBGGRR, or a system colour (0x800000nn).
COLORREF TranslateColour(std::uint32_t colour);

} // namespace velm
