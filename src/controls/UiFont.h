// Fonts of the skinned controls, made from a FontSpec. A Chinese face name the system does not
// know by that name is tried again under its English name ("宋体" is "SimSun").
#pragma once

#include "base/Handles.h"
#include "controls/FontSpec.h"

namespace velm {

UniqueFont CreateUiFont(const FontSpec& spec);
// A colour as the controls store it: 0x00BBGGRR, or a system colour (0x800000nn).
COLORREF TranslateColour(std::uint32_t colour);

} // namespace velm
